#pragma once

// Writing a shift into the logbook: "Записать" of the input form.

#include "common/dialogs.h"
#include "flight/flight_record.h"
#include "flight/reference_db.h"
#include "flight/shift_calculation.h"
#include "logbook/book_change.h"

#include <QString>

#include <optional>

namespace korv::logbook {
class SpreadsheetHost;
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

// The first free record pair of "Лист1": the first pair from row 7 on whose first row has an empty
// column E (0-based row). Column E is read in one block.
int findFreeRecordRow(logbook::Sheet& sheet);

// Whether the record at `row` (0-based) needs a month heading first: the previous pair's date (column
// A two rows up) is missing or of another month or year than the flight date.
bool needsMonthHeading(logbook::Sheet& sheet, int row, const QDate& flightDate);

// Whether a write also keeps the covered cells of the record pairs in few format runs (which makes
// saving fast; see logbook/record_slots.h). Leaving them as found is for measuring only.
enum class SlotUpkeep { ShareCoveredFormats, LeaveAsFound };

// Appends the record to "Лист1" of the logbook at `bookPath` as one change of the logbook
// (logbook/book_change.h): the month heading when the month changes, the record, an empty formatted
// pair below it; then saves the logbook (atomically) and closes it. Throws only while the file is
// exactly as it was; a failure after the save is the record's note.
WrittenRecord WriteFlightRecord(logbook::SpreadsheetHost& host, const QString& bookPath, const FlightRecord& record,
                                SlotUpkeep upkeep = SlotUpkeep::ShareCoveredFormats,
                                const logbook::ChangeSettings& settings = {});

// "Записать" of the input form: checks the date and the exercise, builds the record, writes it, and
// then clears the hood heights and disables "Записать". A refused or failed write shows its message
// and changes neither the form nor the logbook file. The waiting label and the date blink are the
// form's own: it shows the label around the call and starts the blink when a record was written.
class ShiftWriter {
public:
    ShiftWriter(logbook::SpreadsheetHost& host, ReferenceDatabase& database, QString bookPath);

    std::optional<WrittenRecord> cmdWrite_Click(ShiftSession& session, Dialogs& dialogs);

    // How the writes wait for other programs and deal with their locks on the logbook.
    logbook::ChangeSettings settings;

private:
    logbook::SpreadsheetHost& host_;
    ReferenceDatabase& database_;
    QString bookPath_;
};

inline const QString kWriteFailedTitle = QStringLiteral("Запись в лётную книжку");

} // namespace korv::flight
