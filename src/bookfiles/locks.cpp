#include "bookfiles/locks.h"

#include "common/error.h"
#include "common/stop_request.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTime>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace korv::logbook {

namespace {

QString readHolder(int fd) {
    char buf[256] = {};
    const ssize_t n = ::pread(fd, buf, sizeof buf - 1, 0);
    return n > 0 ? QString::fromUtf8(buf, int(n)).trimmed() : QString();
}

void writeHolder(int fd) {
    const QString program =
        QCoreApplication::instance() ? QCoreApplication::applicationName() : QStringLiteral("Korvelanta");
    const QByteArray text = QStringLiteral("pid %1, %2, с %3\n")
                                .arg(::getpid())
                                .arg(program, QTime::currentTime().toString(QStringLiteral("HH:mm:ss")))
                                .toUtf8();
    if (::ftruncate(fd, 0) == 0)
        (void)!::pwrite(fd, text.constData(), size_t(text.size()), 0);
}

} // namespace

ExclusiveLock::ExclusiveLock(const QString& file, int waitMs, const QString& busyText, const Waiting& waiting) {
    QDir().mkpath(QFileInfo(file).absolutePath());
    fd_ = ::open(QFile::encodeName(file).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0)
        throw Error(Error::FileAccess, QStringLiteral("Не удалось создать файл блокировки ") + file,
                    QString::fromLocal8Bit(std::strerror(errno)));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    bool told = false;
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            const int err = errno;
            ::close(fd_);
            throw Error(Error::FileAccess, QStringLiteral("Не удалось заблокировать ") + file,
                        QString::fromLocal8Bit(std::strerror(err)));
        }
        const QString holder = readHolder(fd_);
        if (!told && waiting) {
            waiting(holder);
            told = true;
        }
        // A stop asked for while waiting ends the wait: nothing has been done yet.
        if (const int signal = stopRequested()) {
            ::close(fd_);
            throw Error(
                Error::Stopped,
                QStringLiteral("Остановлено (%1) во время ожидания: ").arg(QLatin1String(stopSignalName(signal))) +
                    (holder.isEmpty() ? busyText : busyText + QStringLiteral(" (") + holder + u')'));
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd_);
            throw Error(Error::LogbookBusy,
                        holder.isEmpty() ? busyText : busyText + QStringLiteral(" (") + holder + u')');
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    writeHolder(fd_);
}

ExclusiveLock::~ExclusiveLock() {
    if (fd_ >= 0) {
        (void)!::ftruncate(fd_, 0);
        ::close(fd_); // drops the lock
    }
}

QString runtimeDirectory() {
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString dir = !xdg.isEmpty() && QFileInfo(xdg).isDir() ? xdg + QStringLiteral("/korvelanta")
                                                                 : QStringLiteral("/tmp/korvelanta-%1").arg(::getuid());
    QDir().mkpath(dir);
    // A directory in /tmp that another user made first is not trusted with this user's locks.
    struct stat st {};
    if (::lstat(QFile::encodeName(dir).constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid()) {
        ::chmod(QFile::encodeName(dir).constData(), 0700);
        return dir;
    }
    const QString own = QDir::homePath() + QStringLiteral("/.cache/korvelanta/run");
    QDir().mkpath(own);
    return own;
}

QString logbookLockFile(const QString& realPath) {
    const QByteArray key =
        QCryptographicHash::hash(QFile::encodeName(realPath), QCryptographicHash::Sha1).toHex().left(20);
    return runtimeDirectory() + QStringLiteral("/locks/") + QString::fromLatin1(key) + QStringLiteral(".lock");
}

} // namespace korv::logbook
