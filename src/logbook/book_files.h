#pragma once

// The logbook file as the file system sees it: its real place behind links, whether it can be changed,
// Russian messages that name what the file system refused, and what killed operations left beside it.
// No office needed.

#include "common/error.h"

#include <QString>
#include <QStringList>

namespace korv::logbook::files {

// The file behind `path` with every symbolic link followed, however many; `path` made absolute when it is
// no link. A link to nothing gives the path it points to, so that messages name the missing file.
QString realPath(const QString& path);

// A Russian message for a file-system failure: errno `err` while doing `what` with `path`, naming the
// cause a pilot can act on (no permission, a read-only disk, a full disk, nothing there).
Error fileError(int err, const QString& what, const QString& path);

// Checks, before the office opens anything, that the logbook at `real` (a real path) can be changed and
// saved in place: it is there, a regular file, readable, not marked read-only, of a workbook format, its
// directory takes new files and has room for another copy. Throws the Error that names the first cause.
void requireChangeable(const QString& real);

// The same for a directory that is to receive a new logbook.
void requireWritableDirectory(const QString& dir);

// Free bytes for an unprivileged writer in the file system holding `dir`; -1 when unknown.
qint64 freeSpace(const QString& dir);

// Free file entries (inodes) for an unprivileged writer in the file system holding `dir`; -1 when unknown
// or unlimited (file systems that make them as needed report none).
qint64 freeInodes(const QString& dir);

// What the file system holding `dir` has run out of, as the pilot is told: room for `neededBytes` more, or
// file entries (inodes) for the few files a save makes. Empty when neither, or when it cannot tell. The
// office says only that it could not read or write; this says why.
QString exhaustion(const QString& dir, qint64 neededBytes);

// Removes what operations killed half-way left beside the logbook `real`: the program's temporary files
// (".<name>.XXXXXX.tmp") and directory probes. Only while the logbook's lock is held, when no live
// operation owns any of them. Returns the names removed.
QStringList removeLeftovers(const QString& real);

// Whether any process of this machine that the program may look at holds the file open.
bool heldOpen(const QString& path);

} // namespace korv::logbook::files
