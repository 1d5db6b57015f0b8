#include "cli/arguments.h"
#include "cli/commands.h"
#include "common/error.h"
#include "common/log.h"
#include "common/numtext.h"
#include "logbook/book_names.h"
#include "logbook/logbook_change.h"
#include "logbook/record_layout.h"
#include "spreadsheet/uno/spreadsheet_host.h"
#include "totals/record_list.h"

#include <QFileInfo>
#include <QTextStream>

namespace korv::cli {

namespace {

const char* const kRemoveUsage = "Использование: korvelanta-cli remove --row N [--yes] [--dir PATH]\n";

} // namespace

int runRemove(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    const auto usage = [&](const QString& why) {
        err << "korvelanta-cli remove: " << why << '\n' << kRemoveUsage;
        return 2;
    };
    const Arguments a = Arguments::parse(args, {{"dir", true}, {"row", true}, {"yes"}});
    if (a.refused())
        return usage(QStringLiteral("неизвестный аргумент «") + a.refused()->left(32) + u'»');
    const auto row = wholeNumber(a.value("row"));
    if (!row || *row < logbook::records::kFirstRow + 1 || *row > logbook::records::kSheetRows)
        return usage(QStringLiteral("нужна строка записи (--row N, как её показывает korvelanta-cli records)"));
    const QString book = logbook::bookPath(folderOfRun(a.value("dir"), QStringLiteral("remove")));
    if (!QFileInfo::exists(book)) {
        err << "korvelanta-cli remove: лётная книжка не найдена: " << book << '\n';
        return 1;
    }

    logbook::SpreadsheetHost host;
    logbook::ChangeSettings settings;
    settings.waiting = [](const QString& text) { QTextStream(stderr) << "korvelanta-cli remove: " << text << '\n'; };
    try {
        logbook::LogbookChange change(host, book, settings);
        const logbook::Logbook& model = change.logbook();
        const int index = model.entryAt(int(*row) - 1);
        if (index < 0 || !model.entries()[index].isRecord()) {
            change.discard();
            err << "korvelanta-cli remove: в строке " << *row
                << " нет записи смены (korvelanta-cli records показывает строки записей); лётная книжка не "
                   "изменена\n";
            return 3;
        }
        const QString line = totals::recordSummary(model.entries()[index]);
        if (!a.isSet("yes")) {
            change.discard();
            out << line << '\n';
            err << "korvelanta-cli remove: запись не удалена: чтобы удалить её, повторите команду с --yes\n";
            return 3;
        }
        const QList<logbook::PairEdit> edits = change.remove(index);
        const std::optional<QString> note = change.save(QStringLiteral("удаление записи строки %1").arg(*row));
        out << "Удалена " << line << '\n';
        // The month heading left with no record went too: a second pair deleted with it or after it.
        if (edits.size() > 1 || (!edits.isEmpty() && edits.front().pairs > 1))
            out << "Удалён и заголовок месяца над ней: под ним не осталось записей\n";
        if (note)
            err << "korvelanta-cli remove: " << *note << '\n';
        return 0;
    } catch (const Error& e) {
        log::error(QStringLiteral("korvelanta-cli remove"), e);
        err << "korvelanta-cli remove: запись не удалена, лётная книжка не изменена: " << e.description() << '\n';
        return 1;
    }
}

} // namespace korv::cli
