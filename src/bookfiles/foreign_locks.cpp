#include "bookfiles/foreign_locks.h"

#include "bookfiles/book_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QUrl>

#include <pwd.h>
#include <sys/stat.h>

namespace korv::logbook {

QString OfficeLockFile::holderText() const {
    QStringList parts;
    if (!user.isEmpty())
        parts << QStringLiteral("пользователь ") + user;
    if (!host.isEmpty())
        parts << QStringLiteral("компьютер ") + host;
    if (!time.isEmpty())
        parts << QStringLiteral("с ") + time;
    return parts.join(QStringLiteral(", "));
}

namespace {

// How long an office may take to fill in a lock file it is making.
constexpr qint64 kUnnamedLockMomentMs = 2000;

// ",Full Name,user,host,07.12.2026 15:12,file:///home/user/.config/libreoffice/4;"
std::optional<OfficeLockFile> readLibreOfficeLock(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    QString text = QString::fromUtf8(f.read(4096)).trimmed();
    if (text.endsWith(u';'))
        text.chop(1);
    const QStringList fields = text.split(u',');
    OfficeLockFile lock;
    lock.path = path;
    lock.kind = OfficeLockFile::Kind::LibreOffice;
    if (fields.size() >= 5) {
        lock.user = fields[0].isEmpty() ? fields[1] : fields[0] + QStringLiteral(" (") + fields[1] + u')';
        lock.host = fields[2];
        lock.time = fields[3];
        lock.profileUrl = fields.mid(4).join(u',');
    }
    lock.unnamed = lock.host.isEmpty() && lock.profileUrl.isEmpty();
    return lock;
}

// The owner file: a length byte and the user's name in 8 bits, then at 54 a 16-bit length and the name in
// UTF-16.
std::optional<OfficeLockFile> readMsOfficeLock(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray b = f.read(512);
    OfficeLockFile lock;
    lock.path = path;
    lock.kind = OfficeLockFile::Kind::MsOffice;
    if (b.size() >= 56) {
        const int n = quint8(b[54]) | (quint8(b[55]) << 8);
        if (n > 0 && 56 + 2 * n <= b.size())
            lock.user = QString::fromUtf16(reinterpret_cast<const char16_t*>(b.constData() + 56), n);
    }
    if (lock.user.isEmpty() && !b.isEmpty()) {
        const int n = quint8(b[0]);
        lock.user = QString::fromLatin1(b.mid(1, n)).trimmed();
    }
    lock.time = QFileInfo(path).lastModified().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    return lock;
}

QString localPathOf(const QString& url) {
    const QUrl u = QUrl::fromEncoded(url.toUtf8());
    return QDir::cleanPath(u.isLocalFile() ? u.toLocalFile() : url);
}

QByteArrayList argsOf(const QString& pid) {
    QFile f(QStringLiteral("/proc/") + pid + QStringLiteral("/cmdline"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll().split('\0');
}

} // namespace

QList<OfficeLockFile> officeLockFiles(const QString& realPath) {
    const QFileInfo book(realPath);
    QList<OfficeLockFile> out;
    const QString lo = book.absolutePath() + QStringLiteral("/.~lock.") + book.fileName() + u'#';
    if (QFileInfo::exists(lo))
        if (auto l = readLibreOfficeLock(lo))
            out << *l;
    const QString ms = book.absolutePath() + QStringLiteral("/~$") + book.fileName();
    if (QFileInfo::exists(ms))
        if (auto l = readMsOfficeLock(ms))
            out << *l;
    return out;
}

bool sameProfile(const QString& urlA, const QString& urlB) {
    return !urlA.isEmpty() && !urlB.isEmpty() && localPathOf(urlA) == localPathOf(urlB);
}

namespace {

struct RunningOffice {
    QString profileUrl;
    bool programs = false; // started by this program (another user's or another cache's run of it)
};

QList<RunningOffice> runningOffices() {
    QList<RunningOffice> offices;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!pid.front().isDigit())
            continue;
        const QByteArrayList args = argsOf(pid);
        if (args.isEmpty() || !args.front().endsWith("soffice.bin"))
            continue;
        RunningOffice office;
        for (const QByteArray& a : args) {
            if (a.startsWith("-env:UserInstallation="))
                office.profileUrl = QString::fromUtf8(a.mid(int(qstrlen("-env:UserInstallation="))));
            office.programs = office.programs || a.startsWith("--accept=pipe,name=korvelanta-");
        }
        if (office.profileUrl.isEmpty()) {
            // The default profile of the office's user.
            struct stat st {};
            if (::stat(QFile::encodeName(QStringLiteral("/proc/") + pid).constData(), &st) != 0)
                continue;
            const passwd* pw = ::getpwuid(st.st_uid);
            if (!pw)
                continue;
            office.profileUrl =
                QUrl::fromLocalFile(QString::fromLocal8Bit(pw->pw_dir) + QStringLiteral("/.config/libreoffice/4"))
                    .toString(QUrl::FullyEncoded);
        }
        offices << office;
    }
    return offices;
}

} // namespace

QStringList runningOfficeProfiles() {
    QStringList profiles;
    for (const RunningOffice& o : runningOffices())
        profiles << o.profileUrl;
    return profiles;
}

bool heldByProgramOffice(const OfficeLockFile& lock) {
    if (lock.kind != OfficeLockFile::Kind::LibreOffice || lock.profileUrl.isEmpty())
        return false;
    for (const RunningOffice& o : runningOffices())
        if (o.programs && sameProfile(o.profileUrl, lock.profileUrl))
            return true;
    return false;
}

LockVerdict judgeForeignLock(const OfficeLockFile& lock) {
    if (lock.kind == OfficeLockFile::Kind::LibreOffice && lock.unnamed) {
        const qint64 age = QFileInfo(lock.path).lastModified().msecsTo(QDateTime::currentDateTime());
        return age > kUnnamedLockMomentMs && !files::heldOpen(lock.path) ? LockVerdict::Stale : LockVerdict::Unknown;
    }
    if (lock.kind != OfficeLockFile::Kind::LibreOffice || lock.profileUrl.isEmpty())
        return LockVerdict::Unknown;
    if (lock.host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) != 0)
        return LockVerdict::Unknown;
    for (const QString& running : runningOfficeProfiles())
        if (sameProfile(running, lock.profileUrl))
            return LockVerdict::Live;
    return LockVerdict::Stale;
}

} // namespace korv::logbook
