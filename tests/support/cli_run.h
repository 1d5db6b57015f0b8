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

inline QString cliPath() { return QDir(qEnvironmentVariable("KORV_BIN_DIR")).filePath("korvelanta-cli"); }

// `environment` empty: the test's own.
inline CliRun runCli(const QStringList& args, const QByteArray& input, int timeoutMs = 180000,
                     const QProcessEnvironment& environment = {}) {
    QProcess p;
    if (!environment.isEmpty())
        p.setProcessEnvironment(environment);
    p.start(cliPath(), args);
    EXPECT_TRUE(p.waitForStarted());
    p.write(input);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(timeoutMs));
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}
