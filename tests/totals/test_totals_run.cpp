// The totals run on real logbooks written by the writing code, with the totals counted by hand here:
// every end leaves the file as it must (byte for byte unchanged where nothing may change), "Лист4" is laid
// out as the summary, "Лист2" and "Лист3" are left empty, printing goes to the printer or to a PDF.

#include "bookfiles/file_system.h"
#include "bookfiles/locks.h"
#include "common/error.h"
#include "flight/record_writer.h"
#include "logbook/book_names.h"
#include "logbook/newbook.h"
#include "support/fake_office.h"
#include "support/files.h"
#include "totals/printing.h"
#include "totals/totals_fixture.h"
#include "totals/totals_run.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace korv;
using namespace korv::totals;
namespace lb = korv::logbook;

using namespace totalstest;
using testfiles::hashOf;

const auto* const kOffice = ::testing::AddGlobalTestEnvironment(new korv::test::LogbookEnvironment(
    [](const QString& profile) { return std::make_unique<korv::test::FakeOffice>(profile); }));

TEST_F(TotalsRunTest, AMonthSummedAsCountedByHand) {
    write({{{2004, 8, 30}, "Упр. 94 август"},
           {{2004, 9, 1}, "Упр. 94 тренировочный", "Д", "П", 1, 70, 10, 2},
           {{2004, 9, 2}, "Упр. 85 контрольный", "Д", "П", 2, 50, 0, 1},
           {{2004, 9, 3}, "Упр. 94 тренировочный", "Д", "П", 1, 120, 30, 3},
           {{2004, 9, 4}, "Упр.102 ночной", "Н", "З", 1, 45, 0, 1},
           {{2004, 10, 1}, "Упр. 94 октябрь"}});
    const QByteArray before = hashOf(book);
    const RunEnd out = run(PeriodOption::LastMonth, {2004, 10, 15});
    EXPECT_EQ(out.end, TotalsEnd::Summary);
    EXPECT_FALSE(out.printAnswered);
    EXPECT_NE(hashOf(book), before);
    EXPECT_EQ(progress.texts.front(), "Начнём'с...");
    EXPECT_TRUE(progress.texts.contains("Выборка за Сентябрь  2004 г."));
    EXPECT_EQ(progress.texts.back(), "Задание выполнено, сэр!");
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].title, "Печать");
    EXPECT_EQ(messages[0].text, "Отпечатать итог ?");

    inspect([](lb::Workbook& wb) {
        lb::Sheet s = wb.sheet(lb::kSheet4);
        // Day control: one record of 2 flights, 50 minutes.
        EXPECT_EQ(s.range("E7").text(), "          Контрольный        День");
        EXPECT_EQ(s.range("F7").value(), 2);
        EXPECT_EQ(minutesOf(s.range("G7")), 50);
        // Day training: 1 + 1 flights, 70 + 120 minutes, 10 + 30 in clouds, 2 + 3 approaches.
        EXPECT_EQ(s.range("E8").text(), "          Тренировочный    День");
        EXPECT_EQ(s.range("F8").value(), 2);
        EXPECT_EQ(s.range("G8").text(), "3:10");
        EXPECT_EQ(minutesOf(s.range("J8")), 40);
        EXPECT_EQ(s.range("Q8").value(), 5);
        // No instructor or crew flights: their rows empty.
        for (const char* empty : {"E9", "F9", "G9", "E10", "F10"})
            EXPECT_EQ(s.range(empty).kind(), lb::CellKind::Empty) << empty;
        EXPECT_EQ(s.range("E11").text(), "Итого Л-39     День");
        EXPECT_EQ(s.range("F11").value(), 4);
        EXPECT_EQ(s.range("G11").text(), "4:00");
        EXPECT_EQ(s.range("E13").text(), "          Тренировочный    Ночь");
        EXPECT_EQ(s.range("E16").text(), "Итого Л-39     Ночь");
        EXPECT_EQ(s.range("G16").text(), "0:45");
        // The grand totals: formulas adding rows 11 and 16.
        EXPECT_EQ(s.range("E17").text(), "Всего за Сентябрь  2004 г.");
        EXPECT_EQ(s.range("E17").format().shrink, true); // a long caption fits the printed column
        EXPECT_EQ(s.range("F17").formula(), "=SUM(F11;F16)");
        EXPECT_EQ(s.range("F17").value(), 5);
        EXPECT_EQ(s.range("G17").text(), "4:45");
        EXPECT_EQ(s.range("Q17").value(), (2 + 1 + 3) + 1); // day and night totals
        // A zero sum is there, in white.
        EXPECT_EQ(s.range("O11").kind(), lb::CellKind::Value);
        EXPECT_EQ(s.range("O11").value(), 0);
        for (const char* cf : {"F7", "J17", "O11", "Q7", "S17"})
            EXPECT_EQ(s.range(cf).conditionalFormatCount(), 1) << cf;
        EXPECT_EQ(s.range("E7").conditionalFormatCount(), 0);
        EXPECT_EQ(s.range("A7").format().fontSize, 8.0);
        EXPECT_EQ(s.range("U16").format().fontSize, 8.0);
        EXPECT_EQ(s.range("G30").format().numberFormat.value_or("").toLower(), "[h]:mm");
        EXPECT_EQ(s.range("F30").format().numberFormat.value_or(""), "0");
        EXPECT_EQ(s.printArea(), "A1:U17"); // printable whatever the answer: it is set before the question
        // The selection sheet and the scratch sheet are empty below their headers.
        for (const QString& name : {lb::kSheet2, lb::kSheet3}) {
            lb::Sheet other = wb.sheet(name);
            EXPECT_LE(other.lastUsedRow(), 5) << name.toStdString();
            EXPECT_FALSE(other.range("A7:A8").isMerged()) << name.toStdString();
        }
    });
}

