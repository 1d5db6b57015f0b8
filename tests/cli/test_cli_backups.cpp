// Backups through korvelanta-cli: every write keeps the logbook it replaces, byte for byte; a refused
// write keeps none; a backup that cannot be made stops the write; restore puts one back and keeps the
// logbook it replaces; a logbook held by another program is not restored over.

#include "bookfiles/file_system.h"
#include "bookfiles/locks.h"
#include "support/cli_run.h"
#include "support/files.h"
#include "support/warm_office.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {

const auto* const kOffice = ::testing::AddGlobalTestEnvironment(new korv::test::WarmOffice);

using testfiles::hashOf;

class CliBackups : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        env = korv::test::WarmOffice::environment();
        env.insert("KORV_LOGBOOK_WAIT_MS", "1500");
        QDir().mkpath(dir.filePath("book"));
        book = dir.filePath("book/Korvelanta.xls");
    }
    CliRun cli(const QStringList& args, const QByteArray& input = {}) { return runCli(args, input, 180000, env); }
    int write(const char* date) {
        return cli({"write", "--dir", dir.filePath("book")}, "[" + shiftJson(date) + "]").exitCode;
    }
    QStringList backupNames() {
        QStringList names = testfiles::backupEntriesOf(dir.filePath("book/Backups"));
        names.sort();
        return names;
    }
    QTemporaryDir dir;
    QProcessEnvironment env;
    QString book;
};

} // namespace

TEST_F(CliBackups, EveryWriteKeepsTheLogbookItReplaces) {
    ASSERT_EQ(write("05.09.04"), 0); // makes the logbook, then writes into it: an empty logbook needs none
    QList<QByteArray> states{hashOf(book)};
    QThread::msleep(1100);
    ASSERT_EQ(write("06.09.04"), 0);
    states << hashOf(book);
    QThread::msleep(1100);
    ASSERT_EQ(write("07.09.04"), 0);
    const QStringList names = backupNames();
    ASSERT_EQ(names.size(), 2) << names.join(' ').toStdString();
    // Each is byte for byte the logbook as it was before the write that replaced it.
    EXPECT_EQ(hashOf(dir.filePath("book/Backups/" + names[0])), states[0]);
    EXPECT_EQ(hashOf(dir.filePath("book/Backups/" + names[1])), states[1]);

    // A refused write (no such day) keeps no backup.
    EXPECT_EQ(write("31.09.04"), 3);
    EXPECT_EQ(backupNames().size(), 2);

    // The list: newest first, with the records each holds.
    const CliRun list = cli({"backups", "--dir", dir.filePath("book"), "--json"});
    EXPECT_EQ(list.exitCode, 0);
    const QJsonArray items = QJsonDocument::fromJson(list.out).array();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]["name"].toString(), names[1]);
    EXPECT_EQ(items[0]["records"].toInt(), 2);
    EXPECT_EQ(items[1]["records"].toInt(), 1);
    EXPECT_GT(items[1]["size"].toDouble(), 10000);

    // Restore the oldest: the logbook becomes it, and the logbook it replaced is kept too.
    const QByteArray current = hashOf(book);
    const CliRun restored = cli({"restore", names[0], "--dir", dir.filePath("book")});
    EXPECT_EQ(restored.exitCode, 0) << restored.err.toStdString();
    EXPECT_EQ(hashOf(book), states[0]);
    // Found by what is new: within the second of the last write it is named "…-2.xls", which sorts first.
    QStringList after = backupNames();
    ASSERT_EQ(after.size(), 3);
    for (const QString& n : names)
        after.removeOne(n);
    ASSERT_EQ(after.size(), 1);
    EXPECT_TRUE(QString::fromUtf8(restored.out).contains(after[0])) << restored.out.toStdString();
    EXPECT_EQ(hashOf(dir.filePath("book/Backups/" + after[0])), current);

    // Malformed and unknown names.
    EXPECT_EQ(cli({"restore", "--dir", dir.filePath("book")}).exitCode, 2);
    EXPECT_EQ(cli({"restore", "../Korvelanta.xls", "--dir", dir.filePath("book")}).exitCode, 1);
    EXPECT_EQ(hashOf(book), states[0]);
}

