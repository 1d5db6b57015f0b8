#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/form_json.h"
#include "common/error.h"
#include "common/log.h"
#include "common/numtext.h"
#include "common/stop_request.h"
#include "flight/record_writer.h"
#include "logbook/book_names.h"
#include "logbook/newbook.h"
#include "spreadsheet/uno/spreadsheet_host.h"

#include <QFileInfo>
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

// One shift's answer, kept until the batch is saved: what the form said and where its record went.
struct Answer {
    QJsonObject object;
    Notices said;
    std::optional<flight::WrittenRecord> written;
    QString shtorkaZ, shtorkaO; // the hood heights as they were before the write cleared them
};

QJsonObject answerJson(const Answer& a) {
    QJsonObject r = a.object;
    r.insert(QStringLiteral("messages"), messagesJson(a.said));
    QJsonValue written = QJsonValue::Null;
    if (a.written) {
        QJsonObject o{{QStringLiteral("row"), a.written->row},
                      {QStringLiteral("heading"),
                       a.written->heading ? QJsonValue(*a.written->heading) : QJsonValue(QJsonValue::Null)}};
        if (a.written->note)
            o.insert(QStringLiteral("note"), *a.written->note);
        written = o;
    }
    r.insert(QStringLiteral("written"), written);
    return r;
}

} // namespace

int runWrite(const QStringList& args) {
    QTextStream err(stderr);
    const Arguments a = Arguments::parse(args, {{"db", true}, {"dir", true}});
    if (a.refused()) {
        err << "korvelanta-cli write: неизвестный аргумент «" << *a.refused() << "»\n";
        return 2;
    }
    const QString db = a.isSet("db") ? a.value("db") : defaultDatabasePath();
    const QString dir = folderOfRun(a.value("dir"), QStringLiteral("write"));

    const auto parsed = readFormInput(QStringLiteral("write"));
    if (!parsed)
        return 2;
    const FormInput& input = *parsed;

    logbook::SpreadsheetHost host;
    // Waiting for another program is said once on standard error; another program's lock that cannot
    // be judged from here is refused (the message says how to go on).
    logbook::ChangeSettings settings;
    settings.waiting = [](const QString& text) { QTextStream(stderr) << "korvelanta-cli write: " << text << '\n'; };
    try {
        // As "Заполнение" does: a missing logbook is created first.
        StderrProgress progress;
        logbook::createNewLogbook(host, dir, progress, settings);
    } catch (const Error& e) {
        log::error(QStringLiteral("korvelanta-cli write: новая лётная книжка"), e);
        err << "korvelanta-cli write: лётная книжка не создана: " << e.description() << '\n';
        return 1;
    }

    flight::ReferenceDatabase tables(db);
    flight::ShiftSession session(tables);
    flight::ShiftWriter writer(host, tables, logbook::bookPath(dir));
    writer.settings = settings;
    // The shifts go into one change of the logbook: opened with the first record, saved once at the end.
    writer.beginBatch();
    QList<Answer> answers;
    bool anyFailed = false;
    int stoppedBy = 0;
    for (const flight::InputForm& form : input.forms) {
        // Between two shifts: what was appended so far is saved below, whole.
        if ((stoppedBy = stopRequested()) != 0)
            break;
        Answer answer;
        answer.said = pressCalculate(session, form);
        if (session.form.cmdWriteEnabled) {
            answer.shtorkaZ = session.form.txtShtorkaZ;
            answer.shtorkaO = session.form.txtShtorkaO;
            const flight::WriteOutcome outcome = writer.cmdWrite_Click(session);
            answer.said << outcome.notices;
            answer.written = outcome.written;
            anyFailed = anyFailed || !outcome.written;
        } else {
            anyFailed = true; // refused at "Считать": not written either
        }
        answer.object = resultObject(session.form, {});
        answer.object.insert(QStringLiteral("txtShtorkaZ"), session.form.txtShtorkaZ);
        answer.object.insert(QStringLiteral("txtShtorkaO"), session.form.txtShtorkaO);
        answers << answer;
    }
    try {
        if (const auto note = writer.finishBatch()) {
            for (Answer& answer : answers) {
                if (!answer.written)
                    continue;
                answer.written->note = note;
                answer.said << Notice{flight::kWriteFailedTitle,
                                      QStringLiteral("Смена записана в лётную книжку.\n") + *note,
                                      Notice::Icon::Warning};
            }
        }
    } catch (const Error& e) {
        // Nothing of the batch is in the file: every shift it took says so, as a refused write does.
        log::error(QStringLiteral("korvelanta-cli write: сохранение"), e);
        for (Answer& answer : answers) {
            if (!answer.written)
                continue;
            answer.written.reset();
            answer.object.insert(QStringLiteral("txtShtorkaZ"), answer.shtorkaZ);
            answer.object.insert(QStringLiteral("txtShtorkaO"), answer.shtorkaO);
            answer.object.insert(QStringLiteral("cmdWrite"), QJsonObject{{QStringLiteral("enabled"), true}});
            answer.said << Notice{flight::kWriteFailedTitle,
                                  QStringLiteral("Смена не записана, лётная книжка не изменена.\n") + e.description(),
                                  Notice::Icon::Critical};
            anyFailed = true;
        }
    }
    QJsonArray results;
    for (const Answer& answer : answers)
        results.append(answerJson(answer));
    QTextStream(stdout) << QJsonDocument(results).toJson(QJsonDocument::Indented);
    if (stoppedBy != 0) {
        err << "korvelanta-cli write: остановлено (" << stopSignalName(stoppedBy) << ") после " << results.size()
            << " из " << input.forms.size() << " смен; ответ выше — о каждой, что успела пройти\n";
        return 3;
    }
    return anyFailed ? 3 : 0;
}

