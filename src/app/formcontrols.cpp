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

// Registered to a library that exists, and to the program's own when the program has one.
bool registeredAsOwn(const QString& progId, const QString& libraryDir) {
    const host::Registry registry;
    const QString classId = registry.classIdOf(progId);
    if (classId.isEmpty())
        return false;
    const QFileInfo registered(registry.libraryOf(classId));
    if (!registered.exists())
        return false;
    const QFileInfo own(QDir(libraryDir).filePath(registered.fileName()));
    return !own.exists() || own.canonicalFilePath() == registered.canonicalFilePath();
}

} // namespace

host::Control* placeControl(const QString& progId, host::ControlSite* site, QWidget* parent, const QString& libraryDir,
                            const host::PropertyBag* saved, QString* error) {
    if (!registeredAsOwn(progId, libraryDir)) {
        for (const QString& lib : kControlLibraries) {
            const QString path = QDir(libraryDir).filePath(lib);
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
