#include "flight/record_writer.h"

#include "common/error.h"
#include "common/flightdate.h"
#include "common/log.h"
#include "logbook/book_change.h"
#include "logbook/logbook.h"
#include "logbook/placement.h"
#include "logbook/record_layout.h"
#include "logbook/record_slots.h"
#include "spreadsheet/office.h"

#include <QFileInfo>

#include <algorithm>

namespace korv::flight {

using logbook::CellFormat;
using logbook::CellKind;
using logbook::Sheet;
namespace records = logbook::records;
namespace column = logbook::records::column;

namespace {

using logbook::BookShape;
using logbook::PairKind;

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
// middle and the last record before the free pair (month headings are left out), the new record and the
// empty pair below it.
QList<int> samplePairs(const BookShape& shape, int row) {
    QList<int> recordRows;
    for (const logbook::SheetPair& p : shape.pairs)
        if (p.kind == PairKind::Record)
            recordRows << p.row;
    QList<int> sample;
    if (!recordRows.isEmpty())
        sample << recordRows.front() << recordRows[recordRows.size() / 2] << recordRows.back();
    return sample << row << row + records::kRowsPerRecord;
}

// Confirms that no merged area reaches into the rows a write lays its pairs on from outside, so that what
// the write puts there destroys nothing. What they hold is the placement's to check.
void requireUnmerged(Sheet& sheet, int firstRow, int lastRow) {
    const logbook::Range block = sheet.cells(firstRow, column::A, lastRow, records::kLastHeadingColumn);
    const logbook::Range span = block.mergeSpan();
    if (span.firstRow() != block.firstRow() || span.lastRow() != block.lastRow() ||
        span.firstColumn() != block.firstColumn() || span.lastColumn() != block.lastColumn())
        throw Error(Error::BadEntry,
                    QStringLiteral("Смена ложится в строки %1–%2 лётной книжки, но объединённые ячейки %3 выходят за "
                                   "них. Разъедините их или проверьте лётную книжку и повторите.")
                        .arg(firstRow + 1)
                        .arg(lastRow + 1)
                        .arg(span.address()));
}

// The free pair laid out as a record slot. A pair cleared by hand with its formats (the last record's)
// has lost its merges; it takes the look of the last record pair, emptied.
void ensureSlot(Sheet& sheet, const BookShape& shape, int row) {
    if (sheet.cells(row, column::A, row + 1, column::A).isMerged())
        return;
    const auto last = std::find_if(shape.pairs.crbegin(), shape.pairs.crend(),
                                   [](const logbook::SheetPair& p) { return p.kind == PairKind::Record; });
    if (last == shape.pairs.crend())
        return;
    sheet.cells(last->row, column::A, last->row + 1, records::kLastColumn).copyTo(sheet.cell(row, column::A));
    const QVariantList empty(records::kLastColumn + 1, QString());
    sheet.cells(row, column::A, row + 1, records::kLastColumn).setData({empty, empty});
}

} // namespace

QList<QVariantList> readRecordBlock(Sheet& sheet) {
    const int last = sheet.lastUsedRow();
    if (last < records::kFirstRow)
        return {};
    // One row more: the second row of the last pair.
    return sheet.cells(records::kFirstRow, column::A, last + 1, records::kLastHeadingColumn).data();
}

WrittenRecord WriteFlightRecord(logbook::Office& host, const QString& bookPath, const FlightRecord& record,
                                SlotUpkeep upkeep, const logbook::ChangeSettings& settings) {
    // Locks, checks and a fresh document; unless saved, the workbook is closed unsaved and the file stays
    // exactly as it was.
    logbook::BookChange change(host, bookPath, settings);
    Sheet sheet = change.sheet(logbook::kSheet1);
    sheet.activate();
    const QList<QVariantList> block = readRecordBlock(sheet);
    const BookShape shape = logbook::readBookShape(block);
    const logbook::RecordPlacement placement = logbook::placeRecord(shape, block, record.date);
    int row = placement.row;
    requireUnmerged(sheet, row, placement.lastRow());
    ensureSlot(sheet, shape, row);

    WrittenRecord written;
    if (placement.heading) {
        // The heading takes the free pair; a copy of it below stays free for the record. A record pair
        // holds nothing right of V, so the copy takes A..V rather than whole rows: a whole-row copy over
        // Calc's 1024 columns costs a hundred times more.
        sheet.cells(row, column::A, row + 1, records::kLastHeadingColumn)
            .copyTo(sheet.cell(row + records::kRowsPerRecord, column::A));
        const QString caption = *placement.heading;
        logbook::Range e = sheet.cell(row, column::E);
        e.setText(caption);
        CellFormat headingLook;
        headingLook.fontSize = 12;
        headingLook.bold = true;
        e.apply(headingLook);
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
    if (upkeep == SlotUpkeep::ShareCoveredFormats && !logbook::pairsShareFormats(sheet, samplePairs(shape, row)))
        logbook::shareCoveredCellFormats(sheet, row + records::kRowsPerRecord);

    written.row = row + 1;
    written.note = change.save();
    return written;
}

ShiftWriter::ShiftWriter(logbook::Office& host, ReferenceDatabase& database, QString bookPath)
    : host_(host), database_(database), bookPath_(std::move(bookPath)) {}

std::optional<WrittenRecord> ShiftWriter::cmdWrite_Click(ShiftSession& session, Dialogs& dialogs) {
    if (!session.form.cmdWriteEnabled)
        return std::nullopt;
    if (!session.resultsCurrent()) {
        // A caller that let an input change without saying so: what would be written was not computed.
        session.form.cmdWriteEnabled = false;
        dialogs.message(kWriteFailedTitle, kInputsChanged, Dialogs::Icon::Warning);
        return std::nullopt;
    }
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
