#include "app/startup.h"

#include "app/frmglavnaja.h"
#include "app/frmsplash.h"
#include "app/icon.h"
#include "app/program.h"
#include "app/russian.h"
#include "app/singleinstance.h"
#include "app/sysinfo.h"
#include "app/version.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include <cstdio>

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
    if (!program_.hasEnded())
        program_.mainForm().show();
}

namespace {

bool hasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

} // namespace

int runKorvelanta(int argc, char** argv) {
    if (!hasDisplay()) {
        std::fputs("korvelanta: нет графического дисплея (DISPLAY не задан), окна программы показать негде.\n"
                   "Без дисплея работает korvelanta-cli: расчёт смены, новая лётная книжка, запись смен.\n",
                   stderr);
        return 1;
    }
    SingleInstance instance;
    if (!instance.acquire())
        return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvelanta"));
    QApplication::setApplicationVersion(versionText());
    QApplication::setDesktopFileName(QStringLiteral("korvelanta"));
    QApplication::setWindowIcon(programIcon());
    // Forms hand over to each other by hiding and showing, and a message box may be the only window for
    // a moment; the program ends when a form says so, not when the last window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    installRussianTranslations();

    host::Registry registry;
    sysinfo::registerDesktopTool(registry);

    int status = 0;
    {
        Program program;
        Startup startup(program);
        startup.Main();
        status = QApplication::exec();
    }
    return status;
}

} // namespace korv::app
