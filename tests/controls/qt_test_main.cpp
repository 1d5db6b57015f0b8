// main for the widget tests: the offscreen platform (the same pixels with or without a display) and
// a registry in a temporary directory, so that nothing reads or writes the user's own.
#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir registryDir;
    qputenv("KORV_REGISTRY", registryDir.filePath(QStringLiteral("registry.ini")).toLocal8Bit());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
