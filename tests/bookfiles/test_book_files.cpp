// What the logbook's file, its locks and other programs' lock files tell before any office is asked:
// each refusal names its cause, a busy logbook is waited for and then refused, stale locks are told
// from live ones.

#include "bookfiles/book_files.h"
#include "bookfiles/file_system.h"
#include "bookfiles/foreign_locks.h"
#include "bookfiles/locks.h"
#include "bookfiles/scratch_dir.h"
#include "common/error.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace korv;
using namespace testfiles;
using namespace korv::logbook;

namespace {

// The first bytes of an .xls: the compound-file signature.
const QByteArray kXlsStart = QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(504, '\0');

Error errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e;
    }
    return Error(0, QString());
}

class BookFiles : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString book() const { return dir.filePath(QStringLiteral("Korvelanta.xls")); }
};

} // namespace

TEST_F(BookFiles, EachRefusalNamesItsCauseAndThePath) {
    Error e = errorOf([&] { files::requireChangeable(book()); });
    EXPECT_EQ(e.number(), Error::FileNotFound);
    EXPECT_TRUE(e.description().contains(book())) << e.what();

    writeFile(book(), "");
    e = errorOf([&] { files::requireChangeable(book()); });
    EXPECT_EQ(e.number(), Error::BadWorkbook);
    EXPECT_TRUE(e.description().contains(QStringLiteral("пуст"))) << e.what();

    writeFile(book(), "random bytes, no workbook at all");
    e = errorOf([&] { files::requireChangeable(book()); });
    EXPECT_EQ(e.number(), Error::BadWorkbook);
    EXPECT_TRUE(e.description().contains(QStringLiteral("не является книгой"))) << e.what();

    writeFile(book(), kXlsStart);
    EXPECT_EQ(errorOf([&] { files::requireChangeable(book()); }).number(), 0);

    // Marked read-only by the pilot: refused even where root could replace it.
    ::chmod(QFile::encodeName(book()).constData(), 0444);
    e = errorOf([&] { files::requireChangeable(book()); });
    EXPECT_EQ(e.number(), Error::FileAccess);
    EXPECT_TRUE(e.description().contains(QStringLiteral("только для чтения"))) << e.what();
    EXPECT_TRUE(e.description().contains(book())) << e.what();

    QDir().mkdir(dir.filePath(QStringLiteral("a directory.xls")));
    e = errorOf([&] { files::requireChangeable(dir.filePath(QStringLiteral("a directory.xls"))); });
    EXPECT_EQ(e.number(), Error::BadWorkbook);
}

TEST_F(BookFiles, ADirectoryThatTakesNoFilesIsSaidSo) {
    // /proc refuses new files to everyone, root included.
    const Error e = errorOf([&] { files::requireWritableDirectory(QStringLiteral("/proc")); });
    EXPECT_EQ(e.number(), Error::FileAccess);
    EXPECT_TRUE(e.description().contains(QStringLiteral("Нет права записи в каталог /proc"))) << e.what();
    EXPECT_EQ(errorOf([&] { files::requireWritableDirectory(dir.filePath(QStringLiteral("none"))); }).number(),
              Error::FileNotFound);
    EXPECT_EQ(errorOf([&] { files::requireWritableDirectory(dir.path()); }).number(), 0);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(BookFiles, LinksLeadToTheRealFileAndLeftoversAreOnlyOurOwn) {
    QDir().mkdir(dir.filePath(QStringLiteral("disk2")));
    const QString real = dir.filePath(QStringLiteral("disk2/Korvelanta.xls"));
    writeFile(real, kXlsStart);
    ASSERT_TRUE(QFile::link(real, dir.filePath(QStringLiteral("middle.xls"))));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("middle.xls")), book()));
    EXPECT_EQ(files::realPath(book()), real);
    EXPECT_EQ(files::realPath(dir.filePath(QStringLiteral("other.xls"))), dir.filePath(QStringLiteral("other.xls")));

    const QDir d(dir.filePath(QStringLiteral("disk2")));
    for (const char* name : {".Korvelanta.xls.a1B2c3.tmp", ".korvelanta-probe-Xy12Zq", ".Other.xls.a1B2c3.tmp",
                             "Korvelanta.xls.a1B2c3.tmp", ".Korvelanta.xls.backup"})
        writeFile(d.filePath(QString::fromLatin1(name)), "x");
    const QStringList removed = files::removeLeftovers(real);
    EXPECT_EQ(removed.size(), 2) << removed.join(u' ').toStdString();
    EXPECT_EQ(d.entryList(QDir::Files | QDir::Hidden).size(), 4);
    EXPECT_TRUE(QFile::exists(real));
}

