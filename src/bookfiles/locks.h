#pragma once

// Advisory locks of the program's own processes: one per logbook, keyed by the logbook's real path, so
// that only one operation changes a logbook at a time; one per office, so that one office serves one
// operation at a time. The kernel drops a lock when its process ends in any way, so a killed program
// never leaves one stuck. No office needed.

#include <QString>

#include <functional>
#include <memory>

namespace korv::logbook {

class ExclusiveLock {
public:
    // Called once when the lock is taken by someone else and the caller starts to wait; `holder` is
    // what the holder wrote into the lock file ("pid 4711, korvelanta-cli, с 15:03:11"), or empty.
    using Waiting = std::function<void(const QString& holder)>;

    // Takes the lock on `file` (created when missing), waiting up to waitMs. Throws Error::LogbookBusy
    // with `busyText` and the holder when the wait ends first, Error::Stopped when a stop is requested
    // while it waits; Error::FileAccess when the lock file cannot be made.
    ExclusiveLock(const QString& file, int waitMs, const QString& busyText, const Waiting& waiting = {});
    ~ExclusiveLock();
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    int fd_ = -1;
};

// Where the program's processes of this user meet: $XDG_RUNTIME_DIR/korvelanta, else
// /tmp/korvelanta-<uid> (private to the user).
QString runtimeDirectory();

// The lock file of the logbook at `realPath`.
QString logbookLockFile(const QString& realPath);

} // namespace korv::logbook
