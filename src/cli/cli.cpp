#include "cli/cli.h"

#include "bookfiles/scratch_dir.h"
#include "cli/commands.h"

#include <QTextStream>

#include <array>

namespace korv::cli {

namespace {

struct Command {
    const char* name;
    int (*run)(const QStringList&);
    const char* usage;
};

const std::array kCommands{
    Command{"calc", runCalc, "calc  [--db PATH]              расчёт смены (JSON на входе и выходе)"},
    Command{"new", runNew, "new   [--dir PATH]             новая лётная книжка"},
    Command{"write", runWrite, "write [--dir PATH] [--db PATH] расчёт и запись смен в лётную книжку"},
    Command{"totals", runTotals,
            "totals --period ПЕРИОД [--type ТИП] [--today ДД.ММ.ГГ] [--dir PATH] [--print|--pdf FILE] [--json]\n"
            "                                               итоги за период; ПЕРИОД: current-month, last-month,\n"
            "                                               current-year, last-year или ДД.ММ.ГГ-ДД.ММ.ГГ"},
    Command{"backups", runBackups, "backups [--dir PATH] [--json]  резервные копии лётной книжки"},
    Command{"restore", runRestore, "restore ИМЯ [--dir PATH]       восстановить лётную книжку из копии"},
    Command{"check", runCheck,
            "check [--dir PATH] [--db PATH] [--json]\n"
            "                                               проверка лётной книжки по строкам; ничего не меняет"},
    Command{"recency", runRecency,
            "recency [--dir PATH] [--today ДД.ММ.ГГ] [--json]\n"
            "                                               перерывы в полётах по видам; ничего не меняет"},
    Command{"course", runCourse,
            "course [--type ТИП] [--period ПЕРИОД | --all] [--today ДД.ММ.ГГ] [--dir PATH] [--db PATH] [--json]\n"
            "       [--pdf FILE | --print]\n"
            "                                               выполнение упражнений курса за период (по умолчанию\n"
            "                                               текущий год); ничего не меняет"},
    Command{"chart", runChart,
            "chart (--year ГГГГ | --last-12) [--today ДД.ММ.ГГ] [--dir PATH] (--png FILE | --svg FILE) [--json]\n"
            "                                               график налёта по месяцам; ничего не меняет"},
    Command{"pages", runPages,
            "pages (--period ПЕРИОД | --all) [--today ДД.ММ.ГГ] [--dir PATH] (--pdf FILE | --print)\n"
            "                                               страницы лётной книжки за период: PDF или печать"},
    Command{"export", runExport,
            "export (--csv FILE|- | --json FILE|-) [--period ПЕРИОД | --all] [--today ДД.ММ.ГГ] [--dir PATH]\n"
            "                                               записи за период в CSV или JSON; ничего не меняет"},
    Command{"records", runRecords,
            "records [--period ПЕРИОД] [--type ТИП] [--exercise ТЕКСТ] [--today ДД.ММ.ГГ] [--dir PATH] [--json]\n"
            "                                               записи книжки по периоду, типу, упражнению, с суммами"},
    Command{"edit", runEdit,
            "edit --row N [--dir PATH] [--db PATH]\n"
            "                                               исправить запись строки N сменой (JSON на входе)"},
    Command{"remove", runRemove,
            "remove --row N [--yes] [--dir PATH]\n"
            "                                               удалить запись строки N (без --yes только показать её)"},
    Command{
        "import", runImport,
        "import (--csv FILE|- | --workbook FILE [--sheet ЛИСТ]) [--map FILE] [--save-map FILE] [--times ч.мм|часы]\n"
        "       [--dry-run] [--json] [--dir PATH] [--db PATH]\n"
        "                                               перенос старых записей: просмотр и запись в книжку"},
    Command{"undo", runUndo, "undo  [--dir PATH]             отменить последнее изменение книжки этой программой"},
};

void usage(QTextStream& to) {
    to << "Использование: korvelanta-cli КОМАНДА [АРГУМЕНТЫ]\n"
          "       korvelanta-cli --help | --version | КОМАНДА --help\n\nКоманды:\n";
    for (const Command& c : kCommands)
        to << "  " << c.usage << '\n';
    to << "\nЛётная книжка хранится в папке Korvelanta среди документов пользователя; другую папку задаёт\n"
          "переменная KORVELANTA_DIR, а для одной команды --dir. Подробнее: man korvelanta-cli.\n";
}

bool asksForHelp(const QStringList& args) { return args.contains(u"--help") || args.contains(u"-h"); }

// "--dir ''" (an unset variable in a script) would otherwise be taken as no folder, and the command would run
// on the default logbook.
bool namesAnEmptyFolder(const QStringList& args) {
    for (qsizetype i = 0; i < args.size(); ++i)
        if ((args[i] == u"--dir" && i + 1 < args.size() && args[i + 1].trimmed().isEmpty()) ||
            (args[i].startsWith(u"--dir=") && args[i].mid(6).trimmed().isEmpty()))
            return true;
    return false;
}

} // namespace

bool needsGui(const QStringList& args) { return !args.isEmpty() && args.front() == u"chart"; }

int run(const QStringList& commandLine) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = commandLine;
    if (args.isEmpty()) {
        usage(err);
        return 2;
    }
    const QString command = args.takeFirst();
    if (command == u"--help" || command == u"-h") {
        usage(out);
        return 0;
    }
    if (command == u"--version") {
        out << "korvelanta-cli " << KORV_VERSION << '\n';
        return 0;
    }
    for (const Command& c : kCommands) {
        if (command != QLatin1String(c.name))
            continue;
        if (asksForHelp(args)) {
            out << "Использование: korvelanta-cli " << c.usage << '\n';
            return 0;
        }
        if (QString::fromLatin1(c.usage).contains(u"--dir") && namesAnEmptyFolder(args)) {
            err << "korvelanta-cli " << command
                << ": --dir: пустой путь; назовите папку лётной книжки или не "
                   "указывайте --dir\n"
                << "Использование: korvelanta-cli " << c.usage << '\n';
            return 2;
        }
        // What killed runs left in the temporary folder (scratch copies of the logbook) goes first.
        logbook::files::removeDeadScratchDirs();
        out.flush();
        return c.run(args);
    }
    err << "korvelanta-cli: неизвестная команда «" << command.left(32) << "»\n";
    usage(err);
    return 2;
}

} // namespace korv::cli
