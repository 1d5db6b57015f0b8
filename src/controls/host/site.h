#pragma once

// What a control may ask of the container that holds it.

#include "controls/host/dispatch.h"
#include "controls/host/olecolor.h"

#include <QFont>
#include <QString>
#include <QVariant>

#include <optional>

namespace korv::host {

// What a control may ask of the container that holds it. A control may also live without a site (a
// site pointer of nullptr); it then has no ambient properties and its notices and events go nowhere.
class ControlSite {
public:
    virtual ~ControlSite() = default;

    // Ambient properties; a container may offer none.
    virtual std::optional<QFont> ambientFont() const = 0;
    virtual std::optional<OleColor> ambientBackColor() const = 0;
    // Background colour of the form the control sits on; by default the same as the ambient one.
    virtual std::optional<OleColor> parentBackColor() const { return ambientBackColor(); }

    // A property put changed the control's state; the container marks its form as modified.
    virtual void propertyChanged(const QString& name) = 0;

    // An event of the control's event interface. Arguments passed by reference come back changed.
    virtual void fireEvent(DispId id, const QString& name, QVariantList& args) = 0;
};

} // namespace korv::host
