#include "bookfiles/backups.h"
#include "bookfiles/file_system.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "common/error.h"
#include "common/log.h"
#include "logbook/book_change.h"
#include "logbook/book_names.h"
#include "logbook/book_reading.h"
#include "logbook/record_layout.h"
#include "spreadsheet/uno/spreadsheet_host.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace korv::cli {

int runBackups(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    const Arguments a = Arguments::parse(args, {{"dir", true}, {"json"}});
    if (a.refused()) {
        err << "korvelanta-cli backups: неизвестный аргумент «" << a.refused()->left(32) << "»\n"
            << "Использование: korvelanta-cli backups [--dir PATH] [--json]\n";
        return 2;
    }
    const bool json = a.isSet("json");
    const QString dir = folderOfRun(a.value("dir"), QStringLiteral("backups"));
    const QString real = logbook::files::realPath(logbook::bookPath(dir));
    const QList<logbook::backups::Backup> list = logbook::backups::list(real);
    logbook::SpreadsheetHost host;
    QJsonArray items;
    if (!json)
        out << "Резервные копии лётной книжки в " << logbook::backups::directoryOf(real) << ", новые первыми:\n";
    for (const auto& b : list) {
        QJsonValue count = QJsonValue::Null;
        QString countText = QStringLiteral("не читается");
        try {
            const int n = logbook::recordCount(host, b.path);
            count = n;
            countText = QString::number(n);
        } catch (const Error& e) {
            log::error(QStringLiteral("korvelanta-cli backups: ") + b.name, e);
        }
        if (json) {
            items.append(QJsonObject{{QStringLiteral("name"), b.name},
                                     {QStringLiteral("time"), b.time.toString(Qt::ISODate)},
                                     {QStringLiteral("size"), double(b.size)},
                                     {QStringLiteral("records"), count},
                                     {QStringLiteral("kind"), b.kind == logbook::backups::Kind::RunStart
                                                                  ? QStringLiteral("run-start")
                                                                  : QStringLiteral("in-run")}});
        } else {
            out << QStringLiteral("  %1  %2  %3 байт  записей: %4%5\n")
                       .arg(b.name, b.time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")))
                       .arg(b.size)
                       .arg(countText, b.kind == logbook::backups::Kind::RunStart
                                           ? QStringLiteral("  (до запуска программы)")
                                           : QString());
        }
    }
    if (json)
        out << QJsonDocument(items).toJson(QJsonDocument::Indented);
    else if (list.isEmpty())
        out << "  (нет)\n";
    return 0;
}

int runRestore(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    const Arguments a = Arguments::parse(args, {{"dir", true}}, 1);
    if (a.refused()) {
        err << "korvelanta-cli restore: неизвестный аргумент «" << a.refused()->left(32) << "»\n"
            << "Использование: korvelanta-cli restore ИМЯ [--dir PATH]\n";
        return 2;
    }
    const QString name = a.positional().value(0);
    if (name.isEmpty()) {
        err << "korvelanta-cli restore: нужно имя резервной копии (korvelanta-cli backups их показывает)\n";
        return 2;
    }
    const QString dir = folderOfRun(a.value("dir"), QStringLiteral("restore"));
    const QString book = logbook::bookPath(dir);
    const QString real = logbook::files::realPath(book);
    // Only a backup of the list, by its name: nothing else is ever copied over the logbook.
    QString path;
    for (const auto& b : logbook::backups::list(real))
        if (b.name == name)
            path = b.path;
    if (path.isEmpty()) {
        err << "korvelanta-cli restore: нет резервной копии «" << name.left(64) << "» в "
            << logbook::backups::directoryOf(real) << '\n';
        return 1;
    }
    try {
        logbook::SpreadsheetHost host;
        logbook::ChangeSettings settings;
        settings.waiting = [&](const QString& text) { err << "korvelanta-cli restore: " << text << '\n' << Qt::flush; };
        const QString kept = logbook::restoreBackup(host, book, path, settings);
        out << "Лётная книжка восстановлена из резервной копии " << name << '\n';
        if (!kept.isEmpty())
            out << "Прежняя лётная книжка сохранена как " << QFileInfo(kept).fileName() << '\n';
        return 0;
    } catch (const Error& e) {
        log::error(QStringLiteral("korvelanta-cli restore"), e);
        err << "Лётная книжка не восстановлена, ничего не изменено. " << e.description() << '\n';
        return 1;
    }
}

} // namespace korv::cli
