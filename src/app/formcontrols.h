#pragma once

// A form's side of the controls it holds: the control site and placing controls by ProgID.

#include "controls/host/control.h"
#include "controls/host/propertybag.h"
#include "controls/host/site.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace korv::app {

// The container side of a form for the controls it holds: the form's font and background colour as
// ambient properties. The forms handle no control events.
class FormSite : public host::ControlSite {
public:
    explicit FormSite(QWidget* form) : form_(form) {}

    std::optional<QFont> ambientFont() const override;
    std::optional<host::OleColor> ambientBackColor() const override;
    void propertyChanged(const QString&) override {}
    void fireEvent(host::DispId, const QString&, QVariantList&) override {}

private:
    QPointer<QWidget> form_;
};

// The control libraries that come with the program.
inline const QStringList kControlLibraries = {QStringLiteral("libtarvix_p15.so"), QStringLiteral("libDrovanetta.so")};

// Places a registered control on a form by its ProgID, as a form loads the controls it was designed
// with. A ProgID the registry does not know, whose library has gone (a new user account, a moved
// build) or lies elsewhere than the program's own (`libraryDir`, see common/program_files.h) is
// registered from the program's own libraries first, so that an installed program needs no step of the
// user and uses the libraries it came with.
// The control then reads the form's saved properties, or starts from its defaults without them.
// Gives nullptr, with the reason in *error, when the control cannot be had; the form then does without.
host::Control* placeControl(const QString& progId, host::ControlSite* site, QWidget* parent, const QString& libraryDir,
                            const host::PropertyBag* saved = nullptr, QString* error = nullptr);

} // namespace korv::app
