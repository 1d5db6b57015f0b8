// The logbook as a hostile world treats it, through korvelanta-cli write: two writers at once, a program
// that died with its workbook loaded, other programs' lock files, links, read-only files and disks, a
// full disk, files that are no workbook, a damaged reference database, an office that hangs. Every
// refusal names its cause, and the file is either exactly as it was or holds exactly the new record.
//
// The CLIs share one office of their own (XDG_CACHE_HOME points into the test's directory), which the test
// program keeps warm; the tests of how an office ends give the CLIs a cache of their own. The test reads the
// logbook back through a second, independent office, which never sees what the first holds.

#include "common/error.h"
#include "logbook/book_names.h"
#include "logbook/newbook.h"
#include "spreadsheet/uno/spreadsheet_host.h"
#include "support/cli_run.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace korv;
namespace lb = korv::logbook;

namespace {

using testfiles::entriesOf;
using testfiles::hashOf;

// What lies beside a logbook apart from it and its backups, which must be complete ones only.
QStringList leftoversBeside(const QString& dir) {
    QStringList left = entriesOf(dir);
    left.removeAll("Korvelanta.xls");
    if (left.removeAll("Backups"))
        for (const QString& b : testfiles::backupEntriesOf(dir + "/Backups"))
            if (!QRegularExpression("^Korvelanta-\\d{4}-\\d\\d-\\d\\d-\\d{6}(-\\d+)?(-серия)?\\.xls$")
                     .match(b)
                     .hasMatch())
                left << "Backups/" + b;
    return left;
}

// One office for reading back, one template logbook, one cache (and so one office, kept warm) for the CLIs,
// and another cache for the CLIs whose office is to end.
class Environment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        lb::SpreadsheetHost::Options o;
        o.profileDir = dir.filePath("reader-profile");
        reader = new lb::SpreadsheetHost(o);
        QDir().mkpath(dir.filePath("template"));
        lb::NoProgress progress;
        lb::createNewLogbook(*reader, dir.filePath("template"), progress);
        templateBook = lb::bookPath(dir.filePath("template"));
        cache = dir.filePath("cache");
        ownCache = dir.filePath("cache-own");
        lb::SpreadsheetHost::Options w;
        w.profileDir = cache + "/korvelanta/office-profile";
        warm = new lb::SpreadsheetHost(w);
        warm->attach();
    }
    void TearDown() override {
        warm->shutdown();
        delete warm;
        warm = nullptr;
        delete reader;
        reader = nullptr;
        // The CLIs' office ends with the last CLI; one that a test left stopped or running goes here.
        for (const QString& c : {cache, ownCache})
            QProcess::execute("pkill", {"-KILL", "-f", "UserInstallation=file://" + c});
    }
    static inline lb::SpreadsheetHost* reader = nullptr;
    static inline lb::SpreadsheetHost* warm = nullptr;
    static inline QString templateBook;
    static inline QString cache;
    static inline QString ownCache;
    QTemporaryDir dir;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new Environment);

QString cliProfile() { return Environment::cache + "/korvelanta/office-profile"; }
QString ownProfile() { return Environment::ownCache + "/korvelanta/office-profile"; }

QProcessEnvironment cliEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CACHE_HOME", Environment::cache);
    return env;
}

// For the CLIs whose office the test sees end: no program keeps it.
QProcessEnvironment ownEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CACHE_HOME", Environment::ownCache);
    return env;
}

// Whether a process whose command line holds `pattern` runs (pgrep's own list not shown).
bool running(const QString& pattern) {
    QProcess pgrep;
    pgrep.start("pgrep", {"-f", pattern});
    pgrep.waitForFinished(10000);
    return pgrep.exitCode() == 0;
}

bool ownOfficeRunning() { return running("UserInstallation=file://" + Environment::ownCache); }

CliRun write(const QString& dir, const QByteArray& input, const QProcessEnvironment& env = cliEnvironment()) {
    return runCli({"write", "--dir", dir}, "[" + input + "]", 180000, env);
}

QString messagesOf(const CliRun& r) {
    QStringList texts;
    for (const QJsonValue& v : QJsonDocument::fromJson(r.out).array())
        for (const QJsonValue& m : v.toObject()["messages"].toArray())
            texts << m.toObject()["text"].toString();
    return texts.join('\n');
}

