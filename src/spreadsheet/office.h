#pragma once

// The office that opens spreadsheet documents for the logbook's code: the program's own LibreOffice Calc
// (SpreadsheetHost, spreadsheet/uno) or the in-memory fake of the tests. Only what the logbook's
// operations ask of an office is here; showing a workbook to the pilot is the program's own host's.

#include "bookfiles/locks.h"
#include "spreadsheet/document.h"

#include <QString>

#include <memory>
#include <optional>

namespace korv::logbook {

class Office {
public:
    virtual ~Office() = default;

    // One operation of the program on the office. While it lives, no other operation of any program on
    // this office uses it: the office's state between two calls is this operation's alone (two programs
    // driving one office at once have been seen to lose a record and to hang for good). When the
    // operation runs past its deadline the office is ended: the calls in flight fail with Error::Timeout
    // instead of waiting for ever, nothing unsaved reaches the disk, and the next attach starts a new
    // office.
    class Operation {
    public:
        virtual ~Operation() = default;
    };
    // Waits up to waitMs for other operations on this office (calling `waiting` once if it has to),
    // then arms the deadline of timeoutMs.
    [[nodiscard]] virtual std::unique_ptr<Operation> beginOperation(int timeoutMs, int waitMs,
                                                                    const ExclusiveLock::Waiting& waiting = {}) = 0;

    // Connects to the office, starting it when none answers. Cheap when attached.
    virtual void attach() = 0;
    // Attached and the office still answers (it may have died or been closed by hand).
    virtual bool isAlive() = 0;
    // The office's private profile: the lock files of its documents name it.
    virtual QString profileDir() const = 0;

    enum class OpenMode { Hidden, Shown };
    // Opens the workbook file, or returns it when this office already has it open. Shown: in a
    // visible window in front (for viewing).
    virtual Workbook openWorkbook(const QString& path, OpenMode mode = OpenMode::Hidden) = 0;
    // A new hidden workbook with one sheet.
    virtual Workbook addWorkbook() = 0;
    // The open workbook of that name ("Korvelanta" for Korvelanta.xls), if any; never starts an office.
    virtual std::optional<Workbook> findWorkbook(const QString& name) = 0;

    // How this office holds the file at `path` now.
    enum class Holding { NotLoaded, Hidden, Shown };
    virtual Holding holding(const QString& path) = 0;
    // Closes unsaved every workbook the office holds hidden. During an Operation no live operation owns
    // one, so they are what programs that died in the middle of a change left behind; their changes
    // must never reach the disk. Shown workbooks (the pilot's viewing) stay. Returns how many it closed.
    virtual int closeHiddenWorkbooks() = 0;
    // Opens the file hidden for a change, always loading it anew (never a document the office already
    // holds), and refuses, naming the cause, a file the office opens read-only, one it does not read as
    // a spreadsheet, or a damaged one.
    virtual Workbook openForChange(const QString& path) = 0;
};

} // namespace korv::logbook
