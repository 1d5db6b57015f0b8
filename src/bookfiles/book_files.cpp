#include "bookfiles/book_files.h"

#include "bookfiles/atomic_file.h"
#include "bookfiles/backups.h"
#include "bookfiles/file_system.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korv::logbook::files {

namespace {

// Room a change needs beside the file it replaces: the backup, the new copy and LibreOffice's own
// temporary files.
qint64 roomFor(qint64 fileSize) { return 2 * fileSize + std::max<qint64>(fileSize / 4, 1024 * 1024); }

Error accessError(const QString& text, const QString& detail = {}) { return Error(Error::FileAccess, text, detail); }

} // namespace

void requireWritableDirectory(const QString& dir) {
    const QFileInfo d(dir);
    if (!d.exists())
        throw Error(Error::FileNotFound, QStringLiteral("Каталог лётной книжки не найден: ") + dir);
    if (!d.isDir())
        throw accessError(QStringLiteral("Путь к лётной книжке не является каталогом: ") + dir);
    // Only a real file tells whether the directory takes one: permission bits say nothing for root, a
    // read-only mount or a full disk.
    QByteArray probe = QFile::encodeName(d.absoluteFilePath() + QStringLiteral("/.korvelanta-probe-XXXXXX"));
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) {
        const int err = errno;
        const QString detail = QString::fromLocal8Bit(std::strerror(err));
        if (err == EROFS)
            throw accessError(QStringLiteral("Каталог ") + d.absoluteFilePath() +
                                  QStringLiteral(" находится на диске, доступном только для чтения"),
                              detail);
        if (err == ENOSPC || err == EDQUOT)
            throw fileError(err, QStringLiteral("создание файла в каталоге"), d.absoluteFilePath());
        // Permissions, or a file system that takes no files at all (/proc).
        throw accessError(QStringLiteral("Нет права записи в каталог ") + d.absoluteFilePath() +
                              QStringLiteral(": лётная книжка не может быть сохранена"),
                          detail);
    }
    ::close(fd);
    ::unlink(probe.constData());
}

void requireNotReadOnly(const QString& real) {
    // A file nobody may write is read-only to the program too, even when the file system would let root
    // replace it: the pilot marked it so.
    const QByteArray name = QFile::encodeName(real);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return; // no file: nothing marked
    if ((st.st_mode & 0222) == 0 || ::access(name.constData(), W_OK) != 0)
        throw accessError(QStringLiteral("Лётная книжка доступна только для чтения: ") + real +
                          QStringLiteral(". Снимите с файла запрет записи и повторите."));
}

void requireChangeable(const QString& real) {
    const QFileInfo f(real);
    if (!f.exists()) {
        if (!f.absoluteDir().exists())
            throw Error(Error::FileNotFound, QStringLiteral("Каталог лётной книжки не найден: ") + f.absolutePath());
        throw Error(Error::FileNotFound, QStringLiteral("Лётная книжка не найдена: ") + real);
    }
    if (!f.isFile())
        throw Error(Error::BadWorkbook, QStringLiteral("Лётная книжка не является файлом: ") + real);
    const QByteArray name = QFile::encodeName(real);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (err == EACCES || err == EPERM)
            throw accessError(QStringLiteral("Нет права чтения лётной книжки: ") + real,
                              QString::fromLocal8Bit(std::strerror(err)));
        throw fileError(err, QStringLiteral("открытие"), real);
    }
    char magic[8] = {};
    const ssize_t got = ::read(fd, magic, sizeof magic);
    ::close(fd);
    requireNotReadOnly(real);
    if (got == 0)
        throw Error(Error::BadWorkbook, QStringLiteral("Файл лётной книжки пуст: ") + real);
    static const char kOle2[8] = {'\xD0', '\xCF', '\x11', '\xE0', '\xA1', '\xB1', '\x1A', '\xE1'};
    const bool ole2 = got == 8 && std::memcmp(magic, kOle2, 8) == 0;       // .xls
    const bool zip = got >= 4 && std::memcmp(magic, "PK\x03\x04", 4) == 0; // .xlsx, .ods
    if (!ole2 && !zip)
        throw Error(Error::BadWorkbook, QStringLiteral("Файл не является книгой электронной таблицы: ") + real);
    requireWritableDirectory(f.absolutePath());
    if (const QString why = exhaustion(f.absolutePath(), roomFor(f.size())); !why.isEmpty())
        throw accessError(why);
}

bool heldOpen(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!pid.front().isDigit())
            continue;
        const QDir fds(QStringLiteral("/proc/") + pid + QStringLiteral("/fd"));
        for (const QFileInfo& fd : fds.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
            if (fd.symLinkTarget() == canonical)
                return true;
    }
    return false;
}

QStringList removeLeftovers(const QString& real) {
    const QFileInfo f(real);
    QDir dir = f.absoluteDir();
    const QString name = QRegularExpression::escape(f.fileName());
    // The program's own temporary files and probes, and the lock files an office killed while it stored
    // one of them left: no live operation owns any while the logbook's lock is held.
    const QString temporary = temporaryNamePattern(name);
    const QRegularExpression ours(u'^' + temporary + QStringLiteral("$|^\\.korvelanta-probe-[A-Za-z0-9]{6}$|") +
                                  QStringLiteral("^\\.~lock\\.") + temporary + QStringLiteral("#$"));
    // LibreOffice's own temporary files of a save: only when no process holds them open any more.
    const QRegularExpression office(QStringLiteral("^lu[0-9A-Za-z_]+\\.tmp$"));
    QStringList removed;
    for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const bool leftover =
            ours.match(entry).hasMatch() || (office.match(entry).hasMatch() && !heldOpen(dir.filePath(entry)));
        if (leftover && dir.remove(entry))
            removed << entry;
    }
    // A backup copied half-way, or the note of the last change written half-way, when its change was killed.
    const QDir backupDir(dir.filePath(QStringLiteral("Backups")));
    const QRegularExpression halfCopied(
        u'^' +
        temporaryNamePattern(QRegularExpression::escape(f.completeBaseName()) + QStringLiteral("(-.*\\.xls|") +
                             QRegularExpression::escape(backups::kLastChangeNoteSuffix) + u')') +
        u'$');
    for (const QString& entry : backupDir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (halfCopied.match(entry).hasMatch() && QFile::remove(backupDir.filePath(entry)))
            removed << QStringLiteral("Backups/") + entry;
    return removed;
}

} // namespace korv::logbook::files