TEST_F(CliBackups, ABackupThatCannotBeMadeStopsTheWriteAndALockedLogbookIsNotRestored) {
    ASSERT_EQ(write("05.09.04"), 0);
    QThread::msleep(1100);
    ASSERT_EQ(write("06.09.04"), 0);
    ASSERT_EQ(backupNames().size(), 1);
    const QString name = backupNames()[0];

    // The logbook's lock held by another change: restore waits, then refuses, and changes nothing.
    const QByteArray before = hashOf(book);
    {
        korv::logbook::ExclusiveLock held(korv::logbook::logbookLockFile(korv::logbook::files::realPath(book)), 1000,
                                          "занята");
        const CliRun r = cli({"restore", name, "--dir", dir.filePath("book")});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(QString::fromUtf8(r.err).contains("Лётная книжка занята")) << r.err.toStdString();

        // SIGTERM ends the wait at once: a service stopping, or the pilot's Ctrl+C, is never ignored.
        QProcessEnvironment patient = env;
        patient.insert("KORV_LOGBOOK_WAIT_MS", "120000");
        QProcess waiting;
        waiting.setProcessEnvironment(patient);
        waiting.start(cliPath(), {"restore", name, "--dir", dir.filePath("book")});
        ASSERT_TRUE(waiting.waitForStarted());
        QThread::msleep(700);
        ::kill(pid_t(waiting.processId()), SIGTERM);
        ASSERT_TRUE(waiting.waitForFinished(5000)) << "a waiting restore did not end on SIGTERM";
        EXPECT_EQ(waiting.exitCode(), 1);
        const QString said = QString::fromUtf8(waiting.readAllStandardError());
        EXPECT_TRUE(said.contains("Остановлено (SIGTERM) во время ожидания: Лётная книжка занята"))
            << said.toStdString();
    }
    EXPECT_EQ(hashOf(book), before);
    EXPECT_EQ(backupNames().size(), 1);

    // A logbook the pilot made read-only is refused as a write refuses it, and stays as it was.
    ASSERT_TRUE(QFile::setPermissions(book, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const CliRun readOnly = cli({"restore", name, "--dir", dir.filePath("book")});
    EXPECT_EQ(readOnly.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(readOnly.err).contains("Лётная книжка доступна только для чтения"))
        << readOnly.err.toStdString();
    EXPECT_EQ(hashOf(book), before);
    EXPECT_EQ(backupNames().size(), 1);
    ASSERT_TRUE(QFile::setPermissions(book, QFile::ReadOwner | QFile::WriteOwner));

    // No room for a backup: the write stops before anything changes.
    QDir(dir.filePath("book/Backups")).removeRecursively();
    QFile blocker(dir.filePath("book/Backups"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const CliRun r = cli({"write", "--dir", dir.filePath("book")}, "[" + shiftJson("07.09.04") + "]");
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(QString::fromUtf8(r.out).contains("Резервная копия лётной книжки не сделана")) << r.out.toStdString();
    EXPECT_EQ(hashOf(book), before);
}

TEST_F(CliBackups, OnlyACopyThatOpensAsALogbookIsRestored) {
    ASSERT_EQ(write("05.09.04"), 0);
    QThread::msleep(1100);
    ASSERT_EQ(write("06.09.04"), 0);
    const QByteArray before = hashOf(book);
    const QString backups = dir.filePath("book/Backups/");
    // Named as the program names its backups, but random bytes, a link to another file, and a
    // spreadsheet without the record sheet.
    QFile junk(backups + "Korvelanta-2026-01-01-000000.xls");
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    for (int i = 0; i < 4096; ++i)
        junk.putChar(char((i * 7919) & 0xff));
    junk.close();
    QFile other(dir.filePath("other.xls"));
    ASSERT_TRUE(QFile::copy(book, other.fileName()));
    ASSERT_TRUE(QFile::link(other.fileName(), backups + "Korvelanta-2026-01-02-000000.xls"));
    QFile csv(backups + "Korvelanta-2026-01-03-000000.xls");
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("a,b,c\n1,2,3\n");
    csv.close();
    const QStringList kept = backupNames();
    struct Case {
        const char* name;
        const char* says;
    };
    for (const Case& c : {Case{"Korvelanta-2026-01-01-000000.xls", "не открывается как лётная книжка"},
                          Case{"Korvelanta-2026-01-02-000000.xls", "ссылка на другой файл"},
                          Case{"Korvelanta-2026-01-03-000000.xls", "не открывается как лётная книжка"}}) {
        const CliRun r = cli({"restore", c.name, "--dir", dir.filePath("book")});
        EXPECT_EQ(r.exitCode, 1) << c.name;
        EXPECT_TRUE(QString::fromUtf8(r.err).contains("Лётная книжка не восстановлена, ничего не изменено."))
            << r.err.toStdString();
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(QString::fromUtf8(c.says))) << r.err.toStdString();
        EXPECT_EQ(hashOf(book), before) << c.name;
        EXPECT_EQ(backupNames(), kept) << c.name; // nothing kept for a restore that did not happen
    }
    // The logbook still takes a write.
    EXPECT_EQ(write("07.09.04"), 0);
}

TEST_F(CliBackups, ALongBatchKeepsTheLogbookItStartedFrom) {
    ASSERT_EQ(write("05.09.04"), 0); // one record
    const QByteArray start = hashOf(book);
    QByteArray batch = "[";
    for (int i = 0; i < 36; ++i)
        batch += (i ? "," : "") + shiftJson(QString("%1.10.04").arg(1 + i / 2, 2, 10, QChar('0')).toUtf8());
    batch += "]";
    ASSERT_EQ(cli({"write", "--dir", dir.filePath("book")}, batch).exitCode, 0);
    // The batch is one change: one backup, of the logbook it started from.
    const CliRun list = cli({"backups", "--dir", dir.filePath("book"), "--json"});
    const QJsonArray items = QJsonDocument::fromJson(list.out).array();
    ASSERT_EQ(items.size(), 1);
    const QJsonObject oldest = items.last().toObject();
    EXPECT_EQ(oldest["kind"].toString(), "run-start");
    EXPECT_EQ(oldest["records"].toInt(), 1);
    EXPECT_EQ(hashOf(dir.filePath("book/Backups/" + oldest["name"].toString())), start);
    EXPECT_EQ(cli({"export", "--csv", "-", "--dir", dir.filePath("book")}).out.count("\r\n"), 1 + 37);
}
