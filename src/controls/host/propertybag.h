#pragma once

// The property bag a control saves its settings into.

#include "controls/host/convert.h"

#include <QFont>
#include <QImage>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

namespace korv::host {

// The container's store of a control's settings. Names are matched without regard to case (saved
// forms hold them in lower case). Writing an entry equal to its default leaves it out; reading an
// absent entry gives the default. The bag keeps values as they were written; the control converts them
// on reading, so an entry of the wrong kind fails the load with TypeMismatch.
class PropertyBag {
public:
    virtual ~PropertyBag() = default;
    virtual QVariant readProperty(const QString& name, const QVariant& defaultValue) const = 0;
    virtual void writeProperty(const QString& name, const QVariant& value, const QVariant& defaultValue) = 0;
};

// Values compare by kind: pictures by their pixels, fonts by their attributes, numbers by value, so
// that a 16-bit 100 equals a 32-bit 100 when the default is tested.
inline bool sameBagValue(const QVariant& a, const QVariant& b) {
    const bool aNull = !a.isValid() || (a.typeId() == QMetaType::QImage && a.value<QImage>().isNull());
    const bool bNull = !b.isValid() || (b.typeId() == QMetaType::QImage && b.value<QImage>().isNull());
    if (aNull || bNull)
        return aNull == bNull;
    if (a.typeId() == QMetaType::QImage || b.typeId() == QMetaType::QImage)
        return a.typeId() == b.typeId() && a.value<QImage>() == b.value<QImage>();
    if (a.typeId() == QMetaType::QFont || b.typeId() == QMetaType::QFont)
        return a.typeId() == b.typeId() && a.value<QFont>() == b.value<QFont>();
    if (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString)
        return a.typeId() == b.typeId() && a.toString() == b.toString();
    if (a.typeId() == QMetaType::Bool || b.typeId() == QMetaType::Bool)
        return a.typeId() == b.typeId() && a.toBool() == b.toBool();
    return a.toDouble() == b.toDouble();
}

// A bag in memory that keeps its entries in the order they were first written.
class MemoryPropertyBag : public PropertyBag {
public:
    using Entry = QPair<QString, QVariant>;

    QVariant readProperty(const QString& name, const QVariant& defaultValue) const override {
        const int i = indexOf(name);
        return i < 0 ? defaultValue : entries_[i].second;
    }

    void writeProperty(const QString& name, const QVariant& value, const QVariant& defaultValue) override {
        const int i = indexOf(name);
        if (sameBagValue(value, defaultValue)) {
            if (i >= 0)
                entries_.removeAt(i);
            return;
        }
        set(name, value);
    }

    // Stores an entry without the default test, as a container does when it loads a saved form.
    void set(const QString& name, const QVariant& value) {
        const int i = indexOf(name);
        if (i >= 0)
            entries_[i].second = value;
        else
            entries_.append({name, value});
    }

    bool contains(const QString& name) const { return indexOf(name) >= 0; }
    QVariant value(const QString& name) const { return readProperty(name, {}); }
    const QList<Entry>& entries() const { return entries_; }
    QStringList names() const {
        QStringList n;
        for (const Entry& e : entries_)
            n << e.first;
        return n;
    }
    void clear() { entries_.clear(); }

private:
    int indexOf(const QString& name) const {
        for (int i = 0; i < entries_.size(); ++i)
            if (entries_[i].first.compare(name, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }

    QList<Entry> entries_;
};

} // namespace korv::host
