// korvelanta-cli new, run as a user would, in the office the test program keeps warm (its profile under a
// private cache folder): it prints the status texts and progress values, and leaves an existing logbook
// alone.

#include "support/warm_office.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const auto* const kOffice = ::testing::AddGlobalTestEnvironment(new korv::test::WarmOffice);

struct CliRun {
    int exitCode = -1;
    QString out, err;
};

class CliNew : public ::testing::Test {
protected:
    static CliRun run(const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(korv::test::WarmOffice::environment()); // the CLI's office profile goes there
        p.start(qEnvironmentVariable("KORV_BIN_DIR") + QStringLiteral("/korvelanta-cli"),
                QStringList{QStringLiteral("new")} + args);
        CliRun r;
        if (!p.waitForFinished(180000))
            return r;
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }
};

TEST_F(CliNew, CreatesTheLogbookPrintingStatusProgressAndStorageMessage) {
    QTemporaryDir dir;
    const CliRun r = run({QStringLiteral("--dir"), dir.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(dir.path() + QStringLiteral("/Korvelanta.xls")));
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 70) << r.out.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Создаётся новая пустая лётная книжка. Ждите!"));
    EXPECT_EQ(lines[1], QStringLiteral("1"));
    EXPECT_EQ(lines[2],
              QStringLiteral("Заводится новая лётная книжка. Создаётся и форматируется Лист1  лётной книжки. Ждите."));
    EXPECT_TRUE(lines.contains(QStringLiteral("61")));
    const QString storage =
        QStringLiteral("Лётная книжка размещается  в ") + dir.path() + QStringLiteral("/Korvelanta.xls");
    const int at = int(lines.indexOf(storage));
    ASSERT_GE(at, 0) << r.out.toStdString();
    EXPECT_EQ(lines[at + 1], QStringLiteral("100"));
    EXPECT_EQ(lines[at + 2], QStringLiteral("Сохранение лётной книжки: ") + storage);
}

TEST_F(CliNew, AnExistingLogbookIsLeftAsItIs) {
    QTemporaryDir dir;
    QFile f(dir.path() + QStringLiteral("/Korvelanta.xls"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("mine");
    f.close();
    const CliRun r = run({QStringLiteral("--dir"), dir.path()});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("уже есть"))) << r.out.toStdString();
    QFile g(dir.path() + QStringLiteral("/Korvelanta.xls"));
    ASSERT_TRUE(g.open(QIODevice::ReadOnly));
    EXPECT_EQ(g.readAll(), QByteArray("mine"));
}

TEST_F(CliNew, ADirectoryThatCannotTakeTheLogbookEndsWithStatusOne) {
    const CliRun r = run({QStringLiteral("--dir"), QStringLiteral("/proc")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("/proc"))) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/proc/Korvelanta.xls")));
}

// Malformed arguments end with status 2 as for every other command (status 1 says the logbook could not
// be made).
TEST_F(CliNew, UnknownArgumentsEndWithStatusTwo) {
    const CliRun r = run({QStringLiteral("--bogus")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("--bogus")));
    EXPECT_TRUE(r.err.contains(QStringLiteral("Использование")));
}

} // namespace
