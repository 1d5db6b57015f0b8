#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/form_json.h"
#include "flight/shift_calculation.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

namespace korv::cli {

int runCalc(const QStringList& args) {
    QTextStream err(stderr);
    const Arguments a = Arguments::parse(args, {{"db", true}});
    if (a.refused()) {
        err << "korvelanta-cli calc: неизвестный аргумент «" << *a.refused() << "»\n";
        return 2;
    }
    const QString db = a.isSet("db") ? a.value("db") : defaultDatabasePath();

    const auto parsed = readFormInput(QStringLiteral("calc"));
    if (!parsed)
        return 2;
    const FormInput& input = *parsed;

    flight::ReferenceDatabase tables(db);
    flight::ShiftSession session(tables);
    QJsonArray results;
    for (const flight::InputForm& form : input.forms) {
        const Notices said = pressCalculate(session, form);
        results.append(resultObject(session.form, messagesJson(said)));
    }
    QTextStream(stdout) << QJsonDocument(results).toJson(QJsonDocument::Indented);
    return 0;
}

} // namespace korv::cli
