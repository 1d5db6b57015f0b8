#pragma once

// What the benchmarks share to make large logbooks: a new logbook whose "Лист1" holds `count` formatted
// record pairs, made by doubling copies of the first slot.

#include "logbook/book_names.h"
#include "logbook/newbook.h"
#include "logbook/record_layout.h"
#include "spreadsheet/uno/spreadsheet_host.h"

#include <QDir>

#include <algorithm>
#include <functional>

namespace korv::bench {

// Creates the logbook in `dir` and opens it with `count` empty formatted pairs from row 7 (and one more
// below them); `prepare` may change the first slot before it is copied. The caller fills and closes it.
inline logbook::Workbook logbookWithSlots(logbook::SpreadsheetHost& host, const QString& dir, int count,
                                          const std::function<void(logbook::Sheet&)>& prepare = {}) {
    namespace records = logbook::records;
    QDir().mkpath(dir);
    logbook::NoProgress progress;
    logbook::createNewLogbook(host, dir, progress);
    logbook::Workbook wb = host.openWorkbook(logbook::bookPath(dir));
    logbook::Sheet s = wb.sheet(logbook::kSheet1);
    if (prepare)
        prepare(s);
    const int first = records::kFirstRow;
    for (int pairs = 1; pairs < count + 1; pairs *= 2) {
        const int n = std::min(pairs, count + 1 - pairs);
        s.cells(first, 0, first + 2 * n - 1, records::kLastColumn).copyTo(s.cell(first + 2 * pairs, 0));
    }
    return wb;
}

} // namespace korv::bench
