// A logbook the program wrote, edited by hand in the office as a pilot edits it (a heading or a record
// cleared, pairs or rows inserted and deleted, a time typed as text), then written to and totalled: every
// existing record stays as it was and the new one is added once, or the change is refused with the file
// byte for byte as it was; the totals count every record or name the cell they cannot read. Records of
// two aircraft types are totalled by the type chosen, and a run after any other gives what a fresh copy
// gives.

#include "common/error.h"
#include "support/files.h"
#include "totals/totals_fixture.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace korv;
using namespace korv::totals;
using namespace totalstest;
using testfiles::hashOf;

namespace {

// Seven records of 2007 under their month headings, written by the program: headings at rows 7, 11 and
// 19, records at 9, 13, 15, 17, 21, 23, 25, the empty slot at 27; 630 minutes in all.
const QList<Flight> kSeven = {
    {{2007, 1, 10}, "Упр.  7 КП", "Д", "П", 1, 60},    {{2007, 2, 5}, "Упр. 94 полёт", "Д", "П", 1, 70},
    {{2007, 2, 12}, "Упр. 94 полёт", "Д", "П", 1, 80}, {{2007, 2, 25}, "Упр. 85 КП", "Д", "П", 1, 90},
    {{2007, 3, 3}, "Упр. 94 полёт", "Д", "П", 1, 100}, {{2007, 3, 10}, "Упр.102 ночь", "Н", "З", 1, 110},
    {{2007, 3, 20}, "Упр. 94 полёт", "Д", "П", 1, 120}};
constexpr int kSevenMinutes = 630;
const Flight kNew = {{2007, 3, 25}, "Упр. 94 новый", "Д", "П", 1, 45};

class HandEdits : public TotalsRunTest {
protected:
    void SetUp() override {
        TotalsRunTest::SetUp();
        // The written logbook is made once and copied for every test.
        static QTemporaryDir made;
        static QString seven;
        if (seven.isEmpty()) {
            seven = made.filePath("seven.xls");
            QFile::copy(book, seven);
            const QString keep = book;
            book = seven;
            write(kSeven);
            book = keep;
        }
        QFile::remove(book);
        ASSERT_TRUE(QFile::copy(seven, book));
        QFile::setPermissions(book, QFile::ReadOwner | QFile::WriteOwner);
    }

    // Columns A..V of "Лист1" from row 7 to `lastRow` (1-based).
    QList<QVariantList> values(int lastRow) {
        QList<QVariantList> v;
        inspect([&](lb::Workbook& wb) { v = wb.sheet(lb::kSheet1).cells(6, 0, lastRow - 1, 21).data(); });
        return v;
    }

    // Writes kNew and checks that it landed once at `expectedRow` with every row above it as it was.
    void writeNewAt(int expectedRow) {
        const QList<QVariantList> before = values(expectedRow - 1);
        const auto w = flight::WriteFlightRecord(office(), book, recordOf(kNew));
        EXPECT_EQ(w.row, expectedRow);
        EXPECT_FALSE(w.heading);
        EXPECT_EQ(values(expectedRow - 1), before) << "an older record was changed";
        inspect([&](lb::Workbook& wb) {
            lb::Sheet s = wb.sheet(lb::kSheet1);
            EXPECT_EQ(s.cell(expectedRow - 1, 0).date(), kNew.date);
            EXPECT_TRUE(s.cells(expectedRow - 1, 4, expectedRow, 4).isMerged());
            EXPECT_EQ(s.cell(expectedRow + 1, 4).kind(), lb::CellKind::Empty); // the empty slot below
            EXPECT_TRUE(s.cells(expectedRow + 1, 4, expectedRow + 2, 4).isMerged());
        });
    }

    // The year's totals: flights and minutes of row 17.
    std::pair<double, double> yearTotals() {
        EXPECT_EQ(run(PeriodOption::CurrentYear, {2007, 6, 1}).end, TotalsEnd::Summary)
            << (messages.isEmpty() ? "" : messages[0].text.toStdString());
        std::pair<double, double> t;
        inspect([&](lb::Workbook& wb) {
            lb::Sheet s = wb.sheet(lb::kSheet4);
            t = {s.range("F17").value(), minutesOf(s.range("G17"))};
        });
        return t;
    }

