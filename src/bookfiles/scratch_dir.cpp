#include "bookfiles/scratch_dir.h"

#include "bookfiles/file_system.h"
#include "common/log.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>
#include <unistd.h>

namespace korv::logbook::files {

namespace {

const QString kPrefix = QStringLiteral("korvelanta-");

} // namespace

ScratchDir::ScratchDir()
    : QTemporaryDir(QDir::tempPath() + u'/' + kPrefix + QString::number(::getpid()) + QStringLiteral("-XXXXXX")) {}

QStringList removeDeadScratchDirs() {
    static const QRegularExpression name(u'^' + kPrefix + QStringLiteral("(\\d+)-[A-Za-z0-9]{6}$"));
    const QDir temp(QDir::tempPath());
    QStringList removed;
    for (const QString& entry : temp.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QRegularExpressionMatch m = name.match(entry);
        if (!m.hasMatch())
            continue;
        const QString path = temp.filePath(entry);
        // Only this user's, and only a real folder (never a link into something else).
        struct stat st {};
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
            continue;
        // A pid in use again by another process keeps the folder until a later start: never one in use.
        if (files::processRuns(m.captured(1).toLongLong()))
            continue;
        if (QDir(path).removeRecursively()) {
            log::write(QStringLiteral("removed the scratch folder of a run that ended without it: ") + entry);
            removed << entry;
        }
    }
    return removed;
}

} // namespace korv::logbook::files
