// The records window opened on a logbook of 5,000 records as the pilot opens it from the running program
// (its office warm): the window made and shown, the logbook read from a copy, listed, summed and painted;
// against LibreOffice's own load of the same file in the same warm office, hidden and into a window (as the
// pilot opens the file in Calc). Medians of 5.
//   KORV_BENCH_RECORDS=N   another size

#include "app/frmrecords.h"
#include "app/program.h"
#include "support/generated_logbook.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

using namespace korv;

namespace {

double medianMs(const std::function<void()>& step, int runs = 5) {
    std::vector<double> ms;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer t;
        t.start();
        step();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    const int count = bench::largeLogbookRecords();
    const QString book = dir.filePath(QStringLiteral("book"));

    app::ProgramOptions o;
    o.bookDir = book;
    o.office.profileDir = dir.filePath(QStringLiteral("profile"));
    o.databasePath = QStringLiteral(KORV_BIN_DIR "/FlightTables1.mdb");
    o.helpPath = QStringLiteral(KORV_BIN_DIR "/Help/Korvelanta.HLP");
    app::Program program(std::move(o));
    bench::generatedLogbook(program.host(), book, count, QDate(2004, 1, 1));

    const auto openWindow = [&] {
        auto window = std::make_unique<app::frmRecords>(program);
        window->show();
        window->readLogbook();
        QApplication::processEvents();
        return window;
    };
    if (const auto warm = openWindow();
        warm->listed().records.size() != count) // the office warm, as in a running program
        out << "the window listed " << warm->listed().records.size() << " records of " << count << '\n';
    std::unique_ptr<app::frmRecords> last;
    const double opened = medianMs([&] { last = openWindow(); });
    last.reset();

    const QString copy = dir.filePath(QStringLiteral("copy.xls"));
    QFile::copy(program.bookPath(), copy);
    const auto load = [&](logbook::Office::OpenMode mode) {
        return medianMs([&] {
            logbook::Workbook wb = program.host().openWorkbook(copy, mode);
            wb.close(logbook::CloseMode::Discard);
        });
    };
    const double hidden = load(logbook::Office::OpenMode::Hidden);
    const double shown = load(logbook::Office::OpenMode::Shown);
    out << "the records window on a logbook of " << count << " records, the office warm (median of 5)\n";
    out << "  LibreOffice's own load: hidden " << QString::number(hidden, 'f', 0) << " ms, into a window "
        << QString::number(shown, 'f', 0) << " ms\n";
    out << "  the window made, read, listed, summed and painted " << QString::number(opened, 'f', 0) << " ms, ratio "
        << QString::number(opened / hidden, 'f', 2) << " to the hidden load, "
        << QString::number(opened / shown, 'f', 2) << " to the load into a window (target: at most 1.3)\n";
    program.host().shutdown();
    return 0;
}
