#include "bookfiles/backups.h"

#include "bookfiles/atomic_file.h"
#include "bookfiles/file_system.h"
#include "common/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korv::logbook::backups {

namespace {

constexpr int kNewestKept = 30;
constexpr int kRunsKept = 30;
const QString kInRunMark = QStringLiteral("-серия");

QMutex runsMutex;
QSet<QString> runsStarted; // logbooks a change of this process has landed in
constexpr int kMonthsKept = 24;

// What a change says when its backup could not be made.
Error notMade(const Error& cause) {
    return Error(cause.number(),
                 QStringLiteral("Резервная копия лётной книжки не сделана, ничего не изменено. ") + cause.description(),
                 cause.detail());
}

// Copies the bytes of one open file into another: a clone where the file system shares blocks, else a
// copy in the kernel, else through a buffer.
bool copyBytes(int in, int out) {
    if (::ioctl(out, FICLONE, in) == 0)
        return true;
    struct stat st {};
    if (::fstat(in, &st) != 0)
        return false;
    off_t left = st.st_size;
    while (left > 0) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t(left), 0);
        if (n <= 0)
            break;
        left -= n;
    }
    if (left == 0)
        return true;
    if (::lseek(in, 0, SEEK_SET) < 0 || ::ftruncate(out, 0) != 0 || ::lseek(out, 0, SEEK_SET) < 0)
        return false;
    char buf[1 << 16];
    for (;;) {
        const ssize_t n = ::read(in, buf, sizeof buf);
        if (n == 0)
            return true;
        if (n < 0)
            return false;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buf + done, size_t(n - done));
            if (w <= 0)
                return false;
            done += w;
        }
    }
}

QRegularExpression namePattern(const QString& base) {
    return QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(base) +
                              QStringLiteral("-(\\d{4}-\\d{2}-\\d{2}-\\d{6})(?:-(\\d+))?(") + kInRunMark +
                              QStringLiteral(")?\\.xls$"));
}

} // namespace

QString directoryOf(const QString& realBookPath) {
    return QFileInfo(realBookPath).absolutePath() + QStringLiteral("/Backups");
}

QString lastChangeNotePath(const QString& realBookPath) {
    return QDir(directoryOf(realBookPath)).filePath(QFileInfo(realBookPath).completeBaseName() + kLastChangeNoteSuffix);
}

void copyFile(const QString& from, const QString& to, ReplacePolicy policy) {
    AtomicReplacement target(to, policy);
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        throw files::fileError(errno, QStringLiteral("чтение"), from);
    const int out = ::open(QFile::encodeName(target.temporaryPath()).constData(), O_WRONLY | O_CLOEXEC);
    if (out < 0) {
        const int err = errno;
        ::close(in);
        throw files::fileError(err, QStringLiteral("запись"), to);
    }
    const bool copied = copyBytes(in, out);
    const int err = errno;
    const bool synced = copied && ::fsync(out) == 0;
    ::close(in);
    ::close(out);
    if (!copied || !synced)
        throw files::fileError(err ? err : EIO, QStringLiteral("запись"), to);
    target.commit();
}

Kind nextKind(const QString& realBookPath) {
    const QMutexLocker lock(&runsMutex);
    return runsStarted.contains(realBookPath) ? Kind::InRun : Kind::RunStart;
}

void changeLanded(const QString& realBookPath) {
    const QMutexLocker lock(&runsMutex);
    runsStarted.insert(realBookPath);
}

std::optional<Backup> newestBefore(const QList<Backup>& newestFirst, const QDateTime& moment) {
    for (const Backup& b : newestFirst)
        if (b.time < moment)
            return b;
    return std::nullopt;
}

QString keep(const QString& realBookPath, const QDateTime& moment, Kind kind) {
    const QFileInfo book(realBookPath);
    const QString dir = directoryOf(realBookPath);
    if (!QDir().mkpath(dir))
        throw notMade(files::fileError(errno ? errno : EACCES, QStringLiteral("создание каталога"), dir));
    const QString stem =
        dir + u'/' + book.completeBaseName() + u'-' + moment.toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    const QString ending = (kind == Kind::InRun ? kInRunMark : QString()) + QStringLiteral(".xls");
    // Two changes within one second keep two backups; a backup of either kind takes the second's first
    // free number, so that the numbers keep the order of the changes.
    const auto taken = [&](const QString& numbered) {
        return QFileInfo::exists(numbered + QStringLiteral(".xls")) ||
               QFileInfo::exists(numbered + kInRunMark + QStringLiteral(".xls"));
    };
    QString numbered = stem;
    for (int n = 2; taken(numbered); ++n)
        numbered = stem + u'-' + QString::number(n);
    const QString path = numbered + ending;
    try {
        copyFile(realBookPath, path);
    } catch (const Error& e) {
        throw notMade(e);
    }
    return path;
}

QList<Backup> list(const QString& realBookPath) {
    const QFileInfo book(realBookPath);
    const QRegularExpression pattern = namePattern(book.completeBaseName());
    QList<Backup> out;
    QHash<QString, int> serials;
    for (const QFileInfo& f : QDir(directoryOf(realBookPath)).entryInfoList(QDir::Files)) {
        const auto m = pattern.match(f.fileName());
        if (!m.hasMatch())
            continue;
        Backup b;
        b.path = f.absoluteFilePath();
        b.name = f.fileName();
        b.time = QDateTime::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd-HHmmss"));
        b.size = f.size();
        b.kind = m.captured(3).isEmpty() ? Kind::RunStart : Kind::InRun;
        serials.insert(b.name, m.captured(2).isEmpty() ? 1 : m.captured(2).toInt());
        if (b.time.isValid())
            out << b;
    }
    // Within one second, "-2" came after the plain name, "-3" after "-2".
    std::sort(out.begin(), out.end(), [&](const Backup& a, const Backup& b) {
        return a.time != b.time ? a.time > b.time : serials.value(a.name) > serials.value(b.name);
    });
    return out;
}

QList<Backup> expired(const QList<Backup>& newestFirst, const QDateTime& now) {
    QList<Backup> out;
    QSet<QString> monthsKept;
    const QDate horizon = now.date().addMonths(-kMonthsKept);
    int runs = 0;
    for (int i = 0; i < newestFirst.size(); ++i) {
        const Backup& b = newestFirst[i];
        const QString month = b.time.toString(QStringLiteral("yyyy-MM"));
        const bool ofNewestRuns = b.kind == Kind::RunStart && runs++ < kRunsKept;
        if (i < kNewestKept || ofNewestRuns) {
            monthsKept.insert(month);
            continue;
        }
        if (b.time.date() >= horizon && !monthsKept.contains(month)) {
            monthsKept.insert(month); // the newest of its month
            continue;
        }
        out << b;
    }
    return out;
}

int prune(const QString& realBookPath, const QDateTime& now) {
    int removed = 0;
    for (const Backup& b : expired(list(realBookPath), now))
        removed += QFile::remove(b.path) ? 1 : 0;
    return removed;
}

} // namespace korv::logbook::backups
