#include "cli/arguments.h"
#include "cli/commands.h"
#include "common/error.h"
#include "common/log.h"
#include "logbook/book_change.h"
#include "logbook/book_names.h"
#include "spreadsheet/uno/spreadsheet_host.h"

#include <QFileInfo>
#include <QTextStream>

namespace korv::cli {

int runUndo(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    const Arguments a = Arguments::parse(args, {{"dir", true}});
    if (a.refused()) {
        err << "korvelanta-cli undo: неизвестный аргумент «" << a.refused()->left(32) << "»\n"
            << "Использование: korvelanta-cli undo [--dir PATH]\n";
        return 2;
    }
    const QString book = logbook::bookPath(folderOfRun(a.value("dir"), QStringLiteral("undo")));
    try {
        logbook::SpreadsheetHost host;
        logbook::ChangeSettings settings;
        settings.waiting = [&](const QString& text) { err << "korvelanta-cli undo: " << text << '\n' << Qt::flush; };
        const logbook::Undone undone = logbook::undoLastChange(host, book, settings);
        out << "Отменено: " << undone.what << " (" << undone.time.toString(QStringLiteral("dd.MM.yyyy HH:mm"))
            << "); лётная книжка — как в копии " << QFileInfo(undone.restored).fileName() << '\n';
        if (!undone.kept.isEmpty())
            out << "Книжка до отмены сохранена как " << QFileInfo(undone.kept).fileName()
                << "; korvelanta-cli undo ещё раз вернёт её\n";
        return 0;
    } catch (const Error& e) {
        log::error(QStringLiteral("korvelanta-cli undo"), e);
        err << "korvelanta-cli undo: " << e.description() << '\n';
        // Refused on what the logbook is (changed since, nothing to undo): as a removal of no record.
        return e.number() == Error::Changed || e.number() == Error::FileNotFound ? 3 : 1;
    }
}

} // namespace korv::cli
