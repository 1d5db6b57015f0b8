#pragma once

// The logbook file as the file system sees it: whether it can be changed and saved in place, and what
// killed operations left beside it. No office needed.

#include "bookfiles/file_system.h"

#include <QString>
#include <QStringList>

namespace korv::logbook::files {

// Checks, before the office opens anything, that the logbook at `real` (a real path) can be changed and
// saved in place: it is there, a regular file, readable, not marked read-only, of a workbook format, its
// directory takes new files and has room for another copy. Throws the Error that names the first cause.
void requireChangeable(const QString& real);
// Refuses (Error::FileAccess) a file the pilot made read-only, as requireChangeable does; a missing file passes.
void requireNotReadOnly(const QString& real);

// The same for a directory that is to receive a new logbook.
void requireWritableDirectory(const QString& dir);

// Removes what operations killed half-way left beside the logbook `real`: the program's temporary files
// (".<name>.XXXXXX.tmp") and directory probes. Only while the logbook's lock is held, when no live
// operation owns any of them. Returns the names removed.
QStringList removeLeftovers(const QString& real);

// Whether any process of this machine that the program may look at holds the file open.
bool heldOpen(const QString& path);

} // namespace korv::logbook::files
