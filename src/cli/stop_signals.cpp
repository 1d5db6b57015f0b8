#include "cli/stop_signals.h"

#include "common/stop_request.h"

#include <csignal>
#include <pthread.h>
#include <thread>

namespace korv::cli {

void catchStopSignals() {
    // Blocked everywhere and taken by sigwait: no system call of the office bridge is interrupted.
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([set] {
        for (;;) {
            int signal = 0;
            if (sigwait(&set, &signal) == 0)
                requestStop(signal);
        }
    }).detach();
}

} // namespace korv::cli
