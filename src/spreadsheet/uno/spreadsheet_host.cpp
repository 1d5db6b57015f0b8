// SpreadsheetHost: the connection to the program's own office (started when none answers), its end,
// and the workbooks it opens, creates and finds.

#include "spreadsheet/uno/spreadsheet_host.h"

#include "bookfiles/file_system.h"
#include "bookfiles/foreign_locks.h"
#include "common/log.h"
#include "common/program_files.h"
#include "common/stop_request.h"
#include "spreadsheet/uno/handles.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <chrono>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/bridge/XBridgeFactory2.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace com::sun::star;

namespace korv::logbook {

using namespace detail;

namespace {

// Hosts alive in this process: when the last goes, the bridges to offices go too, before exit() tears
// down the UNO runtime under their threads.
std::atomic<int> liveHosts{0};

void disposeBridges() {
    try {
        Reference<bridge::XBridgeFactory2> factory = bridge::BridgeFactory::create(localContext());
        const Sequence<Reference<bridge::XBridge>> bridges = factory->getExistingBridges();
        for (const Reference<bridge::XBridge>& b : bridges)
            if (Reference<lang::XComponent> c{b, UNO_QUERY}; c.is())
                c->dispose();
    } catch (const uno::Exception&) {
        // nothing left to dispose
    }
}

} // namespace

SpreadsheetHost::SpreadsheetHost() : SpreadsheetHost(Options{}) {}

SpreadsheetHost::SpreadsheetHost(Options options) : options_(std::move(options)) {
    ++liveHosts;
    if (options_.profileDir.isEmpty())
        options_.profileDir = defaultProfileDir();
    options_.profileDir = QFileInfo(options_.profileDir).absoluteFilePath();
    if (options_.pipeName.isEmpty()) {
        // One pipe per profile: two programs on the same profile share its office, as they must.
        const QByteArray h =
            QCryptographicHash::hash(options_.profileDir.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
        options_.pipeName = QStringLiteral("korvelanta-%1-%2").arg(::getuid()).arg(QString::fromLatin1(h));
    }
}

SpreadsheetHost::~SpreadsheetHost() {
    if (options_.guard) {
        detach();
        if (--liveHosts == 0)
            disposeBridges();
        return;
    }
    try {
        // The office stays while the pilot looks at a workbook in it, and while another program is
        // attached to it; the last one out ends it. Deciding waits for another program's operation to
        // end, so that its office is never pulled away in the middle of a change.
        if (s_ && s_->attached && !s_->lost) {
            std::unique_ptr<ExclusiveLock> quiet;
            try {
                quiet = std::make_unique<ExclusiveLock>(operationLockFile(options_.profileDir), 10000, QString());
            } catch (const Error&) {
            }
            if (!quiet || anyWorkbookShown() || othersAttached())
                detach();
            else
                shutdown();
        } else {
            shutdown();
        }
    } catch (...) {
        // nothing may escape a destructor; the office is left to itself at worst
    }
    if (clientsFd_ >= 0)
        ::close(clientsFd_);
    if (--liveHosts == 0)
        disposeBridges();
}

bool SpreadsheetHost::othersAttached() {
    if (clientsFd_ < 0)
        return false;
    // Our shared lock becomes exclusive only when no other program holds one.
    return ::flock(clientsFd_, LOCK_EX | LOCK_NB) != 0;
}

QString SpreadsheetHost::defaultProfileDir() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.cache");
    return base + QStringLiteral("/korvelanta/office-profile");
}

QString SpreadsheetHost::profileDir() const { return options_.profileDir; }
QString SpreadsheetHost::pipeName() const { return options_.pipeName; }

qint64 SpreadsheetHost::officePid() const {
    return s_ && s_->process && s_->process->started() ? qint64(s_->process->pid()) : 0;
}

bool SpreadsheetHost::isAttached() const { return s_ && s_->attached && !s_->lost; }

bool SpreadsheetHost::isAlive() { return s_ && s_->responds(); }

std::shared_ptr<Session> SpreadsheetHost::session() const {
    if (!s_ || !s_->attached || s_->lost)
        throw hostError(QStringLiteral("Нет связи с LibreOffice Calc"));
    return s_;
}

void SpreadsheetHost::attach() {
    if (*expired_ > 0)
        throw expiredError(expired_->load(), QStringLiteral("связь с LibreOffice Calc"));
    if (s_ && s_->attached && !s_->lost) {
        if (s_->responds())
            return;
    }
    // A write into the pipe of an office that just died must be an error, not the end of the program.
    struct sigaction sa {};
    if (::sigaction(SIGPIPE, nullptr, &sa) == 0 && sa.sa_handler == SIG_DFL)
        std::signal(SIGPIPE, SIG_IGN);

    std::shared_ptr<OfficeProcess> process = s_ && s_->process ? s_->process : std::make_shared<OfficeProcess>();
    if (process->started() && process->hasExited())
        process->reset();
    auto s = std::make_shared<Session>();
    s->process = process;

    Reference<bridge::XUnoUrlResolver> resolver;
    try {
        resolver = bridge::UnoUrlResolver::create(localContext());
    } catch (const uno::Exception& e) {
        throw hostError(QStringLiteral("Не удалось загрузить среду UNO LibreOffice: ") + toQ(e.Message));
    }
    const OUString url =
        toOU(QStringLiteral("uno:pipe,name=") + options_.pipeName + QStringLiteral(";urp;StarOffice.ComponentContext"));
    auto tryConnect = [&]() -> bool {
        try {
            s->remote.set(resolver->resolve(url), UNO_QUERY_THROW);
            return true;
        } catch (const connection::NoConnectException&) {
            return false;
        } catch (const uno::Exception&) {
            return false;
        }
    };

    // Counted as a client before connecting: the guard never ends an office a program is about to use,
    // and one that is ending it holds this back until the office is gone.
    if (!options_.guard)
        holdClientsLock();
    // An office of this profile may still run, e.g. one left showing the logbook to the pilot.
    if (!tryConnect()) {
        if (options_.guard)
            throw hostError(QStringLiteral("LibreOffice Calc не отвечает"));
        bool headless = true;
        switch (options_.display) {
        case DisplayMode::Headless:
            headless = true;
            break;
        case DisplayMode::Invisible:
            headless = false;
            break;
        case DisplayMode::Auto:
            headless = qEnvironmentVariableIsEmpty("DISPLAY");
            break;
        }
        QDir().mkpath(options_.profileDir);
        // The guard first: a program killed at any moment after the office is started leaves it a guard.
        startGuard();
        process->start(options_.profileDir, options_.pipeName, headless, options_.vclPlugin);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(options_.startTimeoutMs);
        bool handedOver = false;
        while (!tryConnect()) {
            if (!handedOver && process->hasExited()) {
                const int code = process->exitCode();
                if (code == 81) { // first start of a fresh profile: LibreOffice asks to be restarted
                    process->restart();
                } else if (code == 0) {
                    // Another office on this profile took our arguments and now listens on our pipe.
                    handedOver = true;
                } else {
                    throw hostError(QStringLiteral("LibreOffice Calc не запустился (код завершения %1); журнал: %2")
                                        .arg(code)
                                        .arg(options_.profileDir + QStringLiteral("/soffice.log")));
                }
            }
            if (std::chrono::steady_clock::now() > deadline) {
                process->kill();
                throw hostError(QStringLiteral("LibreOffice Calc не ответил за %1 с после запуска")
                                    .arg(options_.startTimeoutMs / 1000));
            }
            // A failed connect costs next to nothing; every command that starts its office waits for it.
            sleepMs(10);
        }
    }
    try {
        s->desktop = frame::Desktop::create(s->remote);
    } catch (const uno::Exception& e) {
        throw hostError(QStringLiteral("LibreOffice Calc не отдал свой рабочий стол: ") + toQ(e.Message));
    }
    s->attached = true;
    s->expired = expired_;
    s_ = s;
}

QString SpreadsheetHost::clientsLockFile(const QString& profileDir) {
    return profileDir + QStringLiteral("/korvelanta-clients.lock");
}

void SpreadsheetHost::holdClientsLock() {
    // Tells other programs on this profile, and the guard, that this one uses the office (see
    // ~SpreadsheetHost). Taken again on every attach: a failed upgrade in othersAttached() drops it.
    QDir().mkpath(options_.profileDir);
    if (clientsFd_ < 0)
        clientsFd_ = ::open(QFile::encodeName(clientsLockFile(options_.profileDir)).constData(),
                            O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (clientsFd_ < 0)
        return;
    // Held exclusively only by a program or guard that is ending the office, which takes seconds; a
    // stop asked for meanwhile ends the wait, and so does a minute.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (::flock(clientsFd_, LOCK_SH | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return; // no lock to be had: the office is used uncounted, as before the lock existed
        if (const int signal = stopRequested())
            throw Error(Error::Stopped, QStringLiteral("Остановлено (%1) во время ожидания конца LibreOffice Calc")
                                            .arg(QLatin1String(stopSignalName(signal))));
        if (std::chrono::steady_clock::now() > deadline)
            throw Error(Error::Timeout, QStringLiteral("LibreOffice Calc не завершился за 60 с (его завершает "
                                                       "другая программа Korvelanta или её сторож); повторите."));
        sleepMs(50);
    }
}

void SpreadsheetHost::startGuard() {
    QString program = qEnvironmentVariable("KORV_OFFICE_GUARD");
    if (program.isEmpty())
        program = programFiles().libraryDir + QStringLiteral("/korvelanta-office-guard");
    if (!QFileInfo(program).isExecutable())
        program = QStringLiteral(KORV_OFFICE_GUARD_BUILT);
    if (!QFileInfo(program).isExecutable()) {
        log::write(QStringLiteral("no office guard found; an office left by a killed program stays"));
        return;
    }
    // Everything the child needs is made before the fork: a threaded program may only exec after it.
    const std::string path = QFile::encodeName(program).toStdString();
    const std::string profile = QFile::encodeName(options_.profileDir).toStdString();
    const std::string pipe = options_.pipeName.toStdString();
    std::vector<char*> argv{const_cast<char*>(path.c_str()), const_cast<char*>(profile.c_str()),
                            const_cast<char*>(pipe.c_str()), nullptr};
    const pid_t child = ::fork();
    if (child < 0)
        return;
    if (child == 0) {
        // Twice forked and in a session of its own: no program's end or terminal signal takes it along.
        ::setsid();
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        if (::fork() != 0)
            ::_exit(0);
        const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        for (int fd = 0; fd < 3; ++fd)
            ::dup2(null, fd);
        for (int fd = 3; fd < 4096; ++fd)
            ::close(fd);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

void SpreadsheetHost::detach() {
    if (!s_)
        return;
    s_->attached = false;
    s_->desktop.clear();
    s_->remote.clear();
    auto process = s_->process;
    s_ = std::make_shared<Session>(); // handles keep the old, detached session
    s_->process = process;
}

void SpreadsheetHost::shutdown() {
    std::shared_ptr<OfficeProcess> process = s_ ? s_->process : nullptr;
    // An office this host did not start is found by its pipe, so that it can be waited for and, failing
    // that, ended by force.
    const pid_t joined = process && process->started() ? 0 : findOfficeByPipe(options_.pipeName);
    bool terminated = false;
    if (s_ && s_->attached && !s_->lost) {
        terminated = true;
        try {
            // A shown, modified workbook would make terminate() wait on Calc's own question forever.
            forEachDocument<util::XCloseable>(*s_, [](const Reference<util::XCloseable>& c) {
                try {
                    c->close(true);
                } catch (const uno::Exception&) {
                }
                return false;
            });
            s_->desktop->terminate();
        } catch (const uno::Exception&) {
            // a dying office may drop the bridge in the middle of terminate()
        }
    }
    if (s_) {
        s_->attached = false;
        s_->desktop.clear();
        s_->remote.clear();
    }
    if (process && process->started() && !process->waitForExit(10000))
        process->kill();
    else if (joined && terminated)
        endProcess(joined, 10000);
    s_.reset();
}

Workbook SpreadsheetHost::openWorkbook(const QString& path, OpenMode mode) {
    attach();
    auto s = session();
    const QString abs = QFileInfo(path).absoluteFilePath();
    if (!QFileInfo(abs).isFile())
        throw Error(Error::FileNotFound, QStringLiteral("Файл не найден: ") + abs);
    return guarded(*s, nullptr, QStringLiteral("открытие книги ") + abs, [&] {
        Reference<sheet::XSpreadsheetDocument> found;
        forEachDocument<sheet::XSpreadsheetDocument>(*s, [&](const Reference<sheet::XSpreadsheetDocument>& doc) {
            Reference<frame::XModel> m(doc, UNO_QUERY);
            if (m.is() && localPathOfUrl(toQ(m->getURL())) == abs) {
                found = doc;
                return true;
            }
            return false;
        });
        if (found.is()) {
            Workbook b = unoWorkbook(makeBook(s, found, abs));
            if (mode == OpenMode::Hidden || b.isVisible())
                return b;
            if (b.isModified()) {
                b.show(); // its changes must not be lost: shown as it is
                return b;
            }
            // Open hidden and unchanged: loaded again, shown (see below).
            b.close(CloseMode::Discard);
        }
        // A workbook to be shown is loaded shown: showing a hidden-loaded one later can bring
        // LibreOffice 7.4 down (its menu bar is missing when the window first takes the focus).
        const Sequence<beans::PropertyValue> args = seqOf({prop("Hidden", Any(mode == OpenMode::Hidden))});
        Reference<lang::XComponent> c = s->desktop->loadComponentFromURL(toOU(fileUrl(abs)), "_blank", 0, args);
        Reference<sheet::XSpreadsheetDocument> doc(c, UNO_QUERY);
        if (!doc.is()) {
            if (Reference<util::XCloseable> cl{c, UNO_QUERY}; cl.is())
                cl->close(true);
            // The office loads nothing it finds locked by another office; that is no damage to the file.
            const QList<OfficeLockFile> locks = officeLockFiles(abs);
            if (!locks.isEmpty())
                throw Error(Error::LogbookBusy, QStringLiteral("Лётная книжка открыта в другой программе (") +
                                                    locks.front().holderText() +
                                                    QStringLiteral("). Закройте её там и повторите."));
            // Nor what it cannot make its lock file for: a full disk is no damage either.
            if (const QString why = files::exhaustion(QFileInfo(abs).absolutePath(), 1024 * 1024); !why.isEmpty())
                throw Error(Error::FileAccess, why, QStringLiteral("loading ") + abs);
            throw Error(Error::BadWorkbook, QStringLiteral("Файл не является книгой электронной таблицы: ") + abs);
        }
        Workbook b = unoWorkbook(makeBook(s, doc, abs));
        if (mode == OpenMode::Shown)
            b.show();
        return b;
    });
}

Workbook SpreadsheetHost::addWorkbook() {
    attach();
    auto s = session();
    return guarded(*s, nullptr, QStringLiteral("создание новой книги"), [&] {
        const Sequence<beans::PropertyValue> args = seqOf({prop("Hidden", Any(true))});
        Reference<sheet::XSpreadsheetDocument> doc(
            s->desktop->loadComponentFromURL("private:factory/scalc", "_blank", 0, args), UNO_QUERY_THROW);
        // A new workbook has exactly one sheet, whatever the office's own setting says.
        Reference<sheet::XSpreadsheets> sheets = doc->getSheets();
        Reference<container::XIndexAccess> ia(sheets, UNO_QUERY_THROW);
        while (ia->getCount() > 1)
            sheets->removeByName(
                Reference<container::XNamed>(ia->getByIndex(ia->getCount() - 1), UNO_QUERY_THROW)->getName());
        return unoWorkbook(makeBook(s, doc, QString()));
    });
}

std::optional<Workbook> SpreadsheetHost::findWorkbook(const QString& name) {
    if (!isAlive())
        return std::nullopt;
    auto s = session();
    return guarded(
        *s, nullptr, QStringLiteral("поиск книги «") + name + QStringLiteral("»"), [&]() -> std::optional<Workbook> {
            std::optional<Workbook> result;
            forEachDocument<sheet::XSpreadsheetDocument>(*s, [&](const Reference<sheet::XSpreadsheetDocument>& doc) {
                Reference<frame::XModel> m(doc, UNO_QUERY);
                if (!m.is())
                    return false;
                if (bookNameOf(m).compare(name, Qt::CaseInsensitive) != 0)
                    return false;
                result = unoWorkbook(makeBook(s, doc, localPathOfUrl(toQ(m->getURL()))));
                return true;
            });
            return result;
        });
}

bool SpreadsheetHost::anyWorkbookShown() {
    if (!isAttached())
        return false;
    auto s = s_;
    try {
        bool shown = false;
        forEachDocument<sheet::XSpreadsheetDocument>(*s, [&](const Reference<sheet::XSpreadsheetDocument>& doc) {
            Reference<frame::XModel> m(doc, UNO_QUERY);
            shown = m.is() && isShown(m);
            return shown;
        });
        return shown;
    } catch (const uno::Exception&) {
        return false;
    }
}

} // namespace korv::logbook
