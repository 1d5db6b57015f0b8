#pragma once

// The office process itself: a seeded private profile, soffice.bin started directly (so that the pid
// held is the office and not a wrapper), its exit status. No UNO here.

#include <QString>

#include <sys/types.h>

namespace korv::logbook::detail {

// Writes <profile>/user/registrymodifications.xcu when the profile is new. Recording a product
// version spares every later start LibreOffice's graphics self-tests (seconds per start).
void seedProfile(const QString& profileDir);

// The process id of the office accepting connections on `pipeName` (any office of this machine, started
// by this program or another), 0 when none runs.
pid_t findOfficeByPipe(const QString& pipeName);

// Waits up to timeoutMs for the process to end (it need not be a child), then kills it.
void endProcess(pid_t pid, int timeoutMs);

class OfficeProcess {
public:
    OfficeProcess() = default;
    ~OfficeProcess();
    OfficeProcess(const OfficeProcess&) = delete;
    OfficeProcess& operator=(const OfficeProcess&) = delete;

    // Starts soffice.bin with the profile and pipe; headless or invisible. Throws korv::Error.
    // vclPlugin: the window toolkit for a run with a display; empty for LibreOffice's choice.
    void start(const QString& profileDir, const QString& pipeName, bool headless, const QString& vclPlugin = {});
    // Starts the same command again (after LibreOffice asked for a restart).
    void restart();

    pid_t pid() const { return pid_; }
    bool started() const { return pid_ > 0; }
    // Reaps the process without waiting; true when it has ended. exitCode() is then valid
    // (-signal for a signal).
    bool hasExited();
    int exitCode() const { return exitCode_; }
    // Waits up to timeoutMs for the end; true when it ended.
    bool waitForExit(int timeoutMs);
    void kill();
    // Forget the process (it ended and was reaped).
    void reset();

private:
    void spawn();
    pid_t pid_ = -1;
    int exitCode_ = 0;
    QString profileDir_, pipeName_;
    bool headless_ = true;
    QString vclPlugin_;
};

} // namespace korv::logbook::detail
