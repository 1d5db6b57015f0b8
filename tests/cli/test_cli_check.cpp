// korvelanta-cli check: a logbook the program wrote gives nothing (exit 0), one edited by hand its
// findings as a table or JSON (exit 3), a missing one exit 1; the logbook's bytes and time stay.
#include "support/cli_run.h"
#include "support/files.h"
#include "support/warm_office.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using testfiles::hashOf;

namespace {

const auto* const kOffice = ::testing::AddGlobalTestEnvironment(new korv::test::WarmOffice);

} // namespace

TEST(CliCheck, AWrittenLogbookThenOneWithATimeTypedAsText) {
    QTemporaryDir dir;
    const QProcessEnvironment env = korv::test::WarmOffice::environment();
    const QString book = dir.filePath("book");
    ASSERT_EQ(
        runCli({"write", "--dir", book}, "[" + shiftJson("05.09.04") + "," + shiftJson("06.09.04") + "]", 180000, env)
            .exitCode,
        0);
    const QByteArray bytes = hashOf(book + "/Korvelanta.xls");
    const QDateTime changed = QFileInfo(book + "/Korvelanta.xls").lastModified();

    const CliRun clean = runCli({"check", "--dir", book}, {}, 180000, env);
    EXPECT_EQ(clean.exitCode, 0) << clean.out.toStdString() << clean.err.toStdString();
    EXPECT_TRUE(clean.out.contains("Ошибок не найдено"));
    EXPECT_EQ(hashOf(book + "/Korvelanta.xls"), bytes);
    EXPECT_EQ(QFileInfo(book + "/Korvelanta.xls").lastModified(), changed);
    EXPECT_EQ(QDir(book).entryList(QDir::Files | QDir::Hidden), QStringList{"Korvelanta.xls"});

    // The same shift twice: a warning at the second.
    ASSERT_EQ(runCli({"write", "--dir", book}, "[" + shiftJson("06.09.04") + "]", 180000, env).exitCode, 0);
    const CliRun found = runCli({"check", "--dir", book, "--json"}, {}, 180000, env);
    EXPECT_EQ(found.exitCode, 3) << found.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(found.out).object();
    EXPECT_EQ(o["errors"].toInt(), 0);
    ASSERT_EQ(o["findings"].toArray().size(), 1) << found.out.toStdString();
    const QJsonObject f = o["findings"].toArray()[0].toObject();
    EXPECT_EQ(f["row"].toInt(), 13);
    EXPECT_EQ(f["column"].toString(), "A");
    EXPECT_EQ(f["severity"].toString(), "warning");
    EXPECT_TRUE(f["text"].toString().contains("строке 11")) << f["text"].toString().toStdString();

    const CliRun missing = runCli({"check", "--dir", dir.filePath("none")}, {}, 180000, env);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("не найдена")) << missing.err.toStdString();
}
