#pragma once

// The file system as the logbook's files meet it: the real place of a file behind links, the room left,
// and Russian messages that name what the file system refused. No office needed.

#include "common/error.h"

#include <QString>

namespace korv::logbook::files {

// The file behind `path` with every symbolic link followed, however many; `path` made absolute when it is
// no link. A link to nothing gives the path it points to, so that messages name the missing file.
QString realPath(const QString& path);

// Whether a process of that id exists on this machine (a zombie counts: its id is not free yet). What the
// program names by its process (scratch folders, temporary files) is a leftover once it does not.
bool processRuns(qint64 pid);

// A Russian message for a file-system failure: errno `err` while doing `what` with `path`, naming the
// cause a pilot can act on (no permission, a read-only disk, a full disk, nothing there).
Error fileError(int err, const QString& what, const QString& path);

// Free bytes for an unprivileged writer in the file system holding `dir`; -1 when unknown.
qint64 freeSpace(const QString& dir);

// Free file entries (inodes) for an unprivileged writer in the file system holding `dir`; -1 when unknown
// or unlimited (file systems that make them as needed report none).
qint64 freeInodes(const QString& dir);

// What the file system holding `dir` has run out of, as the pilot is told: room for `neededBytes` more, or
// file entries (inodes) for the few files a save makes. Empty when neither, or when it cannot tell. The
// office says only that it could not read or write; this says why.
QString exhaustion(const QString& dir, qint64 neededBytes);

} // namespace korv::logbook::files
