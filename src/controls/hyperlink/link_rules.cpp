#include "controls/hyperlink/link_rules.h"

#include <QDir>
#include <QFileInfo>

namespace drovanetta {

QUrl shellUrl(const QString& link, const QString& workingDirectory) {
    const QString target = link.trimmed();
    if (target.isEmpty())
        return {};
    if (QDir::isAbsolutePath(target))
        return QUrl::fromLocalFile(QDir::cleanPath(target));
    const QUrl asUrl(target, QUrl::TolerantMode);
    if (asUrl.isValid() && !asUrl.isRelative())
        return asUrl;
    const QFileInfo file(QDir(workingDirectory), target);
    if (file.exists())
        return QUrl::fromLocalFile(file.absoluteFilePath());
    return QUrl::fromUserInput(target);
}

} // namespace drovanetta
