#include "spreadsheet/uno/office_process.h"

#include "common/error.h"
#include "common/log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <langinfo.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace korv::logbook::detail {

namespace {

const char* const kOffice = KORV_LO_PROGRAM_DIR "/soffice.bin";

Error processError(const QString& what) { return Error(Error::Spreadsheet, what); }

} // namespace

void seedProfile(const QString& profileDir) {
    const QString userDir = profileDir + QStringLiteral("/user");
    const QString xcu = userDir + QStringLiteral("/registrymodifications.xcu");
    // The marker of the current seed: a profile seeded by an earlier build gets the settings it lacks.
    static const QByteArray kMarker = "korvelanta-profile-3";
    {
        QFile existing(xcu);
        if (existing.open(QIODevice::ReadOnly) && existing.readAll().contains(kMarker))
            return;
    }
    if (!QDir().mkpath(userDir))
        throw processError(QStringLiteral("Не удалось создать каталог профиля LibreOffice: ") + userDir);
    QFile f(xcu);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw processError(QStringLiteral("Не удалось записать профиль LibreOffice: ") + xcu);
    // A recorded product version spares every start the graphics self-tests. The office speaks Russian
    // and writes numbers as a Russian pilot reads them ("4,0"); it marks no Russian word as misspelt;
    // it keeps the .xls format without asking a pilot who saves in it; it neither recovers nor saves
    // documents by itself.
    f.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<!-- korvelanta-profile-3 -->
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Setup/Product"><prop oor:name="ooSetupLastVersion" oor:op="fuse"><value>99.9</value></prop></item>
<item oor:path="/org.openoffice.Setup/L10N"><prop oor:name="ooLocale" oor:op="fuse"><value>ru</value></prop></item>
<item oor:path="/org.openoffice.Setup/L10N"><prop oor:name="ooSetupSystemLocale" oor:op="fuse"><value>ru-RU</value></prop></item>
<item oor:path="/org.openoffice.Office.Linguistic/General"><prop oor:name="UILocale" oor:op="fuse"><value>ru-RU</value></prop></item>
<item oor:path="/org.openoffice.Office.Linguistic/SpellChecking"><prop oor:name="IsSpellAuto" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Save/Document"><prop oor:name="WarnAlienFormat" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="FirstRun" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="ShowTipOfTheDay" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Recovery/AutoSave"><prop oor:name="Enabled" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Recovery/RecoveryInfo"><prop oor:name="Enabled" oor:op="fuse"><value>false</value></prop></item>
</oor:items>
)");
    if (!f.flush())
        throw processError(QStringLiteral("Не удалось записать профиль LibreOffice: ") + xcu);
}

pid_t findOfficeByPipe(const QString& pipeName) {
    const QByteArray accept = "--accept=pipe,name=" + pipeName.toUtf8() + ";";
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const auto pid = pid_t(entry.toLongLong(&number));
        if (!number)
            continue;
        QFile f(QStringLiteral("/proc/") + entry + QStringLiteral("/cmdline"));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArrayList args = f.readAll().split('\0');
        if (args.isEmpty() || !args.front().endsWith("soffice.bin"))
            continue;
        for (const QByteArray& a : args)
            if (a.startsWith(accept))
                return pid;
    }
    return 0;
}

namespace {

// Running, as opposed to ended (a zombie waits only for its parent to reap it).
bool running(pid_t pid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray stat = f.readAll();
    const int close = stat.lastIndexOf(')');
    return close > 0 && close + 2 < stat.size() && stat[close + 2] != 'Z' && stat[close + 2] != 'X';
}

} // namespace

void endProcess(pid_t pid, int timeoutMs) {
    if (pid <= 0)
        return;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (running(pid) && std::chrono::steady_clock::now() < end) {
        ::waitpid(pid, nullptr, WNOHANG); // reaps it when it is a child
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (running(pid))
        ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, WNOHANG);
}

OfficeProcess::~OfficeProcess() {
    // The office is ended by the host; here only a zombie is avoided.
    if (pid_ > 0)
        hasExited();
}

void OfficeProcess::start(const QString& profileDir, const QString& pipeName, bool headless, const QString& vclPlugin) {
    profileDir_ = profileDir;
    vclPlugin_ = vclPlugin;
    pipeName_ = pipeName;
    headless_ = headless;
    seedProfile(profileDir);
    spawn();
    log::write(QStringLiteral("started an office (pid %1) on ").arg(pid_) + profileDir);
}

void OfficeProcess::restart() { spawn(); }

