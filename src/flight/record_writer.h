#pragma once

// Writing shifts into the logbook: "Записать" of the input form, and a batch of shifts in one change.

#include "common/notice.h"
#include "flight/flight_record.h"
#include "flight/reference_db.h"
#include "flight/shift_calculation.h"
#include "logbook/book_change.h"
#include "logbook/logbook_change.h"

#include <QString>

#include <memory>
#include <optional>

namespace korv::logbook {
class Office;
} // namespace korv::logbook

namespace korv::flight {

// Where a record went: the sheet row of its first line (1-based) and the month heading written in
// the pair before it, if any.
struct WrittenRecord {
    int row = 0;
    std::optional<QString> heading;
    // Something that failed after the logbook was saved with the record (the record is there).
    std::optional<QString> note;
};

// Appends the record to "Лист1" of the logbook at `bookPath` as one change of the logbook
// (logbook/logbook_change.h): after the last used pair (a pair emptied by hand in the middle stays as it
// is), the month heading when the month changes, the record, an empty laid-out pair below it; then saves
// the logbook (atomically) and closes it. Nothing that holds anything is written over: a sheet whose
// pairs are out of step (a row inserted or deleted by hand), or a merged area reaching into the rows the
// record takes, refuse the write (Error::BadEntry) with the file as it was. Throws only while the file is
// exactly as it was; a failure after the save is the record's note.
WrittenRecord WriteFlightRecord(logbook::Office& office, const QString& bookPath, const logbook::PairCells& record,
                                logbook::SlotUpkeep upkeep = logbook::SlotUpkeep::ShareCoveredFormats,
                                const logbook::ChangeSettings& settings = {});

// What "Записать" came to.
struct WriteOutcome {
    // Where the record went; with a batch, it is on disk once the batch is saved.
    std::optional<WrittenRecord> written;
    // What the pilot is told, in order: why nothing was written, or what went wrong after the save.
    Notices notices;
    // The logbook may be open in a program whose lock cannot be judged from here (another machine's): the
    // desktop program asks the pilot this and writes again when he says it is closed there
    // (ChangeSettings::closedElsewhere); the CLI says the refusal among the notices.
    std::optional<logbook::UnsureLock> unsureLock;
};

// "Записать" of the input form: checks the date and the exercise, builds the record and writes it, then
// clears the hood heights and disables "Записать". A refused or failed write leaves the form and the
// logbook file as they were. The waiting label and the date blink are the form's own.
//
// Each press writes and saves at once. A batch (the CLI's write of many shifts) opens the logbook with its
// first record, appends every record to the one change, and saves once (finishBatch).
class ShiftWriter {
public:
    ShiftWriter(logbook::Office& office, ReferenceDatabase& database, QString bookPath);
    ~ShiftWriter();

    WriteOutcome cmdWrite_Click(ShiftSession& session);

    // Records go into one change until finishBatch().
    void beginBatch();
    // Saves the batch's records at once: their note (a failure after the save), or an Error while the file
    // is still the one from before (then none of them is written). Nothing to save when no record came.
    std::optional<QString> finishBatch();
    // Drops the batch's records unsaved: the file stays as it was.
    void abandonBatch();

    // The next "Записать" corrects the record whose pair starts at sheet row `row` (one-based) instead of
    // appending one: the record replaced in its pair, or moved to its date's place when its month changes,
    // as one change with its backup. Refused with the file as it was when that row holds no record. Until
    // the correction is written (a refused press may be pressed again); after it, "Записать" appends.
    void correctRecordAt(int row) {
        correcting_ = row;
        shown_.reset();
    }
    // The same for a record a window showed: refused, the file as it was, when its pair no longer holds the
    // cells shown (the logbook was changed since).
    void correctShownRecord(const logbook::ShownRecord& shown) {
        correcting_ = shown.row;
        shown_ = shown;
    }
    // The row the next "Записать" corrects, if any.
    std::optional<int> correcting() const { return correcting_; }

    // How the writes wait for other programs and deal with their locks on the logbook.
    logbook::ChangeSettings settings;

private:
    logbook::Office& office_;
    ReferenceDatabase& database_;
    QString bookPath_;
    bool batch_ = false;
    int batchRecords_ = 0;
    std::optional<int> correcting_;
    std::optional<logbook::ShownRecord> shown_;
    std::unique_ptr<logbook::LogbookChange> change_;
};

inline const QString kWriteFailedTitle = QStringLiteral("Запись в лётную книжку");
inline const QString kInputsChanged =
    QStringLiteral("Смена не записана: данные изменены после расчёта. Нажмите Считать, затем Записать.");

} // namespace korv::flight
