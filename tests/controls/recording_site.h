#pragma once

// A control site for tests that records what the control tells it.

#include "controls/host/site.h"

#include <QApplication>
#include <QStringList>

#include <functional>

// A container stand-in that records what the control tells it.
class RecordingSite : public korv::host::ControlSite {
public:
    std::optional<QFont> font = QApplication::font();
    std::optional<korv::host::OleColor> back = 0x8000000Fu;
    std::optional<korv::host::OleColor> parentBack;
    QStringList notices;
    struct Event {
        korv::host::DispId id;
        QString name;
        QVariantList args;
    };
    QList<Event> events;
    std::function<void(QVariantList&)> onEvent;

    std::optional<QFont> ambientFont() const override { return font; }
    std::optional<korv::host::OleColor> ambientBackColor() const override { return back; }
    std::optional<korv::host::OleColor> parentBackColor() const override { return parentBack ? parentBack : back; }
    void propertyChanged(const QString& name) override { notices << name; }
    void fireEvent(korv::host::DispId id, const QString& name, QVariantList& args) override {
        events.append({id, name, args});
        if (onEvent)
            onEvent(args);
    }
};
