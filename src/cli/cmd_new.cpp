#include "cli/commands.h"
#include "common/dialogs.h"
#include "common/error.h"
#include "common/log.h"
#include "logbook/logbook.h"
#include "logbook/newbook.h"
#include "spreadsheet/uno/spreadsheet_host.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace korv::cli {

namespace {

// Prints every status text and progress value as the creation reports them.
class PrintedProgress : public logbook::CreationProgress {
public:
    explicit PrintedProgress(QTextStream& out) : out_(out) {}
    void status(const QString& text) override {
        out_ << (text.isEmpty() ? QStringLiteral("(строка состояния очищена)") : text) << '\n';
        out_.flush();
    }
    void progress(int value) override {
        out_ << value << '\n';
        out_.flush();
    }

private:
    QTextStream& out_;
};

// The storage message has no one to wait for here: it is printed with its title.
class PrintedDialogs : public RecordingDialogs {
public:
    explicit PrintedDialogs(QTextStream& out) : out_(out) {}
    void message(const QString& title, const QString& text, Icon icon) override {
        RecordingDialogs::message(title, text, icon);
        out_ << title << ": " << text << '\n';
        out_.flush();
    }

private:
    QTextStream& out_;
};

} // namespace

int runNew(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    QString dir;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == u"--dir" && i + 1 < args.size()) {
            dir = args[++i];
        } else {
            err << "korvelanta-cli new: неизвестный аргумент «" << args[i] << "»\n"
                << "Использование: korvelanta-cli new [--dir PATH]\n";
            return 2;
        }
    }
    dir = folderOfRun(dir, QStringLiteral("new"));
    try {
        logbook::SpreadsheetHost host;
        PrintedProgress progress(out);
        PrintedDialogs dialogs(out);
        logbook::ChangeSettings settings;
        settings.waiting = [&](const QString& text) {
            out.flush();
            QTextStream(stderr) << "korvelanta-cli new: " << text << '\n';
        };
        const auto outcome = logbook::createNewLogbook(host, dir, progress, dialogs, settings);
        if (outcome == logbook::NewBookOutcome::AlreadyExists) {
            out << "Лётная книжка уже есть: " << logbook::bookPath(dir) << " (ничего не изменено)\n";
            return 0;
        }
        out << "Лётная книжка создана: " << logbook::bookPath(dir) << '\n';
        return 0;
    } catch (const Error& e) {
        log::error(QStringLiteral("korvelanta-cli new"), e);
        out.flush();
        err << "Ошибка " << e.text() << '\n';
        return 1;
    }
}

} // namespace korv::cli
