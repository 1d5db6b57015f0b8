#include "cli/cli.h"
#include "cli/stop_signals.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <memory>

int main(int argc, char** argv) {
    korv::cli::catchStopSignals();
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    // The chart is painted with fonts, which need a GUI application; without a display it paints off screen.
    std::unique_ptr<QCoreApplication> app;
    if (korv::cli::needsGui(args)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("Korvelanta"));
    return korv::cli::run(QCoreApplication::arguments().mid(1));
}
