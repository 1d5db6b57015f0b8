// korvelanta-cli write end to end: a logbook created in a temporary logbook folder, shifts
// calculated and written by the command's own office.
#include "support/cli_run.h"
#include "support/files.h"
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

// The same shift flown on another day.
QByteArray shift(const char* date) {
    QByteArray s = kShift;
    return s.replace("05.09.04", date);
}

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

TEST(CliWrite, RemoveTakesARecordAwayAndItsMonthHeadingWhenNothingIsLeftUnderIt) {
    QTemporaryDir dir;
    const QProcessEnvironment env = korv::test::WarmOffice::environment();
    // September (heading 7, records 9 and 11), October (heading 13, record 15).
    ASSERT_EQ(runCli({"write", "--dir", dir.path()},
                     "[" + shift("05.09.04") + "," + shift("06.09.04") + "," + shift("01.10.04") + "]", 180000, env)
                  .exitCode,
              0);
    const QString book = dir.filePath("Korvelanta.xls");
    const auto bytes = [&] { return testfiles::contentOf(book); };
    const auto rows = [&] {
        const CliRun r = runCli({"records", "--dir", dir.path(), "--json"}, {}, 180000, env);
        QList<int> out;
        for (const auto& v : QJsonDocument::fromJson(r.out).object()["records"].toArray())
            out << v.toObject()["row"].toInt();
        return out;
    };
    const QByteArray before = bytes();

    // Without --yes the record is only shown; a row that holds no record is refused. Nothing changes.
    const CliRun shown = runCli({"remove", "--row", "11", "--dir", dir.path()}, {}, 180000, env);
    EXPECT_EQ(shown.exitCode, 3);
    EXPECT_TRUE(QString::fromUtf8(shown.out).startsWith("строка 11: 06.09.2004, Л-39, Д, Упр.  7"))
        << shown.out.toStdString();
    EXPECT_TRUE(shown.err.contains("--yes")) << shown.err.toStdString();
    const CliRun heading = runCli({"remove", "--row", "13", "--yes", "--dir", dir.path()}, {}, 180000, env);
    EXPECT_EQ(heading.exitCode, 3);
    EXPECT_TRUE(heading.err.contains("в строке 13 нет записи смены")) << heading.err.toStdString();
    EXPECT_EQ(runCli({"remove", "--row", "x", "--dir", dir.path()}, {}, 180000, env).exitCode, 2);
    EXPECT_EQ(bytes(), before);

    // The second September record goes; October moves up a pair.
    const CliRun second = runCli({"remove", "--row", "11", "--yes", "--dir", dir.path()}, {}, 180000, env);
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_TRUE(second.out.startsWith("Удалена строка 11: 06.09.2004")) << second.out.toStdString();
    EXPECT_EQ(rows(), (QList<int>{9, 13}));
    // October's only record goes with its heading: no hole, no heading without records.
    const CliRun october = runCli({"remove", "--row", "13", "--yes", "--dir", dir.path()}, {}, 180000, env);
    ASSERT_EQ(october.exitCode, 0) << october.err.toStdString();
    EXPECT_TRUE(october.out.contains("заголовок месяца")) << october.out.toStdString();
    EXPECT_EQ(rows(), QList<int>{9});
    const CliRun check = runCli({"check", "--dir", dir.path()}, {}, 180000, env);
    EXPECT_EQ(check.exitCode, 0) << check.out.toStdString();
    // Each removal kept the logbook it replaced.
    EXPECT_GE(testfiles::backupEntriesOf(dir.filePath("Backups")).size(), 2);
}

