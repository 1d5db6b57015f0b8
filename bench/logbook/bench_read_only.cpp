// The commands that only read a logbook of 5,000 records, as the pilot runs them, from program start to the
// answer (`korvelanta-cli check`, `recency` with a limits file, `chart --png`; whole processes with their own
// office), against LibreOffice's own load of the same file as a whole process (`soffice --headless
// --convert-to csv`, which loads the workbook and writes one sheet). All with a warm profile of their own;
// medians of 5.
//   KORV_BENCH_RECORDS=N   another size

#include "spreadsheet/uno/spreadsheet_host.h"
#include "support/generated_logbook.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <utility>
#include <vector>

using namespace korv;

namespace {

// Median of five runs of the program (ms), after one that warms its profile.
double processMs(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
    std::vector<double> ms;
    for (int run = 0; run < 6; ++run) {
        QProcess p;
        p.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        p.start(program, args);
        p.waitForFinished(600000);
        if (run > 0)
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
        if (p.exitStatus() != QProcess::NormalExit || (p.exitCode() != 0 && p.exitCode() != 3))
            QTextStream(stderr) << program << " ended with " << p.exitCode() << ": " << p.readAllStandardError()
                                << '\n';
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    const int count = bench::largeLogbookRecords();
    {
        logbook::SpreadsheetHost::Options o;
        o.profileDir = dir.filePath(QStringLiteral("profile"));
        logbook::SpreadsheetHost host(o);
        bench::generatedLogbook(host, dir.filePath(QStringLiteral("book")), count, QDate(2004, 1, 1));
        host.shutdown();
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("cache")));
    const QString book = dir.filePath(QStringLiteral("book"));
    {
        QFile limits(book + QStringLiteral("/Korvelanta-перерывы.ini"));
        limits.open(QIODevice::WriteOnly);
        limits.write("любой полёт = 30\nночью = 45\nв СМУ днём = 60\n[Л-39]\nпод шторкой = 90\n");
    }
    const QString cli = QStringLiteral(KORV_CLI);
    const double check =
        processMs(cli, {QStringLiteral("check"), QStringLiteral("--json"), QStringLiteral("--dir"), book}, env);
    const double recency =
        processMs(cli, {QStringLiteral("recency"), QStringLiteral("--json"), QStringLiteral("--dir"), book}, env);
    const double chart =
        processMs(cli,
                  {QStringLiteral("chart"), QStringLiteral("--year"), QStringLiteral("2005"), QStringLiteral("--dir"),
                   book, QStringLiteral("--png"), dir.filePath(QStringLiteral("chart.png"))},
                  env);
    const double load =
        processMs(QStringLiteral("soffice"),
                  {QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("soffice-profile")),
                   QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"),
                   QStringLiteral("csv"), QStringLiteral("--outdir"), dir.filePath(QStringLiteral("csv")),
                   dir.filePath(QStringLiteral("book/Korvelanta.xls"))},
                  env);
    out << "read-only commands on a logbook of " << count << " records, program start to answer (median of 5)\n";
    out << "  LibreOffice's own load " << QString::number(load, 'f', 0) << " ms\n";
    for (const auto& [name, ms] :
         {std::pair{"check  ", check}, std::pair{"recency", recency}, std::pair{"chart  ", chart}})
        out << "  korvelanta-cli " << name << ' ' << QString::number(ms, 'f', 0) << " ms, ratio "
            << QString::number(ms / load, 'f', 2) << " (target: at most 1.3)\n";
    return 0;
}
