// korvelanta-cli write end to end: a logbook created in a temporary logbook folder, shifts
// calculated and written by the command's own office.
#include "support/cli_run.h"
#include "support/warm_office.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const auto* const kOffice = ::testing::AddGlobalTestEnvironment(new korv::test::WarmOffice);

// The worked shift with the hood closed from 150 to 2500 m.
const QByteArray kShift = [] {
    korv::flight::InputForm f = korv::test::workedShift();
    f.txtShtorkaZ = QStringLiteral("150");
    f.txtShtorkaO = QStringLiteral("2500");
    return korv::test::formJson(f);
}();

} // namespace

TEST(CliWrite, CreatesTheLogbookAndAppendsEachCalculatedShift) {
    QTemporaryDir dir;
    QByteArray second = kShift;
    second.replace("05.09.04", "06.09.04");
    QByteArray badDate = kShift;
    badDate.replace("05.09.04", "31.09.04");
    const CliRun r = runCli({"write", "--dir", dir.path()}, "[" + kShift + "," + second + "," + badDate + "]", 180000,
                            korv::test::WarmOffice::environment());
    EXPECT_EQ(r.exitCode, 3) << r.err.toStdString(); // the third shift was refused
    EXPECT_TRUE(QFile::exists(dir.filePath("Korvelanta.xls")));
    const QJsonArray results = QJsonDocument::fromJson(r.out).array();
    ASSERT_EQ(results.size(), 3);

    const QJsonObject first = results[0].toObject();
    EXPECT_EQ(first["written"].toObject()["row"].toInt(), 9);
    EXPECT_EQ(first["written"].toObject()["heading"].toString(), "Сентябрь  2004 г.");
    EXPECT_FALSE(first["cmdWrite"].toObject()["enabled"].toBool());
    EXPECT_EQ(first["txtShtorkaZ"].toString(), "");
    EXPECT_EQ(first["txtShtorkaO"].toString(), "");
    EXPECT_TRUE(first["txtZakKab"].toObject()["visible"].toBool());

    const QJsonObject next = results[1].toObject();
    EXPECT_EQ(next["written"].toObject()["row"].toInt(), 11);
    EXPECT_TRUE(next["written"].toObject()["heading"].isNull());

    // 31.09 is no day of the calendar: refused at "Считать", naming the box, and never written.
    const QJsonObject refused = results[2].toObject();
    EXPECT_TRUE(refused["written"].isNull());
    const QJsonArray messages = refused["messages"].toArray();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].toObject()["title"].toString(), "Дата полётов");
    EXPECT_TRUE(messages[0].toObject()["text"].toString().startsWith("«31.09.04» — не дата полётов."));
    EXPECT_FALSE(refused["cmdWrite"].toObject()["enabled"].toBool());
}

TEST(CliWrite, MalformedInputTouchesNothing) {
    QTemporaryDir dir;
    const CliRun r = runCli({"write", "--dir", dir.path()}, R"([{"optDSMU": true, "optNSMU": true}])", 180000,
                            korv::test::WarmOffice::environment());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath("Korvelanta.xls")));
}