TEST_F(BookFiles, AKilledSavesLockFileAHalfCopiedBackupAndAHalfWrittenNoteAreLeftovers) {
    writeFile(book(), kXlsStart);
    QDir d(dir.path());
    d.mkdir(QStringLiteral("Backups"));
    for (const QString& name :
         {QStringLiteral(".~lock..Korvelanta.xls.a1B2c3.tmp#"), QStringLiteral(".~lock.Korvelanta.xls#"),
          QStringLiteral("Backups/.Korvelanta-2026-12-07-134102.xls.Zz9yX8.tmp"),
          QStringLiteral("Backups/Korvelanta-2026-12-07-134102.xls"),
          QStringLiteral("Backups/.Other-2026-12-07-134102.xls.Zz9yX8.tmp"),
          QStringLiteral("Backups/.Korvelanta-последнее изменение.json.5mVZeH.tmp"),
          QStringLiteral("Backups/Korvelanta-последнее изменение.json")})
        writeFile(d.filePath(name), "x");
    QStringList removed = files::removeLeftovers(book());
    removed.sort();
    EXPECT_EQ(removed,
              (QStringList{".~lock..Korvelanta.xls.a1B2c3.tmp#", "Backups/.Korvelanta-2026-12-07-134102.xls.Zz9yX8.tmp",
                           "Backups/.Korvelanta-последнее изменение.json.5mVZeH.tmp"}));
    EXPECT_TRUE(QFile::exists(d.filePath(QStringLiteral("Backups/Korvelanta-последнее изменение.json"))));
    EXPECT_TRUE(QFile::exists(d.filePath(QStringLiteral(".~lock.Korvelanta.xls#")))); // judged elsewhere
    EXPECT_TRUE(QFile::exists(d.filePath(QStringLiteral("Backups/Korvelanta-2026-12-07-134102.xls"))));
}

TEST(Locks, ASecondHolderWaitsSaysWhoHoldsItAndIsRefusedAfterTheWait) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("book.lock"));
    ExclusiveLock first(file, 1000, QStringLiteral("занята"));

    // Another process: flock is per open file, so a child shows what a second program sees.
    QProcess other;
    other.start(QStringLiteral("flock"), {QStringLiteral("-n"), file, QStringLiteral("true")});
    ASSERT_TRUE(other.waitForFinished(10000));
    EXPECT_NE(other.exitCode(), 0);

    QString told;
    try {
        ExclusiveLock second(file, 300, QStringLiteral("Лётная книжка занята"),
                             [&](const QString& holder) { told = holder; });
        FAIL() << "taken twice";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::LogbookBusy);
        EXPECT_TRUE(e.description().startsWith(QStringLiteral("Лётная книжка занята"))) << e.what();
        EXPECT_TRUE(e.description().contains(QStringLiteral("pid %1").arg(::getpid()))) << e.what();
    }
    EXPECT_TRUE(told.contains(QStringLiteral("pid %1").arg(::getpid()))) << told.toStdString();
}

TEST(Locks, ALockIsFreeAgainWhenItsHolderEndsHoweverItEnds) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("book.lock"));
    // A holder killed while holding it (-o: the command it runs does not hold the lock too).
    QProcess holder;
    holder.start(QStringLiteral("flock"), {QStringLiteral("-o"), file, QStringLiteral("sleep"), QStringLiteral("30")});
    ASSERT_TRUE(holder.waitForStarted());
    QThread::msleep(300);
    holder.kill();
    holder.waitForFinished();
    EXPECT_NO_THROW(ExclusiveLock(file, 2000, QStringLiteral("занята")));
    EXPECT_TRUE(logbookLockFile(QStringLiteral("/a/Korvelanta.xls")) !=
                logbookLockFile(QStringLiteral("/b/Korvelanta.xls")));
    EXPECT_TRUE(logbookLockFile(QStringLiteral("/a/Korvelanta.xls")).startsWith(runtimeDirectory()));
}

