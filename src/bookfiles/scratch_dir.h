#pragma once

// The program's temporary folders (scratch copies of the logbook, rendered PDFs): named by the process that
// made them, so that what a killed process left can be told from what a running one uses, and swept at the
// next start. No office needed.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace korv::logbook::files {

// A temporary folder "<temp>/korvelanta-<pid>-XXXXXX", removed with its contents when it goes.
class ScratchDir : public QTemporaryDir {
public:
    ScratchDir();
};

// Removes the scratch folders of this user's processes that no longer run (killed before they could remove
// them), each one logged. Returns the names removed.
QStringList removeDeadScratchDirs();

} // namespace korv::logbook::files
