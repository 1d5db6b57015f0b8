// korvelanta-cli totals end to end: the logbook written by korvelanta-cli write, the totals in JSON and as a
// table, every end with its exit status, a PDF of the printed range.

#include "support/cli_run.h"
#include "support/files.h"
#include "support/warm_office.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const auto* const kOffice = ::testing::AddGlobalTestEnvironment(new korv::test::WarmOffice);

class CliTotals : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        env = korv::test::WarmOffice::environment();
        QDir().mkpath(dir.filePath("book"));
    }
    CliRun totals(const QStringList& args) {
        return runCli(QStringList{"totals", "--dir", dir.filePath("book")} + args, {}, 180000, env);
    }
    QJsonObject json(const QStringList& args, int expectedStatus) {
        const CliRun r = totals(args + QStringList{"--json"});
        EXPECT_EQ(r.exitCode, expectedStatus) << r.err.toStdString();
        return QJsonDocument::fromJson(r.out).object();
    }
    QTemporaryDir dir;
    QProcessEnvironment env;
};

} // namespace

TEST_F(CliTotals, AMonthInJsonAndAsATable) {
    ASSERT_EQ(runCli({"write", "--dir", dir.filePath("book")},
                     "[" + shiftJson("05.09.04", "7", true) + "," + shiftJson("06.09.04", "85", true) + "," +
                         shiftJson("01.10.04", "7", true) + "]",
                     180000, env)
                  .exitCode,
              0);
    const QJsonObject j = json({"--period", "last-month", "--today", "15.10.04"}, 0);
    EXPECT_EQ(j["end"].toString(), "summary");
    const QJsonArray status = j["status"].toArray();
    ASSERT_FALSE(status.isEmpty());
    EXPECT_EQ(status.first().toString(), "Начнём'с...");
    EXPECT_EQ(status.last().toString(), "Задание выполнено, сэр!");
    for (int i = 1; i < status.size(); ++i)
        EXPECT_NE(status[i], status[i - 1]); // a repeat counts once
    ASSERT_EQ(j["messages"].toArray().size(), 1);
    EXPECT_EQ(j["messages"][0]["text"].toString(), "Отпечатать итог ?");

    const QJsonObject rows = j["rows"].toObject();
    EXPECT_EQ(rows.size(), 11);
    EXPECT_EQ(rows["7"]["E"].toString(), "          Контрольный        День");
    EXPECT_EQ(rows["7"]["F"].toDouble(), 2); // exercises 7 and 85
    EXPECT_EQ(rows["7"]["G"].toString(), "2:50");
    EXPECT_TRUE(rows["8"]["E"].isNull());
    EXPECT_EQ(rows["11"]["Q"].toDouble(), 4);
    EXPECT_EQ(rows["17"]["E"].toString(), "Всего за Сентябрь  2004 г.");
    EXPECT_EQ(rows["17"]["G"].toString(), "2:50");
    EXPECT_EQ(rows["17"]["O"].toDouble(), 0); // a zero sum is there
    EXPECT_EQ(rows["16"]["F"], QJsonValue::Null);

    const CliRun table = totals({"--period", "current-year", "--today", "15.10.04"});
    EXPECT_EQ(table.exitCode, 0);
    EXPECT_TRUE(QString::fromUtf8(table.out).contains("Всего за 2004 год")) << table.out.toStdString();

    // The printed range as a PDF.
    const QString pdf = dir.filePath("summary.pdf");
    EXPECT_EQ(totals({"--period", "current-year", "--today", "15.10.04", "--pdf", pdf}).exitCode, 0);
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5).startsWith("%PDF"));
}

