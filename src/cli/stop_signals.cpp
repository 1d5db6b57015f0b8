#include "cli/stop_signals.h"

#include <atomic>
#include <csignal>
#include <pthread.h>
#include <thread>

namespace korv::cli {

namespace {

std::atomic<int> requested{0};

sigset_t stopSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

} // namespace

void catchStopSignals() {
    // Blocked everywhere and taken by sigwait: no system call of the office bridge is interrupted.
    const sigset_t set = stopSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([set] {
        for (;;) {
            int signal = 0;
            if (sigwait(&set, &signal) == 0) {
                int none = 0;
                requested.compare_exchange_strong(none, signal);
            }
        }
    }).detach();
}

int stopSignal() { return requested.load(); }

const char* signalName(int signal) {
    switch (signal) {
    case SIGTERM:
        return "SIGTERM";
    case SIGINT:
        return "SIGINT";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "сигнал";
    }
}

} // namespace korv::cli
