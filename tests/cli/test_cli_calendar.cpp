// korvelanta-cli recency with the dates due of the limits file (exit 3 for one overdue, as for a break over)
// and course on a logbook the CLI wrote: the course's exercises counted, JSON, the page as PDF, and the
// refusals; neither command changes a byte of the logbook.

#include "support/cli_run.h"
#include "support/files.h"
#include "support/warm_office.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using testfiles::hashOf;
using testfiles::writeFile;

namespace {

const auto* const kOffice = ::testing::AddGlobalTestEnvironment(new korv::test::WarmOffice);

QJsonObject numbered(const QJsonArray& lines, int number) {
    for (const auto& v : lines)
        if (v.toObject()["number"].toInt() == number)
            return v.toObject();
    ADD_FAILURE() << "no exercise " << number;
    return {};
}

} // namespace

TEST(CliCalendar, DatesDueAndTheCourseOfAWrittenLogbook) {
    QTemporaryDir dir;
    const QProcessEnvironment env = korv::test::WarmOffice::environment();
    const QString book = dir.filePath("book");
    const QString file = book + "/Korvelanta.xls";
    ASSERT_EQ(runCli({"write", "--dir", book},
                     "[" + shiftJson("05.09.26", "7") + "," + shiftJson("03.11.26", "7") + "," +
                         shiftJson("20.11.26", "1") + "]",
                     180000, env)
                  .exitCode,
              0);
    const QByteArray bytes = hashOf(file);

    // Dates only: no limits of breaks, the dates judged; one overdue makes the exit 3.
    writeFile(book + "/Korvelanta-перерывы.ini", "[Сроки]\nВЛЭК = 15.03.2026, 12 мес\n"
                                                 "КБП = 10.09.2026, 90 дней, предупредить за 14 дней\n");
    const CliRun near = runCli({"recency", "--dir", book, "--today", "01.12.26", "--json"}, {}, 180000, env);
    EXPECT_EQ(near.exitCode, 0) << near.err.toStdString();
    const QJsonObject n = QJsonDocument::fromJson(near.out).object();
    EXPECT_EQ(n["overdue"].toInt(), 0);
    EXPECT_EQ(n["dueSoon"].toInt(), 1);
    const QJsonArray dates = n["dates"].toArray();
    ASSERT_EQ(dates.size(), 2);
    EXPECT_EQ(dates[0].toObject()["name"].toString(), "ВЛЭК");
    EXPECT_EQ(dates[0].toObject()["due"].toString(), "15.03.2027");
    EXPECT_EQ(dates[0].toObject()["state"].toString(), "within");
    EXPECT_EQ(dates[1].toObject()["due"].toString(), "09.12.2026");
    EXPECT_EQ(dates[1].toObject()["daysLeft"].toInt(), 8);
    EXPECT_EQ(dates[1].toObject()["state"].toString(), "near");
    EXPECT_EQ(dates[1].toObject()["line"].toInt(), 3);

    const CliRun over = runCli({"recency", "--dir", book, "--today", "10.12.26"}, {}, 180000, env);
    EXPECT_EQ(over.exitCode, 3) << over.err.toStdString();
    EXPECT_TRUE(over.out.contains("просрочено на 1")) << over.out.toStdString();
    EXPECT_TRUE(over.out.contains("Пределы не заданы")) << over.out.toStdString();

    // A wrong date line refuses the file naming its line, exit 1 as for a wrong limit.
    writeFile(book + "/Korvelanta-перерывы.ini", "[Сроки]\nВЛЭК = 15.03.2026\n");
    const CliRun wrong = runCli({"recency", "--dir", book, "--today", "10.12.26"}, {}, 180000, env);
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(wrong.err).contains("строка 2")) << wrong.err.toStdString();

    // The course of the year: 7 twice, 1 once (the writer takes only exercises the course lists, so the
    // exercises outside it are the unit tests').
    const CliRun course = runCli({"course", "--dir", book, "--today", "01.12.26", "--json"}, {}, 180000, env);
    ASSERT_EQ(course.exitCode, 0) << course.err.toStdString();
    const QJsonObject c = QJsonDocument::fromJson(course.out).object();
    EXPECT_EQ(c["type"].toString(), "Л-39");
    EXPECT_EQ(c["period"].toString(), "2026 год");
    EXPECT_EQ(c["flown"].toInt(), 2);
    EXPECT_EQ(c["exercises"].toInt(), 230); // every exercise of ExercisesKLP
    const QJsonObject seven = numbered(c["course"].toArray(), 7);
    EXPECT_EQ(seven["records"].toInt(), 2);
    EXPECT_EQ(seven["last"].toString(), "03.11.2026");
    EXPECT_EQ(seven["lists"].toString(), "контрольный днём");
    EXPECT_TRUE(c["outside"].toArray().isEmpty());
    // A month without flights: the course, nothing flown.
    const CliRun october =
        runCli({"course", "--dir", book, "--type", "Л-39", "--period", "01.10.26-31.10.26", "--json"}, {}, 180000, env);
    ASSERT_EQ(october.exitCode, 0) << october.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(october.out).object()["flown"].toInt(), 0);
    // Without --type and without records there is no type to take.
    const CliRun empty = runCli({"course", "--dir", book, "--period", "01.10.26-31.10.26"}, {}, 180000, env);
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(empty.err).contains("--type")) << empty.err.toStdString();
    EXPECT_EQ(runCli({"course", "--dir", book, "--period", "вчера"}, {}, 180000, env).exitCode, 2);
    EXPECT_EQ(runCli({"course", "--dir", book, "--all", "--period", "current-year"}, {}, 180000, env).exitCode, 2);

    // The page as a PDF through the office.
    const QString pdf = dir.filePath("курс.pdf");
    const CliRun page = runCli({"course", "--dir", book, "--today", "01.12.26", "--pdf", pdf}, {}, 180000, env);
    ASSERT_EQ(page.exitCode, 0) << page.err.toStdString();
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5).startsWith("%PDF-"));
    EXPECT_GT(f.size(), 5000);
    // The logbook itself is never a target.
    EXPECT_EQ(runCli({"course", "--dir", book, "--pdf", file}, {}, 180000, env).exitCode, 2);

    EXPECT_EQ(hashOf(file), bytes);
}
