// korvelanta-cli pages and export on a logbook of 60 records over three months: the PDF's pages each with
// the header's captions and a footer of the program's own and nothing of the office's, a month giving only
// its records, printing through the print service, the CSV with one line a record counted by hand; the
// logbook's bytes unchanged by both.

#include "support/cli_run.h"
#include "support/files.h"
#include "support/warm_office.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using testfiles::hashOf;

namespace {

const auto* const kOffice = ::testing::AddGlobalTestEnvironment(new korv::test::WarmOffice);

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(60000)) << program.toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pagesOf(const QString& pdf) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(run("pdfinfo", {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

QString pageText(const QString& pdf, int page) {
    return run("pdftotext", {"-f", QString::number(page), "-l", QString::number(page), pdf, "-"});
}

} // namespace

TEST(CliPages, TheLogbooksOwnPagesAndItsRecordsAsCsv) {
    QTemporaryDir dir;
    const QProcessEnvironment env = korv::test::WarmOffice::environment();
    const QString book = dir.filePath("book");
    const QString file = book + "/Korvelanta.xls";
    QByteArray shifts = "[";
    for (int month = 9; month <= 11; ++month)
        for (int day = 1; day <= 20; ++day)
            shifts += (shifts.size() > 1 ? "," : "") + shiftJson(QStringLiteral("%1.%2.26")
                                                                     .arg(day, 2, 10, QChar('0'))
                                                                     .arg(month, 2, 10, QChar('0'))
                                                                     .toLatin1()
                                                                     .constData());
    shifts += "]";
    ASSERT_EQ(runCli({"write", "--dir", book}, shifts, 180000, env).exitCode, 0);
    const QByteArray bytes = hashOf(file);

    // The whole logbook: several pages, each with the captions of rows 1-6 and its own footer.
    const QString all = dir.filePath("all.pdf");
    const CliRun whole = runCli({"pages", "--all", "--dir", book, "--pdf", all}, {}, 180000, env);
    ASSERT_EQ(whole.exitCode, 0) << whole.err.toStdString();
    const int pages = pagesOf(all);
    EXPECT_GT(pages, 1);
    for (int p = 1; p <= pages; ++p) {
        const QString text = pageText(all, p);
        EXPECT_TRUE(text.contains("Число месяца")) << "page " << p;
        EXPECT_TRUE(text.contains(QStringLiteral("Лётная книжка — стр. %1 из %2").arg(p).arg(pages))) << "page " << p;
        EXPECT_TRUE(text.contains("вся лётная книжка")) << "page " << p;
        EXPECT_FALSE(text.contains("Page") || text.contains("Лист1") || text.contains("Страница")) << "page " << p;
    }
    EXPECT_TRUE(pageText(all, 1).contains(QRegularExpression("Сентябрь\\s+2026 г\\.")));

    // One month: its heading and records only.
    QDir().mkpath(KORV_SCREENSHOT_DIR);
    const QString october = QStringLiteral(KORV_SCREENSHOT_DIR "/pages_october.pdf");
    QFile::remove(october);
    const CliRun month =
        runCli({"pages", "--period", "01.10.26-31.10.26", "--dir", book, "--pdf", october}, {}, 180000, env);
    ASSERT_EQ(month.exitCode, 0) << month.err.toStdString();
    EXPECT_TRUE(month.out.contains("записей 20")) << month.out.toStdString();
    QString monthText;
    for (int p = 1; p <= pagesOf(october); ++p)
        monthText += pageText(october, p);
    EXPECT_TRUE(monthText.contains(QRegularExpression("Октябрь\\s+2026 г\\.")));
    EXPECT_FALSE(monthText.contains("Сентябрь") || monthText.contains("Ноябрь"));
    EXPECT_TRUE(monthText.contains("с 01.10.26 по 31.10.26"));
    run("pdftoppm", {"-r", "70", "-png", october, QStringLiteral(KORV_SCREENSHOT_DIR "/pages_october")});

    // Printing goes to the print service with the pages' PDF.
    QTemporaryDir lpDir;
    const QString lp = lpDir.filePath("lp");
    testfiles::writeFile(lp, "#!/bin/sh\nfor last; do :; done\nhead -c 5 \"$last\" > \"$(dirname \"$0\")/head\"\n");
    QFile::setPermissions(lp, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment printing = env;
    printing.insert("KORV_LP", lp);
    const CliRun printed = runCli(
        {"pages", "--period", "current-month", "--today", "15.11.26", "--dir", book, "--print"}, {}, 180000, printing);
    EXPECT_EQ(printed.exitCode, 0) << printed.err.toStdString();
    EXPECT_EQ(testfiles::contentOf(lpDir.filePath("head")), "%PDF-");

    // The refusals of the totals.
    EXPECT_EQ(runCli({"pages", "--period", "01.01.25-31.01.25", "--dir", book, "--pdf", all}, {}, 180000, env).exitCode,
              1);
    EXPECT_EQ(runCli({"pages", "--period", "31.01.25-01.01.25", "--dir", book, "--pdf", all}, {}, 180000, env).exitCode,
              2);
    EXPECT_EQ(runCli({"pages", "--all", "--dir", book, "--pdf", file}, {}, 180000, env).exitCode, 2);

    // The records as CSV: one line a record, never a heading, values as the record holds them.
    const CliRun csv = runCli({"export", "--csv", "-", "--all", "--dir", book}, {}, 180000, env);
    ASSERT_EQ(csv.exitCode, 0) << csv.err.toStdString();
    const QStringList lines = QString::fromUtf8(csv.out).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 61);
    EXPECT_TRUE(lines[0].startsWith("дата,тип,время суток,сидение,упражнение,полётов,налёт,"));
    EXPECT_EQ(lines[1], "01.09.2026,Л-39,Д,П,Упр.  7 КП. День. Полёт в зону на сложный пилотаж,1,1:25,,1:22,0:01,3,8,"
                        ",,,,,900,600,10");
    EXPECT_TRUE(lines[60].startsWith("20.11.2026,"));
    const QString json = dir.filePath("october.json");
    ASSERT_EQ(
        runCli({"export", "--json", json, "--period", "01.10.26-31.10.26", "--dir", book}, {}, 180000, env).exitCode,
        0);
    const QJsonArray records = QJsonDocument::fromJson(testfiles::contentOf(json)).array();
    ASSERT_EQ(records.size(), 20);
    EXPECT_EQ(records[0].toObject()["date"].toString(), "01.10.2026");
    EXPECT_EQ(records[0].toObject()["smu"].toString(), "1:22");

    EXPECT_EQ(hashOf(file), bytes);
    EXPECT_EQ(QDir(book).entryList(QDir::Files | QDir::Hidden), QStringList{"Korvelanta.xls"});

    // Rows the pilot hid in Calc (three October records): the pages still hold every record.
    {
        korv::logbook::Workbook wb = korv::test::WarmOffice::office().openWorkbook(file);
        wb.sheet(QStringLiteral("Лист1")).setRowsHidden(52, 57, true);
        EXPECT_TRUE(wb.sheet(QStringLiteral("Лист1")).isRowHidden(54));
        wb.close(korv::logbook::CloseMode::Save);
    }
    const QString hidden = dir.filePath("october-hidden.pdf");
    const CliRun withHidden =
        runCli({"pages", "--period", "01.10.26-31.10.26", "--dir", book, "--pdf", hidden}, {}, 180000, env);
    ASSERT_EQ(withHidden.exitCode, 0) << withHidden.err.toStdString();
    QString hiddenText;
    for (int p = 1; p <= pagesOf(hidden); ++p)
        hiddenText += pageText(hidden, p);
    EXPECT_EQ(hiddenText, monthText);
}