TEST(ForeignLocks, LibreOfficeAndMicrosoftOfficeLockFilesAreReadAndJudged) {
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("Korvelanta.xls"));
    EXPECT_TRUE(officeLockFiles(book).isEmpty());

    // Another machine's office: cannot be judged from here.
    writeFile(dir.filePath(QStringLiteral(".~lock.Korvelanta.xls#")),
              "Иван Петров,ivan,hangar-pc,07.12.2026 15:12,file:///home/ivan/.config/libreoffice/4;");
    QList<OfficeLockFile> locks = officeLockFiles(book);
    ASSERT_EQ(locks.size(), 1);
    EXPECT_EQ(locks[0].user, QStringLiteral("Иван Петров (ivan)"));
    EXPECT_EQ(locks[0].host, QStringLiteral("hangar-pc"));
    EXPECT_EQ(locks[0].holderText(),
              QStringLiteral("пользователь Иван Петров (ivan), компьютер hangar-pc, с 07.12.2026 15:12"));
    EXPECT_EQ(judgeForeignLock(locks[0]), LockVerdict::Unknown);

    // This machine, an office with that profile no longer runs: left behind.
    const QString gone = QUrl::fromLocalFile(dir.filePath(QStringLiteral("no-such-profile"))).toString();
    writeFile(dir.filePath(QStringLiteral(".~lock.Korvelanta.xls#")),
              ",root," + QSysInfo::machineHostName().toUtf8() + ",07.12.2026 15:12," + gone.toUtf8() + ";");
    locks = officeLockFiles(book);
    ASSERT_EQ(locks.size(), 1);
    EXPECT_EQ(locks[0].user, QStringLiteral("root"));
    EXPECT_EQ(judgeForeignLock(locks[0]), LockVerdict::Stale);

    // Microsoft Office's owner file: a name in 8 bits, then at 54 in UTF-16.
    QByteArray owner(162, '\0');
    owner[0] = 4;
    owner.replace(1, 4, "ivan");
    const QString wide = QStringLiteral("Иван");
    owner[54] = char(wide.size());
    owner.replace(56, wide.size() * 2, QByteArray(reinterpret_cast<const char*>(wide.utf16()), wide.size() * 2));
    writeFile(dir.filePath(QStringLiteral("~$Korvelanta.xls")), owner);
    locks = officeLockFiles(book);
    ASSERT_EQ(locks.size(), 2);
    EXPECT_EQ(locks[1].kind, OfficeLockFile::Kind::MsOffice);
    EXPECT_EQ(locks[1].user, wide);
    EXPECT_EQ(judgeForeignLock(locks[1]), LockVerdict::Unknown);

    EXPECT_TRUE(sameProfile(QStringLiteral("file:///tmp/a%20b/p"), QStringLiteral("file:///tmp/a b/p/")));
    EXPECT_FALSE(sameProfile(QStringLiteral("file:///tmp/a"), QStringLiteral("file:///tmp/b")));
}

TEST(ForeignLocks, ALockFileThatNamesNobodyIsLeftBehindOnceNoOfficeIsFillingItIn) {
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("Korvelanta.xls"));
    const QString lockPath = dir.filePath(QStringLiteral(".~lock.Korvelanta.xls#"));
    const auto verdict = [&] {
        const QList<OfficeLockFile> locks = officeLockFiles(book);
        EXPECT_EQ(locks.size(), 1);
        return locks.isEmpty() ? LockVerdict::Live : judgeForeignLock(locks[0]);
    };
    for (const QByteArray& content : {QByteArray(), QByteArray(",root,")}) {
        writeFile(lockPath, content);
        EXPECT_EQ(verdict(), LockVerdict::Unknown) << "just made: an office may be filling it in";
        QFile file(lockPath);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
        EXPECT_EQ(verdict(), LockVerdict::Unknown) << "held open by a process";
        file.close();
        EXPECT_EQ(verdict(), LockVerdict::Stale) << content.constData();
    }
}

// The scratch folders of runs that were killed go at the next start; a running process's, another
// program's folder and a link never do.
TEST(ScratchDirs, ThoseOfProcessesThatNoLongerRunAreSweptAndNoOthers) {
    QTemporaryDir temp;
    const QByteArray oldTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    {
        files::ScratchDir mine;
        ASSERT_TRUE(mine.isValid());
        EXPECT_TRUE(QFileInfo(mine.path()).fileName().startsWith(QStringLiteral("korvelanta-%1-").arg(::getpid())));
        qint64 dead = 4000000;
        while (QFileInfo::exists(QStringLiteral("/proc/%1").arg(dead)))
            ++dead;
        const QDir t(temp.path());
        const QString killed = QStringLiteral("korvelanta-%1-aB3dE9").arg(dead);
        ASSERT_TRUE(t.mkpath(killed + "/inner"));
        testfiles::writeFile(t.filePath(killed + "/Проверка лётной книжки.xls"), "copy");
        ASSERT_TRUE(t.mkpath(QStringLiteral("korvelanta-notes")));
        ASSERT_TRUE(QFile::link(t.filePath(QStringLiteral("korvelanta-notes")),
                                t.filePath(QStringLiteral("korvelanta-%1-zZ9yX8").arg(dead))));

        EXPECT_EQ(files::removeDeadScratchDirs(), QStringList{killed});
        EXPECT_FALSE(QFileInfo::exists(t.filePath(killed)));
        EXPECT_TRUE(QFileInfo::exists(mine.path()));
        EXPECT_TRUE(QFileInfo::exists(t.filePath(QStringLiteral("korvelanta-notes"))));
        EXPECT_TRUE(QFileInfo(t.filePath(QStringLiteral("korvelanta-%1-zZ9yX8").arg(dead))).isSymLink());
    }
    if (oldTemp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", oldTemp);
}
