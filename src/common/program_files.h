#pragma once

// Where the program's own read-only files are: the reference database, the help document, the control
// libraries and the office guard. One rule, the same for the build tree and an installed program:
//   the executable's folder has "../share/korvelanta" beside it (installed: /usr/bin and
//   /usr/share/korvelanta, the helper programs in /usr/lib/korvelanta and the control libraries in its
//   controls/);
//   otherwise everything lies beside the executable (the build tree's bin/).
// The pilot's logbook is never among them: see bookfiles/book_folder.h.

#include <QString>

namespace korv {

struct ProgramFiles {
    bool installed = false;
    QString dataDir;    // FlightTables1.mdb, Help/
    QString libraryDir; // korvelanta-office-guard, korv-regsvr
    QString controlDir; // the control libraries

    QString referenceDatabase() const;
    QString helpDocument() const;
};

// The rule applied to the folder of an executable.
ProgramFiles programFilesBeside(const QString& executableDir);
// The rule applied to the running program (QCoreApplication::applicationDirPath()).
ProgramFiles programFiles();

} // namespace korv
