#include "flight/record_writer.h"

#include "common/error.h"
#include "common/flightdate.h"
#include "common/log.h"
#include "logbook/book_change.h"
#include "logbook/host.h"
#include "logbook/logbook.h"
#include "logbook/record_layout.h"
#include "logbook/record_slots.h"
#include "totals/captions.h"

#include <QFileInfo>

namespace korv::flight {

using logbook::CellFormat;
using logbook::CellKind;
using logbook::Sheet;
namespace records = logbook::records;
namespace column = logbook::records::column;

namespace {

// The date a column-A cell holds: a date value, or a date typed as text by hand.
std::optional<QDate> cellDate(const logbook::Range& cell) {
    switch (cell.kind()) {
    case CellKind::Value:
        return records::dateOfSerial(cell.value());
    case CellKind::Text:
        return parseFlightDate(cell.text());
    default:
        return std::nullopt;
    }
}

QVariant blockValue(const CellValue& v) {
    switch (v.kind) {
    case CellValue::Kind::Text:
        return v.text;
    case CellValue::Kind::Number:
    case CellValue::Kind::Time:
        return v.number;
    case CellValue::Kind::Date:
        return v.date;
    }
    return QString();
}

// The pairs whose covered cells tell whether the logbook keeps them in few format runs: the first, a
// middle and the last record before `row` (a date value in A marks a record; month headings are left
// out), the new record and the empty pair below it.
QList<int> samplePairs(Sheet& sheet, int row) {
    QList<int> recordRows;
    if (row > records::kFirstRow) {
        const QList<QVariantList> a = sheet.cells(records::kFirstRow, column::A, row - 1, column::A).data();
        for (int r = records::kFirstRow; r < row; r += records::kRowsPerRecord)
            if (a[r - records::kFirstRow].front().typeId() == QMetaType::Double)
                recordRows << r;
    }
    QList<int> sample;
    if (!recordRows.isEmpty())
        sample << recordRows.front() << recordRows[recordRows.size() / 2] << recordRows.back();
    return sample << row << row + records::kRowsPerRecord;
}

} // namespace

int findFreeRecordRow(Sheet& sheet) {
    const int last = sheet.lastUsedRow();
    if (last < records::kFirstRow)
        return records::kFirstRow;
    const QList<QVariantList> columnE = sheet.cells(records::kFirstRow, column::E, last, column::E).data();
    int row = records::kFirstRow;
    while (row - records::kFirstRow < columnE.size()) {
        const QVariant& v = columnE[row - records::kFirstRow].front();
        // An error cell (invalid QVariant) is not empty: something stands there.
        if (v.isValid() && v.typeId() == QMetaType::QString && v.toString().isEmpty())
            break;
        row += records::kRowsPerRecord;
    }
    return row;
}

bool needsMonthHeading(Sheet& sheet, int row, const QDate& flightDate) {
    const int previousRow = row - records::kRowsPerRecord;
    if (previousRow < 0)
        return true;
    const auto previous = cellDate(sheet.cell(previousRow, column::A));
    return !previous || previous->month() != flightDate.month() || previous->year() != flightDate.year();
}

WrittenRecord WriteFlightRecord(logbook::SpreadsheetHost& host, const QString& bookPath, const FlightRecord& record,
                                SlotUpkeep upkeep, const logbook::ChangeSettings& settings) {
    // Locks, checks and a fresh document; unless saved, the workbook is closed unsaved and the file stays
    // exactly as it was.
    logbook::BookChange change(host, bookPath, settings);
    Sheet sheet = change.sheet(logbook::kSheet1);
    sheet.activate();
    int row = findFreeRecordRow(sheet);

    WrittenRecord written;
    if (needsMonthHeading(sheet, row, record.date)) {
        // The heading takes the free pair; a copy of it below stays free for the record. A record pair
        // holds nothing right of V, so the copy takes A..V rather than whole rows: a whole-row copy over
        // Calc's 1024 columns costs a hundred times more.
        sheet.cells(row, column::A, row + 1, records::kLastHeadingColumn)
            .copyTo(sheet.cell(row + records::kRowsPerRecord, column::A));
        const QString caption = totals::PeriodCaption(record.date);
        logbook::Range e = sheet.cell(row, column::E);
        e.setText(caption);
        CellFormat heading;
        heading.fontSize = 12;
        heading.bold = true;
        e.apply(heading);
        written.heading = caption;
        row += records::kRowsPerRecord;
    }

    // An empty formatted pair stays below the record.
    sheet.cells(row, column::A, row + 1, records::kLastColumn)
        .copyTo(sheet.cell(row + records::kRowsPerRecord, column::A));

    QVariantList first;
    for (int c = column::A; c <= column::S; ++c) {
        const CellValue* v = record.cell(char('A' + c), 0);
        first.append(v ? blockValue(*v) : QVariant(QString()));
    }
    sheet.cells(row, column::A, row, column::S).setData({first});
    if (const CellValue* base = record.cell('M', 1))
        sheet.cells(row + 1, column::M, row + 1, column::M).setData({{blockValue(*base)}});

    // Column A shows the day of the month. The format goes on only where the column does not show the day
    // yet: in an office of another language the same format comes back from the file under another key,
    // and putting it on again would set the covered cells of every pair apart from each other (and every
    // save slow).
    const auto showsDay = [&](int r) {
        return sheet.cell(r, column::A).format().numberFormat.value_or(QString()).compare(u"d", Qt::CaseInsensitive) ==
               0;
    };
    if (!showsDay(records::kFirstRow) || !showsDay(row)) {
        CellFormat day;
        day.numberFormat = QStringLiteral("d");
        sheet.range(QStringLiteral("A:A")).apply(day);
    }
    CellFormat wrap;
    wrap.wrap = true;
    sheet.cell(row, column::E).apply(wrap);

    // A logbook of an earlier build or of another program gets its covered cells in few format runs
    // once, saved with this record; nothing visible changes.
    if (upkeep == SlotUpkeep::ShareCoveredFormats && !logbook::pairsShareFormats(sheet, samplePairs(sheet, row)))
        logbook::shareCoveredCellFormats(sheet, row + records::kRowsPerRecord);

    written.row = row + 1;
    written.note = change.save();
    return written;
}

ShiftWriter::ShiftWriter(logbook::SpreadsheetHost& host, ReferenceDatabase& database, QString bookPath)
    : host_(host), database_(database), bookPath_(std::move(bookPath)) {}

std::optional<WrittenRecord> ShiftWriter::cmdWrite_Click(ShiftSession& session, Dialogs& dialogs) {
    if (!session.form.cmdWriteEnabled)
        return std::nullopt;
    std::optional<WrittenRecord> written;
    try {
        // Everything the record needs is checked before the logbook is touched.
        recordDate(session.form);
        exerciseNumber(session.form);
        const QString description = database_.exerciseDescription(session.form.txtUpr);
        const FlightRecord record = buildFlightRecord(session, description);
        written = WriteFlightRecord(host_, bookPath_, record, SlotUpkeep::ShareCoveredFormats, settings);
    } catch (const Error& e) {
        // Only ever said while the file is the one from before: a failure after the save comes back as
        // a note of a written record.
        log::error(QStringLiteral("Записать"), e);
        dialogs.message(kWriteFailedTitle,
                        QStringLiteral("Смена не записана, лётная книжка не изменена.\n") + e.description(),
                        Dialogs::Icon::Critical);
    }
    if (!written)
        return std::nullopt;
    if (written->note)
        dialogs.message(kWriteFailedTitle, QStringLiteral("Смена записана в лётную книжку.\n") + *written->note,
                        Dialogs::Icon::Warning);

    session.FlightDate = formatShortDate(recordDate(session.form));
    session.form.txtShtorkaZ.clear();
    session.form.txtShtorkaO.clear();
    session.form.cmdWriteEnabled = false;
    return written;
}

} // namespace korv::flight
