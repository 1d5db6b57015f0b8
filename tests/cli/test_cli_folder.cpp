// What korvelanta-cli says about itself, and where it keeps the logbook when no folder is named: in the
// documents, with a logbook that earlier builds kept beside the program moved there. No office.
#include "support/cli_run.h"
#include "support/files.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using testfiles::contentOf;
using testfiles::writeFile;

TEST(CliSelf, HelpAndVersionGoToStandardOutputAndMalformedArgumentsAreRefused) {
    const CliRun help = runCli({"--help"}, {});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.err.isEmpty());
    const QString text = QString::fromUtf8(help.out);
    for (const char* word :
         {"calc", "new", "write", "totals --period", "--type ТИП", "backups", "restore", "KORVELANTA_DIR"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(word))) << word;

    const CliRun commandHelp = runCli({"totals", "--help"}, {});
    EXPECT_EQ(commandHelp.exitCode, 0);
    EXPECT_TRUE(QString::fromUtf8(commandHelp.out).startsWith("Использование: korvelanta-cli totals --period"));

    const CliRun version = runCli({"--version"}, {});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QByteArray("korvelanta-cli " KORV_VERSION "\n"));

    for (const QStringList& wrong : {QStringList{}, QStringList{"draw"}, QStringList{"totals", "--bogus"}}) {
        const CliRun r = runCli(wrong, {});
        EXPECT_EQ(r.exitCode, 2) << wrong.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.contains("Использование")) << r.err.toStdString();
    }
}

TEST(CliFolder, ALogbookBesideAnEarlierBuildMovesToTheDocumentsAndIsUsedThere) {
    QTemporaryDir root;
    const QString bin = root.filePath("build/bin");
    const QString home = root.filePath("home");
    ASSERT_TRUE(QDir().mkpath(bin));
    ASSERT_TRUE(QDir().mkpath(home));
    ASSERT_TRUE(QFile::copy(cliPath(), bin + "/korvelanta-cli"));
    QFile::setPermissions(bin + "/korvelanta-cli", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    writeFile(bin + "/Korvelanta.xls", "years of records");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/.config");
    env.remove("KORVELANTA_DIR");
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(bin + "/korvelanta-cli", {"backups", "--json"});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 0) << err.toStdString();
    const QString folder = home + "/Documents/Korvelanta";
    EXPECT_TRUE(err.contains("перенесена") && err.contains(folder)) << err.toStdString();
    EXPECT_EQ(contentOf(folder + "/Korvelanta.xls"), "years of records");
    EXPECT_FALSE(QFileInfo::exists(bin + "/Korvelanta.xls"));

    // Said once.
    QProcess again;
    again.setProcessEnvironment(env);
    again.start(bin + "/korvelanta-cli", {"backups", "--json"});
    ASSERT_TRUE(again.waitForFinished(60000));
    EXPECT_EQ(again.exitCode(), 0);
    EXPECT_TRUE(again.readAllStandardError().isEmpty());
}