void OfficeProcess::spawn() {
    if (::access(kOffice, X_OK) != 0)
        throw processError(QStringLiteral("LibreOffice Calc не установлен: нет программы ") +
                           QString::fromUtf8(kOffice));
    // Everything the child needs is built before fork: after fork only async-signal-safe calls.
    const std::string profileUrl =
        "-env:UserInstallation=" + QUrl::fromLocalFile(profileDir_).toString(QUrl::FullyEncoded).toStdString();
    const std::string accept = "--accept=pipe,name=" + pipeName_.toStdString() + ";urp;StarOffice.ComponentContext";
    std::vector<std::string> args = {kOffice,         profileUrl, headless_ ? "--headless" : "--invisible",
                                     "--norestore",   "--nologo", "--nodefault",
                                     "--nolockcheck", accept};
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // The office's temporary files go into the profile, never into the pilot's temporary folder: an office
    // ended by force (at its deadline, or by its guard) leaves them, and they are cleared at the next start,
    // when no office of the profile runs.
    const QString tmp = profileDir_ + QStringLiteral("/tmp");
    if (findOfficeByPipe(pipeName_) == 0)
        QDir(tmp).removeRecursively();
    QDir().mkpath(tmp);

    std::vector<std::string> envStore;
    bool pluginChosen = false;
    // The office takes file names through the locale's character set: under LANG=C (a service, cron, an SSH
    // session) it cannot open "Проверка лётной книжки.xls" at all. Its characters are UTF-8 whatever the
    // locale, as the program's own file names are; the other categories stay as they are.
    const char* codeset = ::nl_langinfo(CODESET);
    const bool utf8 = codeset != nullptr && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
    std::string allCategories; // LC_ALL's value, which would override the character set
    for (char** e = environ; *e && !utf8; ++e)
        if (std::strncmp(*e, "LC_ALL=", 7) == 0)
            allCategories = *e + 7;
    for (char** e = environ; *e; ++e) {
        if (std::strncmp(*e, "SAL_ENABLE_FILE_LOCKING=", 24) == 0 || std::strncmp(*e, "TMPDIR=", 7) == 0)
            continue;
        if (std::strncmp(*e, "SAL_USE_VCLPLUGIN=", 18) == 0)
            pluginChosen = true;
        if (!utf8 && (std::strncmp(*e, "LC_CTYPE=", 9) == 0 || std::strncmp(*e, "LC_ALL=", 7) == 0 ||
                      (!allCategories.empty() && std::strncmp(*e, "LANG=", 5) == 0)))
            continue;
        envStore.emplace_back(*e);
    }
    if (!utf8) {
        if (!allCategories.empty())
            envStore.emplace_back("LANG=" + allCategories);
        envStore.emplace_back("LC_CTYPE=C.UTF-8");
    }
    envStore.emplace_back("SAL_ENABLE_FILE_LOCKING=1");
    envStore.emplace_back("TMPDIR=" + QFile::encodeName(tmp).toStdString());
    if (!pluginChosen && !headless_ && !vclPlugin_.isEmpty())
        envStore.emplace_back("SAL_USE_VCLPLUGIN=" + vclPlugin_.toStdString());
    std::vector<char*> envp;
    envp.reserve(envStore.size() + 1);
    for (auto& e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    const std::string logPath = QString(profileDir_ + QStringLiteral("/soffice.log")).toStdString();

    const pid_t pid = ::fork();
    if (pid < 0)
        throw processError(QStringLiteral("Не удалось запустить LibreOffice Calc: ") +
                           QString::fromLocal8Bit(std::strerror(errno)));
    if (pid == 0) {
        // Own process group: a Ctrl+C meant for the program does not reach the office in the middle
        // of a save; the host ends it itself.
        ::setpgid(0, 0);
        // A program that takes its stop signals in a thread of its own has them blocked: the office must
        // not inherit that, or it could not be told to end.
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        const int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (null >= 0)
            ::dup2(null, 0);
        if (log >= 0) {
            ::dup2(log, 1);
            ::dup2(log, 2);
        }
        // Nothing of the program (pipes to an earlier office, files) leaks into the office.
        for (int fd = 3; fd < 4096; ++fd)
            ::close(fd);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    pid_ = pid;
    exitCode_ = 0;
}

bool OfficeProcess::hasExited() {
    if (pid_ <= 0)
        return true;
    int status = 0;
    const pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == 0)
        return false;
    if (r == pid_) {
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? -WTERMSIG(status) : -1;
    } else {
        exitCode_ = -1; // not our child any more (reaped elsewhere)
    }
    pid_ = -1;
    return true;
}

bool OfficeProcess::waitForExit(int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!hasExited()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void OfficeProcess::kill() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    waitForExit(5000);
}

void OfficeProcess::reset() { pid_ = -1; }

} // namespace korv::logbook::detail