    // The message of a refused write, with the file as it was.
    QString refusedWrite() {
        const QByteArray before = hashOf(book);
        QString message;
        try {
            flight::WriteFlightRecord(office(), book, recordOf(kNew));
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), Error::BadEntry) << e.what();
            message = e.description();
        }
        EXPECT_EQ(hashOf(book), before);
        return message;
    }

    // The message of a failed totals run, with the file as it was.
    QString failedTotals() {
        const QByteArray before = hashOf(book);
        EXPECT_EQ(run(PeriodOption::CurrentYear, {2007, 6, 1}).end, TotalsEnd::Failed);
        EXPECT_EQ(hashOf(book), before);
        return messages.isEmpty() ? QString() : messages.back().text;
    }
};

} // namespace

TEST_F(HandEdits, AsWrittenTheYearCountsEveryRecord) {
    EXPECT_EQ(yearTotals(), std::make_pair(7.0, double(kSevenMinutes)));
}

TEST_F(HandEdits, AClearedHeadingIsAHoleThatStaysAndRecordsAfterItCount) {
    edit([](lb::Sheet& s) { s.range("E11").clearContents(); });
    EXPECT_EQ(yearTotals(), std::make_pair(7.0, double(kSevenMinutes)));
    writeNewAt(27);
    EXPECT_EQ(yearTotals(), std::make_pair(8.0, double(kSevenMinutes + kNew.minutes)));
    inspect([](lb::Workbook& wb) { EXPECT_EQ(wb.sheet(lb::kSheet1).range("E11").kind(), lb::CellKind::Empty); });
}

TEST_F(HandEdits, ALogbookWhoseFirstHeadingWasClearedIsStillKeptAsABackupBeforeAChange) {
    edit([](lb::Sheet& s) { s.range("E7").clearContents(); });
    const QByteArray edited = testfiles::contentOf(book);
    writeNewAt(27);
    const QStringList backups = testfiles::backupEntriesOf(dir.filePath("Backups"));
    ASSERT_FALSE(backups.isEmpty());
    EXPECT_EQ(testfiles::contentOf(QDir(dir.filePath("Backups")).filePath(backups.back())), edited);
}

TEST_F(HandEdits, ClearedRecordsWithAndWithoutTheirFormatsStayHoles) {
    edit([](lb::Sheet& s) {
        s.range("A15:U16").clearContents(); // 12.02.07, 80 minutes
        s.range("A17:U18").clear();         // 25.02.07, 90 minutes, merges and formats too
    });
    EXPECT_EQ(yearTotals(), std::make_pair(5.0, double(kSevenMinutes - 170)));
    writeNewAt(27);
    inspect([](lb::Workbook& wb) {
        lb::Sheet s = wb.sheet(lb::kSheet1);
        EXPECT_EQ(s.range("A15").kind(), lb::CellKind::Empty);
        EXPECT_EQ(s.range("A17").kind(), lb::CellKind::Empty);
        EXPECT_EQ(s.range("A21").date(), QDate(2007, 3, 3)); // the record after the holes
    });
    EXPECT_EQ(yearTotals(), std::make_pair(6.0, double(kSevenMinutes - 170 + kNew.minutes)));
}

TEST_F(HandEdits, TheLastRecordClearedWithItsFormatsGivesItsPairBackLaidOut) {
    edit([](lb::Sheet& s) { s.range("A25:U26").clear(); });
    writeNewAt(25);
    inspect([](lb::Workbook& wb) {
        lb::Sheet s = wb.sheet(lb::kSheet1);
        for (const char* merged : {"A25:A26", "L25:L26", "U25:U26", "A27:A28"})
            EXPECT_TRUE(s.range(merged).isMerged()) << merged;
        EXPECT_FALSE(s.range("M25:M26").isMerged());
        EXPECT_EQ(s.range("G25").format().numberFormat.value_or("").toLower(), "[h]:mm");
        EXPECT_EQ(s.range("M25").borders().bottom, lb::LineWeight::Medium);
    });
    EXPECT_EQ(yearTotals(), std::make_pair(7.0, double(kSevenMinutes - 120 + kNew.minutes)));
}

TEST_F(HandEdits, AnEmptyPairInsertedStaysAndTheRecordGoesAfterTheLast) {
    edit([](lb::Sheet& s) { s.insertRows(14, 2); }); // above 12.02.07
    writeNewAt(29);
    EXPECT_EQ(yearTotals(), std::make_pair(8.0, double(kSevenMinutes + kNew.minutes)));
}

