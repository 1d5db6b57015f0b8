#pragma once

// Runs korvelanta-cli from the program directory with the given standard input.

#include <QByteArray>
#include <QDir>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

struct CliRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline CliRun runCli(const QStringList& args, const QByteArray& input, int timeoutMs = 180000) {
    QProcess p;
    p.start(QDir(qEnvironmentVariable("KORV_BIN_DIR")).filePath("korvelanta-cli"), args);
    EXPECT_TRUE(p.waitForStarted());
    p.write(input);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(timeoutMs));
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}
