#include "app/sysinfo.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace korv::app::sysinfo {

bool GetKeyValue(const host::Registry& registry, const QString& keyName, const QString& subKeyRef, QString& keyVal) {
    keyVal = registry.value(keyName, subKeyRef);
    // The registry keeps strings only; a trailing NUL of a value written by another tool is dropped.
    if (keyVal.endsWith(QChar(0)))
        keyVal.chop(1);
    return !keyVal.isEmpty();
}

QString toolPath(const host::Registry& registry) {
    QString value;
    if (GetKeyValue(registry, kToolKey, kToolValue, value))
        return value;
    if (GetKeyValue(registry, kToolDirKey, kToolDirValue, value)) {
        const QString path = QDir(value).filePath(kToolFile);
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

QString registerDesktopTool(host::Registry& registry) {
    QString existing;
    if (GetKeyValue(registry, kToolKey, kToolValue, existing))
        return existing;
    for (const QString& name : kDesktopTools) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty()) {
            registry.setValue(kToolKey, kToolValue, path);
            return path;
        }
    }
    return {};
}

} // namespace korv::app::sysinfo
