#include "common/stop_request.h"

#include <atomic>
#include <chrono>
#include <csignal>

namespace korv {

namespace {

std::atomic<int> requested{0};
std::atomic<long long> requestedAtMs{0};

long long nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

void requestStop(int signal) {
    int none = 0;
    if (requested.compare_exchange_strong(none, signal))
        requestedAtMs = nowMs();
}

int stopRequested() { return requested.load(); }

long long msSinceStopRequest() { return requested.load() == 0 ? -1 : nowMs() - requestedAtMs.load(); }

const char* stopSignalName(int signal) {
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

} // namespace korv
