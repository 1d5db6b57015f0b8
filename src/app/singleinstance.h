#pragma once

// One running copy of the program per user.

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace korv::app {

// One running copy per user. The lock is an flock on a file in the user's runtime directory: the
// kernel drops it when the process ends in any way, so a crashed copy never leaves it stuck, and a
// lock file left behind is simply locked again by the next start.
class SingleInstance {
public:
    SingleInstance() = default;
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // $XDG_RUNTIME_DIR/korvelanta.lock (Qt's runtime location; /tmp/runtime-<user> without one).
    static QString defaultLockPath();

    // True when this process now holds the lock; false when another process holds it or the file
    // cannot be opened. A second call on an instance that holds the lock returns true.
    bool acquire(const QString& path = defaultLockPath());
    bool held() const { return fd_ >= 0; }
    void release();

private:
    int fd_ = -1;
};

// The running copy's door: a later start knocks on it and ends, and the running copy comes to the front.
// A local socket beside the lock file; only the holder of the lock opens it, so a socket file left by a
// crashed copy is removed and opened again.
class FrontDoor : public QObject {
    Q_OBJECT
public:
    // $XDG_RUNTIME_DIR/korvelanta.front, beside the lock.
    static QString defaultPath();

    // Opens the door (call while holding the lock); false when the socket cannot be made.
    bool open(const QString& path = defaultPath());
    // Knocks on the running copy's door: true when it heard.
    static bool knock(const QString& path = defaultPath(), int timeoutMs = 2000);

Q_SIGNALS:
    void knocked();

private:
    QLocalServer server_;
};

} // namespace korv::app
