// Old records brought into a new logbook, timed as the pilot waits for them: the whole `korvelanta-cli
// import` of 3,000 records from a CSV into an empty logbook, from the process's start to its exit with the
// file saved, against LibreOffice's own load and store of the logbook that results (in a warm office of
// another profile). The import twice: starting its own office, and attaching to an office kept running.
// Medians of 5 rounds after a warm-up round.
//   KORV_BENCH_IMPORT=N    another number of records
//   KORV_BENCH_RUNS=N      another number of rounds

#include "logbook/book_names.h"
#include "spreadsheet/uno/spreadsheet_host.h"
#include "support/office_baseline.h"
#include "support/whole_process.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <memory>
#include <vector>

using namespace korv;

namespace {

int records() {
    const int n = qEnvironmentVariableIntValue("KORV_BENCH_IMPORT");
    return n > 0 ? n : 3000;
}

QString hm(int minutes) { return QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QChar(u'0')); }

// `count` records in the export's own form, one to three a day from 03.01.05 on, so that months and years
// change among them.
QByteArray csv(int count) {
    QByteArray out = "дата,тип,время суток,сидение,упражнение,полётов,налёт,в закрытой кабине,в СМУ,в облаках,высота,"
                     "метеоусловия,взлётов при минимуме,система,заходов,посадок,посадок при минимуме,"
                     "верхняя граница облаков,нижняя граница облаков,видимость\r\n";
    QDate day(2005, 1, 3);
    for (int i = 0; i < count; ++i) {
        if (i % 2 == 0)
            day = day.addDays(1 + i % 3);
        const int total = 20 + (i * 37) % 100;
        const int smu = (i % 3) * total / 4;
        const QStringList fields{day.toString(QStringLiteral("dd.MM.yyyy")),
                                 QStringLiteral("Л-39"),
                                 QStringLiteral("Д"),
                                 QStringLiteral("Л"),
                                 QStringLiteral("Упр.  7 КП. День. Полёт в зону на сложный пилотаж"),
                                 QString::number(1 + i % 3),
                                 hm(total),
                                 QString(),
                                 smu > 0 ? hm(smu) : QString(),
                                 smu > 0 ? hm(smu / 2) : QString(),
                                 QStringLiteral("1.5"),
                                 QStringLiteral("3"),
                                 QString(),
                                 QStringLiteral("ОСП"),
                                 QStringLiteral("2"),
                                 QStringLiteral("2"),
                                 QString(),
                                 QStringLiteral("2000"),
                                 QStringLiteral("600"),
                                 QStringLiteral("10")};
        out += fields.join(u',').toUtf8() + "\r\n";
    }
    return out;
}

double processMs(const QStringList& args, const QProcessEnvironment& env) {
    return bench::wholeProcessMs(QStringLiteral(KORV_CLI), args, {}, env);
}

using bench::median;

struct Figures {
    double import = 0, floor = 0;
};

Figures measure(logbook::SpreadsheetHost& floorHost, const QString& empty, const QString& source, const QString& dir,
                const QProcessEnvironment& env) {
    std::vector<double> import, floor;
    const QString work = dir + QStringLiteral("/work");
    for (int round = 0; round <= bench::roundsOfRun(); ++round) {
        QDir(work).removeRecursively();
        QDir().mkpath(work);
        QFile::copy(empty, logbook::bookPath(work));
        const double i =
            processMs({QStringLiteral("import"), QStringLiteral("--csv"), source, QStringLiteral("--dir"), work}, env);
        const double f =
            bench::loadAndStoreMs(floorHost, logbook::bookPath(work), dir + QStringLiteral("/floor.xls"), 1);
        if (round == 0)
            continue;
        import.push_back(i);
        floor.push_back(f);
    }
    return {median(import), median(floor)};
}

using bench::msText;
using bench::ratioText;

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString cache = dir.filePath(QStringLiteral("cache"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CACHE_HOME"), cache);

    const QString source = dir.filePath(QStringLiteral("records.csv"));
    QFile f(source);
    if (!f.open(QIODevice::WriteOnly) || f.write(csv(records())) < 0)
        return 1;
    f.close();
    const QString empty = dir.filePath(QStringLiteral("empty"));
    QDir().mkpath(empty);
    processMs({QStringLiteral("new"), QStringLiteral("--dir"), empty}, env);

    logbook::SpreadsheetHost::Options floorOptions;
    floorOptions.profileDir = dir.filePath(QStringLiteral("floor-profile"));
    logbook::SpreadsheetHost floorHost(floorOptions);

    logbook::SpreadsheetHost::Options o;
    o.profileDir = cache + QStringLiteral("/korvelanta/office-profile");
    auto kept = std::make_unique<logbook::SpreadsheetHost>(o);
    kept->attach();
    const Figures warm = measure(floorHost, logbook::bookPath(empty), source, dir.path(), env);
    kept->shutdown();
    kept.reset();
    const Figures own = measure(floorHost, logbook::bookPath(empty), source, dir.path(), env);
    floorHost.shutdown();

    out << "import of " << records() << " records into an empty logbook, korvelanta-cli from start to exit (medians of "
        << bench::roundsOfRun() << " rounds)\n";
    out << "                                       its own office   an office kept running\n";
    out << "  LibreOffice's load and store, warm   " << msText(own.floor).leftJustified(17) << msText(warm.floor)
        << '\n';
    out << "  import                               " << msText(own.import).leftJustified(17) << msText(warm.import)
        << '\n';
    out << "  import / LibreOffice's load, store   " << ratioText(own.import / own.floor).leftJustified(17)
        << ratioText(warm.import / warm.floor) << "  (target: at most 2)\n";
    return 0;
}
