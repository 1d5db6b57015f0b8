#pragma once

// Writing a shift into the logbook: "Записать" of the input form.

#include "common/dialogs.h"
#include "flight/flight_record.h"
#include "flight/reference_db.h"
#include "flight/shift_calculation.h"
#include "logbook/book_change.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

namespace korv::logbook {
class Office;
class Sheet;
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

// Columns A..V of "Лист1" from row 7 to the last used row, in one block: what the logbook's shape is read
// from (logbook/placement.h).
QList<QVariantList> readRecordBlock(logbook::Sheet& sheet);

// Whether a write also keeps the covered cells of the record pairs in few format runs (which makes
// saving fast; see logbook/record_slots.h). Leaving them as found is for measuring only.
enum class SlotUpkeep { ShareCoveredFormats, LeaveAsFound };

// Appends the record to "Лист1" of the logbook at `bookPath` as one change of the logbook
// (logbook/book_change.h): after the last used pair (a pair emptied by hand in the middle stays as it
// is), the month heading when the month changes, the record, an empty formatted pair below it; then saves
// the logbook (atomically) and closes it. Nothing that holds anything is written over: a sheet whose
// pairs are out of step (a row inserted or deleted by hand), or cells where the record goes that are not
// empty or belong to a merged area reaching outside them, refuse the write (Error::BadEntry) with the
// file as it was. Throws only while the file is exactly as it was; a failure after the save is the
// record's note.
WrittenRecord WriteFlightRecord(logbook::Office& host, const QString& bookPath, const FlightRecord& record,
                                SlotUpkeep upkeep = SlotUpkeep::ShareCoveredFormats,
                                const logbook::ChangeSettings& settings = {});

// "Записать" of the input form: checks the date and the exercise, builds the record, writes it, and
// then clears the hood heights and disables "Записать". A refused or failed write shows its message
// and changes neither the form nor the logbook file. The waiting label and the date blink are the
// form's own: it shows the label around the call and starts the blink when a record was written.
class ShiftWriter {
public:
    ShiftWriter(logbook::Office& host, ReferenceDatabase& database, QString bookPath);

    std::optional<WrittenRecord> cmdWrite_Click(ShiftSession& session, Dialogs& dialogs);

    // How the writes wait for other programs and deal with their locks on the logbook.
    logbook::ChangeSettings settings;

private:
    logbook::Office& host_;
    ReferenceDatabase& database_;
    QString bookPath_;
};

inline const QString kWriteFailedTitle = QStringLiteral("Запись в лётную книжку");
inline const QString kInputsChanged =
    QStringLiteral("Смена не записана: данные изменены после расчёта. Нажмите Считать, затем Записать.");

} // namespace korv::flight
