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

// A Л-39 shift for `korvelanta-cli write`: day, complex weather, the exercise given; `landings` adds the
// landing system and two approaches and landings.
inline QByteArray shiftJson(const char* date, const char* exercise = "7", bool landings = false) {
    QByteArray s = R"({"cboTyp": "Л-39", "txtTpolChas": "1", "txtTpolMin": "25", "txtBal": "8",
        "txtHn": "600", "txtHv": "900", "txtVidKm": "10", "optDSMU": true, "txtHpol": "3000",
        "txtPol": "1", "optForward": true, "txtUpr": "EX", "optPrivate": true, "txtDate": "DATE")";
    if (landings)
        s += R"(, "cboSys": "ОСП", "txtZah": "2", "txtPos": "2")";
    s += "}";
    return s.replace("DATE", date).replace("EX", exercise);
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
