#pragma once

// The lock files other programs keep beside a document they have open, and whether such a lock is still
// held: LibreOffice's ".~lock.<name>#" and Microsoft Office's "~$<name>". No office needed.

#include <QDateTime>
#include <QList>
#include <QString>

namespace korv::logbook {

struct OfficeLockFile {
    enum class Kind { LibreOffice, MsOffice };
    QString path; // the lock file
    Kind kind = Kind::LibreOffice;
    QString user;       // who holds the document, as the lock names them
    QString host;       // the machine, when the lock names it
    QString time;       // since when, as the lock writes it (or the file's time)
    QString profileUrl; // LibreOffice: the user profile of the office holding the document
    // LibreOffice: the file names nobody, as an office killed while it made the file leaves it.
    bool unnamed = false;

    // "пользователь root, компьютер vm, с 07.12.2026 15:12"
    QString holderText() const;
};

// The lock files beside the document at `realPath`.
QList<OfficeLockFile> officeLockFiles(const QString& realPath);

enum class LockVerdict {
    Stale,  // provably left behind: no program holds the document by it
    Live,   // a running program on this machine holds it
    Unknown // another machine's lock, or a kind that cannot be checked from here
};

// Judges a lock of another program (the program's own office is judged by the caller, which can ask
// it): a LibreOffice lock of this machine is live while an office with the lock's profile runs. One that
// names nobody is left behind once no process holds it open and it is more than a moment old: an office
// fills it in as it makes it.
LockVerdict judgeForeignLock(const OfficeLockFile& lock);

// Whether the office holding a live LibreOffice lock is one this program started (for another user, or
// another run with a cache of its own): it holds a logbook for one operation, or is being ended by its
// guard after its program died, and so lets it go within seconds.
bool heldByProgramOffice(const OfficeLockFile& lock);

// The user profile URL of every LibreOffice running on this machine (any user), as file URLs.
QStringList runningOfficeProfiles();

// Whether two profile URLs name one directory.
bool sameProfile(const QString& urlA, const QString& urlB);

} // namespace korv::logbook
