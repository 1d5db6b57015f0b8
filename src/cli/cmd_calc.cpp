#include "cli/commands.h"
#include "cli/form_json.h"
#include "common/dialogs.h"
#include "flight/shift_calculation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

namespace korv::cli {

QString defaultDatabasePath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("FlightTables1.mdb"));
}

QJsonArray takeMessages(RecordingDialogs& dialogs) {
    QJsonArray out;
    for (const auto& m : dialogs.messages)
        out.append(QJsonObject{{QStringLiteral("title"), m.title}, {QStringLiteral("text"), m.text}});
    dialogs.messages.clear();
    return out;
}

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

    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) {
        err << "korvelanta-cli calc: не удалось прочитать стандартный ввод\n";
        return 2;
    }
    const FormInput input = parseFormInput(in.readAll());
    if (!input.error.isEmpty()) {
        err << "korvelanta-cli calc: " << input.error << '\n';
        return 2;
    }

    flight::ReferenceDatabase tables(db);
    flight::ShiftSession session(tables);
    RecordingDialogs dialogs;
    QJsonArray results;
    for (const flight::InputForm& form : input.forms) {
        if (applyInputs(form, session.form))
            session.RefreshInputState();
        session.cmdOK_Click(dialogs);
        results.append(resultObject(session.form, takeMessages(dialogs)));
    }
    QTextStream(stdout) << QJsonDocument(results).toJson(QJsonDocument::Indented);
    return 0;
}

} // namespace korv::cli
