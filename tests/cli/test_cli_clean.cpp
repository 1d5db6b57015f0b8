// A clean build cannot lose the logbook: shifts written by the program of a build tree land in the
// pilot's documents, and `make clean` of that tree leaves the logbook and its backups as they were.
#include "support/cli_run.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using testfiles::hashOf;

TEST(CleanBuild, MakeCleanLeavesTheLogbookAndItsBackupsWhereTheyWere) {
    QTemporaryDir root;
    const QString build = root.filePath("build");
    const QString bin = build + "/bin";
    ASSERT_TRUE(QDir().mkpath(bin));
    // A build tree of its own, so that the real one stays: the program, its helper and its database.
    for (const char* file : {"korvelanta-cli", "korvelanta-office-guard", "FlightTables1.mdb"}) {
        const QString from = QDir(qEnvironmentVariable("KORV_BIN_DIR")).filePath(file);
        ASSERT_TRUE(QFile::copy(from, bin + '/' + file)) << file;
        QFile::setPermissions(bin + '/' + file, QFile::permissions(from));
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", root.filePath("home"));
    env.insert("XDG_CONFIG_HOME", root.filePath("home/.config"));
    env.insert("XDG_CACHE_HOME", root.filePath("home/.cache"));
    env.remove("KORVELANTA_DIR");
    auto write = [&](const char* date) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(bin + "/korvelanta-cli", {"write"});
        p.write("[" + shiftJson(date) + "]");
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(120000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    };
    write("05.09.04"); // makes the logbook; an empty logbook needs no backup
    write("06.09.04"); // keeps the logbook with the first record as a backup

    const QString folder = root.filePath("home/Documents/Korvelanta");
    const QString book = folder + "/Korvelanta.xls";
    const QStringList backups = testfiles::backupEntriesOf(folder + "/Backups");
    ASSERT_TRUE(QFileInfo(book).isFile());
    ASSERT_EQ(backups.size(), 1);
    EXPECT_TRUE(QDir(bin).entryList({"*.xls"}).isEmpty()) << "nothing of the logbook in the build tree";
    const QByteArray bookHash = hashOf(book);
    const QByteArray backupHash = hashOf(folder + "/Backups/" + backups.first());

    QProcess clean;
    clean.start("make", {"-C", KORV_SOURCE_DIR, "clean", "BUILD_DIR=" + build});
    ASSERT_TRUE(clean.waitForFinished(60000));
    ASSERT_EQ(clean.exitCode(), 0) << clean.readAllStandardError().toStdString();
    EXPECT_FALSE(QFileInfo::exists(build));
    EXPECT_EQ(hashOf(book), bookHash);
    EXPECT_EQ(hashOf(folder + "/Backups/" + backups.first()), backupHash);
}
