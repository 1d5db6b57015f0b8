// korvelanta-office-guard PROFILE PIPE: started by a program about to start an office, before it does, in a
// session of its own; it outlives every program using that office. Once no program holds the clients' lock
// (they ended, however they ended: a killed one's lock goes with it) and no workbook is shown to the pilot,
// it closes what the office holds, unsaved, and ends it, so that no office and none of its lock files of
// the logbook stay behind for good. The office is found by its pipe, so a program killed at any moment of
// its start leaves none: the guard runs before the office exists. It ends when the office does, or when
// none appears.

#include "common/log.h"
#include "spreadsheet/uno/office_process.h"
#include "spreadsheet/uno/spreadsheet_host.h"

#include <QCoreApplication>
#include <QFile>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {

using korv::logbook::SpreadsheetHost;

constexpr int kTickMs = 500;
// No office on the pipe for this long: its program died before it started one; once one was seen, it
// ended (a first start's restart takes milliseconds).
constexpr int kNeverSeenMs = 3000;
constexpr int kGoneMs = 1000;
// An office that takes no connection for this long while nobody uses it is hung: ended by force.
constexpr int kSilentMs = 20000;
// A stopped or hung office can hold a connection attempt or its end for ever: past this, it is killed.
constexpr int kTalkLimitSeconds = 30;

std::atomic<long long> talkingSince{0}; // seconds of the steady clock, 0 while not talking to the office
std::atomic<pid_t> watched{0};

long long nowSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString profile = QFile::decodeName(argv[1]);
    const QString pipe = QString::fromUtf8(argv[2]);
    std::signal(SIGPIPE, SIG_IGN);
    const int clients = ::open(QFile::encodeName(SpreadsheetHost::clientsLockFile(profile)).constData(),
                               O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (clients < 0)
        return 1;
    std::thread([] {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            const long long since = talkingSince.load();
            if (since != 0 && nowSeconds() - since > kTalkLimitSeconds) {
                if (const pid_t office = watched.load(); office > 0)
                    ::kill(office, SIGKILL);
                ::_exit(0);
            }
        }
    }).detach();
    int absentMs = 0;
    int silentMs = 0;
    bool seen = false;
    for (;;) {
        ::usleep(kTickMs * 1000);
        const pid_t office = korv::logbook::detail::findOfficeByPipe(pipe);
        watched = office;
        if (office == 0) {
            if ((absentMs += kTickMs) >= (seen ? kGoneMs : kNeverSeenMs))
                return 0;
            continue;
        }
        absentMs = 0;
        seen = true;
        if (::flock(clients, LOCK_EX | LOCK_NB) != 0)
            continue; // a program uses the office
        talkingSince = nowSeconds();
        {
            SpreadsheetHost::Options options;
            options.profileDir = profile;
            options.pipeName = pipe;
            options.guard = true;
            SpreadsheetHost host(options);
            try {
                host.attach();
                silentMs = 0;
                // The pilot looks at the logbook in it: the office is his until he closes the window.
                if (!host.anyWorkbookShown())
                    host.shutdown();
            } catch (const std::exception& e) {
                // Still starting (its program was killed a moment after it started it), or hung.
                if ((silentMs += kTickMs) >= kSilentMs) {
                    korv::log::write(QStringLiteral("office guard: the office answers nobody, ended by force"));
                    ::kill(office, SIGKILL);
                }
            }
        }
        talkingSince = 0;
        ::flock(clients, LOCK_UN);
    }
}
