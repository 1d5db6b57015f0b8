// The commands that change a logbook of 5,000 records, timed as the pilot waits for them: the whole
// `korvelanta-cli` process from its start to its exit, on a fresh copy of the logbook each run.
//   - `write` of one shift against `write` of a batch of 30 shifts;
//   - `write` of one shift and `totals` of a year against LibreOffice's own load and store of the same file
//     in a warm office; `pages --all` (every record laid out and exported) beside them.
// Each command twice: starting its own office (as from a terminal, the profile warm) and attaching to an
// office another program keeps running (as beside the desktop program). The floor is measured in an office
// of another profile, in the same rounds as the commands. Medians of 5 rounds after a warm-up round.
//   KORV_BENCH_RECORDS=N   another size
//   KORV_BENCH_RUNS=N      another number of rounds

#include "flight/input_form.h"
#include "logbook/book_names.h"
#include "spreadsheet/uno/spreadsheet_host.h"
#include "support/generated_logbook.h"
#include "support/office_baseline.h"
#include "support/whole_process.h"
#include "support/worked_shift.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

using namespace korv;

namespace {

// `count` shifts of the worked example from 01.01.08 on, three days apart, so that months change among them.
QByteArray shifts(int count) {
    QByteArray json = "[";
    for (int i = 0; i < count; ++i) {
        flight::InputForm f = test::workedShift();
        f.txtDate = QDate(2008, 1, 1).addDays(3 * i).toString(QStringLiteral("dd.MM.yy"));
        json += (i > 0 ? "," : "") + test::formJson(f);
    }
    return json + "]";
}

struct Command {
    QStringList args;
    QByteArray input;
};

// The whole process (ms) on a fresh copy of `book` in `workDir`.
double processMs(const Command& c, const QString& book, const QString& workDir, const QProcessEnvironment& env) {
    QDir(workDir).removeRecursively();
    QDir().mkpath(workDir);
    QFile::copy(book, logbook::bookPath(workDir));
    return bench::wholeProcessMs(QStringLiteral(KORV_CLI), c.args + QStringList{QStringLiteral("--dir"), workDir},
                                 c.input, env);
}

using bench::median;

// One figure of every kind a round, the rounds after a warm-up one, so that what the machine does meanwhile
// falls on all of them alike.
struct Figures {
    double floor = 0, one = 0, thirty = 0, year = 0, pages = 0;
};

Figures measure(logbook::SpreadsheetHost& floorHost, const QString& book, const QString& dir,
                const QProcessEnvironment& env, const std::array<Command, 4>& commands) {
    std::vector<double> floor, one, thirty, year, pages;
    const QString work = dir + QStringLiteral("/work");
    for (int round = 0; round <= bench::roundsOfRun(); ++round) {
        const double f = bench::loadAndStoreMs(floorHost, book, dir + QStringLiteral("/floor.xls"), 1);
        const double o = processMs(commands[0], book, work, env);
        const double t = processMs(commands[1], book, work, env);
        const double y = processMs(commands[2], book, work, env);
        const double p = processMs(commands[3], book, work, env);
        if (round == 0)
            continue;
        floor.push_back(f);
        one.push_back(o);
        thirty.push_back(t);
        year.push_back(y);
        pages.push_back(p);
    }
    return {median(floor), median(one), median(thirty), median(year), median(pages)};
}

using bench::msText;
using bench::ratioText;

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    const int count = bench::largeLogbookRecords();
    const QString cache = dir.filePath(QStringLiteral("cache"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CACHE_HOME"), cache);

    // LibreOffice's own load and store, in a warm office of a profile the commands do not use.
    logbook::SpreadsheetHost::Options floorOptions;
    floorOptions.profileDir = dir.filePath(QStringLiteral("floor-profile"));
    logbook::SpreadsheetHost floorHost(floorOptions);
    const QString book =
        bench::generatedLogbook(floorHost, dir.filePath(QStringLiteral("book")), count, QDate(2004, 1, 1));

    const std::array<Command, 4> commands{
        Command{{QStringLiteral("write")}, shifts(1)}, Command{{QStringLiteral("write")}, shifts(30)},
        Command{{QStringLiteral("totals"), QStringLiteral("--period"), QStringLiteral("current-year"),
                 QStringLiteral("--today"), QStringLiteral("01.06.05"), QStringLiteral("--json")},
                {}},
        Command{{QStringLiteral("pages"), QStringLiteral("--all"), QStringLiteral("--pdf"),
                 dir.filePath(QStringLiteral("pages.pdf"))},
                {}}};

    // Attached to an office kept running on the commands' own profile.
    logbook::SpreadsheetHost::Options o;
    o.profileDir = cache + QStringLiteral("/korvelanta/office-profile");
    auto kept = std::make_unique<logbook::SpreadsheetHost>(o);
    kept->attach();
    const Figures warm = measure(floorHost, book, dir.path(), env, commands);
    kept->shutdown();
    kept.reset();
    // Each command starting its own office, and ending it.
    const Figures own = measure(floorHost, book, dir.path(), env, commands);
    floorHost.shutdown();

    out << "changes of a logbook of " << count << " records, korvelanta-cli from start to exit (medians of "
        << bench::roundsOfRun() << " rounds)\n";
    out << "                                       its own office   an office kept running\n";
    out << "  LibreOffice's load and store, warm   " << msText(own.floor).leftJustified(17) << msText(warm.floor)
        << '\n';
    out << "  write, 1 shift                       " << msText(own.one).leftJustified(17) << msText(warm.one) << '\n';
    out << "  write, 30 shifts                     " << msText(own.thirty).leftJustified(17) << msText(warm.thirty)
        << '\n';
    out << "  totals, a year                       " << msText(own.year).leftJustified(17) << msText(warm.year) << '\n';
    out << "  pages, every record                  " << msText(own.pages).leftJustified(17) << msText(warm.pages)
        << '\n';
    out << "  30 shifts / 1 shift                  " << ratioText(own.thirty / own.one).leftJustified(17)
        << ratioText(warm.thirty / warm.one) << "  (target: at most 1.5)\n";
    out << "  totals / LibreOffice's load, store   " << ratioText(own.year / own.floor).leftJustified(17)
        << ratioText(warm.year / warm.floor) << "  (target: at most 1.3)\n";
    out << "  write / LibreOffice's load, store    " << ratioText(own.one / own.floor).leftJustified(17)
        << ratioText(warm.one / warm.floor) << "  (target: at most 1.3)\n";
    return 0;
}
