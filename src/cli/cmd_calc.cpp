#include "cli/commands.h"
#include "cli/form_json.h"
#include "common/dialogs.h"
#include "flight/shift_calculation.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

namespace korv::cli {

int runCalc(const QStringList& args) {
    QTextStream err(stderr);
    QString db = defaultDatabasePath();
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == u"--db" && i + 1 < args.size()) {
            db = args[++i];
        } else {
            err << "korvelanta-cli calc: неизвестный аргумент «" << args[i] << "»\n";
            return 2;
        }
    }

    const auto parsed = readFormInput(QStringLiteral("calc"));
    if (!parsed)
        return 2;
    const FormInput& input = *parsed;

    flight::ReferenceDatabase tables(db);
    flight::ShiftSession session(tables);
    RecordingDialogs dialogs;
    QJsonArray results;
    for (const flight::InputForm& form : input.forms) {
        pressCalculate(session, form, dialogs);
        results.append(resultObject(session.form, takeMessages(dialogs)));
    }
    QTextStream(stdout) << QJsonDocument(results).toJson(QJsonDocument::Indented);
    return 0;
}

} // namespace korv::cli
