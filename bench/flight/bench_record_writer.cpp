// One write of a shift into a logbook of 5,000 records with Calc warm, and for comparison the search
// of the free pair cell by cell instead of in one block.
//   KORV_BENCH_RECORDS=N   another logbook size
//   KORV_BENCH_UNMERGED=1  the same logbook with its pairs unmerged, to show what Calc's .xls export
//                          of the ~20 merged cells per record costs on every save
#include "flight/record_writer.h"
#include "logbook/host.h"
#include "logbook/logbook.h"
#include "logbook/newbook.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

using namespace korv;
using namespace korv::flight;

namespace {

const int kRecords = qEnvironmentVariableIntValue("KORV_BENCH_RECORDS") > 0
                         ? qEnvironmentVariableIntValue("KORV_BENCH_RECORDS")
                         : 5000;

// A logbook whose "Лист1" holds kRecords records laid out as the program writes them: every pair a
// copy of the formatted record slot (merges, formats, the M-column rule), the values in one block.
void fillLogbook(logbook::SpreadsheetHost& host, const QString& path) {
    logbook::Workbook wb = host.openWorkbook(path);
    logbook::Sheet s = wb.sheet(logbook::kSheet1);
    // Double the formatted pairs until there are enough: 1, 2, 4, ... pairs from row 7 on.
    for (int pairs = 1; pairs < kRecords + 1; pairs *= 2) {
        const int n = std::min(pairs, kRecords + 1 - pairs);
        s.cells(6, 0, 6 + 2 * n - 1, 20).copyTo(s.cell(6 + 2 * pairs, 0));
    }
    QList<QVariantList> rows;
    for (int i = 0; i < kRecords; ++i) {
        const QDate d = QDate(2004, 1, 1).addDays(i / 4);
        rows.append({d, QStringLiteral("Л-39"), QStringLiteral("Д"), QStringLiteral("П"),
                     QStringLiteral("Упр.  7 КП. День. Полёт по кругу"), 1.0, 85 / 1440.0});
        rows.append({QString(), QString(), QString(), QString(), QString(), QString(), QString()});
    }
    s.cells(6, 0, 6 + 2 * kRecords - 1, 6).setData(rows);
    if (qEnvironmentVariableIsSet("KORV_BENCH_UNMERGED"))
        s.cells(6, 0, 6 + 2 * kRecords + 1, 21).unmerge();
    wb.close(logbook::CloseMode::Save);
}

FlightRecord sampleRecord(const QDate& date) {
    FlightRecord r;
    r.date = date;
    r.cells = {{'A', 0, CellValue::ofDate(date)},
               {'B', 0, CellValue::ofText(QStringLiteral("Л-39"))},
               {'E', 0, CellValue::ofText(QStringLiteral("Упр.  7 КП. День. Полёт по кругу"))},
               {'G', 0, CellValue::ofMinutes(85)},
               {'M', 1, CellValue::ofNumber(600)}};
    return r;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    logbook::SpreadsheetHost::Options o;
    o.profileDir = dir.filePath(QStringLiteral("profile"));
    logbook::SpreadsheetHost host(o);
    logbook::NoProgress progress;
    RecordingDialogs dialogs;
    logbook::createNewLogbook(host, dir.path(), progress, dialogs);
    const QString full = logbook::bookPath(dir.path());
    fillLogbook(host, full);
    const QString work = dir.filePath(QStringLiteral("work.xls"));

    std::vector<double> writes, blockSearch, cellSearch;
    for (int run = 0; run < 7; ++run) {
        QFile::remove(work);
        QFile::copy(full, work);
        QElapsedTimer t;
        t.start();
        WriteFlightRecord(host, work, sampleRecord(QDate(2007, 6, 1)));
        writes.push_back(t.nsecsElapsed() / 1e6);

        logbook::Workbook wb = host.openWorkbook(work);
        logbook::Sheet s = wb.sheet(logbook::kSheet1);
        t.restart();
        const int free = findFreeRecordRow(s);
        blockSearch.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        int row = 6;
        while (s.cell(row, 4).kind() != logbook::CellKind::Empty)
            row += 2;
        cellSearch.push_back(t.nsecsElapsed() / 1e6);
        if (row != free)
            out << "mismatch: " << row << " vs " << free << '\n';
        wb.close(logbook::CloseMode::Discard);
    }
    // Where the time of a write goes: loading and saving the workbook.
    std::vector<double> opens, saves;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer t;
        t.start();
        logbook::Workbook wb = host.openWorkbook(work);
        opens.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        wb.close(logbook::CloseMode::Save);
        saves.push_back(t.nsecsElapsed() / 1e6);
    }
    out << "logbook of " << kRecords << " records, Calc warm, medians of 7 runs\n";
    out << "  one write (open, search, heading, record, save, close): " << median(writes) << " ms\n";
    out << "  free-pair search, column E in one block:               " << median(blockSearch) << " ms\n";
    out << "  free-pair search, cell by cell:                        " << median(cellSearch) << " ms\n";
    out << "  of a write: open " << median(opens) << " ms, save and close " << median(saves) << " ms\n";
    out << "  ratio cell-by-cell / block search:                     " << median(cellSearch) / median(blockSearch)
        << '\n';
    host.shutdown();
    return 0;
}
