#pragma once

// A command timed as the pilot waits for it: the whole korvelanta-cli process from its start to its exit.

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace korv::bench {

// The process of `program` with `args` and `input` on its standard input, in ms; an exit other than 0 is
// said on standard error (the figure is still returned, and is then no figure of the command's work).
inline double wholeProcessMs(const QString& program, const QStringList& args, const QByteArray& input,
                             const QProcessEnvironment& env) {
    QProcess p;
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(600000);
    const double elapsed = double(t.nsecsElapsed()) / 1e6;
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        QTextStream(stderr) << "korvelanta-cli " << args.join(u' ') << " ended with " << p.exitCode() << ": "
                            << p.readAllStandardError() << '\n';
    return elapsed;
}

// The rounds a benchmark of whole processes times: KORV_BENCH_RUNS, 5 when not set.
inline int roundsOfRun() {
    const int n = qEnvironmentVariableIntValue("KORV_BENCH_RUNS");
    return n > 0 ? n : 5;
}

// A figure as the benchmarks print it: whole milliseconds, a ratio to two places.
inline QString msText(double v) { return QString::number(v, 'f', 0) + QStringLiteral(" ms"); }
inline QString ratioText(double v) { return QString::number(v, 'f', 2); }

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace korv::bench
