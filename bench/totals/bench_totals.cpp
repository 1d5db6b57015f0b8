// The totals for a year over a logbook of 5,000 records, Calc warm, the save included, against LibreOffice's
// own load and store of the same logbook in the same run; and, on a logbook of 500 records, against the
// cell-by-cell way (every cell read and every record copied by a
// call of its own, sheets activated around each write, as a recorded macro does it).
//   KORV_BENCH_RECORDS=N   another size for the large logbook

#include "logbook/book_names.h"
#include "logbook/newbook.h"
#include "logbook/record_layout.h"
#include "logbook/record_slots.h"
#include "spreadsheet/uno/spreadsheet_host.h"
#include "support/generated_logbook.h"
#include "support/logbook_slots.h"
#include "support/office_baseline.h"
#include "totals/totals_run.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

using namespace korv;
namespace lb = korv::logbook;
namespace records = korv::logbook::records;
namespace column = korv::logbook::records::column;

namespace {

double totalsMs(lb::SpreadsheetHost& host, const QString& book, const QString& work) {
    std::vector<double> ms;
    for (int run = 0; run < 5; ++run) {
        QFile::remove(work);
        QFile::copy(book, work);
        totals::TotalsRun totals(host, work);
        totals::NoTotalsProgress progress;
        QElapsedTimer t;
        t.start();
        const auto out = totals.cmdItog_Click(totals::PeriodOption::CurrentYear, QDate(2005, 6, 1), {}, {}, progress);
        ms.push_back(t.nsecsElapsed() / 1e6);
        if (out.end != totals::TotalsEnd::Summary)
            QTextStream(stderr) << "unexpected end of the totals run\n";
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// The year totals the cell-by-cell way: the same steps, each cell through a call of its own.
double cellByCellMs(lb::SpreadsheetHost& host, const QString& book, const QString& work) {
    QFile::remove(work);
    QFile::copy(book, work);
    QElapsedTimer t;
    t.start();
    lb::Workbook wb = host.openWorkbook(work);
    lb::Sheet s1 = wb.sheet(lb::kSheet1), s2 = wb.sheet(lb::kSheet2), s3 = wb.sheet(lb::kSheet3),
              s4 = wb.sheet(lb::kSheet4);
    auto hold = wb.holdView(); // activating sheets needs a realised window
    s4.activate();
    s4.range(QStringLiteral("A7:U17")).clearContents();
    s1.activate();
    int entries = 0;
    while (s1.cell(records::pairRow(entries), column::E).kind() != lb::CellKind::Empty)
        ++entries;
    QList<int> taken;
    for (int i = 0; i < entries; ++i) {
        const QString a = s1.cell(records::pairRow(i), column::A).text();
        if (s1.cell(records::pairRow(i), column::A).date().year() == 2005 || a.endsWith(QStringLiteral("05")))
            taken << i;
    }
    int paste = records::kFirstRow;
    for (int i : taken) { // whole rows, a record at a time
        s1.copyRows(records::pairRow(i), 2, paste);
        s2.activate();
        s1.activate();
        paste += 2;
    }
    s2.activate();
    for (int k = 0; k < taken.size(); ++k)
        s2.cell(records::pairRow(k), column::B).text();
    const int selected = int(taken.size());
    for (int pass = 0; pass < 10; ++pass) {
        int n = 0;
        for (int k = 0; k < selected; ++k) {
            const int row = records::pairRow(k);
            const QString b = s2.cell(row, column::B).text();
            const QString c = s2.cell(row, column::C).text();
            const QString e = s2.cell(row, column::E).text();
            const bool picked =
                c == (pass < 5 ? QStringLiteral("Д") : QStringLiteral("Н")) && !b.isEmpty() &&
                (pass % 5 == 4 || e.mid(4, 3) == (pass % 5 == 0 ? QStringLiteral("  7") : QStringLiteral(" 94")));
            if (!picked)
                continue;
            for (int col :
                 {column::F, column::G, column::H, column::I, column::J, column::O, column::Q, column::R, column::S}) {
                const double v = s2.cell(row, col).value();
                s3.activate();
                s3.cell(records::kFirstRow + n, col).setValue(v);
                s2.activate();
            }
            ++n;
        }
        if (n == 0)
            continue;
        s3.activate();
        for (int col :
             {column::F, column::G, column::H, column::I, column::J, column::O, column::Q, column::R, column::S})
            s3.cell(records::kFirstRow + n, col)
                .setFormula(QStringLiteral("=SUM(%1%2:%1%3)")
                                .arg(lb::columnLetters(col))
                                .arg(records::kFirstRow + 1)
                                .arg(records::kFirstRow + n));
        for (int col : {column::E, column::F, column::G, column::H, column::I, column::J, column::O, column::Q,
                        column::R, column::S}) {
            const double v = s3.cell(records::kFirstRow + n, col).value();
            s2.activate();
            s2.cell(records::kFirstRow + 2 * selected + pass, col).setValue(v);
            s3.activate();
        }
        s3.cells(records::kFirstRow, 0, records::kFirstRow + n, column::T).clear();
    }
    s2.cells(records::kFirstRow + 2 * selected, 0, records::kFirstRow + 2 * selected + 9, records::kLastColumn)
        .copyTo(s4.cell(records::kFirstRow, 0));
    s2.cells(records::kFirstRow, 0, records::kFirstRow + 2 * selected + 10, records::kLastColumn).clear();
    hold.reset();
    wb.close(lb::CloseMode::Save);
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    lb::SpreadsheetHost::Options o;
    o.profileDir = dir.filePath(QStringLiteral("profile"));
    lb::SpreadsheetHost host(o);
    const int large = bench::largeLogbookRecords();
    const QString work = dir.filePath(QStringLiteral("work.xls"));

    // Small: every record in the year totalled; large: four years, one of them totalled.
    const QString small = bench::generatedLogbook(host, dir.filePath(QStringLiteral("small")), 500, QDate(2005, 1, 1));
    const double blocks500 = totalsMs(host, small, work);
    const double cells500 = cellByCellMs(host, small, work);
    out << "totals for a year, Calc warm, the save included (median of 5)\n";
    out << "  500 records: in blocks " << QString::number(blocks500, 'f', 0) << " ms, cell by cell "
        << QString::number(cells500, 'f', 0) << " ms, ratio " << QString::number(cells500 / blocks500, 'f', 1) << '\n';
    out.flush();
    const QString big = bench::generatedLogbook(host, dir.filePath(QStringLiteral("large")), large, QDate(2004, 1, 1));
    const double totals = totalsMs(host, big, work);
    const double floor = bench::loadAndStoreMs(host, big, work);
    out << "  " << large << " records: in blocks " << QString::number(totals, 'f', 0)
        << " ms, LibreOffice's own load and store " << QString::number(floor, 'f', 0) << " ms, ratio "
        << QString::number(totals / floor, 'f', 2) << " (target: at most 1.3)\n";
    host.shutdown();
    return 0;
}
