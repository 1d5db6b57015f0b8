#include "app/startup.h"

#include "app/frmglavnaja.h"
#include "app/frmsplash.h"
#include "app/icon.h"
#include "app/program.h"
#include "app/russian.h"
#include "app/singleinstance.h"
#include "app/sysinfo.h"
#include "app/version.h"
#include "bookfiles/book_folder.h"
#include "bookfiles/scratch_dir.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include <cstdio>
#include <string_view>

namespace korv::app {

Startup::Startup(Program& program, int pauseMs) : program_(program), pauseMs_(pauseMs) {}

Startup::~Startup() { delete splash_; }

frmSplash* Startup::splash() const { return splash_; }

void Startup::Main() {
    splash_ = new frmSplash;
    connect(splash_, &frmSplash::dismissed, this, &Startup::finish);
    splash_->show();
    splash_->repaint();
    program_.mainForm();
    QTimer::singleShot(pauseMs_, this, &Startup::finish);
}

void Startup::finish() {
    if (finished_)
        return;
    finished_ = true;
    if (splash_) {
        splash_->hide();
        splash_->deleteLater();
    }
    if (program_.hasEnded())
        return;
    program_.mainForm().show();
    if (const QString notice = program_.takeStartNotice(); !notice.isEmpty())
        program_.dialogs().message(kProgramTitle.trimmed(), notice, Dialogs::Icon::Information);
    // After the cover has painted: reading the logbook takes the office's start.
    QTimer::singleShot(0, &program_.mainForm(), &frmGlavnaja::warnOfBreaks);
}

namespace {

bool hasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

} // namespace

int runKorvelanta(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view a(argv[i]);
        if (a == "--version") {
            std::printf("korvelanta %s\n", versionText().toUtf8().constData());
            return 0;
        }
        if (a == "--help" || a == "-h") {
            std::fputs("Использование: korvelanta [--help | --version]\n"
                       "Лётная книжка: ввод смен, расчёт облаков, шторки, СМУ и УМП, итоги за период.\n"
                       "Лётная книжка хранится в папке Korvelanta среди документов пользователя; другую папку\n"
                       "задаёт переменная KORVELANTA_DIR. Подробнее: man korvelanta.\n",
                       stdout);
            return 0;
        }
    }
    if (!hasDisplay()) {
        std::fputs("korvelanta: нет графического дисплея (DISPLAY не задан), окна программы показать негде.\n"
                   "Без дисплея работает korvelanta-cli: расчёт смены, новая лётная книжка, запись смен.\n",
                   stderr);
        return 1;
    }
    SingleInstance instance;
    if (!instance.acquire()) {
        // A start that shows nothing looks like a broken program: the running copy comes to the front.
        QCoreApplication knocking(argc, argv);
        FrontDoor::knock();
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvelanta"));
    QApplication::setApplicationVersion(versionText());
    QApplication::setDesktopFileName(QStringLiteral("org.example.korvelanta"));
    QApplication::setWindowIcon(programIcon());
    // Forms hand over to each other by hiding and showing, and a message box may be the only window for
    // a moment; the program ends when a form says so, not when the last window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    installRussianTranslations();

    host::Registry registry;
    sysinfo::registerDesktopTool(registry);

    // What killed runs left in the temporary folder (scratch copies of the logbook) goes first.
    logbook::files::removeDeadScratchDirs();

    int status = 0;
    {
        // Where the logbook lives this run, a logbook of an earlier build moved there first.
        const logbook::files::BookFolder folder = logbook::files::settleDefaultBookFolder();
        ProgramOptions options;
        options.bookDir = folder.folder;
        options.startNotice = folder.notice;
        Program program(std::move(options));
        FrontDoor door;
        if (door.open())
            QObject::connect(&door, &FrontDoor::knocked, &app, [&program] { program.bringToFront(); });
        Startup startup(program);
        startup.Main();
        status = QApplication::exec();
    }
    return status;
}

} // namespace korv::app
