#include "bookfiles/output_target.h"

#include "bookfiles/backups.h"

#include <QFile>
#include <QFileInfo>

namespace korv::logbook::files {

namespace {

// The path a name will have on disk: links followed, for a file that does not exist yet through its folder.
QString resolved(const QString& path) {
    const QFileInfo f(path);
    if (f.exists())
        return f.canonicalFilePath();
    const QString dir = QFileInfo(f.absolutePath()).canonicalFilePath();
    return dir.isEmpty() ? f.absoluteFilePath() : dir + u'/' + f.fileName();
}

QByteArray headOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.read(4096) : QByteArray();
}

} // namespace

QString outputTargetRefusal(const QString& path, const QString& bookPath, const OutputKind& kind) {
    const QFileInfo target(path);
    const QString shown = target.absoluteFilePath();
    if (target.isDir())
        return QStringLiteral("«%1» — каталог; укажите имя файла %2.").arg(shown, kind.name);
    const QString where = resolved(path);
    if (where == resolved(bookPath))
        return QStringLiteral("«%1» — это сама лётная книжка; %2 пишется в другой файл.").arg(shown, kind.what);
    const QString backups = resolved(backups::directoryOf(QFileInfo(bookPath).absoluteFilePath()));
    if (QFileInfo(where).absolutePath() == backups)
        return QStringLiteral("«%1» лежит среди резервных копий лётной книжки; %2 пишется в другое место.")
            .arg(shown, kind.what);
    if (target.exists() && (!target.isFile() || !kind.isOfKind(headOf(path))))
        return QStringLiteral("Файл «%1» уже есть и это не %2: он не будет заменён.").arg(shown, kind.name);
    return {};
}

} // namespace korv::logbook::files
