#include "flight/record_writer.h"

#include "common/error.h"
#include "common/flightdate.h"
#include "logbook/host.h"
#include "logbook/logbook.h"
#include "totals/captions.h"

#include <QFileInfo>

#include <cmath>

namespace korv::flight {

using logbook::CellFormat;
using logbook::CellKind;
using logbook::Sheet;

namespace {

constexpr int kFirstRecordRow = 6; // row 7
constexpr int kColumnA = 0;
constexpr int kColumnE = 4;
constexpr int kColumnM = 12;
constexpr int kColumnS = 18;
constexpr int kColumnU = 20;
constexpr int kColumnV = 21;

// The date a column-A cell holds: a date value, or a date typed as text by hand.
std::optional<QDate> cellDate(const logbook::Range& cell) {
    switch (cell.kind()) {
    case CellKind::Value: {
        const double serial = cell.value();
        if (serial < 1 || serial > 2958465)
            return std::nullopt;
        return QDate(1899, 12, 30).addDays(static_cast<qint64>(std::floor(serial)));
    }
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

} // namespace

int findFreeRecordRow(Sheet& sheet) {
    const int last = sheet.lastUsedRow();
    if (last < kFirstRecordRow)
        return kFirstRecordRow;
    const QList<QVariantList> column = sheet.cells(kFirstRecordRow, kColumnE, last, kColumnE).data();
    int row = kFirstRecordRow;
    while (row - kFirstRecordRow < column.size()) {
        const QVariant& v = column[row - kFirstRecordRow].front();
        // An error cell (invalid QVariant) is not empty: something stands there.
        if (v.isValid() && v.typeId() == QMetaType::QString && v.toString().isEmpty())
            break;
        row += 2;
    }
    return row;
}

bool needsMonthHeading(Sheet& sheet, int row, const QDate& flightDate) {
    if (row - 2 < 0)
        return true;
    const auto previous = cellDate(sheet.cell(row - 2, kColumnA));
    return !previous || previous->month() != flightDate.month() || previous->year() != flightDate.year();
}

WrittenRecord WriteFlightRecord(logbook::SpreadsheetHost& host, const QString& bookPath, const FlightRecord& record) {
    if (!QFileInfo(bookPath).isFile())
        throw Error(Error::FileNotFound, QStringLiteral("Не найдена лётная книжка %1").arg(bookPath));
    host.attach();
    logbook::Workbook book = host.openWorkbook(bookPath);
    try {
        Sheet sheet = book.sheet(logbook::kSheet1);
        sheet.activate();
        int row = findFreeRecordRow(sheet);

        WrittenRecord written;
        if (needsMonthHeading(sheet, row, record.date)) {
            // The heading takes the free pair; a copy of it below stays free for the record. A record
            // pair holds nothing right of V, so the copy takes A..V rather than whole rows: a whole-row
            // copy over Calc's 1024 columns costs a hundred times more.
            sheet.cells(row, kColumnA, row + 1, kColumnV).copyTo(sheet.cell(row + 2, kColumnA));
            const QString caption = totals::PeriodCaption(record.date);
            logbook::Range e = sheet.cell(row, kColumnE);
            e.setText(caption);
            CellFormat heading;
            heading.fontSize = 12;
            heading.bold = true;
            e.apply(heading);
            written.heading = caption;
            row += 2;
        }

        // An empty formatted pair stays below the record.
        sheet.cells(row, kColumnA, row + 1, kColumnU).copyTo(sheet.cell(row + 2, kColumnA));

        QVariantList first;
        for (int c = kColumnA; c <= kColumnS; ++c) {
            const CellValue* v = record.cell(char('A' + c), 0);
            first.append(v ? blockValue(*v) : QVariant(QString()));
        }
        sheet.cells(row, kColumnA, row, kColumnS).setData({first});
        if (const CellValue* base = record.cell('M', 1))
            sheet.cells(row + 1, kColumnM, row + 1, kColumnM).setData({{blockValue(*base)}});

        CellFormat day;
        day.numberFormat = QStringLiteral("d");
        sheet.range(QStringLiteral("A:A")).apply(day);
        CellFormat wrap;
        wrap.wrap = true;
        sheet.cell(row, kColumnE).apply(wrap);

        book.close(logbook::CloseMode::Save);
        written.row = row + 1;
        return written;
    } catch (...) {
        try {
            book.close(logbook::CloseMode::Discard);
        } catch (...) {
            // The office is gone; nothing of the change reached the file.
        }
        throw;
    }
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
        written = WriteFlightRecord(host_, bookPath_, record);
    } catch (const Error& e) {
        dialogs.message(kWriteFailedTitle,
                        QStringLiteral("Смена не записана, лётная книжка не изменена.\n") + e.description(),
                        Dialogs::Icon::Critical);
    }
    if (!written)
        return std::nullopt;

    session.FlightDate = formatShortDate(recordDate(session.form));
    session.form.txtShtorkaZ.clear();
    session.form.txtShtorkaO.clear();
    session.form.cmdWriteEnabled = false;
    return written;
}

} // namespace korv::flight