TEST_F(CliTotals, APdfIsNeverWrittenOverTheLogbookItsBackupsOrAnotherFile) {
    ASSERT_EQ(
        runCli({"write", "--dir", dir.filePath("book")}, "[" + shiftJson("05.09.04", "7", true) + "]", 180000, env)
            .exitCode,
        0);
    const QString book = dir.filePath("book/Korvelanta.xls");
    QDir().mkpath(dir.filePath("book/Backups"));
    QFile::link(book, dir.filePath("link.xls"));
    QFile notes(dir.filePath("notes.txt"));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("заметки пилота");
    notes.close();
    const QByteArray before = testfiles::hashOf(book);
    struct Case {
        QString target;
        const char* says;
    };
    const Case cases[] = {
        {book, "это сама лётная книжка"},
        {dir.filePath("book/../book/Korvelanta.xls"), "это сама лётная книжка"},
        {dir.filePath("link.xls"), "это сама лётная книжка"},
        {dir.filePath("book/Backups/summary.pdf"), "среди резервных копий"},
        {dir.filePath("book"), "каталог"},
        {dir.filePath("notes.txt"), "уже есть и это не PDF"},
    };
    for (const Case& c : cases) {
        const CliRun r = totals({"--period", "current-year", "--today", "15.10.04", "--pdf", c.target});
        EXPECT_EQ(r.exitCode, 2) << c.target.toStdString();
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(QString::fromUtf8(c.says))) << r.err.toStdString();
    }
    EXPECT_EQ(testfiles::hashOf(book), before);
    EXPECT_EQ(testfiles::hashOf(dir.filePath("notes.txt")), testfiles::hashOf(notes.fileName()));
    EXPECT_TRUE(testfiles::backupEntriesOf(dir.filePath("book/Backups")).isEmpty());
    // An earlier PDF is replaced whole.
    const QString pdf = dir.filePath("summary.pdf");
    EXPECT_EQ(totals({"--period", "current-year", "--today", "15.10.04", "--pdf", pdf}).exitCode, 0);
    EXPECT_EQ(totals({"--period", "current-year", "--today", "15.10.04", "--pdf", pdf}).exitCode, 0);
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5).startsWith("%PDF"));
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.tmp"}, QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(CliTotals, EveryEndHasItsExitStatus) {
    // No logbook at all: it cannot be opened.
    EXPECT_EQ(totals({"--period", "current-month"}).exitCode, 1);
    // Malformed arguments and refused periods.
    EXPECT_EQ(totals({}).exitCode, 2);
    EXPECT_EQ(totals({"--period", "fortnight"}).exitCode, 2);
    EXPECT_EQ(totals({"--period", "current-month", "--today", "вчера"}).exitCode, 2);
    EXPECT_EQ(json({"--period", "01.01.04-вчера"}, 2)["end"].toString(), "bad-period");
    EXPECT_EQ(totals({"--period", "current-month", "--print", "--pdf", "x.pdf"}).exitCode, 2);

    ASSERT_EQ(runCli({"new", "--dir", dir.filePath("book")}, {}, 180000, env).exitCode, 0);
    const CliRun empty = totals({"--period", "current-month"});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(empty.err).contains("Лётная книжка не заполнена. Подбивать нечего."));
    EXPECT_EQ(json({"--period", "current-month"}, 1)["end"].toString(), "empty-logbook");

    ASSERT_EQ(
        runCli({"write", "--dir", dir.filePath("book")}, "[" + shiftJson("05.09.04", "7", true) + "]", 180000, env)
            .exitCode,
        0);
    const QJsonObject none = json({"--period", "last-year", "--today", "01.01.04"}, 1);
    EXPECT_EQ(none["end"].toString(), "no-records");
    EXPECT_EQ(none["status"].toArray().last().toString(), "Облом...");
    EXPECT_EQ(json({"--period", "01.09.2004-30.09.04"}, 0)["end"].toString(), "summary");
}

TEST_F(CliTotals, TwoAircraftTypesAreTotalledByTheTypeGivenAndARunAfterIsAsOnTheFileBefore) {
    // Л-39 in November and December 2026, Су-27 in December.
    QByteArray su27 = shiftJson("02.12.26");
    su27.replace("Л-39", "Су-27");
    ASSERT_EQ(runCli({"write", "--dir", dir.filePath("book")},
                     "[" + shiftJson("10.11.26") + "," + shiftJson("20.11.26") + "," + shiftJson("01.12.26") + "," +
                         su27 + "]",
                     180000, env)
                  .exitCode,
              0);
    const QString book = dir.filePath("book/Korvelanta.xls");
    const QByteArray before = testfiles::hashOf(book);

    const CliRun mixed = totals({"--period", "current-year", "--today", "08.12.26"});
    EXPECT_EQ(mixed.exitCode, 1);
    const QString err = QString::fromUtf8(mixed.err);
    EXPECT_TRUE(err.contains("В периоде записи на типах: Л-39 — 3, Су-27 — 1.")) << err.toStdString();
    EXPECT_TRUE(err.contains("--type Л-39 или --type Су-27")) << err.toStdString();
    EXPECT_EQ(testfiles::hashOf(book), before);
    const QJsonObject j = json({"--period", "current-year", "--today", "08.12.26"}, 1);
    EXPECT_EQ(j["end"].toString(), "mixed-types");
    ASSERT_EQ(j["types"].toArray().size(), 2);
    EXPECT_EQ(j["types"][0]["type"].toString(), "Л-39");
    EXPECT_EQ(j["types"][0]["records"].toInt(), 3);

    // The run after it counts November as on the file before.
    const QJsonObject november = json({"--period", "01.11.26-30.11.26"}, 0);
    EXPECT_EQ(november["rows"]["17"]["F"].toDouble(), 2);
    EXPECT_EQ(november["rows"]["17"]["G"].toString(), "2:50");

    const QJsonObject su = json({"--period", "current-year", "--today", "08.12.26", "--type", "Су-27"}, 0);
    EXPECT_EQ(su["end"].toString(), "summary");
    EXPECT_EQ(su["type"].toString(), "Су-27");
    EXPECT_EQ(su["rows"]["11"]["E"].toString(), "Итого Су-27     День");
    EXPECT_EQ(su["rows"]["17"]["F"].toDouble(), 1);
    EXPECT_EQ(json({"--period", "current-year", "--today", "08.12.26", "--type", "МиГ-29"}, 1)["end"].toString(),
              "no-records");
}

