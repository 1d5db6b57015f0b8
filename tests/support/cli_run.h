#pragma once

// Runs korvelanta-cli of the build tree with the given standard input.

#include "support/worked_shift.h"

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

// The worked shift for `korvelanta-cli write` on `date` with `exercise`; `landings` adds the landing
// system and two approaches and landings.
inline QByteArray shiftJson(const char* date, const char* exercise = "7", bool landings = false) {
    korv::flight::InputForm f = korv::test::workedShift();
    f.txtDate = QString::fromLatin1(date);
    f.txtUpr = QString::fromLatin1(exercise);
    return korv::test::formJson(landings ? korv::test::withLandings(f) : f);
}

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