int runEdit(const QStringList& args) {
    QTextStream err(stderr);
    const Arguments a = Arguments::parse(args, {{"db", true}, {"dir", true}, {"row", true}});
    const auto usage = [&](const QString& why) {
        err << "korvelanta-cli edit: " << why << '\n'
            << "Использование: korvelanta-cli edit --row N [--dir PATH] [--db PATH] < смена.json\n";
        return 2;
    };
    if (a.refused())
        return usage(QStringLiteral("неизвестный аргумент «") + a.refused()->left(32) + u'»');
    const auto row = wholeNumber(a.value("row"));
    if (!row || *row < logbook::records::kFirstRow + 1 || *row > logbook::records::kSheetRows)
        return usage(QStringLiteral("нужна строка записи (--row N, как её показывает korvelanta-cli records)"));
    const QString db = a.isSet("db") ? a.value("db") : defaultDatabasePath();
    const QString dir = folderOfRun(a.value("dir"), QStringLiteral("edit"));
    const auto parsed = readFormInput(QStringLiteral("edit"));
    if (!parsed)
        return 2;
    if (parsed->forms.size() != 1)
        return usage(QStringLiteral("нужна ровно одна смена: исправленная запись"));
    if (!QFileInfo::exists(logbook::bookPath(dir))) {
        err << "korvelanta-cli edit: лётная книжка не найдена: " << logbook::bookPath(dir) << '\n';
        return 1;
    }

    logbook::SpreadsheetHost host;
    flight::ReferenceDatabase tables(db);
    flight::ShiftSession session(tables);
    flight::ShiftWriter writer(host, tables, logbook::bookPath(dir));
    writer.settings.waiting = [](const QString& text) {
        QTextStream(stderr) << "korvelanta-cli edit: " << text << '\n';
    };
    Answer answer;
    answer.said = pressCalculate(session, parsed->forms.front());
    if (session.form.cmdWriteEnabled) {
        writer.correctRecordAt(int(*row));
        const flight::WriteOutcome outcome = writer.cmdWrite_Click(session);
        answer.said << outcome.notices;
        answer.written = outcome.written;
    }
    answer.object = resultObject(session.form, {});
    QTextStream(stdout) << QJsonDocument(answerJson(answer)).toJson(QJsonDocument::Indented);
    return answer.written ? 0 : 3;
}

} // namespace korv::cli
