#include "bookfiles/file_system.h"

#include <QFile>
#include <QFileInfo>
#include <QString>

#include <cerrno>
#include <cstring>
#include <sys/statvfs.h>

namespace korv::logbook::files {

namespace {

// A save makes a temporary file and the office its lock file; a backup one more.
constexpr qint64 kInodesNeeded = 8;

QString sizeText(qint64 bytes) { return QString::number((bytes + 1023) / 1024) + QStringLiteral(" КБ"); }

Error accessError(const QString& text, const QString& detail = {}) { return Error(Error::FileAccess, text, detail); }

} // namespace

QString realPath(const QString& path) {
    QFileInfo info(path);
    // Bounded, so that a loop of links ends.
    for (int hops = 0; hops < 40 && info.isSymLink(); ++hops) {
        const QString target = info.symLinkTarget();
        if (target.isEmpty())
            break;
        info = QFileInfo(target);
    }
    return info.absoluteFilePath();
}

bool processRuns(qint64 pid) { return pid > 0 && QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)); }

Error fileError(int err, const QString& what, const QString& path) {
    const QString detail =
        what + QStringLiteral(" ") + path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(err));
    switch (err) {
    case EACCES:
    case EPERM:
        return accessError(QStringLiteral("Нет права доступа: ") + path, detail);
    case EROFS:
        return accessError(QStringLiteral("Диск доступен только для чтения: ") + path, detail);
    case ENOSPC:
    case EDQUOT: {
        // Both run out as ENOSPC: the file system says which.
        const QFileInfo f(path);
        const QString dir = f.isDir() ? f.absoluteFilePath() : f.absolutePath();
        const qint64 inodes = freeInodes(dir);
        if (inodes >= 0 && inodes < kInodesNeeded)
            return accessError(exhaustion(dir, 0), detail);
        return accessError(QStringLiteral("Недостаточно места на диске: ") + path, detail);
    }
    case ENOENT:
    case ENOTDIR:
        return Error(Error::FileNotFound, QStringLiteral("Не найден: ") + path, detail);
    default:
        return accessError(QStringLiteral("Ошибка файловой системы: ") + path, detail);
    }
}

qint64 freeSpace(const QString& dir) {
    struct statvfs st {};
    if (::statvfs(QFile::encodeName(dir).constData(), &st) != 0)
        return -1;
    return qint64(st.f_bavail) * qint64(st.f_frsize);
}

qint64 freeInodes(const QString& dir) {
    struct statvfs st {};
    if (::statvfs(QFile::encodeName(dir).constData(), &st) != 0 || st.f_files == 0)
        return -1;
    return qint64(st.f_favail);
}

QString exhaustion(const QString& dir, qint64 neededBytes) {
    const qint64 inodes = freeInodes(dir);
    if (inodes >= 0 && inodes < kInodesNeeded)
        return QStringLiteral("На диске не осталось места для новых файлов (исчерпаны индексные дескрипторы, "
                              "inodes): ") +
               dir + QStringLiteral(". Удалите ненужные файлы и повторите.");
    const qint64 free = freeSpace(dir);
    if (free >= 0 && free < neededBytes)
        return QStringLiteral("Недостаточно места на диске для сохранения лётной книжки: свободно ") + sizeText(free) +
               QStringLiteral(", нужно не меньше ") + sizeText(neededBytes) + QStringLiteral(" (") + dir + u')';
    return {};
}

} // namespace korv::logbook::files
