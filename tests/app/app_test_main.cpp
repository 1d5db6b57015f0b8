// main of the desktop program's tests: the platform the test asks for (offscreen for the form tests,
// the virtual display for the end-to-end test), a registry in a temporary directory with the control
// libraries of the program directory registered in it, and Qt's texts in Russian as the program has them.
#include "app/russian.h"
#include "app_test_support.h"
#include "controls/host/createcontrol.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    const QByteArray platform = qgetenv("KORV_APP_PLATFORM");
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
    QTemporaryDir registryDir;
    qputenv("KORV_REGISTRY", registryDir.filePath(QStringLiteral("registry.ini")).toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    korv::app::installRussianTranslations();
    for (const char* lib : {"libtarvix_p15.so", "libDrovanetta.so"})
        korv::host::RegisterLibrary(QDir(apptest::binDir()).filePath(QString::fromLatin1(lib)));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
