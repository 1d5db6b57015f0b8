#pragma once

// A control as its container holds it.

#include "controls/host/dispatch.h"
#include "controls/host/propertybag.h"
#include "controls/host/propertypage.h"
#include "controls/host/site.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace korv::host {

// A control as the container holds it: a widget with a dispatch interface and persistence. The
// widget is the control object itself; the container deletes the control by deleting widget(), or
// lets the widget's parent delete it.
class Control : public Dispatch {
public:
    virtual QWidget* widget() = 0;
    virtual QString progId() const = 0;

    // Exactly one of these runs before the control is first shown: initProperties when the control is
    // placed anew, readProperties when it is loaded from a saved form.
    virtual void initProperties() = 0;
    virtual void readProperties(const PropertyBag& bag) = 0;
    virtual void writeProperties(PropertyBag& bag) const = 0;

    // The container tells the control that one of its ambient properties changed.
    virtual void ambientPropertyChanged(const QString& name) { Q_UNUSED(name); }

    // Names of the property pages the container's property dialog shows, in order ("Font" is the
    // container's standard font page).
    virtual QStringList propertyPageNames() const { return {}; }

    // Creates one of the control's own pages as a child of parent, which then owns its widget; nullptr
    // for a name the control does not implement (the container's standard pages among them).
    virtual PropertyPage* createPropertyPage(const QString& name, QWidget* parent) {
        Q_UNUSED(name);
        Q_UNUSED(parent);
        return nullptr;
    }
};

} // namespace korv::host
