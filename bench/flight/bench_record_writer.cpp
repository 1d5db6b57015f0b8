// One write of a shift (Calc warm) into logbooks of 500, 1,000, 2,000 and 5,000 records, with the record
// slot of earlier builds (every covered cell of a pair formatted like its column) against the slot whose
// covered cells share formats, in the same run; each against LibreOffice's own load and store of the same
// logbook; the growth of the cost above an empty logbook from 1,000 to 5,000 records; the one-time cost of
// the first write into an earlier build's logbook; and the reading of the logbook's shape in one block
// against the free pair's search cell by cell.
//   KORV_BENCH_SIZES=500,5000   other logbook sizes
#include "bookfiles/backups.h"
#include "flight/record_writer.h"
#include "logbook/book_names.h"
#include "logbook/newbook.h"
#include "logbook/record_layout.h"
#include "logbook/record_slots.h"
#include "logbook/sheet_adapter.h"
#include "spreadsheet/uno/spreadsheet_host.h"
#include "support/logbook_slots.h"
#include "support/office_baseline.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <map>
#include <vector>

using namespace korv;
using namespace korv::flight;
namespace records = korv::logbook::records;

namespace {

enum class Slot { Earlier, Shared };

QList<int> sizes() {
    QList<int> out;
    for (const QString& s : qEnvironmentVariable("KORV_BENCH_SIZES", QStringLiteral("500,1000,2000,5000")).split(u','))
        if (s.toInt() > 0)
            out << s.toInt();
    return out;
}

// The covered cells of the first slot as earlier builds left them: each formatted like its column.
void restoreEarlierSlot(logbook::Sheet& s) {
    for (int c = records::column::A; c <= records::kLastColumn; ++c)
        if (c != records::column::M)
            s.cell(records::kFirstRow + 1, c).apply(s.cell(records::kFirstRow, c).format());
}

// A logbook of `records` records laid out as the program writes them: every pair a copy of the formatted
// record slot (merges, formats, the M-column rule), the values in one block.
QString makeLogbook(logbook::SpreadsheetHost& host, const QString& dir, int count, Slot slot) {
    logbook::Workbook wb =
        bench::logbookWithSlots(host, dir, count, slot == Slot::Earlier ? restoreEarlierSlot : nullptr);
    logbook::Sheet s = wb.sheet(logbook::kSheet1);
    const int first = records::kFirstRow;
    if (count > 0) {
        QList<QVariantList> rows;
        for (int i = 0; i < count; ++i) {
            const QDate d = QDate(2004, 1, 1).addDays(i / 4);
            rows.append({d, QStringLiteral("Л-39"), QStringLiteral("Д"), QStringLiteral("П"),
                         QStringLiteral("Упр.  7 КП. День. Полёт по кругу"), 1.0, 85 / 1440.0});
            rows.append({QString(), QString(), QString(), QString(), QString(), QString(), QString()});
        }
        s.cells(first, 0, first + 2 * count - 1, 6).setData(rows);
        // As every write leaves it.
        logbook::CellFormat day;
        day.numberFormat = QStringLiteral("d");
        s.range(QStringLiteral("A:A")).apply(day);
        if (slot == Slot::Shared) // as the first write into the logbook left it
            logbook::shareCoveredCellFormats(s, records::pairRow(count));
    }
    wb.close(logbook::CloseMode::Save);
    return logbook::bookPath(dir);
}

logbook::PairCells sampleRecord(const QDate& date) {
    namespace column = records::column;
    logbook::PairCells r;
    r.first[column::A] = logbook::dateCell(date);
    r.first[column::B] = QStringLiteral("Л-39");
    r.first[column::E] = QStringLiteral("Упр.  7 КП. День. Полёт по кругу");
    r.first[column::G] = logbook::timeCell(Minutes(85));
    r.second[column::M] = 600.0;
    return r;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Median of five writes into fresh copies of `book`.
double writeMs(logbook::SpreadsheetHost& host, const QString& book, const QString& work, logbook::SlotUpkeep upkeep) {
    std::vector<double> ms;
    for (int run = 0; run < 5; ++run) {
        QFile::remove(work);
        QFile::copy(book, work);
        QElapsedTimer t;
        t.start();
        WriteFlightRecord(host, work, sampleRecord(QDate(2007, 6, 1)), upkeep);
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    return median(ms);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    dir.setAutoRemove(!qEnvironmentVariableIsSet("KORV_BENCH_KEEP"));
    logbook::SpreadsheetHost::Options o;
    o.profileDir = dir.filePath(QStringLiteral("profile"));
    logbook::SpreadsheetHost host(o);
    const QString work = dir.filePath(QStringLiteral("work.xls"));

    const QString empty = makeLogbook(host, dir.filePath(QStringLiteral("empty")), 0, Slot::Shared);
    const double emptyMs = writeMs(host, empty, work, logbook::SlotUpkeep::ShareCoveredFormats);

    out << "one write, Calc warm, median of 5 (ms)\n";
    out << "  records   earlier slot   shared slot   ratio   first write into an earlier build's logbook   "
           "load+store   write/load+store\n";
    std::map<int, double> shared;
    for (const int n : sizes()) {
        const QString earlier = makeLogbook(host, dir.filePath(QStringLiteral("earlier-%1").arg(n)), n, Slot::Earlier);
        const QString now = makeLogbook(host, dir.filePath(QStringLiteral("shared-%1").arg(n)), n, Slot::Shared);
        const double e = writeMs(host, earlier, work, logbook::SlotUpkeep::LeaveAsFound);
        const double s = writeMs(host, now, work, logbook::SlotUpkeep::ShareCoveredFormats);
        const double upgrade = writeMs(host, earlier, work, logbook::SlotUpkeep::ShareCoveredFormats);
        const double floor = bench::loadAndStoreMs(host, now, work);
        shared[n] = s;
        out << QStringLiteral("  %1 %2 %3 %4 %5 %6 %7\n")
                   .arg(n, 7)
                   .arg(e, 14, 'f', 0)
                   .arg(s, 13, 'f', 0)
                   .arg(e / s, 7, 'f', 2)
                   .arg(upgrade, 12, 'f', 0)
                   .arg(floor, 33, 'f', 0)
                   .arg(s / floor, 18, 'f', 2);
        out.flush();
    }
    out << "  empty logbook: " << QString::number(emptyMs, 'f', 0) << " ms\n";
    if (shared.count(1000) && shared.count(5000))
        out << "  growth of the cost above an empty logbook, 1,000 -> 5,000 records: "
            << QString::number((shared[5000] - emptyMs) / (shared[1000] - emptyMs), 'f', 2) << "x (linear: 5x)\n";

    // The backup every write keeps of the logbook it replaces (included in the writes above).
    {
        const int largest = sizes().isEmpty() ? 0 : sizes().back();
        const QString book = logbook::bookPath(dir.filePath(QStringLiteral("shared-%1").arg(largest)));
        std::vector<double> ms;
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer t;
            t.start();
            logbook::backups::keep(book, QDateTime::currentDateTime().addSecs(run));
            ms.push_back(t.nsecsElapsed() / 1e6);
        }
        out << "backup of the " << largest << "-record logbook (" << QFileInfo(book).size() / 1024
            << " KiB): " << QString::number(median(ms), 'f', 1) << " ms\n";
    }

    // The free pair: the logbook's shape from one block against column E cell by cell, in the largest logbook.
    const int largest = sizes().isEmpty() ? 0 : sizes().back();
    QFile::remove(work);
    QFile::copy(logbook::bookPath(dir.filePath(QStringLiteral("shared-%1").arg(largest))), work);
    std::vector<double> blockSearch, cellSearch;
    logbook::Workbook wb = host.openWorkbook(work);
    logbook::Sheet s = wb.sheet(logbook::kSheet1);
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer t;
        t.start();
        const int free = logbook::readLogbook(s).freeRow();
        blockSearch.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        int row = records::kFirstRow;
        while (s.cell(row, records::column::E).kind() != logbook::CellKind::Empty)
            row += records::kRowsPerRecord;
        cellSearch.push_back(t.nsecsElapsed() / 1e6);
        if (row != free)
            out << "mismatch: " << row << " vs " << free << '\n';
    }
    wb.close(logbook::CloseMode::Discard);
    out << "free pair in " << largest << " records: the shape from one block of A..V " << median(blockSearch)
        << " ms, column E cell by cell " << median(cellSearch) << " ms, ratio "
        << median(cellSearch) / median(blockSearch) << '\n';
    host.shutdown();
    return 0;
}
