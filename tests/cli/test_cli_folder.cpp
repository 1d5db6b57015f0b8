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

// Every command refuses an argument it does not take with the words it always used, status 2, nothing on
// standard output and nothing done: no logbook folder made, no office started.
TEST(CliSelf, EveryCommandNamesTheArgumentItRefuses) {
    struct Case {
        QStringList args;
        const char* firstLine; // of standard error
    };
    const QList<Case> cases{
        {{"calc", "--dir", "x"}, "korvelanta-cli calc: неизвестный аргумент «--dir»"},
        {{"new", "--db", "x"}, "korvelanta-cli new: неизвестный аргумент «--db»"},
        {{"new", "--dir"}, "korvelanta-cli new: неизвестный аргумент «--dir»"},
        {{"write", "extra"}, "korvelanta-cli write: неизвестный аргумент «extra»"},
        {{"write", "-d", "x"}, "korvelanta-cli write: неизвестный аргумент «-d»"},
        {{"totals", "--period", "current-month", "--json=1"}, "korvelanta-cli totals: неизвестный аргумент «--json=1»"},
        {{"totals", "--print", "--pdf", "a.pdf", "--period", "last-year"},
         "korvelanta-cli totals: --print и --pdf вместе не бывают"},
        {{"totals"}, "korvelanta-cli totals: нужен период (--period)"},
        {{"backups", "--type", "Л-39"}, "korvelanta-cli backups: неизвестный аргумент «--type»"},
        {{"restore", "a.xls", "b.xls"}, "korvelanta-cli restore: неизвестный аргумент «b.xls»"},
        {{"restore"}, "korvelanta-cli restore: нужно имя резервной копии (korvelanta-cli backups их показывает)"},
        {{"check", "--print"}, "korvelanta-cli check: неизвестный аргумент «--print»"},
        {{"recency", "--year", "2026"}, "korvelanta-cli recency: неизвестный аргумент «--year»"},
        {{"chart", "--year", "2026", "--last-12", "--png", "a.png"},
         "korvelanta-cli chart: нужен ровно один из --year ГГГГ и --last-12"},
        {{"chart", "--last-12", "--png", "a.png", "--pdf", "b.pdf"},
         "korvelanta-cli chart: неизвестный аргумент «--pdf»"},
        {{"pages", "--all", "--csv", "a.csv"}, "korvelanta-cli pages: неизвестный аргумент «--csv»"},
        {{"export", "--all", "--print"}, "korvelanta-cli export: неизвестный аргумент «--print»"},
        {{"records", "--row", "9"}, "korvelanta-cli records: неизвестный аргумент «--row»"},
        // An empty folder (an unset variable in a script) is no folder, not the default one.
        {{"write", "--dir", ""},
         "korvelanta-cli write: --dir: пустой путь; назовите папку лётной книжки или не "
         "указывайте --dir"},
        {{"remove", "--row", "9", "--yes", "--dir="},
         "korvelanta-cli remove: --dir: пустой путь; назовите папку "
         "лётной книжки или не указывайте --dir"},
        // A long argument is quoted by its first 32 characters.
        {{"check", "--" + QString(40, u'x')},
         "korvelanta-cli check: неизвестный аргумент «--xxxxxxxxxxxxxxxxxxxxxxxxxxxxxx»"},
    };
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KORVELANTA_DIR", home.filePath("books"));
    env.insert("XDG_CACHE_HOME", home.filePath("cache"));
    env.insert("XDG_RUNTIME_DIR", home.path()); // Qt's warning about a missing one would come first
    for (const Case& c : cases) {
        const CliRun r = runCli(c.args, {}, 30000, env);
        const QString err = QString::fromUtf8(r.err);
        EXPECT_EQ(r.exitCode, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << c.args.join(' ').toStdString();
        EXPECT_EQ(err.section(u'\n', 0, 0), QString::fromUtf8(c.firstLine)) << err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(home.filePath("books")));
    EXPECT_FALSE(QFileInfo::exists(home.filePath("cache/korvelanta/office-profile")));
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
