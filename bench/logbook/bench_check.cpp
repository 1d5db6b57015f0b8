// The check of a logbook of 5,000 records as the pilot runs it, from program start to the answer
// (`korvelanta-cli check`, a whole process with its own office), against LibreOffice's own load of the same
// file as a whole process (`soffice --headless --convert-to csv`, which loads the workbook and writes one
// sheet). Both with a warm profile of their own; medians of 5.
//   KORV_BENCH_RECORDS=N   another size

#include "spreadsheet/host.h"
#include "support/generated_logbook.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
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
    const int count = qEnvironmentVariableIntValue("KORV_BENCH_RECORDS") > 0
                          ? qEnvironmentVariableIntValue("KORV_BENCH_RECORDS")
                          : 5000;
    {
        logbook::SpreadsheetHost::Options o;
        o.profileDir = dir.filePath(QStringLiteral("profile"));
        logbook::SpreadsheetHost host(o);
        bench::generatedLogbook(host, dir.filePath(QStringLiteral("book")), count, QDate(2004, 1, 1));
        host.shutdown();
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("cache")));
    const double check = processMs(QStringLiteral(KORV_CLI),
                                   {QStringLiteral("check"), QStringLiteral("--json"), QStringLiteral("--dir"),
                                    dir.filePath(QStringLiteral("book"))},
                                   env);
    const double load =
        processMs(QStringLiteral("soffice"),
                  {QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("soffice-profile")),
                   QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"),
                   QStringLiteral("csv"), QStringLiteral("--outdir"), dir.filePath(QStringLiteral("csv")),
                   dir.filePath(QStringLiteral("book/Korvelanta.xls"))},
                  env);
    out << "check of a logbook of " << count << " records, program start to answer (median of 5)\n";
    out << "  korvelanta-cli check " << QString::number(check, 'f', 0) << " ms, LibreOffice's own load "
        << QString::number(load, 'f', 0) << " ms, ratio " << QString::number(check / load, 'f', 2)
        << " (target: at most 1.3)\n";
    return 0;
}
