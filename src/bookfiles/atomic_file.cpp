#include "bookfiles/atomic_file.h"

#include "bookfiles/file_system.h"
#include "common/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korv::logbook {

namespace {

Error saveError(const QString& text) { return Error(Error::FileAccess, text); }

void syncFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// rename() that never replaces: renameat2(RENAME_NOREPLACE), or link()+unlink() where the file
// system lacks it. Either way an existing target is left alone.
int renameNoReplace(const QByteArray& from, const QByteArray& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
#endif
    if (::link(from.constData(), to.constData()) != 0)
        return -1;
    ::unlink(from.constData());
    return 0;
}

} // namespace

AtomicReplacement::AtomicReplacement(const QString& target, ReplacePolicy policy) : policy_(policy) {
    // A link stays a link: its target is replaced, in the target's own directory.
    const QFileInfo info(files::realPath(target));
    targetPath_ = info.absoluteFilePath();
    dir_ = info.absolutePath();
    if (!QFileInfo(dir_).isDir())
        throw Error(Error::FileNotFound, QStringLiteral("Каталог не найден: ") + dir_);
    if (policy_ == ReplacePolicy::NeverReplace && (info.exists() || QFileInfo(target).isSymLink()))
        throw saveError(QStringLiteral("Файл уже существует и не будет заменён: ") + targetPath_);
    removeDeadTemporaries(dir_);
    // Named by the process: what a killed one left is told from what a live one writes.
    QByteArray name = QFile::encodeName(dir_ + QStringLiteral("/.") + info.fileName() +
                                        QStringLiteral(".%1.XXXXXX.tmp").arg(::getpid()));
    const int fd = ::mkostemps(name.data(), 4, O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (err == EACCES || err == EPERM)
            throw Error(Error::FileAccess, QStringLiteral("Нет права записи в каталог ") + dir_,
                        QString::fromLocal8Bit(std::strerror(err)));
        throw files::fileError(err, QStringLiteral("создание временного файла в каталоге"), dir_);
    }
    ::close(fd);
    tmpPath_ = QFile::decodeName(name);
}

QString temporaryNamePattern(const QString& targetName) {
    // Earlier versions named no process.
    return QStringLiteral("\\.") + targetName + QStringLiteral("\\.(?:[0-9]+\\.)?[A-Za-z0-9]{6}\\.tmp");
}

QStringList removeDeadTemporaries(const QString& dir) {
    static const QRegularExpression named(
        QStringLiteral("^(?:\\.~lock\\.)?\\..+\\.([0-9]+)\\.[A-Za-z0-9]{6}\\.tmp#?$"));
    QStringList removed;
    QDir d(dir);
    for (const QString& entry : d.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QRegularExpressionMatch m = named.match(entry);
        if (!m.hasMatch())
            continue;
        if (!files::processRuns(m.captured(1).toLongLong()) && d.remove(entry))
            removed << entry;
    }
    return removed;
}

AtomicReplacement::~AtomicReplacement() {
    if (!committed_ && !tmpPath_.isEmpty()) {
        QFile::remove(tmpPath_);
        // An office ended at its deadline while it wrote into the temporary file leaves its lock file too.
        const QFileInfo tmp(tmpPath_);
        QFile::remove(tmp.absolutePath() + QStringLiteral("/.~lock.") + tmp.fileName() + u'#');
    }
}

void AtomicReplacement::commit() {
    const QByteArray from = QFile::encodeName(tmpPath_), to = QFile::encodeName(targetPath_);
    struct stat written {};
    if (::stat(from.constData(), &written) != 0 || written.st_size == 0)
        throw saveError(QStringLiteral("Записан пустой файл; книга не сохранена в ") + targetPath_);
    // The temporary file was made private (0600); the target gets the permissions of the file it
    // replaces, or the usual ones for a new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat old {};
    const mode_t mode = ::stat(to.constData(), &old) == 0 ? (old.st_mode & 07777) : (0666 & ~mask);
    ::chmod(from.constData(), mode);
    syncFile(tmpPath_);
    const int rc = policy_ == ReplacePolicy::NeverReplace ? renameNoReplace(from, to) : ::rename(from, to);
    if (rc != 0) {
        const int err = errno;
        if (err == EEXIST)
            throw saveError(QStringLiteral("Файл уже существует и не будет заменён: ") + targetPath_);
        throw files::fileError(err, QStringLiteral("замена файла"), targetPath_);
    }
    committed_ = true;
    syncFile(dir_);
}

} // namespace korv::logbook
