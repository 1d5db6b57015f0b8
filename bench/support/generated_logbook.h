#pragma once

// The large logbooks of the benchmarks, made in blocks: records laid out as the program writes them.

#include "logbook/book_names.h"
#include "logbook/record_layout.h"
#include "logbook/record_slots.h"
#include "spreadsheet/uno/spreadsheet_host.h"
#include "support/logbook_slots.h"

#include <QDate>
#include <QList>
#include <QVariant>

namespace korv::bench {

// The size of the large logbook a benchmark measures: KORV_BENCH_RECORDS, else 5,000 records.
inline int largeLogbookRecords() {
    const int n = qEnvironmentVariableIntValue("KORV_BENCH_RECORDS");
    return n > 0 ? n : 5000;
}

// A logbook of `count` records, four a day from `firstDay`, day and night, control and training exercises,
// laid out as the program writes them.
inline QString generatedLogbook(logbook::SpreadsheetHost& host, const QString& dir, int count, const QDate& firstDay) {
    namespace records = logbook::records;
    namespace column = logbook::records::column;
    logbook::Workbook wb = logbookWithSlots(host, dir, count);
    logbook::Sheet s = wb.sheet(logbook::kSheet1);
    const int first = records::kFirstRow;
    QList<QVariantList> rows;
    const char* exercises[] = {"Упр.  7 КП", "Упр. 94 полёт", "Упр.102 ночь", "Упр.101 ночь"};
    for (int i = 0; i < count; ++i) {
        const bool night = i % 4 >= 2;
        QVariantList r(column::S + 1, QString());
        r[column::A] = firstDay.addDays(i / 4);
        r[column::B] = QStringLiteral("Л-39");
        r[column::C] = night ? QStringLiteral("Н") : QStringLiteral("Д");
        r[column::D] = QStringLiteral("П");
        r[column::E] = QString::fromUtf8(exercises[i % 4]);
        r[column::F] = 1.0;
        r[column::G] = 85 / 1440.0;
        r[column::J] = 10 / 1440.0;
        r[column::Q] = 2.0;
        r[column::R] = 2.0;
        rows << r << QVariantList(column::S + 1, QString());
    }
    s.cells(first, 0, first + 2 * count - 1, column::S).setData(rows);
    logbook::CellFormat day;
    day.numberFormat = QStringLiteral("d");
    s.range(QStringLiteral("A:A")).apply(day);
    logbook::shareCoveredCellFormats(s, records::pairRow(count));
    wb.close(logbook::CloseMode::Save);
    return logbook::bookPath(dir);
}

} // namespace korv::bench