TEST_F(CliTotals, SinceTheStartAndEveryTypeAsThePilotRunsThem) {
    // Л-39 in November and December 2026, Су-27 in December; Л-39 flown before the logbook too.
    QByteArray su27 = shiftJson("02.12.26");
    su27.replace("Л-39", "Су-27");
    ASSERT_EQ(runCli({"write", "--dir", dir.filePath("book")},
                     "[" + shiftJson("10.11.26") + "," + shiftJson("01.12.26") + "," + su27 + "]", 180000, env)
                  .exitCode,
              0);
    const QString book = dir.filePath("book/Korvelanta.xls");
    const QString carried = dir.filePath("book/Korvelanta-налёт-до.ini");

    // Without the file: the logbook alone, and that is said.
    const QJsonObject alone = json({"--period", "since-start", "--type", "Л-39"}, 0);
    EXPECT_EQ(alone["rows"]["17"]["E"].toString(), "Всего с начала лётной работы");
    EXPECT_FALSE(alone["beforeLogbook"]["found"].toBool());
    EXPECT_TRUE(alone["rows"]["18"].isUndefined());
    EXPECT_TRUE(QJsonDocument(alone["messages"].toArray()).toJson().contains("Korvelanta-налёт-до.ini"));

    {
        QFile f(carried);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Л-39]\nполёты = 100\nналёт = 80:00\nналёт ночью = 10:00\n");
    }
    const QJsonObject since = json({"--period", "since-start", "--type", "Л-39"}, 0);
    const QJsonObject rows = since["rows"].toObject();
    EXPECT_EQ(rows["18"]["E"].toString(), "в т.ч. до начала ведения книжки");
    EXPECT_EQ(rows["18"]["F"].toDouble(), 100);
    EXPECT_EQ(rows["18"]["G"].toString(), "80:00");
    EXPECT_EQ(rows["19"]["E"].toString(), "в т.ч. по лётной книжке");
    EXPECT_EQ(rows["19"]["G"].toString(), alone["rows"]["17"]["G"].toString());
    EXPECT_EQ(rows["17"]["F"].toDouble(), 100 + alone["rows"]["17"]["F"].toDouble());
    EXPECT_EQ(rows["16"]["G"].toString(), "10:00");
    EXPECT_TRUE(since["beforeLogbook"]["found"].toBool());
    EXPECT_EQ(since["beforeLogbook"]["before"]["F"].toDouble(), 100);
    EXPECT_EQ(since["beforeLogbook"]["book"], rows["19"]);

    // A wrong line refuses the run naming it; the logbook stays as it was.
    {
        QFile f(carried);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Л-39]\nполёты = сто\n");
    }
    const QByteArray before = testfiles::hashOf(book);
    const CliRun refused = totals({"--period", "since-start", "--type", "Л-39"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(refused.err).contains("строка 2 («полёты = сто»)")) << refused.err.toStdString();
    EXPECT_EQ(testfiles::hashOf(book), before);
    QFile::remove(carried);

    // Every type: a page a type and the last of all, whose rows are the sum of theirs.
    EXPECT_EQ(totals({"--period", "current-year", "--today", "08.12.26", "--type", "Л-39", "--all-types"}).exitCode, 2);
    const QString pdf = dir.filePath("all.pdf");
    const QJsonObject all = json({"--period", "current-year", "--today", "08.12.26", "--all-types", "--pdf", pdf}, 0);
    EXPECT_TRUE(all["allTypes"].toBool());
    EXPECT_EQ(all["type"].toString(), "все типы");
    const QJsonArray types = all["types"].toArray();
    ASSERT_EQ(types.size(), 2);
    EXPECT_EQ(types[0]["rows"]["11"]["E"].toString(), "Итого Л-39     День");
    EXPECT_EQ(types[1]["rows"]["11"]["E"].toString(), "Итого Су-27     День");
    EXPECT_EQ(all["rows"]["11"]["E"].toString(), "Итого всех типов     День");
    for (const char* c : {"F", "Q", "R"})
        EXPECT_EQ(all["rows"]["17"][c].toDouble(),
                  types[0]["rows"]["17"][c].toDouble() + types[1]["rows"]["17"][c].toDouble())
            << c;
    EXPECT_EQ(all["rows"]["17"]["G"].toString(), "4:15"); // three shifts of 1:25
    QProcess info;
    info.start("pdfinfo", {pdf});
    ASSERT_TRUE(info.waitForFinished(30000));
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput()).contains(QRegularExpression("Pages:\\s+3\\b")));
    // The table prints a block a type.
    const CliRun table = totals({"--period", "current-year", "--today", "08.12.26", "--all-types"});
    EXPECT_EQ(table.exitCode, 0);
    EXPECT_EQ(QString::fromUtf8(table.out).count("Тип: "), 3) << table.out.toStdString();

    // One type with --all-types: the summary and the JSON of a run without it.
    const QJsonObject november = json({"--period", "01.11.26-30.11.26"}, 0);
    const QJsonObject novemberAll = json({"--period", "01.11.26-30.11.26", "--all-types"}, 0);
    EXPECT_EQ(novemberAll, november);
}