TEST_F(HandEdits, ADeletedHeadingLeavesTheMonthToTheRecordAbove) {
    edit([](lb::Sheet& s) { s.deleteRows(18, 2); }); // "Март  2007 г."
    writeNewAt(25);                                  // after 20.03.07: no heading
    EXPECT_EQ(yearTotals(), std::make_pair(8.0, double(kSevenMinutes + kNew.minutes)));
}

TEST_F(HandEdits, ARowInsertedOrDeletedIsRefusedNamingTheRowAndTheFileStays) {
    edit([](lb::Sheet& s) { s.insertRows(14, 1); }); // 12.02.07 now starts on row 16
    const QString write = refusedWrite();
    EXPECT_TRUE(write.startsWith("В строке 16 лётной книжки запись начинается не с нечётной строки"))
        << write.toStdString();
    EXPECT_TRUE(write.endsWith("удалите или вставьте одну строку выше и повторите.")) << write.toStdString();
    const QString totals = failedTotals();
    EXPECT_TRUE(totals.contains("В строке 16 лётной книжки запись начинается не с нечётной строки"))
        << totals.toStdString();

    edit([](lb::Sheet& s) { s.deleteRows(14, 2); });        // the inserted row and the first of 12.02.07's
    EXPECT_TRUE(refusedWrite().startsWith("В строке 16 ")); // 25.02.07 on row 16 now
}

TEST_F(HandEdits, ATimeTypedAsTextCountsAndANonsenseTimeIsNamed) {
    edit([](lb::Sheet& s) { s.range("G13").setText("1:25"); }); // was 1:10
    EXPECT_EQ(yearTotals(), std::make_pair(7.0, double(kSevenMinutes - 70 + 85)));
    edit([](lb::Sheet& s) { s.range("G13").setText("полтора"); });
    const QString message = failedTotals();
    EXPECT_TRUE(message.contains("В строке 13 лётной книжки (запись от 05.02.2007) в столбце G «Налёт, общий» стоит "
                                 "«полтора», а нужно время вида 1:25"))
        << message.toStdString();
    // A write does not read the times: it goes on.
    writeNewAt(27);
}

TEST_F(HandEdits, SomethingTypedBelowTheLastRecordIsNeverWrittenOver) {
    edit([](lb::Sheet& s) { s.range("T29").setValue(5); }); // a mark where the next pair would be
    writeNewAt(31);
    inspect([](lb::Workbook& wb) { EXPECT_EQ(wb.sheet(lb::kSheet1).range("T29").value(), 5); });
    // A merged area reaching into the rows the next record takes (33-36) refuses the write.
    edit([](lb::Sheet& s) { s.range("V32:V33").merge(); });
    const QString message = refusedWrite();
    EXPECT_TRUE(message.contains("объединённые ячейки A32:V36 выходят за них")) << message.toStdString();
}

// ---- two aircraft types

namespace {

const QList<Flight> kTwoTypes = {{{2026, 11, 10}, "Упр. 94 полёт", "Д", "П", 1, 30},
                                 {{2026, 11, 20}, "Упр. 94 полёт", "Д", "П", 1, 40},
                                 {{2026, 12, 1}, "Упр. 94 полёт", "Д", "П", 1, 50},
                                 {{2026, 12, 2}, "Упр. 94 полёт", "Д", "П", 1, 60, 0, 2, "Су-27"}};

} // namespace