int writtenRow(const CliRun& r) {
    const QJsonArray a = QJsonDocument::fromJson(r.out).array();
    return a.isEmpty() ? 0 : a[0].toObject()["written"].toObject()["row"].toInt();
}

// The records of "Лист1" as the file holds them: the texts of column E of record rows (a date in A).
QStringList recordsIn(const QString& book) {
    lb::Workbook wb = Environment::reader->openWorkbook(book);
    lb::Sheet s = wb.sheet(lb::kSheet1);
    QStringList out;
    const int last = s.lastUsedRow();
    if (last >= 6) {
        const QList<QVariantList> rows = s.cells(6, 0, last, 4).data();
        for (int i = 0; i < rows.size(); i += 2)
            if (rows[i][0].typeId() == QMetaType::Double)
                out << rows[i][4].toString();
    }
    wb.close(lb::CloseMode::Discard);
    return out;
}

class Reliability : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        book = lb::bookPath(dir.path());
        ASSERT_TRUE(QFile::copy(Environment::templateBook, book));
        QFile::setPermissions(book, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    // A refused write: exit 3, the message names the cause, the file is byte for byte as it was.
    void expectRefused(const QString& cause, const QString& at = {}) {
        const QString where = at.isEmpty() ? dir.path() : at;
        const QString target = at.isEmpty() ? book : lb::bookPath(at);
        const QByteArray before = hashOf(target);
        const CliRun r = write(where, shiftJson("05.09.04"));
        EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();
        const QString messages = messagesOf(r);
        EXPECT_TRUE(messages.contains("Смена не записана, лётная книжка не изменена.")) << messages.toStdString();
        EXPECT_TRUE(messages.contains(cause)) << messages.toStdString();
        // No internal words reach the pilot.
        EXPECT_FALSE(messages.contains(".cxx")) << messages.toStdString();
        EXPECT_FALSE(messages.contains("0x")) << messages.toStdString();
        EXPECT_EQ(hashOf(target), before);
    }

    // Starts a write of kBatchShifts shifts into the test's logbook and returns once the batch is under way:
    // the office has the logbook open for the change (its lock file beside the logbook), and a moment more
    // for a few shifts to be taken in.
    void startBatch(QProcess& p) {
        QByteArray batch = "[";
        for (int i = 0; i < kBatchShifts; ++i)
            batch += (i ? "," : "") + shiftJson(QString("%1.09.04").arg(1 + i / 3, 2, 10, QChar('0')).toUtf8());
        batch += "]";
        p.setProcessEnvironment(ownEnvironment());
        p.start(cliPath(), {"write", "--dir", dir.path()});
        ASSERT_TRUE(p.waitForStarted());
        p.write(batch);
        // Handed over now: QProcess would otherwise keep it until an event loop runs.
        while (p.bytesToWrite() > 0 && p.waitForBytesWritten(10000)) {
        }
        p.closeWriteChannel();
        const QString officeLock = dir.filePath(".~lock.Korvelanta.xls#");
        for (int waited = 0; !QFile::exists(officeLock) && waited < 120000; waited += 10)
            QThread::msleep(10);
        QThread::msleep(100);
    }
    static constexpr int kBatchShifts = 60;

    QTemporaryDir dir;
    QString book;
};

} // namespace

