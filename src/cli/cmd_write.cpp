#include "cli/commands.h"
#include "cli/form_json.h"
#include "cli/stop_signals.h"
#include "common/error.h"
#include "common/log.h"
#include "flight/record_writer.h"
#include "logbook/logbook.h"
#include "logbook/newbook.h"
#include "spreadsheet/uno/spreadsheet_host.h"

#include <QJsonDocument>
#include <QTextStream>

namespace korv::cli {

namespace {

// The storage message and the other texts of a logbook creation go to standard error, so that
// standard output stays the JSON of the presses.
class StderrProgress : public logbook::CreationProgress {
public:
    void status(const QString& text) override {
        if (!text.isEmpty())
            QTextStream(stderr) << text << '\n';
    }
    void progress(int) override {}
};

} // namespace

int runWrite(const QStringList& args) {
    QTextStream err(stderr);
    QString db = defaultDatabasePath();
    QString dir;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == u"--db" && i + 1 < args.size()) {
            db = args[++i];
        } else if (args[i] == u"--dir" && i + 1 < args.size()) {
            dir = args[++i];
        } else {
            err << "korvelanta-cli write: неизвестный аргумент «" << args[i] << "»\n";
            return 2;
        }
    }
    dir = folderOfRun(dir, QStringLiteral("write"));

    const auto parsed = readFormInput(QStringLiteral("write"));
    if (!parsed)
        return 2;
    const FormInput& input = *parsed;

    logbook::SpreadsheetHost host;
    RecordingDialogs dialogs;
    // Waiting for another program is said once on standard error; another program's lock that cannot
    // be judged from here is refused (the message says how to go on).
    logbook::ChangeSettings settings;
    settings.waiting = [](const QString& text) { QTextStream(stderr) << "korvelanta-cli write: " << text << '\n'; };
    try {
        // As "Заполнение" does: a missing logbook is created first.
        StderrProgress progress;
        RecordingDialogs creationDialogs;
        logbook::createNewLogbook(host, dir, progress, creationDialogs, settings);
    } catch (const Error& e) {
        log::error(QStringLiteral("korvelanta-cli write: новая лётная книжка"), e);
        err << "korvelanta-cli write: лётная книжка не создана: " << e.description() << '\n';
        return 1;
    }

    flight::ReferenceDatabase tables(db);
    flight::ShiftSession session(tables);
    flight::ShiftWriter writer(host, tables, logbook::bookPath(dir));
    writer.settings = settings;
    QJsonArray results;
    bool anyFailed = false;
    int stoppedBy = 0;
    for (const flight::InputForm& form : input.forms) {
        // Between two records: the one in hand has landed whole or not at all.
        if ((stoppedBy = stopSignal()) != 0)
            break;
        pressCalculate(session, form, dialogs);
        QJsonValue written = QJsonValue::Null;
        if (session.form.cmdWriteEnabled) {
            if (const auto w = writer.cmdWrite_Click(session, dialogs)) {
                QJsonObject o{
                    {QStringLiteral("row"), w->row},
                    {QStringLiteral("heading"), w->heading ? QJsonValue(*w->heading) : QJsonValue(QJsonValue::Null)}};
                if (w->note)
                    o.insert(QStringLiteral("note"), *w->note);
                written = o;
            } else {
                anyFailed = true;
            }
        }
        QJsonObject r = resultObject(session.form, takeMessages(dialogs));
        r.insert(QStringLiteral("written"), written);
        r.insert(QStringLiteral("txtShtorkaZ"), session.form.txtShtorkaZ);
        r.insert(QStringLiteral("txtShtorkaO"), session.form.txtShtorkaO);
        results.append(r);
    }
    QTextStream(stdout) << QJsonDocument(results).toJson(QJsonDocument::Indented);
    if (stoppedBy != 0) {
        err << "korvelanta-cli write: остановлено (" << signalName(stoppedBy) << ") после " << results.size() << " из "
            << input.forms.size() << " смен; ответ выше — о каждой, что успела пройти\n";
        return 3;
    }
    return anyFailed ? 3 : 0;
}

} // namespace korv::cli
