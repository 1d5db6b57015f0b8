// The logbook's shape read from its values, as the pilot's own edits in Calc leave them: holes, cleared
// cells, rows inserted or deleted, times and dates typed by hand.

#include "common/date_serial.h"
#include "logbook/book_shape.h"
#include "support/sheet_rows.h"

#include <gtest/gtest.h>

using namespace korv::logbook;
namespace column = records::column;

namespace {

using korv::test::Rows;
using korv::test::serial;

QList<PairKind> kinds(const BookShape& s) {
    QList<PairKind> k;
    for (const SheetPair& p : s.pairs)
        k << p.kind;
    return k;
}

} // namespace

TEST(BookShape, AnEmptySheetTakesItsFirstEntryAtRowSeven) {
    EXPECT_EQ(readBookShape({}).freeRow, records::kFirstRow);
    EXPECT_EQ(readBookShape(Rows().set(8, column::A, QString()).rows).freeRow, records::kFirstRow);
    EXPECT_EQ(readBookShape({}).lastUsed(), nullptr);
}

TEST(BookShape, RecordsHeadingsAndAHoleLeftInTheMiddle) {
    Rows r;
    r.heading(7, "Февраль  2007 г.").record(9, serial(2007, 2, 5)).record(13, QString("25.02.07"));
    r.set(16, column::A, QString()); // the empty slot below the last record, as the writer keeps it
    const BookShape s = readBookShape(r.rows);
    EXPECT_EQ(kinds(s), (QList<PairKind>{PairKind::Heading, PairKind::Record, PairKind::Empty, PairKind::Record}));
    EXPECT_EQ(s.freeRow, 14); // sheet row 15: after the last used pair, never into the hole at 11
    EXPECT_EQ(s.lastUsed()->row, 12);
    EXPECT_EQ(s.recordCount(), 2);
    EXPECT_FALSE(s.outOfStepRow);
}

TEST(BookShape, WhatIsNeitherARecordNorAHeadingIsNamedByItsColumn) {
    Rows r;
    r.record(7, serial(2007, 2, 5)).record(9, serial(2007, 2, 6)).record(11, QString("вчера")).record(13, 5.0);
    r.record(15, serial(2007, 2, 7)).set(15, column::A, QString()); // the date cleared, the times left
    r.record(17, serial(2007, 2, 8)).set(17, column::E, QString()); // the exercise cleared
    r.set(20, column::T, 5.0);                                      // a mark alone on a second row
    const BookShape s = readBookShape(r.rows);
    ASSERT_EQ(s.pairs.size(), 7);
    EXPECT_EQ(s.pairs[1].kind, PairKind::Record);
    for (int i : {2, 3, 4})
        EXPECT_EQ(s.pairs[i].column, column::A) << i; // no date, a day number of 1900, no date at all
    EXPECT_EQ(s.pairs[5].column, column::E);
    EXPECT_EQ(s.pairs[6].kind, PairKind::Unreadable);
    EXPECT_EQ(s.pairs[6].column, column::T);
    EXPECT_EQ(s.recordCount(), 2);
}

TEST(BookShape, ANoteBeyondTheRecordColumnsIsKeptClearOfButNotJudged) {
    Rows r;
    r.record(7, serial(2007, 2, 5)).set(11, column::V, QString("заметка"));
    const BookShape s = readBookShape(r.rows);
    EXPECT_EQ(kinds(s), (QList<PairKind>{PairKind::Record, PairKind::Empty, PairKind::Empty}));
    EXPECT_EQ(s.freeRow, 12);
}

TEST(BookShape, AnErrorCellIsSomething) {
    Rows r;
    r.set(7, column::G, QVariant());
    const BookShape s = readBookShape(r.rows);
    ASSERT_EQ(s.pairs.size(), 1);
    EXPECT_EQ(s.pairs[0].kind, PairKind::Unreadable);
    EXPECT_EQ(s.freeRow, 8);
}

TEST(BookShape, ARowInsertedOrDeletedPutsThePairsOutOfStep) {
    // One row inserted at 11: the records below it start on even rows.
    Rows inserted;
    inserted.record(7, serial(2007, 2, 5)).record(9, serial(2007, 2, 6)).record(12, serial(2007, 2, 25));
    EXPECT_EQ(readBookShape(inserted.rows).outOfStepRow, 11); // sheet row 12
    // The second row of a record deleted: the next record moves up into it.
    Rows deleted;
    deleted.record(7, serial(2007, 2, 5)).heading(8, "Март  2007 г.");
    EXPECT_EQ(readBookShape(deleted.rows).outOfStepRow, 7);
    // The cloud base on the second row is where it belongs.
    Rows inStep;
    inStep.record(7, serial(2007, 2, 5)).set(8, column::M, QString("---"));
    EXPECT_FALSE(readBookShape(inStep.rows).outOfStepRow);
    EXPECT_TRUE(outOfStepMessage(11).startsWith("В строке 12 лётной книжки запись начинается не с нечётной строки"));
}

TEST(BookShape, DatesAsTheLogbookKeepsThem) {
    EXPECT_EQ(cellDate(serial(2004, 9, 24)), QDate(2004, 9, 24));
    EXPECT_EQ(cellDate(serial(2004, 9, 24) + 0.5), QDate(2004, 9, 24));
    EXPECT_EQ(cellDate(QString(" 24.09.04 ")), QDate(2004, 9, 24));
    EXPECT_EQ(cellDate(QString("24.09.2004")), QDate(2004, 9, 24));
    EXPECT_FALSE(cellDate(5.0)); // a day number typed alone is 1900
    EXPECT_FALSE(cellDate(serial(1999, 12, 31)));
    EXPECT_FALSE(cellDate(QString("31.02.04")));
    EXPECT_FALSE(cellDate(QVariant()));
    EXPECT_EQ(columnName(column::G), "G «Налёт, общий»");
    EXPECT_EQ(columnName(column::V), "V");
}