TEST_F(Reliability, TwoWritersStartedTogetherBothLandOnDistinctRows) {
    QProcess a, b;
    for (QProcess* p : {&a, &b}) {
        p->setProcessEnvironment(cliEnvironment());
        p->start(cliPath(), {"write", "--dir", dir.path()});
        p->write("[" + shiftJson("05.09.04") + "]");
        p->closeWriteChannel();
    }
    ASSERT_TRUE(a.waitForFinished(120000));
    ASSERT_TRUE(b.waitForFinished(120000));
    EXPECT_EQ(a.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(b.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
    EXPECT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();
    const int rowA = writtenRow({a.exitCode(), a.readAllStandardOutput(), {}});
    const int rowB = writtenRow({b.exitCode(), b.readAllStandardOutput(), {}});
    EXPECT_EQ(std::set<int>({rowA, rowB}), std::set<int>({9, 11}));
    EXPECT_EQ(recordsIn(book).size(), 2);
    EXPECT_EQ(leftoversBeside(dir.path()), QStringList{});
}

TEST_F(Reliability, ADeadProgramsHalfMadeChangeNeverReachesTheFile) {
    // A program that died in the middle of a write leaves the logbook loaded and changed in the office.
    QProcess dying;
    dying.start(KORV_DYING_WRITER, {cliProfile(), book, "E7", "половина чужой записи"});
    ASSERT_TRUE(dying.waitForFinished(120000));
    ASSERT_EQ(dying.exitStatus(), QProcess::CrashExit) << dying.readAllStandardError().toStdString();
    const CliRun r = write(dir.path(), shiftJson("05.09.04"));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString() << messagesOf(r).toStdString();
    EXPECT_EQ(writtenRow(r), 9);
    const QStringList records = recordsIn(book);
    ASSERT_EQ(records.size(), 1);
    EXPECT_TRUE(records[0].startsWith("Упр.  7")) << records[0].toStdString();
}

TEST_F(Reliability, OtherProgramsLocksAreRespectedAndStaleOnesRemoved) {
    const QString lockFile = dir.filePath(".~lock.Korvelanta.xls#");
    const QString host = QSysInfo::machineHostName();
    auto lockBy = [&](const QString& profileUrl, const QString& onHost) {
        QFile f(lockFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write((",pilot," + onHost + ",07.12.2026 15:12," + profileUrl + ";").toUtf8());
    };
    // A live office of this machine holds it: the reading office stands for the pilot's own LibreOffice.
    Environment::reader->attach();
    lockBy(QUrl::fromLocalFile(Environment::reader->profileDir()).toString(QUrl::FullyEncoded), host);
    expectRefused("Лётная книжка открыта в другой программе (пользователь pilot, компьютер " + host);
    EXPECT_TRUE(QFile::exists(lockFile));

    // Another machine's lock cannot be judged: refused, and told how to go on.
    lockBy("file:///home/pilot/.config/libreoffice/4", "hangar-pc");
    expectRefused("удалите файл " + lockFile);

    // Left by an office of this machine that no longer runs, or by the program's own office that no
    // longer holds the logbook: removed, and the write lands.
    for (const QString& profile :
         {QUrl::fromLocalFile(dir.filePath("gone")).toString(), QUrl::fromLocalFile(cliProfile()).toString()}) {
        lockBy(profile, host);
        const CliRun r = write(dir.path(), shiftJson("05.09.04"));
        EXPECT_EQ(r.exitCode, 0) << messagesOf(r).toStdString();
        EXPECT_FALSE(QFile::exists(lockFile));
    }
    EXPECT_EQ(recordsIn(book).size(), 2);
}

TEST_F(Reliability, ALinkedLogbookIsWrittenThroughAndStaysALink) {
    QTemporaryDir disk2;
    const QString real = disk2.filePath("Korvelanta.xls");
    ASSERT_TRUE(QFile::rename(book, real));
    ASSERT_TRUE(QFile::link(real, book));
    const CliRun r = write(dir.path(), shiftJson("05.09.04"));
    ASSERT_EQ(r.exitCode, 0) << messagesOf(r).toStdString();
    EXPECT_TRUE(QFileInfo(book).isSymLink());
    EXPECT_EQ(QFileInfo(book).symLinkTarget(), real);
    EXPECT_EQ(recordsIn(real).size(), 1);
    EXPECT_EQ(entriesOf(dir.path()), QStringList{"Korvelanta.xls"});
    EXPECT_EQ(leftoversBeside(disk2.path()), QStringList{}); // backups beside the real file
}

TEST_F(Reliability, ReadOnlyFilesAndDirectoriesAreNamed) {
    ::chmod(QFile::encodeName(book).constData(), 0444);
    expectRefused("Лётная книжка доступна только для чтения: " + book);
    ::chmod(QFile::encodeName(book).constData(), 0644);

    if (::getuid() != 0) {
        ::chmod(QFile::encodeName(dir.path()).constData(), 0555);
        expectRefused("Нет права записи в каталог " + dir.path());
        ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
        return;
    }
    // Root writes wherever permission bits say no: a read-only mount it is.
    QTemporaryDir mountPoint;
    if (::mount("tmpfs", QFile::encodeName(mountPoint.path()).constData(), "tmpfs", 0, "size=4m") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    ASSERT_TRUE(QFile::copy(book, lb::bookPath(mountPoint.path())));
    ASSERT_EQ(
        ::mount(nullptr, QFile::encodeName(mountPoint.path()).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr),
        0);
    expectRefused("только для чтения", mountPoint.path());
    ::umount2(QFile::encodeName(mountPoint.path()).constData(), MNT_DETACH);
}

TEST_F(Reliability, AFullDiskIsNamedAndTheFileStays) {
    if (::getuid() != 0)
        GTEST_SKIP() << "a full disk needs a small tmpfs, which only root can mount";
    QTemporaryDir mountPoint;
    if (::mount("tmpfs", QFile::encodeName(mountPoint.path()).constData(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    ASSERT_TRUE(QFile::copy(book, lb::bookPath(mountPoint.path())));
    {
        QFile fill(mountPoint.filePath("fill"));
        ASSERT_TRUE(fill.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (fill.write(block) == block.size() && fill.flush()) {
        }
    }
    expectRefused("Недостаточно места на диске", mountPoint.path());
    QStringList left = entriesOf(mountPoint.path());
    left.sort();
    EXPECT_EQ(left, (QStringList{"Korvelanta.xls", "fill"}));
    ::umount2(QFile::encodeName(mountPoint.path()).constData(), MNT_DETACH);
}

TEST_F(Reliability, RunningOutOfFileEntriesIsNamedAsSuch) {
    if (::getuid() != 0)
        GTEST_SKIP() << "a disk without free inodes needs a small tmpfs, which only root can mount";
    QTemporaryDir mountPoint;
    if (::mount("tmpfs", QFile::encodeName(mountPoint.path()).constData(), "tmpfs", 0, "size=16m,nr_inodes=64") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    ASSERT_TRUE(QFile::copy(book, lb::bookPath(mountPoint.path())));
    ASSERT_EQ(write(mountPoint.path(), shiftJson("04.09.04")).exitCode, 0); // room enough: it lands
    for (int i = 0;; ++i) {
        QFile f(mountPoint.filePath(QString("f%1").arg(i)));
        if (!f.open(QIODevice::WriteOnly))
            break;
    }
    expectRefused("исчерпаны индексные дескрипторы", mountPoint.path());
    ::umount2(QFile::encodeName(mountPoint.path()).constData(), MNT_DETACH);
}

TEST_F(Reliability, FilesThatAreNoWorkbookAreNamed) {
    QByteArray real;
    {
        QFile f(book);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        real = f.readAll();
    }
    const struct {
        QByteArray content;
        QString cause;
    } cases[] = {
        {"", "Файл лётной книжки пуст"},
        {"These are not the droids you are looking for.\n", "Файл не является книгой электронной таблицы"},
        {real.left(real.size() / 3), "книгой электронной таблицы"},
    };
    for (const auto& c : cases) {
        QFile f(book);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.content);
        f.close();
        expectRefused(c.cause);
    }
    // The readers name the pilot's file, never their scratch copy of it.
    const CliRun check = runCli({"check", "--dir", dir.path()}, {}, 180000, cliEnvironment());
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(check.err).contains("Файл " + book + " не является лётной книжкой"))
        << check.err.toStdString();
    EXPECT_FALSE(check.err.contains("Проверка лётной книжки")) << check.err.toStdString();
    // A workbook without the records' sheet.
    {
        lb::Workbook wb = Environment::reader->addWorkbook();
        wb.renameSheet(wb.sheetAt(0).name(), "Итоги");
        wb.saveAs(book, lb::ReplacePolicy::Replace);
        wb.close(lb::CloseMode::Discard);
    }
    expectRefused("нет листа «Лист1»");
    EXPECT_EQ(entriesOf(dir.path()), QStringList{"Korvelanta.xls"}); // a refused change keeps no backup
}

TEST_F(Reliability, ADamagedOrIncompleteDatabaseIsNamedByItsPath) {
    const QString good = QDir(qEnvironmentVariable("KORV_BIN_DIR")).filePath("FlightTables1.mdb");
    const QString damaged = dir.filePath("damaged.mdb");
    {
        QFile f(damaged);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(8192, '\x5a'));
    }
    const QString incomplete = dir.filePath("incomplete.mdb");
    ASSERT_TRUE(QFile::copy(good, incomplete));
    QFile::setPermissions(incomplete, QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_EQ(QProcess::execute("sqlite3", {incomplete, "DROP VIEW Z_Time_Obl_L39;"}), 0);
    const QString noExercisesDb = dir.filePath("no-exercises.mdb");
    ASSERT_TRUE(QFile::copy(good, noExercisesDb));
    QFile::setPermissions(noExercisesDb, QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_EQ(QProcess::execute("sqlite3", {noExercisesDb, "DROP TABLE ExercisesKLP;"}), 0);

    const CliRun broken = runCli({"calc", "--db", damaged}, "[" + shiftJson("05.09.04") + "]");
    EXPECT_EQ(broken.exitCode, 0);
    EXPECT_TRUE(messagesOf(broken).contains("Файл базы данных " + damaged + " повреждён"))
        << messagesOf(broken).toStdString();
    EXPECT_FALSE(messagesOf(broken).contains("Parameter count")) << messagesOf(broken).toStdString();

    const CliRun missingView = runCli({"calc", "--db", incomplete}, "[" + shiftJson("05.09.04") + "]");
    EXPECT_TRUE(
        messagesOf(missingView).contains("В базе данных " + incomplete + " нет таблицы или запроса «Z_Time_Obl_L39»"))
        << messagesOf(missingView).toStdString();

    // The write checks the exercise before it opens the logbook: the file stays.
    const QByteArray before = hashOf(book);
    const CliRun noExercises = runCli({"write", "--dir", dir.path(), "--db", noExercisesDb},
                                      "[" + shiftJson("05.09.04") + "]", 180000, cliEnvironment());
    EXPECT_TRUE(messagesOf(noExercises).contains("нет таблицы или запроса «ExercisesKLP»"))
        << messagesOf(noExercises).toStdString();
    EXPECT_EQ(hashOf(book), before);
}

TEST_F(Reliability, ExitStatusesTellWhatHappened) {
    EXPECT_EQ(write(dir.path(), shiftJson("05.09.04")).exitCode, 0);
    EXPECT_EQ(write(dir.path(), shiftJson("31.09.04")).exitCode, 3); // refused: no such day
    EXPECT_EQ(runCli({"write", "--dir", "/proc"}, "[" + shiftJson("05.09.04") + "]", 180000, cliEnvironment()).exitCode,
              1);
    EXPECT_EQ(runCli({"write", "--dir", dir.path(), "--bogus"}, "[]", 180000, cliEnvironment()).exitCode, 2);
    EXPECT_EQ(runCli({"new", "--dir", "/proc"}, "", 180000, cliEnvironment()).exitCode, 1);

    // A NUL in a text is refused, naming the key; an offending key is quoted only in part.
    const CliRun nul = runCli({"calc"}, R"([{"txtUpr": "7\u0000; DROP TABLE"}])");
    EXPECT_EQ(nul.exitCode, 2);
    EXPECT_TRUE(nul.err.contains("txtUpr")) << nul.err.toStdString();
    EXPECT_TRUE(nul.err.contains("NUL")) << nul.err.toStdString();
    const QByteArray longKey(5000, 'k');
    const CliRun unknown = runCli({"calc"}, "[{\"" + longKey + "\": \"1\"}]");
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_LT(unknown.err.size(), 300);
}

TEST_F(Reliability, AHungOfficeIsEndedAtTheDeadlineAndTheNextWriteLands) {
    QProcessEnvironment env = ownEnvironment();
    env.insert("KORV_OFFICE_TIMEOUT_MS", "4000");
    ASSERT_EQ(write(dir.path(), shiftJson("05.09.04"), env).exitCode, 0);

    // The office of the CLIs left running by a program still attached: stop it dead.
    lb::SpreadsheetHost::Options o;
    o.profileDir = ownProfile();
    lb::SpreadsheetHost keeper(o);
    keeper.attach();
    QProcess pgrep;
    pgrep.start("pgrep", {"-f", "UserInstallation=file://" + Environment::ownCache});
    pgrep.waitForFinished();
    const QList<QByteArray> pids = pgrep.readAllStandardOutput().trimmed().split('\n');
    ASSERT_FALSE(pids.isEmpty());
    for (const QByteArray& pid : pids)
        ::kill(pid.toInt(), SIGSTOP);

    const QByteArray before = hashOf(book);
    const CliRun hung = write(dir.path(), shiftJson("06.09.04"), env);
    EXPECT_EQ(hung.exitCode, 3);
    EXPECT_TRUE(messagesOf(hung).contains("LibreOffice Calc не ответил за 4 с")) << messagesOf(hung).toStdString();
    EXPECT_EQ(hashOf(book), before);
    keeper.detach();

    const CliRun next = write(dir.path(), shiftJson("07.09.04"), env);
    EXPECT_EQ(next.exitCode, 0) << messagesOf(next).toStdString();
    EXPECT_EQ(recordsIn(book).size(), 2);
    EXPECT_EQ(leftoversBeside(dir.path()), QStringList{});
}

TEST_F(Reliability, ABatchStoppedByASignalSaysWhatItWroteAndTheLogbookAgrees) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        QFile::remove(book);
        QDir(dir.filePath("Backups")).removeRecursively();
        ASSERT_TRUE(QFile::copy(Environment::templateBook, book));
        QFile::setPermissions(book, QFile::ReadOwner | QFile::WriteOwner);
        QProcess p;
        // Stopped in the middle of the batch.
        ASSERT_NO_FATAL_FAILURE(startBatch(p));
        ::kill(pid_t(p.processId()), signal);
        ASSERT_TRUE(p.waitForFinished(120000));
        EXPECT_EQ(p.exitCode(), 3);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_TRUE(err.contains("остановлено")) << err.toStdString();
        const QJsonArray answers = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
        ASSERT_FALSE(answers.isEmpty());
        EXPECT_LT(answers.size(), kBatchShifts);
        int written = 0;
        for (const QJsonValue& a : answers)
            written += a.toObject()["written"].isObject() ? 1 : 0;
        EXPECT_EQ(written, answers.size()); // every form that ran was written, in one save
        EXPECT_EQ(recordsIn(book).size(), written);
        EXPECT_EQ(testfiles::backupEntriesOf(dir.filePath("Backups")).size(), 0); // the logbook was empty
        EXPECT_TRUE(leftoversBeside(dir.path()).isEmpty()) << leftoversBeside(dir.path()).join(' ').toStdString();
        // The stopped program ended its office on the way out.
        EXPECT_FALSE(ownOfficeRunning());
    }
}

TEST_F(Reliability, AKilledProgramsOfficeEndsWithinSecondsAndTakesItsLockFileAlong) {
    QProcess p;
    ASSERT_NO_FATAL_FAILURE(startBatch(p));
    p.kill(); // SIGKILL: nothing of the program runs any more
    ASSERT_TRUE(p.waitForFinished(10000));
    // The office it used, and its lock file of the logbook, go within seconds.
    const auto officeLeft = [] { return ownOfficeRunning(); };
    const auto lockLeft = [&] { return QFile::exists(dir.filePath(".~lock.Korvelanta.xls#")); };
    // The guard follows its office.
    const auto guardLeft = [] { return running("korvelanta-office-guard " + Environment::ownCache); };
    for (int waited = 0; (officeLeft() || lockLeft() || guardLeft()) && waited < 15000; waited += 100)
        QThread::msleep(100);
    EXPECT_FALSE(officeLeft());
    EXPECT_FALSE(lockLeft());
    EXPECT_FALSE(guardLeft());
    // The logbook is whole, and the next write lands after the records that did.
    const int before = int(recordsIn(book).size());
    const CliRun next = write(dir.path(), shiftJson("30.09.04"));
    EXPECT_EQ(next.exitCode, 0) << messagesOf(next).toStdString();
    EXPECT_EQ(recordsIn(book).size(), before + 1);
}

// SIGKILL while the write starts its office, before it could connect: the guard runs before the office
// does, so none is left (offices of writes killed in their first 0.3 s once ran for an hour).
TEST_F(Reliability, AWriteKilledWhileItStartsItsOfficeLeavesNoOffice) {
    const auto officeLeft = [] { return ownOfficeRunning(); };
    const auto guardLeft = [] { return running("korvelanta-office-guard " + Environment::ownCache); };
    int officesAtKill = 0;
    for (const int delay : {40, 120, 250, 400, 700, 1100}) {
        SCOPED_TRACE(delay);
        QProcess p;
        p.setProcessEnvironment(ownEnvironment());
        p.start(cliPath(), {"write", "--dir", dir.path()});
        ASSERT_TRUE(p.waitForStarted());
        p.write("[" + shiftJson("05.09.04") + "]");
        p.waitForBytesWritten(1000);
        p.closeWriteChannel();
        QThread::msleep(delay);
        officesAtKill += officeLeft() ? 1 : 0;
        p.kill();
        ASSERT_TRUE(p.waitForFinished(10000));
        for (int waited = 0; (officeLeft() || guardLeft()) && waited < 20000; waited += 100)
            QThread::msleep(100);
        EXPECT_FALSE(officeLeft());
        EXPECT_FALSE(guardLeft());
        for (int waited = 0; QFile::exists(dir.filePath(".~lock.Korvelanta.xls#")) && waited < 3000; waited += 100)
            QThread::msleep(100);
        EXPECT_FALSE(QFile::exists(dir.filePath(".~lock.Korvelanta.xls#")));
    }
    std::printf("writes killed with their office running: %d of 6\n", officesAtKill);
    // Whatever landed, the next write lands after it.
    const int before = int(recordsIn(book).size());
    const CliRun next = write(dir.path(), shiftJson("30.09.04"));
    EXPECT_EQ(next.exitCode, 0) << messagesOf(next).toStdString();
    EXPECT_EQ(recordsIn(book).size(), before + 1);
}

// SIGKILL at moments from the start to the save of a removal: each time the logbook is the old one byte for
// byte or lacks exactly the record removed, and nothing of the change is left beside it once the next
// command ran.
TEST_F(Reliability, AKilledRemovalLeavesTheOldOrTheNewLogbookWhole) {
    const CliRun made =
        runCli({"write", "--dir", dir.path()},
               "[" + shiftJson("05.09.04") + "," + shiftJson("06.09.04") + "," + shiftJson("07.09.04") + "]", 180000,
               cliEnvironment());
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    const QByteArray before = testfiles::contentOf(book);
    const QStringList all = recordsIn(book);
    ASSERT_EQ(all.size(), 3);
    int old = 0;
    int removed = 0;
    for (const int ms : {10, 30, 50, 70, 90, 110, 140, 200}) {
        SCOPED_TRACE(ms);
        QProcess p;
        p.setProcessEnvironment(cliEnvironment());
        p.start(cliPath(), {"remove", "--row", "11", "--yes", "--dir", dir.path()});
        ASSERT_TRUE(p.waitForStarted());
        QThread::msleep(ms);
        p.kill();
        ASSERT_TRUE(p.waitForFinished(10000));
        const bool asItWas = testfiles::contentOf(book) == before;
        // The next change finds the logbook whole and clears what the killed one left (its workbook in the
        // shared office, its lock file).
        const CliRun shown = runCli({"remove", "--row", "11", "--dir", dir.path()}, {}, 180000, cliEnvironment());
        EXPECT_EQ(shown.exitCode, 3) << shown.err.toStdString();
        EXPECT_TRUE(leftoversBeside(dir.path()).isEmpty()) << leftoversBeside(dir.path()).join(' ').toStdString();
        const CliRun check = runCli({"check", "--dir", dir.path()}, {}, 180000, cliEnvironment());
        EXPECT_EQ(check.exitCode, 0) << check.out.toStdString();
        if (asItWas) {
            ++old;
        } else {
            ++removed;
            EXPECT_EQ(recordsIn(book), (QStringList{all[0], all[2]}));
            testfiles::writeFile(book, before); // the next kill starts from the same logbook
        }
    }
    std::printf("killed removals: %d left the logbook as it was, %d with the record removed\n", old, removed);
}

// Under LANG=C (a service, cron, an SSH session) every command works as under a Russian locale: the office
// the commands start takes its file names as UTF-8 whatever the locale says.
TEST_F(Reliability, TheCommandsWorkUnderTheCLocale) {
    ASSERT_EQ(write(dir.path(), shiftJson("05.09.04")).exitCode, 0);
    ASSERT_EQ(write(dir.path(), shiftJson("06.09.04")).exitCode, 0); // a backup with one record
    QProcessEnvironment c = QProcessEnvironment::systemEnvironment();
    c.insert("XDG_CACHE_HOME", dir.filePath("c-locale-cache")); // an office of its own, started under LANG=C
    c.insert("LANG", "C");
    c.insert("LC_ALL", "C");
    const CliRun check = runCli({"check", "--dir", dir.path()}, {}, 180000, c);
    EXPECT_EQ(check.exitCode, 0) << check.out.toStdString() << check.err.toStdString();
    const CliRun records = runCli({"records", "--dir", dir.path(), "--json"}, {}, 180000, c);
    EXPECT_EQ(records.exitCode, 0) << records.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(records.out).object()["count"].toInt(), 2);
    const CliRun listed = runCli({"backups", "--dir", dir.path(), "--json"}, {}, 180000, c);
    ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    const QJsonArray backups = QJsonDocument::fromJson(listed.out).array();
    ASSERT_EQ(backups.size(), 1) << listed.out.toStdString();
    EXPECT_EQ(backups[0].toObject()["records"].toInt(), 1) << listed.out.toStdString();
    const CliRun restored =
        runCli({"restore", backups[0].toObject()["name"].toString(), "--dir", dir.path()}, {}, 180000, c);
    EXPECT_EQ(restored.exitCode, 0) << restored.err.toStdString();
    EXPECT_EQ(recordsIn(book).size(), 1);
}

// A column inserted by hand before A: the write is refused, the file as it was, rather than landing in the
// columns every old record has left.
TEST_F(Reliability, AWriteIntoASheetWithAColumnInsertedByHandIsRefused) {
    ASSERT_EQ(write(dir.path(), shiftJson("05.09.04")).exitCode, 0);
    {
        lb::Workbook wb = Environment::reader->openWorkbook(book);
        lb::Sheet s = wb.sheet(lb::kSheet1);
        const int last = s.lastUsedRow();
        QList<QVariantList> rows = s.cells(0, 0, last, 21).data();
        for (QVariantList& row : rows)
            row.prepend(QString());
        s.cells(0, 0, last, 22).setData(rows);
        wb.close(lb::CloseMode::Save);
    }
    const QByteArray before = hashOf(book);
    const CliRun r = write(dir.path(), shiftJson("06.09.04"));
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(messagesOf(r).contains("Шапка листа «Лист1» не такая")) << messagesOf(r).toStdString();
    EXPECT_EQ(hashOf(book), before);
}

// A reading command killed while it holds its scratch copy of the logbook: the next command sweeps the folder
// away, so that kills never fill the temporary folder with copies of the logbook.
TEST_F(Reliability, AKilledReadersScratchCopyIsSweptByTheNextCommand) {
    ASSERT_EQ(write(dir.path(), shiftJson("05.09.04")).exitCode, 0);
    QTemporaryDir temp;
    QProcessEnvironment env = cliEnvironment();
    env.insert("TMPDIR", temp.path());
    const auto scratchLeft = [&] {
        return QDir(temp.path()).entryList({"korvelanta-*"}, QDir::Dirs | QDir::NoDotAndDotDot);
    };
    int killedWithCopy = 0;
    for (const int ms : {40, 80, 150, 300}) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(cliPath(), {"check", "--dir", dir.path()});
        ASSERT_TRUE(p.waitForStarted());
        QThread::msleep(ms);
        p.kill();
        ASSERT_TRUE(p.waitForFinished(10000));
        killedWithCopy += scratchLeft().isEmpty() ? 0 : 1;
        const CliRun next = runCli({"records", "--dir", dir.path()}, {}, 180000, env);
        EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
        EXPECT_TRUE(scratchLeft().isEmpty()) << scratchLeft().join(' ').toStdString();
    }
    std::printf("killed checks that left a scratch copy: %d of 4\n", killedWithCopy);
}

// "Лист1" protected in Calc: the write is refused naming the protection and the way on, not in the office's
// words about a cell, and the file stays as it was.
TEST_F(Reliability, AWriteIntoAProtectedSheetIsRefusedNamingTheProtection) {
    ASSERT_EQ(write(dir.path(), shiftJson("05.09.04")).exitCode, 0);
    {
        lb::Workbook wb = Environment::reader->openWorkbook(book);
        wb.sheet(lb::kSheet1).setProtected(true);
        EXPECT_TRUE(wb.sheet(lb::kSheet1).isProtected());
        wb.close(lb::CloseMode::Save);
    }
    const QByteArray before = hashOf(book);
    const CliRun r = write(dir.path(), shiftJson("06.09.04"));
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(messagesOf(r).contains("защищён от изменений")) << messagesOf(r).toStdString();
    EXPECT_FALSE(messagesOf(r).contains("Лист1!")) << messagesOf(r).toStdString();
    EXPECT_EQ(hashOf(book), before);
}
