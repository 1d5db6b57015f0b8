#include "cli/arguments.h"
#include "cli/commands.h"
#include "common/error.h"
#include "common/log.h"
#include "logbook/book_names.h"
#include "logbook/newbook.h"
#include "spreadsheet/uno/spreadsheet_host.h"

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

} // namespace

int runNew(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    const Arguments a = Arguments::parse(args, {{"dir", true}});
    if (a.refused()) {
        err << "korvelanta-cli new: неизвестный аргумент «" << *a.refused() << "»\n"
            << "Использование: korvelanta-cli new [--dir PATH]\n";
        return 2;
    }
    const QString dir = folderOfRun(a.value("dir"), QStringLiteral("new"));
    try {
        logbook::SpreadsheetHost host;
        PrintedProgress progress(out);
        logbook::ChangeSettings settings;
        settings.waiting = [&](const QString& text) {
            out.flush();
            QTextStream(stderr) << "korvelanta-cli new: " << text << '\n';
        };
        const logbook::NewBook made = logbook::createNewLogbook(host, dir, progress, settings);
        if (!made.created) {
            out << "Лётная книжка уже есть: " << logbook::bookPath(dir) << " (ничего не изменено)\n";
            return 0;
        }
        // The storage message has no one to wait for here: it is printed with its title.
        out << made.stored.title << ": " << made.stored.text << '\n';
        progress.status(QString());
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