TEST_F(TotalsRunTest, TwoTypesAreTotalledByTheTypeChosenAndARunAfterGivesWhatAFreshCopyGives) {
    write(kTwoTypes);
    const QString fresh = dir.filePath("fresh.xls");
    ASSERT_TRUE(QFile::copy(book, fresh));
    const QByteArray before = hashOf(book);

    // Not chosen: the types said with their records, nothing saved.
    RunEnd out = run(PeriodOption::CurrentYear, {2026, 12, 8});
    EXPECT_EQ(out.end, TotalsEnd::MixedTypes);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].title, "Тип самолёта");
    EXPECT_EQ(messages[0].text, "В периоде записи на типах: Л-39 — 3, Су-27 — 1. Подбить итоги по типу:");
    ASSERT_EQ(out.types.size(), 2);
    EXPECT_EQ(out.types[1].type, "Су-27");
    EXPECT_EQ(hashOf(book), before);

    // The month after it, as on the file before.
    auto november = [&](const QString& path) {
        TotalsRun r(office(), path);
        RecordedStatus p;
        EXPECT_EQ(r.cmdItog_Click(PeriodOption::FreePeriod, {2026, 12, 8}, "01.11.26", "30.11.26", p).end,
                  TotalsEnd::Summary);
        QList<QVariantList> rows;
        lb::Workbook wb = office().openWorkbook(path);
        rows = wb.sheet(lb::kSheet4).range("A7:U17").data();
        wb.close(lb::CloseMode::Discard);
        return rows;
    };
    const QList<QVariantList> afterMixed = november(book);
    EXPECT_EQ(afterMixed, november(fresh));
    EXPECT_EQ(afterMixed[10][5].toDouble(), 2);                 // F17: two flights
    EXPECT_NEAR(afterMixed[10][6].toDouble() * 1440, 70, 1e-6); // G17: 1:10

    // Chosen: that type alone, with its name in the captions.
    choiceAnswer = 1;
    out = run(PeriodOption::CurrentYear, {2026, 12, 8});
    EXPECT_EQ(out.end, TotalsEnd::Summary);
    EXPECT_EQ(out.type, "Су-27");
    inspect([](lb::Workbook& wb) {
        lb::Sheet s = wb.sheet(lb::kSheet4);
        EXPECT_EQ(s.range("E11").text(), "Итого Су-27     День");
        EXPECT_EQ(s.range("F17").value(), 1);
        EXPECT_EQ(minutesOf(s.range("G17")), 60);
    });
    choiceAnswer.reset();

    // A type given beforehand (the CLI's --type) is not asked; one the period does not hold ends without
    // records.
    totals.aircraftType = "Л-39";
    EXPECT_EQ(run(PeriodOption::CurrentYear, {2026, 12, 8}).end, TotalsEnd::Summary);
    EXPECT_EQ(messages.size(), 1); // the print question only
    totals.aircraftType = "МиГ-29";
    const QByteArray chosen = hashOf(book);
    EXPECT_EQ(run(PeriodOption::CurrentYear, {2026, 12, 8}).end, TotalsEnd::NoRecords);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].text, "В периоде нет записей на типе МиГ-29: есть записи на типах Л-39 — 3, Су-27 — 1.");
    EXPECT_EQ(hashOf(book), chosen);
}

TEST_F(TotalsRunTest, WhatAnEarlierRunLeftOnTheSelectionSheetMeetsNoLaterRun) {
    write({{{2004, 9, 1}, "Упр. 94", "Д", "П", 1, 70}, {{2004, 9, 2}, "Упр. 85", "Д", "П", 1, 50}});
    const QString fresh = dir.filePath("fresh.xls");
    ASSERT_TRUE(QFile::copy(book, fresh));
    // As an earlier program's run of two types left it: the record pairs copied to "Лист2".
    {
        lb::Workbook wb = office().openWorkbook(book);
        wb.sheet(lb::kSheet1).range("A9:V12").copyTo(wb.sheet(lb::kSheet2).range("A7"));
        wb.close(lb::CloseMode::Save);
    }
    auto summary = [&](const QString& path) {
        TotalsRun r(office(), path);
        RecordedStatus p;
        EXPECT_EQ(r.cmdItog_Click(PeriodOption::CurrentMonth, {2004, 9, 20}, {}, {}, p).end, TotalsEnd::Summary);
        QList<QVariantList> rows;
        lb::Workbook wb = office().openWorkbook(path);
        rows = wb.sheet(lb::kSheet4).range("A7:U17").data();
        lb::Sheet s2 = wb.sheet(lb::kSheet2);
        EXPECT_LE(s2.lastUsedRow(), 5);
        EXPECT_FALSE(s2.range("A7:A8").isMerged());
        EXPECT_EQ(s2.range("U9").borders().right, lb::LineWeight::Thick); // the sheet's own rule stays
        EXPECT_EQ(wb.sheet(lb::kSheet4).range("U10").borders().right, lb::LineWeight::Thick);
        wb.close(lb::CloseMode::Discard);
        return rows;
    };
    EXPECT_EQ(summary(book), summary(fresh));
}
