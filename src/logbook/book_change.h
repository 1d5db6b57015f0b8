#pragma once

// A change of the logbook: the one way every operation that changes it (a new logbook, a written shift,
// the totals) reaches the file. It takes the logbook's lock and the office's, refuses what another
// program holds open, opens the file afresh, and either saves it whole or leaves it exactly as it was.

#include "common/error.h"
#include "logbook/change_settings.h"
#include "logbook/last_change.h"
#include "spreadsheet/office.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace korv::logbook {

// The refusal of a change because another program's lock file beside the logbook cannot be judged from here
// (another machine's, a Microsoft Office owner file). The pilot may know that the logbook is closed there:
// the desktop program asks him question() and, when he says so, changes the logbook again with the lock
// file among ChangeSettings::closedElsewhere.
class UnsureLock : public Error {
public:
    UnsureLock(const QString& lockPath, const QString& holder);
    QString lockPath() const { return lockPath_; }
    QString question() const;

private:
    QString lockPath_;
    QString holder_;
};

// The locks and the office operation of a change, for a logbook that is there or about to be made. While
// it lives no other change of this logbook and no other operation on the office runs; the program's own
// leftovers beside the logbook and in the office are gone.
class ChangeGuard {
public:
    ChangeGuard(Office& host, const QString& realPath, const ChangeSettings& settings);
    ~ChangeGuard();
    ChangeGuard(const ChangeGuard&) = delete;
    ChangeGuard& operator=(const ChangeGuard&) = delete;

    // Runs the step; when the office went away during it, runs it once more with a new office. Only for
    // steps that change nothing.
    static void retryOnLostOffice(Office& host, const std::function<void()>& step);

private:
    std::unique_ptr<ExclusiveLock> bookLock_;
    std::unique_ptr<Office::Operation> operation_;
};

class BookChange {
public:
    // Opens the logbook at bookPath (a link is followed to its file) for a change. Throws the Error that
    // names why it cannot: busy, missing, read-only, not a workbook, open in another program, no room.
    BookChange(Office& host, const QString& bookPath, const ChangeSettings& settings = {});
    // Unless saved, closes the workbook unsaved: the file stays exactly as it was.
    ~BookChange();
    BookChange(const BookChange&) = delete;
    BookChange& operator=(const BookChange&) = delete;

    Workbook& book() { return *book_; }
    // A sheet of the logbook; one that is missing is Error::BadWorkbook naming the file and the sheet.
    Sheet sheet(const QString& name);
    QString realPath() const { return real_; }
    // What the change is, for the note of the last change (logbook/last_change.h), and the records it leaves
    // when the caller knows them.
    void describe(const QString& what, const QStringList& records = {});
    // Keeps a backup at the save even of a logbook that holds no entry yet, so that the change can be undone
    // (a whole import into a new logbook, which the pilot would otherwise have to remove record by record).
    void keepBackup() { hadEntries_ = true; }

    // Replaces the file with the workbook (atomically), closes it and lets the locks go. The file it replaces is kept
    // in "Backups/" first (logbook/backups.h), unless it held no entry yet. Throws only while the file is still the old
    // one (and then leaves no backup); what fails after it was replaced comes back as a note (the change is on disk).
    std::optional<QString> save();
    // Ends the change unsaved: the workbook is closed, the file stays exactly as it was, and the locks go.
    // What the caller tells the pilot afterwards holds up no other program. The destructor does the same.
    void discard();

private:
    // After the file was replaced: closes the workbook and lets expired backups go.
    std::optional<QString> finish();

    Office& host_;
    QString real_;
    std::unique_ptr<ChangeGuard> guard_;
    std::optional<Workbook> book_;
    bool saved_ = false;
    bool hadEntries_ = true; // the file holds an entry of "Лист1" (a new, empty logbook needs no backup)
    QString what_ = QStringLiteral("изменение лётной книжки");
    QStringList records_;
};

// Refuses (Error::BadWorkbook, the file named) a file that the office does not open as a workbook with
// the record sheet: what could never stand in for the logbook. Call within an operation of the office.
void requireLogbookFile(Office& host, const QString& path);

// Puts a backup back as the logbook at bookPath, under the same locks as any change, refusing while
// another program holds the logbook. The file it replaces, whatever state it is in (a damaged logbook is
// what one restores most), is kept as a backup first. Returns that backup's path, empty when there was no
// file. The logbook is the old file or the restored one, never anything between.
QString restoreBackup(Office& host, const QString& bookPath, const QString& backupPath,
                      const ChangeSettings& settings = {});

// What an undo put back.
struct Undone {
    QString what;     // the change undone ("запись смены", …)
    QDateTime time;   // when that change had landed
    QString restored; // the backup put back
    QString kept;     // the backup of the logbook as the change had left it (the undo can be undone)
};

// The last change the program made to the logbook at bookPath, as an undo would put it back: its note, its
// backup still among the logbook's backups. Error::FileNotFound saying why there is nothing to undo.
last_change::Note undoableChange(const QString& bookPath);

// Undoes the last change the program made to the logbook at bookPath: the backup its note names is put back,
// under the same locks as any change, but only while the logbook is byte for byte what that change left. The
// logbook as it was is kept as a backup first and noted as a change of its own, so that an undo can be
// undone. Refused with the file untouched: no note (Error::FileNotFound), no backup of the state before
// (Error::FileNotFound), the logbook changed since (Error::Changed, naming what changed), and the refusals of
// restoreBackup.
Undone undoLastChange(Office& host, const QString& bookPath, const ChangeSettings& settings = {});

} // namespace korv::logbook