TEST(CliWrite, EditCorrectsARecordInItsPairOrMovesItToItsNewDate) {
    QTemporaryDir dir;
    const QProcessEnvironment env = korv::test::WarmOffice::environment();
    ASSERT_EQ(
        runCli({"write", "--dir", dir.path()}, "[" + shift("05.09.04") + "," + shift("20.09.04") + "]", 180000, env)
            .exitCode,
        0);
    const auto records = [&] {
        const CliRun r = runCli({"records", "--dir", dir.path(), "--json"}, {}, 180000, env);
        return QJsonDocument::fromJson(r.out).object()["records"].toArray();
    };

    // The first record flown for 2 h 10 min, not 1 h 25 min: corrected in its pair, calculated again.
    QByteArray longer = shift("05.09.04");
    longer.replace("\"txtTpolChas\":\"1\"", "\"txtTpolChas\":\"2\"")
        .replace("\"txtTpolMin\":\"25\"", "\"txtTpolMin\":\"10\"");
    const CliRun fixed = runCli({"edit", "--row", "9", "--dir", dir.path()}, longer, 180000, env);
    ASSERT_EQ(fixed.exitCode, 0) << fixed.err.toStdString() << fixed.out.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(fixed.out).object()["written"].toObject()["row"].toInt(), 9);
    QJsonArray now = records();
    ASSERT_EQ(now.size(), 2);
    EXPECT_EQ(now[0].toObject()["flightTime"].toString(), "2:10");
    EXPECT_EQ(now[1].toObject()["date"].toString(), "20.09.2004");

    // The second one was in October: it moves under an October heading of its own.
    const CliRun moved = runCli({"edit", "--row", "11", "--dir", dir.path()}, shift("02.10.04"), 180000, env);
    ASSERT_EQ(moved.exitCode, 0) << moved.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(moved.out).object()["written"].toObject()["row"].toInt(), 13);
    now = records();
    ASSERT_EQ(now.size(), 2);
    EXPECT_EQ(now[1].toObject()["date"].toString(), "02.10.2004");
    EXPECT_EQ(runCli({"check", "--dir", dir.path()}, {}, 180000, env).exitCode, 0);

    // A row that holds no record (the October heading) is refused, the logbook as it was.
    const QString book = dir.filePath("Korvelanta.xls");
    const QByteArray before = testfiles::contentOf(book);
    const CliRun heading = runCli({"edit", "--row", "11", "--dir", dir.path()}, shift("03.10.04"), 180000, env);
    EXPECT_EQ(heading.exitCode, 3);
    EXPECT_TRUE(heading.out.contains("нет записи смены")) << heading.out.toStdString();
    EXPECT_EQ(testfiles::contentOf(book), before);
    EXPECT_EQ(runCli({"edit", "--dir", dir.path()}, shift("03.10.04"), 180000, env).exitCode, 2);
}

TEST(CliWrite, UndoPutsBackTheLogbookBeforeTheLastChangeAndAnUndoIsUndoneToo) {
    QTemporaryDir dir;
    const QProcessEnvironment env = korv::test::WarmOffice::environment();
    const QString book = dir.filePath("Korvelanta.xls");
    ASSERT_EQ(runCli({"write", "--dir", dir.path()}, "[" + shift("05.09.04") + "]", 180000, env).exitCode, 0);
    const CliRun nothing = runCli({"undo", "--dir", dir.path()}, {}, 180000, env);
    EXPECT_EQ(nothing.exitCode, 3) << "the first record went into an empty logbook, of which no copy is kept";
    EXPECT_TRUE(nothing.err.contains("Отменять нечего")) << nothing.err.toStdString();

    const QByteArray one = testfiles::contentOf(book);
    ASSERT_EQ(runCli({"write", "--dir", dir.path()}, "[" + shift("06.09.04") + "]", 180000, env).exitCode, 0);
    const QByteArray two = testfiles::contentOf(book);
    const CliRun undo = runCli({"undo", "--dir", dir.path()}, {}, 180000, env);
    ASSERT_EQ(undo.exitCode, 0) << undo.err.toStdString();
    EXPECT_TRUE(undo.out.startsWith("Отменено: запись смены")) << undo.out.toStdString();
    EXPECT_EQ(testfiles::contentOf(book), one);
    ASSERT_EQ(runCli({"undo", "--dir", dir.path()}, {}, 180000, env).exitCode, 0);
    EXPECT_EQ(testfiles::contentOf(book), two) << "the undo undone";

    // Changed by another program since: refused, the file as it was.
    {
        QFile f(book);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("x");
    }
    const QByteArray handEdited = testfiles::contentOf(book);
    const CliRun refused = runCli({"undo", "--dir", dir.path()}, {}, 180000, env);
    EXPECT_EQ(refused.exitCode, 3);
    EXPECT_TRUE(refused.err.contains("не отменено")) << refused.err.toStdString();
    EXPECT_EQ(testfiles::contentOf(book), handEdited);
}
