#pragma once

// The floor of every change of a logbook: LibreOffice's own load and store of the same file, in the same
// warm office, saved the way the program saves (temporary file, flush, rename).

#include "spreadsheet/uno/spreadsheet_host.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <vector>

namespace korv::bench {

// Median of `runs` loads and stores of fresh copies of `book` at `work` (ms).
inline double loadAndStoreMs(logbook::SpreadsheetHost& host, const QString& book, const QString& work, int runs = 5) {
    std::vector<double> ms;
    for (int run = 0; run < runs; ++run) {
        QFile::remove(work);
        QFile::copy(book, work);
        QElapsedTimer t;
        t.start();
        logbook::Workbook wb = host.openWorkbook(work);
        wb.saveAs(work);
        wb.close(logbook::CloseMode::Discard);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace korv::bench
