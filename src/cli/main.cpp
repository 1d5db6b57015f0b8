#include "cli/commands.h"
#include "cli/stop_signals.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {

void usage() {
    QTextStream err(stderr);
    err << "Использование:\n"
           "  korvelanta-cli calc  [--db PATH]              расчёт смены (JSON на входе и выходе)\n"
           "  korvelanta-cli new   [--dir PATH]             новая лётная книжка\n"
           "  korvelanta-cli write [--dir PATH] [--db PATH] расчёт и запись смен в лётную книжку\n"
           "  korvelanta-cli totals --period ПЕРИОД [--today ДД.ММ.ГГ] [--dir PATH] [--print|--pdf FILE] [--json]\n"
           "                                                итоги за период\n"
           "  korvelanta-cli backups [--dir PATH] [--json]    резервные копии лётной книжки\n"
           "  korvelanta-cli restore ИМЯ [--dir PATH]         восстановить лётную книжку из копии\n";
}

} // namespace

int main(int argc, char** argv) {
    korv::cli::catchStopSignals();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Korvelanta"));
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        usage();
        return 2;
    }
    const QString command = args.takeFirst();
    if (command == u"calc")
        return korv::cli::runCalc(args);
    if (command == u"new")
        return korv::cli::runNew(args);
    if (command == u"write")
        return korv::cli::runWrite(args);
    if (command == u"totals")
        return korv::cli::runTotals(args);
    if (command == u"backups")
        return korv::cli::runBackups(args);
    if (command == u"restore")
        return korv::cli::runRestore(args);
    usage();
    return 2;
}
