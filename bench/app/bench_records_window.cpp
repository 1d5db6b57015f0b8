// The records window opened on a logbook of 5,000 records as the pilot opens it from the running program
// (its office warm): the logbook read from a copy, listed and summed, against LibreOffice's own load of the
// same file in the same warm office. Medians of 5.
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
    qputenv("QT_QPA_PLATFORM", "offscreen");
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

    app::frmRecords& window = program.recordsForm();
    window.readLogbook(); // the office warm, as in a running program
    if (window.listed().records.size() != count)
        out << "the window listed " << window.listed().records.size() << " records of " << count << '\n';
    const double opened = medianMs([&] { window.readLogbook(); });

    const QString copy = dir.filePath(QStringLiteral("copy.xls"));
    QFile::copy(program.bookPath(), copy);
    const double load = medianMs([&] {
        logbook::Workbook wb = program.host().openWorkbook(copy);
        wb.close(logbook::CloseMode::Discard);
    });
    out << "the records window on a logbook of " << count << " records, the office warm (median of 5)\n";
    out << "  LibreOffice's own load " << QString::number(load, 'f', 0) << " ms\n";
    out << "  records read, listed and summed " << QString::number(opened, 'f', 0) << " ms, ratio "
        << QString::number(opened / load, 'f', 2) << " (target: at most 1.3)\n";
    program.host().shutdown();
    return 0;
}
