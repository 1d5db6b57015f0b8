// korvelanta-cli recency and chart on a logbook the CLI wrote: the last flights and days since, the pilot's
// limits met and exceeded (exit 3), a wrong limits file refused naming its line, the chart as PNG and SVG
// with its months agreeing with the totals of a month; neither command changes a byte of the logbook.

#include "support/cli_run.h"
#include "support/files.h"
#include "support/warm_office.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using testfiles::hashOf;
using testfiles::writeFile;

namespace {

const auto* const kOffice = ::testing::AddGlobalTestEnvironment(new korv::test::WarmOffice);

QJsonObject lineOf(const QJsonObject& answer, const QJsonValue& type, const char* kind) {
    const QJsonArray lines = answer["lines"].toArray();
    for (const auto& v : lines) {
        const QJsonObject o = v.toObject();
        if (o["type"] == type && o["kind"].toString() == QLatin1String(kind))
            return o;
    }
    ADD_FAILURE() << "no line " << kind;
    return {};
}

} // namespace

TEST(CliRecency, BreaksLimitsAndTheChartOfAWrittenLogbook) {
    QTemporaryDir dir;
    const QProcessEnvironment env = korv::test::WarmOffice::environment();
    const QString book = dir.filePath("book");
    const QString file = book + "/Korvelanta.xls";
    ASSERT_EQ(runCli({"write", "--dir", book},
                     "[" + shiftJson("05.09.26") + "," + shiftJson("03.11.26") + "," + shiftJson("20.11.26") + "]",
                     180000, env)
                  .exitCode,
              0);
    const QByteArray bytes = hashOf(file);
    const QDateTime changed = QFileInfo(file).lastModified();

    // No limits: only the days since, exit 0.
    const CliRun plain = runCli({"recency", "--dir", book, "--today", "08.12.26", "--json"}, {}, 180000, env);
    ASSERT_EQ(plain.exitCode, 0) << plain.err.toStdString();
    const QJsonObject free = QJsonDocument::fromJson(plain.out).object();
    EXPECT_TRUE(free["limitsFile"].isNull());
    EXPECT_EQ(free["lines"].toArray().size(), 2 * 9); // all types and Л-39
    const QJsonObject any = lineOf(free, QJsonValue::Null, "any");
    EXPECT_EQ(any["last"].toString(), "20.11.2026");
    EXPECT_EQ(any["row"].toInt(), 15);
    EXPECT_EQ(any["daysSince"].toInt(), 18);
    EXPECT_EQ(any["state"].toString(), "no-limit");
    EXPECT_TRUE(lineOf(free, QJsonValue::Null, "night")["last"].isNull());
    EXPECT_EQ(lineOf(free, "Л-39", "smu-day")["last"].toString(), "20.11.2026"); // the worked shift is СМУ

    // The pilot's limits: one within, one exceeded.
    writeFile(book + "/Korvelanta-перерывы.ini", "любой полёт = 30\n[Л-39]\nв СМУ днём = 14\n");
    const CliRun judged = runCli({"recency", "--dir", book, "--today", "08.12.26", "--json"}, {}, 180000, env);
    EXPECT_EQ(judged.exitCode, 3) << judged.err.toStdString();
    const QJsonObject j = QJsonDocument::fromJson(judged.out).object();
    EXPECT_EQ(j["exceeded"].toInt(), 1);
    EXPECT_EQ(lineOf(j, QJsonValue::Null, "any")["daysLeft"].toInt(), 12);
    EXPECT_EQ(lineOf(j, QJsonValue::Null, "any")["state"].toString(), "within");
    const QJsonObject over = lineOf(j, "Л-39", "smu-day");
    EXPECT_EQ(over["state"].toString(), "exceeded");
    EXPECT_EQ(over["daysLeft"].toInt(), -4);
    EXPECT_EQ(over["due"].toString(), "04.12.2026");
    const CliRun table = runCli({"recency", "--dir", book, "--today", "08.12.26"}, {}, 180000, env);
    EXPECT_EQ(table.exitCode, 3);
    EXPECT_TRUE(table.out.contains("сверх 4")) << table.out.toStdString();
    EXPECT_TRUE(table.out.contains("Превышено: 1")) << table.out.toStdString();

    // A wrong line is refused, never passed over.
    writeFile(book + "/Korvelanta-перерывы.ini", "любой полёт = 30\nночью 45\n");
    const CliRun wrong = runCli({"recency", "--dir", book}, {}, 180000, env);
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_TRUE(wrong.err.contains("строка 2")) << wrong.err.toStdString();
    QFile::remove(book + "/Korvelanta-перерывы.ini");
    // A fifo in its place is refused at once, never waited on.
    ASSERT_EQ(::mkfifo(QFile::encodeName(book + "/Korvelanta-перерывы.ini").constData(), 0600), 0);
    const CliRun fifo = runCli({"recency", "--dir", book}, {}, 60000, env);
    EXPECT_EQ(fifo.exitCode, 1);
    EXPECT_TRUE(fifo.err.contains("не обычный файл")) << fifo.err.toStdString();
    QFile::remove(book + "/Korvelanta-перерывы.ini");

    // The chart of the last twelve months, as PNG and as SVG.
    QDir().mkpath(KORV_SCREENSHOT_DIR);
    const QString png = QStringLiteral(KORV_SCREENSHOT_DIR "/chart_last12.png");
    const CliRun chart =
        runCli({"chart", "--last-12", "--today", "08.12.26", "--dir", book, "--png", png, "--json"}, {}, 180000, env);
    ASSERT_EQ(chart.exitCode, 0) << chart.err.toStdString();
    const QJsonArray months = QJsonDocument::fromJson(chart.out).object()["months"].toArray();
    ASSERT_EQ(months.size(), 12);
    EXPECT_EQ(months[0].toObject()["month"].toString(), "01.2026");
    EXPECT_EQ(months[8].toObject()["total"].toString(), "1:25");
    EXPECT_EQ(months[10].toObject()["total"].toString(), "2:50");
    EXPECT_EQ(months[10].toObject()["smu"].toString(), "2:44");
    EXPECT_EQ(months[11].toObject()["running"].toString(), "4:15");
    const QImage image(png);
    EXPECT_EQ(image.size(), QSize(1100, 620));
    const QString svg = dir.filePath("chart.svg");
    EXPECT_EQ(runCli({"chart", "--year", "2026", "--dir", book, "--svg", svg}, {}, 180000, env).exitCode, 0);
    QFile svgFile(svg);
    ASSERT_TRUE(svgFile.open(QIODevice::ReadOnly));
    const QByteArray svgText = svgFile.readAll();
    EXPECT_TRUE(svgText.contains("<svg")) << svgText.left(200).toStdString();
    EXPECT_TRUE(svgText.contains("Налёт за 2026 год"));

    // Never over the logbook, into its backups or over a file of another kind.
    const CliRun overBook = runCli({"chart", "--last-12", "--dir", book, "--png", file}, {}, 180000, env);
    EXPECT_EQ(overBook.exitCode, 2);
    EXPECT_TRUE(overBook.err.contains("это сама лётная книжка")) << overBook.err.toStdString();
    writeFile(dir.filePath("notes.txt"), "заметки");
    EXPECT_EQ(
        runCli({"chart", "--last-12", "--dir", book, "--svg", dir.filePath("notes.txt")}, {}, 180000, env).exitCode, 2);
    EXPECT_EQ(testfiles::contentOf(dir.filePath("notes.txt")), "заметки");
    EXPECT_EQ(
        runCli({"chart", "--last-12", "--dir", book, "--png", book + "/Backups/chart.png"}, {}, 180000, env).exitCode,
        2);
    EXPECT_EQ(runCli({"chart", "--last-12", "--dir", book, "--png", png}, {}, 180000, env).exitCode, 0)
        << "an earlier chart is replaced";
    EXPECT_EQ(runCli({"chart", "--dir", book, "--png", png}, {}, 180000, env).exitCode, 2);
    EXPECT_EQ(runCli({"chart", "--year", "1999", "--dir", book, "--png", png}, {}, 180000, env).exitCode, 2);
    EXPECT_EQ(runCli({"recency", "--today", "завтра", "--dir", book}, {}, 180000, env).exitCode, 2);
    EXPECT_EQ(runCli({"recency", "--dir", dir.filePath("none")}, {}, 180000, env).exitCode, 1);

    // The records found by period, type and exercise, with their sums.
    const auto records = [&](QStringList args) {
        args = QStringList{"records", "--dir", book, "--today", "08.12.26", "--json"} + args;
        const CliRun r = runCli(args, {}, 180000, env);
        EXPECT_EQ(r.exitCode, 0) << args.join(' ').toStdString() << ' ' << r.err.toStdString();
        return QJsonDocument::fromJson(r.out).object();
    };
    const QJsonObject all = records({});
    EXPECT_EQ(all["count"].toInt(), 3);
    EXPECT_EQ(all["sums"].toObject()["flightTime"].toString(), "4:15");
    const QJsonObject november = records({"--period", "last-month"});
    ASSERT_EQ(november["count"].toInt(), 2);
    EXPECT_EQ(november["records"].toArray()[0].toObject()["row"].toInt(), 13);
    EXPECT_EQ(november["sums"].toObject()["flightTime"].toString(), months[10].toObject()["total"].toString());
    EXPECT_EQ(records({"--type", "Су-27"})["count"].toInt(), 0);
    EXPECT_EQ(records({"--type", "Л-39", "--exercise", "упр.  7"})["count"].toInt(), 3);
    const CliRun listed =
        runCli({"records", "--dir", book, "--period", "current-year", "--today", "08.12.26"}, {}, 180000, env);
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_TRUE(listed.out.contains("Записей: 3; полётов: 3; налёт 4:15")) << listed.out.toStdString();
    EXPECT_EQ(runCli({"records", "--dir", book, "--period", "вчера"}, {}, 180000, env).exitCode, 2);
    EXPECT_EQ(runCli({"records", "--dir", dir.filePath("none")}, {}, 180000, env).exitCode, 1);

    EXPECT_EQ(hashOf(file), bytes);
    EXPECT_EQ(QFileInfo(file).lastModified(), changed);
    EXPECT_EQ(QDir(book).entryList(QDir::Files | QDir::Hidden), QStringList{"Korvelanta.xls"});

    // The month's totals say what the chart's November says.
    const CliRun totals = runCli({"totals", "--period", "01.11.26-30.11.26", "--dir", book, "--json"}, {}, 180000, env);
    ASSERT_EQ(totals.exitCode, 0) << totals.err.toStdString();
    const QJsonObject grand = QJsonDocument::fromJson(totals.out).object()["rows"].toObject()["17"].toObject();
    EXPECT_EQ(grand["G"].toString(), months[10].toObject()["total"].toString());
    EXPECT_EQ(grand["I"].toString(), months[10].toObject()["smu"].toString());
}
