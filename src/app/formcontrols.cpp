#include "app/formcontrols.h"

#include "controls/host/controlerror.h"
#include "controls/host/createcontrol.h"
#include "controls/host/olecolor.h"
#include "controls/host/registry.h"

#include <QDir>
#include <QFileInfo>

namespace korv::app {

std::optional<QFont> FormSite::ambientFont() const {
    if (form_.isNull())
        return std::nullopt;
    return form_->font();
}

std::optional<host::OleColor> FormSite::ambientBackColor() const {
    if (form_.isNull())
        return std::nullopt;
    return host::oleFromQColor(form_->palette().color(form_->backgroundRole()));
}

namespace {

bool registeredAndPresent(const QString& progId) {
    const host::Registry registry;
    const QString classId = registry.classIdOf(progId);
    return !classId.isEmpty() && QFileInfo::exists(registry.libraryOf(classId));
}

} // namespace

host::Control* placeControl(const QString& progId, host::ControlSite* site, QWidget* parent, const QString& programDir,
                            const host::PropertyBag* saved, QString* error) {
    if (!registeredAndPresent(progId)) {
        for (const QString& lib : kControlLibraries) {
            const QString path = QDir(programDir).filePath(lib);
            if (QFileInfo::exists(path))
                host::RegisterLibrary(path);
        }
    }
    try {
        host::Control* control = host::CreateControl(progId, site, parent);
        if (saved != nullptr)
            control->readProperties(*saved);
        else
            control->initProperties();
        return control;
    } catch (const host::ControlError& e) {
        if (error != nullptr)
            *error = QString::number(e.number()) + QStringLiteral(": ") + e.description();
        return nullptr;
    }
}

} // namespace korv::app
