#pragma once

// The logbook folder: where the pilot's logbook, its backups and its printouts live. Never where the
// program's own files are, so that neither an update nor a clean build can touch it. No office needed.

#include <QString>

namespace korv::logbook::files {

// The folder KORVELANTA_DIR names, else "Korvelanta" in the user's documents (~/Documents/Korvelanta,
// ~/Документы/Korvelanta in a Russian session). Absolute and clean; not created here.
QString defaultBookFolder();

// The folder a run uses, and what the pilot is told about it (empty: nothing to tell).
struct BookFolder {
    QString folder;
    QString notice;
    bool moved = false;
};

// The folder of a run that names none: `newFolder`, after moving into it a logbook that earlier builds
// kept in `oldFolder` beside the program. The move copies the logbook and its backups, syncs and compares
// each copy, and only then removes the originals, under the logbook's lock (both paths). When both
// folders hold a logbook, nothing is moved or merged: the new one is used and the notice names the old.
// When the old one cannot be moved now (held by another program, a link, a failed copy), nothing of it
// is changed, this run uses `oldFolder` and the notice says why.
BookFolder settleBookFolder(const QString& oldFolder, const QString& newFolder, int lockWaitMs = 2000);

// The folder of a run of the program in `programDir` that names none. With KORVELANTA_DIR set, the folder
// it names, as it is: the pilot chose it, nothing is moved into it (a logbook left beside the program is
// named in the notice). Otherwise "Korvelanta" in the documents, a logbook beside the program moved there
// by settleBookFolder().
BookFolder settleDefaultBookFolder(const QString& programDir);
// The same for the running program (beside its executable).
BookFolder settleDefaultBookFolder();

} // namespace korv::logbook::files
