#pragma once

// Late-bound access to a control: its members by DISPID and by name.

#include "controls/host/controlerror.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>

namespace korv::host {

using DispId = std::int32_t;

// Standard dispatch identifiers shared by every control.
inline constexpr DispId kDispIdFont = -512;
inline constexpr DispId kDispIdAboutBox = -552;

// One member of a dispatch interface as a container lists it: identifier, name, kind, the type as the
// type library names it, its help string and the names of the arguments (for a property, the argument
// of its put, "New_Value" and the like).
struct MemberInfo {
    enum class Kind { Property, Method };
    DispId id = 0;
    QString name;
    Kind kind = Kind::Property;
    QString type;
    QString helpString;
    QStringList argumentNames;
    bool byReference = false; // an object-valued property, put by reference
};

// Late-bound access to a control. Callers name members by identifier; names map to identifiers
// without regard to case. Errors are ControlError: NotSupported for an unknown identifier, TypeMismatch
// or Overflow for a value that the member cannot take.
class Dispatch {
public:
    virtual ~Dispatch() = default;

    virtual QList<MemberInfo> members() const = 0;
    virtual QVariant get(DispId id) = 0;
    virtual void put(DispId id, const QVariant& value) = 0;
    // Object-valued properties (fonts, pictures) are put by reference.
    virtual void putRef(DispId id, const QVariant& value) = 0;
    // Arguments passed by reference come back changed in args.
    virtual QVariant invoke(DispId id, QVariantList& args) = 0;

    DispId idOfName(const QString& name) const {
        for (const MemberInfo& m : members())
            if (m.name.compare(name, Qt::CaseInsensitive) == 0)
                return m.id;
        throw ControlError::notSupported(name);
    }

    MemberInfo memberInfo(DispId id) const {
        for (const MemberInfo& m : members())
            if (m.id == id)
                return m;
        throw ControlError::notSupported(QString::number(id));
    }

    QVariant getByName(const QString& name) { return get(idOfName(name)); }
    // Puts by reference when the member is object-valued, as a late-bound caller would.
    void putByName(const QString& name, const QVariant& value) {
        const MemberInfo m = memberInfo(idOfName(name));
        if (m.byReference)
            putRef(m.id, value);
        else
            put(m.id, value);
    }
    QVariant invokeByName(const QString& name, QVariantList& args) { return invoke(idOfName(name), args); }
    QVariant invokeByName(const QString& name) {
        QVariantList none;
        return invoke(idOfName(name), none);
    }
};

} // namespace korv::host