TEST_F(TotalsRunTest, TimesOverADayAndAYearWithItsHeadings) {
    write({{{2005, 12, 30}, "Упр. 94", "Д", "П", 1, 27 * 60 + 30}, {{2006, 1, 2}, "Упр. 94", "Д", "П", 1, 30}});
    EXPECT_EQ(run(PeriodOption::LastYear, {2006, 3, 1}).end, TotalsEnd::Summary);
    inspect([](lb::Workbook& wb) {
        lb::Sheet s = wb.sheet(lb::kSheet4);
        EXPECT_EQ(s.range("G8").text(), "27:30");
        EXPECT_EQ(s.range("G17").text(), "27:30");
        EXPECT_EQ(s.range("E17").text(), "Всего за 2005 год");
        // A year's figures are wider than the printed logbook's narrow columns: they shrink to fit.
        for (const char* a1 : {"F8", "G17", "J7", "O17", "Q17", "R16", "S17"})
            EXPECT_EQ(s.range(a1).format().shrink, true) << a1;
    });
    EXPECT_TRUE(progress.texts.contains("Выборка за 2005 год..."));
}

TEST_F(TotalsRunTest, AnEmptyLogbookAndAnEmptyPeriodLeaveTheFileByteForByte) {
    QByteArray before = hashOf(book);
    const QDateTime mtime = QFileInfo(book).lastModified();
    EXPECT_EQ(run(PeriodOption::CurrentMonth, {2004, 9, 20}).end, TotalsEnd::EmptyLogbook);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].title, "Проверка заполнения лётной книжки");
    EXPECT_EQ(messages[0].text, "Лётная книжка не заполнена. Подбивать нечего.");
    EXPECT_EQ(hashOf(book), before);
    EXPECT_EQ(QFileInfo(book).lastModified(), mtime);

    write({{{2004, 9, 1}, "Упр. 94"}});
    before = hashOf(book);
    EXPECT_EQ(run(PeriodOption::LastMonth, {2004, 9, 20}).end, TotalsEnd::NoRecords);
    EXPECT_EQ(progress.texts.back(), "Облом...");
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].title, "Отсутствие подённого налёта");
    EXPECT_EQ(messages[0].text, "Записи за указанный период отсутствуют. Проверьте заполнение подённого налёта.");
    EXPECT_EQ(hashOf(book), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"Korvelanta.xls"});
}

