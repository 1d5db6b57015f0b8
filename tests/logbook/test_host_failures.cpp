// What the host does when its office dies under it or cannot be started: a clear error, nothing
// half-written on disk, and a working office again on the next attach.

#include "logbook/book_names.h"
#include "logbook/book_view.h"
#include "logbook/newbook.h"
#include "support/office_env.h"

#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <sys/types.h>

using namespace korv;
using namespace korv::logbook;
using korv::logbook::officetest::host;

static auto* const office = ::testing::AddGlobalTestEnvironment(new officetest::OfficeEnvironment);

namespace {

// Kills the office (as a crash would) when the creation reaches a given progress value.
class KillingProgress : public CreationProgress {
public:
    KillingProgress(pid_t pid, int at, int signal) : pid_(pid), at_(at), signal_(signal) {}
    void status(const QString&) override {}
    void progress(int value) override {
        if (value == at_ && pid_ > 0) {
            ::kill(pid_, signal_);
            killed = true;
        }
    }
    bool killed = false;

private:
    pid_t pid_;
    int at_;
    int signal_;
};

void expectCalcGone(const Error& e) {
    EXPECT_EQ(e.number(), Error::Spreadsheet);
    EXPECT_TRUE(e.description().contains(QStringLiteral("LibreOffice Calc"))) << e.what();
    EXPECT_TRUE(e.description().contains(QStringLiteral("заверш")) ||
                e.description().contains(QStringLiteral("закрыт")))
        << e.what();
}

QString makeLogbook(const QString& dir) {
    NoProgress none;
    createNewLogbook(host(), dir, none);
    return bookPath(dir);
}

} // namespace

TEST(HostFailures, OfficeKilledDuringCreationGivesAClearErrorAndNoFile) {
    QTemporaryDir dir;
    host().attach();
    const pid_t pid = pid_t(host().officePid());
    ASSERT_GT(pid, 0);
    KillingProgress killer(pid, 30, SIGKILL);
    try {
        createNewLogbook(host(), dir.path(), killer);
        FAIL() << "no error";
    } catch (const Error& e) {
        expectCalcGone(e);
    }
    EXPECT_TRUE(killer.killed);
    EXPECT_TRUE(officetest::entriesOf(dir.path()).isEmpty());
    EXPECT_FALSE(host().isAlive());

    // The next attach starts a new office and the creation goes through.
    KORV_NO_ERROR(host().attach());
    EXPECT_NE(pid_t(host().officePid()), pid);
    NoProgress none;
    KORV_NO_ERROR(createNewLogbook(host(), dir.path(), none));
    EXPECT_TRUE(QFile::exists(bookPath(dir.path())));
}

TEST(HostFailures, OfficeKilledBeforeTheSaveLeavesTheLogbookOnDiskUnchanged) {
    QTemporaryDir dir;
    QString path;
    KORV_NO_ERROR(path = makeLogbook(dir.path()));
    const QByteArray before = officetest::fileHash(path);

    BookView lb(host(), dir.path());
    lb.attach();
    Workbook b = lb.open();
    b.sheet(kSheet1).range(QStringLiteral("E7")).setText(QStringLiteral("упр. 5"));
    ::kill(pid_t(host().officePid()), SIGKILL);
    try {
        lb.close(CloseMode::Save);
        FAIL() << "no error";
    } catch (const Error& e) {
        expectCalcGone(e);
    }
    EXPECT_EQ(officetest::fileHash(path), before);
    QStringList entries = officetest::entriesOf(dir.path());
    entries.removeIf([](const QString& e) { return e.startsWith(QStringLiteral(".~lock.")); });
    EXPECT_EQ(entries, QStringList{QStringLiteral("Korvelanta.xls")});

    // The stale lock of the killed office does not keep the logbook from opening again.
    KORV_NO_ERROR(lb.attach());
    Workbook again = lb.open();
    EXPECT_EQ(again.sheet(kSheet1).range(QStringLiteral("E7")).text(), QString());
    lb.close(CloseMode::Discard);
}

TEST(HostFailures, CalcQuitByHandDuringAViewingIsReportedByCloseBook) {
    QTemporaryDir dir;
    KORV_NO_ERROR(host().attach());
    KORV_NO_ERROR(makeLogbook(dir.path()));
    BookView lb(host(), dir.path());
    KORV_NO_ERROR(lb.OpenBookForView());
    KORV_NO_ERROR(lb.activateSheet(kSheet1));
    // The pilot quits Calc: the office goes away while the program still holds the logbook.
    ::kill(pid_t(host().officePid()), SIGTERM);
    try {
        lb.CloseBook();
        FAIL() << "no error";
    } catch (const Error& e) {
        expectCalcGone(e);
        EXPECT_TRUE(e.description().contains(QStringLiteral("Korvelanta"))) << e.what();
    }
    // The program goes on: a new viewing starts a new office.
    KORV_NO_ERROR(lb.OpenBookForView());
    KORV_NO_ERROR(lb.CloseBook());
}

TEST(HostFailures, AnOfficeThatCannotStartGivesAClearError) {
    QTemporaryDir dir;
    QFile plain(dir.path() + QStringLiteral("/file"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    SpreadsheetHost::Options o;
    o.profileDir = dir.path() + QStringLiteral("/file/profile"); // below a plain file: cannot be made
    SpreadsheetHost broken(o);
    try {
        broken.attach();
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::Spreadsheet);
        EXPECT_TRUE(e.description().contains(QStringLiteral("профил"))) << e.what();
    }
    EXPECT_FALSE(broken.isAttached());
}
