#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/form_json.h"
#include "common/error.h"
#include "common/log.h"
#include "flight/input_form.h"
#include "flight/reference_db.h"
#include "logbook/book_names.h"
#include "logbook/book_reading.h"
#include "spreadsheet/uno/spreadsheet_host.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace korv::cli {

int runCheck(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    const Arguments a = Arguments::parse(args, {{"dir", true}, {"db", true}, {"json"}});
    if (a.refused()) {
        err << "korvelanta-cli check: неизвестный аргумент «" << a.refused()->left(32) << "»\n"
            << "Использование: korvelanta-cli check [--dir PATH] [--db PATH] [--json]\n";
        return 2;
    }
    const QString db = a.isSet("db") ? a.value("db") : defaultDatabasePath();
    const bool json = a.isSet("json");
    const QString dir = folderOfRun(a.value("dir"), QStringLiteral("check"));
    const QString book = logbook::bookPath(dir);

    QList<logbook::Finding> findings;
    try {
        logbook::CheckReference reference;
        reference.aircraftTypes = flight::kAircraftTypes;
        flight::ReferenceDatabase tables(db);
        reference.exercises = tables.exerciseNumbers();
        logbook::SpreadsheetHost host;
        findings = logbook::checkLogbook(host, book, reference);
    } catch (const Error& e) {
        log::error(QStringLiteral("korvelanta-cli check"), e);
        err << "korvelanta-cli check: лётная книжка не проверена: " << e.description() << '\n';
        return 1;
    }

    int errors = 0;
    for (const auto& f : findings)
        errors += f.severity == logbook::Severity::Error ? 1 : 0;
    if (json) {
        QJsonArray items;
        for (const auto& f : findings)
            items.append(QJsonObject{{QStringLiteral("row"), f.row},
                                     {QStringLiteral("column"), f.columnLetter()},
                                     {QStringLiteral("severity"), f.severity == logbook::Severity::Error
                                                                      ? QStringLiteral("error")
                                                                      : QStringLiteral("warning")},
                                     {QStringLiteral("text"), f.text}});
        out << QJsonDocument(QJsonObject{{QStringLiteral("book"), book},
                                         {QStringLiteral("errors"), errors},
                                         {QStringLiteral("warnings"), int(findings.size()) - errors},
                                         {QStringLiteral("findings"), items}})
                   .toJson(QJsonDocument::Indented);
    } else {
        out << "Проверка лётной книжки " << book << '\n';
        if (findings.isEmpty()) {
            out << "Ошибок не найдено\n";
        } else {
            out << "Строка  Столбец  Вид             Что не так\n";
            for (const auto& f : findings)
                out << QString::number(f.row).rightJustified(6) << "  " << f.columnLetter().leftJustified(7) << "  "
                    << logbook::severityText(f.severity).leftJustified(14) << "  " << f.text << '\n';
            out << "Ошибок: " << errors << ", предупреждений: " << findings.size() - errors << '\n';
        }
    }
    return findings.isEmpty() ? 0 : 3;
}

} // namespace korv::cli