TEST_F(TotalsRunTest, AFreePeriodAsTypedAndARefusedOne) {
    write({{{2004, 9, 1}, "Упр. 94"}, {{2004, 9, 30}, "Упр. 94"}, {{2004, 10, 1}, "Упр. 94"}});
    EXPECT_EQ(run(PeriodOption::FreePeriod, {2026, 1, 1}, false, "01.09.04", "30.09.2004").end, TotalsEnd::Summary);
    inspect([](lb::Workbook& wb) {
        lb::Sheet s = wb.sheet(lb::kSheet4);
        EXPECT_EQ(s.range("E17").text(), "Всего с 01.09.04 по 30.09.2004");
        EXPECT_EQ(s.range("F17").value(), 2); // both ends included
    });
    const QByteArray before = hashOf(book);
    EXPECT_EQ(run(PeriodOption::FreePeriod, {2026, 1, 1}, false, "01.09.04", "сентябрь").end, TotalsEnd::BadPeriod);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].text.contains("24.09.04"));
    EXPECT_EQ(hashOf(book), before);
}

TEST_F(TotalsRunTest, PrintingGoesToThePrinterOrIntoAPdfBesideTheLogbook) {
    write({{{2004, 9, 1}, "Упр. 94"}});
    QTemporaryDir bin;
    auto fakeLp = [&](int status) {
        const QString lp = bin.filePath("lp");
        QFile f(lp);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(
            QStringLiteral("#!/bin/sh\ncp \"$5\" \"%1/printed.pdf\"\nexit %2\n").arg(bin.path()).arg(status).toUtf8());
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("KORV_LP", lp.toUtf8());
    };

    fakeLp(0);
    RunEnd out = run(PeriodOption::CurrentMonth, {2004, 9, 20}, true);
    EXPECT_EQ(out.end, TotalsEnd::Summary);
    EXPECT_TRUE(out.printed);
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[1].title, "Распечатка");
    EXPECT_EQ(messages[1].text, "Включите принтер.");
    QFile printed(bin.filePath("printed.pdf"));
    ASSERT_TRUE(printed.open(QIODevice::ReadOnly));
    EXPECT_TRUE(printed.read(5).startsWith("%PDF"));
    inspect([](lb::Workbook& wb) {
        lb::Sheet s = wb.sheet(lb::kSheet4);
        EXPECT_EQ(s.printArea(), "A1:U17");
        EXPECT_EQ(s.pageSetup(), lb::PageSetup{}); // no header, no footer, one page wide
    });

    fakeLp(1);
    out = run(PeriodOption::CurrentMonth, {2004, 9, 20}, true);
    EXPECT_FALSE(out.printed);
    EXPECT_EQ(out.pdf, summaryPdfPath(book));
    EXPECT_TRUE(QFileInfo::exists(out.pdf));
    ASSERT_EQ(messages.size(), 3);
    EXPECT_TRUE(messages[2].text.contains(out.pdf)) << messages[2].text.toStdString();
    EXPECT_TRUE(messages[2].text.startsWith("Итог не отпечатан")) << messages[2].text.toStdString();
    qunsetenv("KORV_LP");
}

TEST_F(TotalsRunTest, NothingIsHeldWhileThePilotReadsAMessageOrAnswersTheQuestion) {
    // Whatever the end, the run has let the logbook and the office go before the form says anything.
    auto endsFree = [&](PeriodOption option) {
        progress = RecordedStatus();
        const TotalsEnd end = totals.cmdItog_Click(option, {2004, 9, 20}, {}, {}, progress).end;
        // Another program takes the logbook and the office at once, without waiting.
        EXPECT_NO_THROW(lb::ExclusiveLock(lb::logbookLockFile(lb::files::realPath(book)), 0, QStringLiteral("занята")));
        EXPECT_NO_THROW(office().beginOperation(60000, 0, {}));
        return end;
    };
    EXPECT_EQ(endsFree(PeriodOption::CurrentMonth), TotalsEnd::EmptyLogbook);
    write({{{2004, 9, 1}, "Упр. 94"}});
    EXPECT_EQ(endsFree(PeriodOption::LastMonth), TotalsEnd::NoRecords);
    EXPECT_EQ(endsFree(PeriodOption::CurrentMonth), TotalsEnd::Summary);
    write({{{2004, 9, 2}, "Упр. 94", "Д", "П", 1, 60, 0, 2, "Су-27"}});
    EXPECT_EQ(endsFree(PeriodOption::CurrentMonth), TotalsEnd::MixedTypes);
}
