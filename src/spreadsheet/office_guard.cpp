// korvelanta-office-guard PROFILE PIPE PID: started by the program that started an office, in a session
// of its own, it outlives every program using that office. Once no program holds the clients' lock (they
// ended, however they ended: a killed one's lock goes with it) and no workbook is shown to the pilot, it
// closes what the office holds, unsaved, and ends it, so that no office and none of its lock files of
// the logbook stay behind for good. It ends when the office does.

#include "common/log.h"
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

constexpr int kTickMs = 1000;
// An office that takes no connection for this long while nobody uses it is hung: ended by force.
constexpr int kSilentTicks = 20;
// A stopped or hung office can hold a connection attempt or its end for ever: past this, it is killed.
constexpr int kTalkLimitSeconds = 30;

std::atomic<long long> talkingSince{0}; // seconds of the steady clock, 0 while not talking to the office

long long nowSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool alive(pid_t pid) {
    if (::kill(pid, 0) != 0 && errno == ESRCH)
        return false;
    // A zombie (ended, not yet reaped by the program that started it) is gone too.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 || close + 2 >= line.size() || line[close + 2] != 'Z';
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4)
        return 2;
    const QString profile = QFile::decodeName(argv[1]);
    const QString pipe = QString::fromUtf8(argv[2]);
    const auto office = pid_t(std::atoll(argv[3]));
    if (office <= 0)
        return 2;
    std::signal(SIGPIPE, SIG_IGN);
    const int clients = ::open(QFile::encodeName(SpreadsheetHost::clientsLockFile(profile)).constData(),
                               O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (clients < 0)
        return 1;
    std::thread([office] {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            const long long since = talkingSince.load();
            if (since != 0 && nowSeconds() - since > kTalkLimitSeconds) {
                ::kill(office, SIGKILL);
                ::_exit(0);
            }
        }
    }).detach();
    int silent = 0;
    for (;;) {
        ::usleep(kTickMs * 1000);
        if (!alive(office))
            return 0;
        if (::flock(clients, LOCK_EX | LOCK_NB) != 0)
            continue; // a program uses the office
        bool ended = false;
        talkingSince = nowSeconds();
        {
            SpreadsheetHost::Options options;
            options.profileDir = profile;
            options.pipeName = pipe;
            options.guard = true;
            SpreadsheetHost host(options);
            try {
                host.attach();
                silent = 0;
                // The pilot looks at the logbook in it: the office is his until he closes the window.
                if (!host.anyWorkbookShown()) {
                    host.shutdown();
                    ended = true;
                }
            } catch (const std::exception& e) {
                if (++silent >= kSilentTicks && alive(office)) {
                    korv::log::write(QStringLiteral("office guard: the office answers nobody, ended by force"));
                    ::kill(office, SIGKILL);
                    ended = true;
                }
            }
        }
        talkingSince = 0;
        ::flock(clients, LOCK_UN);
        if (ended && !alive(office))
            return 0;
    }
}
