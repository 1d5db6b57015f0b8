// The logbook in memory: its entries read from the sheet's values as the pilot's own edits in Calc leave them
// (holes, cleared cells, rows inserted or deleted, times and dates typed by hand), the one reading of a date,
// a time and a count, and the edits the writing, correcting and importing of records make.

#include "common/date_serial.h"
#include "common/error.h"
#include "logbook/captions.h"
#include "logbook/entry_faults.h"
#include "logbook/logbook.h"
#include "support/sheet_rows.h"

#include <gtest/gtest.h>

using namespace korv::logbook;
namespace column = records::column;

namespace {

using korv::Minutes;
using korv::test::bookOf;
using korv::test::Rows;
using korv::test::serial;

QList<PairKind> kinds(const Logbook& b) {
    QList<PairKind> k;
    for (const Entry& e : b.entries())
        k << e.kind;
    return k;
}

QList<int> sheetRows(const Logbook& b) {
    QList<int> r;
    for (const Entry& e : b.entries())
        r << e.sheetRow();
    return r;
}

// A record's cells as the writer makes them.
PairCells record(const QDate& date, const QString& exercise = "Упр.  7 КП", int minutes = 60) {
    PairCells c;
    c.first[column::A] = dateCell(date);
    c.first[column::B] = QStringLiteral("Л-39");
    c.first[column::C] = QStringLiteral("Д");
    c.first[column::E] = exercise;
    c.first[column::F] = 1.0;
    c.first[column::G] = timeCell(Minutes(minutes));
    c.second[column::M] = 600.0;
    return c;
}

} // namespace

TEST(LogbookModel, AnEmptySheetTakesItsFirstEntryAtRowSeven) {
    EXPECT_EQ(bookOf({}).freeRow(), records::kFirstRow);
    EXPECT_EQ(bookOf(Rows().set(8, column::A, QString()).rows).freeRow(), records::kFirstRow);
    EXPECT_TRUE(bookOf({}).entries().isEmpty());
}

TEST(LogbookModel, RecordsHeadingsAndAHoleLeftInTheMiddle) {
    Rows r;
    r.heading(7, "Февраль  2007 г.").record(9, serial(2007, 2, 5)).record(13, QString("25.02.07"));
    r.set(16, column::A, QString()); // the empty slot below the last record, as the writer keeps it
    const Logbook b = bookOf(r.rows);
    EXPECT_EQ(kinds(b), (QList<PairKind>{PairKind::Heading, PairKind::Record, PairKind::Record}));
    EXPECT_EQ(sheetRows(b), (QList<int>{7, 9, 13}));
    EXPECT_EQ(b.freeRow(), 14); // sheet row 15: after the last used pair, never into the hole at 11
    EXPECT_EQ(b.recordCount(), 2);
    EXPECT_FALSE(b.outOfStepRow());
    EXPECT_EQ(b.entries()[2].record.date, QDate(2007, 2, 25)); // a date typed as text
    EXPECT_EQ(b.entryAt(12), 2);
    EXPECT_EQ(b.entryAt(10), -1);
    EXPECT_EQ(b.pairAt(12).first[column::E], QVariant(QStringLiteral("Упр.  7 КП")));
}

TEST(LogbookModel, WhatIsNeitherARecordNorAHeadingIsNamedByItsColumn) {
    Rows r;
    r.record(7, serial(2007, 2, 5)).record(9, serial(2007, 2, 6)).record(11, QString("вчера")).record(13, 5.0);
    r.record(15, serial(2007, 2, 7)).set(15, column::A, QString()); // the date cleared, the times left
    r.record(17, serial(2007, 2, 8)).set(17, column::E, QString()); // the exercise cleared
    r.set(20, column::T, 5.0);                                      // a mark alone on a second row
    const QList<Entry> e = bookOf(r.rows).entries();
    ASSERT_EQ(e.size(), 7);
    EXPECT_EQ(e[1].kind, PairKind::Record);
    for (int i : {2, 3, 4})
        EXPECT_EQ(e[i].column, column::A) << i; // no date, a day number of 1900, no date at all
    EXPECT_EQ(e[5].column, column::E);
    EXPECT_EQ(e[6].kind, PairKind::Unreadable);
    EXPECT_EQ(e[6].column, column::T);
    EXPECT_EQ(unreadableFault(e[2]), "в столбце A «Число месяца» стоит «вчера», а нужно дата полёта 2000–2099 годов "
                                     "(24.09.04)");
}

TEST(LogbookModel, ANoteBeyondTheRecordColumnsIsKeptClearOfButNotJudged) {
    Rows r;
    r.record(7, serial(2007, 2, 5)).set(11, column::V, QString("заметка"));
    const Logbook b = bookOf(r.rows);
    EXPECT_EQ(kinds(b), QList<PairKind>{PairKind::Record});
    EXPECT_EQ(b.freeRow(), 12);
    // An error cell is something.
    const Logbook error = bookOf(Rows().set(7, column::G, QVariant()).rows);
    EXPECT_EQ(kinds(error), QList<PairKind>{PairKind::Unreadable});
    EXPECT_EQ(error.freeRow(), 8);
}

TEST(LogbookModel, ARowInsertedOrDeletedPutsThePairsOutOfStep) {
    // One row inserted at 11: the records below it start on even rows.
    Rows inserted;
    inserted.record(7, serial(2007, 2, 5)).record(9, serial(2007, 2, 6)).record(12, serial(2007, 2, 25));
    EXPECT_EQ(bookOf(inserted.rows).outOfStepRow(), 11); // sheet row 12
    // The second row of a record deleted: the next record moves up into it.
    Rows deleted;
    deleted.record(7, serial(2007, 2, 5)).heading(8, "Март  2007 г.");
    EXPECT_EQ(bookOf(deleted.rows).outOfStepRow(), 7);
    // The cloud base on the second row is where it belongs.
    Rows inStep;
    inStep.record(7, serial(2007, 2, 5)).set(8, column::M, QString("---"));
    EXPECT_FALSE(bookOf(inStep.rows).outOfStepRow());
    EXPECT_TRUE(outOfStepMessage(11).startsWith("В строке 12 лётной книжки запись начинается не с нечётной строки"));
    EXPECT_EQ(bookOf(inserted.rows).outOfStepText(), outOfStepMessage(11)) << "an inserted row is no sorting";
    EXPECT_FALSE(bookOf(inserted.rows).sortedRow());

    // Sorted by date in Calc: the records' first rows together, their second rows (the cloud base) after them.
    Rows sorted;
    sorted.heading(7, "Февраль  2007 г.")
        .record(8, serial(2007, 2, 5))
        .record(9, serial(2007, 2, 6))
        .record(10, serial(2007, 2, 25))
        .set(11, column::M, QString("600"))
        .set(12, column::M, QString("700"));
    const Logbook sortedBook = bookOf(sorted.rows);
    ASSERT_TRUE(sortedBook.outOfStepRow());
    EXPECT_EQ(sortedBook.sortedRow(), 7); // sheet row 8
    EXPECT_TRUE(sortedBook.outOfStepText().startsWith("Строки листа «Лист1» переставлены — видимо, лист отсортирован: "
                                                      "начиная со строки 8"))
        << sortedBook.outOfStepText().toStdString();

    // Every edit refuses such a sheet, naming the row, and changes nothing.
    Logbook b = bookOf(inserted.rows);
    const int before = int(b.entries().size());
    try {
        b.append(record(QDate(2007, 2, 26)));
        FAIL() << "appended to a sheet out of step";
    } catch (const korv::Error& e) {
        EXPECT_EQ(e.number(), korv::Error::BadEntry);
        EXPECT_TRUE(e.description().startsWith("В строке 12 ")) << e.description().toStdString();
    }
    EXPECT_THROW(b.remove(0), korv::Error);
    EXPECT_THROW(b.insertInDateOrder({record(QDate(2007, 2, 1))}), korv::Error);
    EXPECT_EQ(b.entries().size(), before);
}

TEST(CellReading, DatesTimesAndCountsAsTheLogbookKeepsThem) {
    EXPECT_EQ(cellDate(serial(2004, 9, 24)), QDate(2004, 9, 24));
    EXPECT_EQ(cellDate(serial(2004, 9, 24) + 0.5), QDate(2004, 9, 24));
    EXPECT_EQ(cellDate(QString(" 24.09.04 ")), QDate(2004, 9, 24));
    EXPECT_EQ(cellDate(QString("24.09.2004")), QDate(2004, 9, 24));
    EXPECT_FALSE(cellDate(5.0)); // a day number typed alone is 1900
    EXPECT_FALSE(cellDate(serial(1999, 12, 31)));
    EXPECT_FALSE(cellDate(QString("31.02.04")));
    EXPECT_FALSE(cellDate(QVariant()));

    EXPECT_EQ(readTime(85 / 1440.0).minutes, Minutes(85));
    EXPECT_EQ(readTime(85 / 1440.0).reading, Reading::Number);
    EXPECT_EQ(readTime(QString(" 1:25 ")).reading, Reading::Text);
    EXPECT_EQ(readTime(QString("1:25:40")).minutes, Minutes(86)); // seconds to the nearest minute
    EXPECT_EQ(readTime(QString()).reading, Reading::Empty);
    for (const QVariant& bad : {QVariant(QString("полтора")), QVariant(QString("1:75")), QVariant()})
        EXPECT_TRUE(readTime(bad).unreadable()) << bad.toString().toStdString();

    // A count is a number as it stands, or a whole number typed as text; whether it is a whole count is
    // another question.
    EXPECT_EQ(readCount(2.0).value, 2);
    EXPECT_TRUE(readCount(2.0).wholeFrom(1));
    EXPECT_EQ(readCount(QString(" 3 ")).reading, Reading::Text);
    EXPECT_EQ(readCount(QString(" 3 ")).value, 3);
    EXPECT_EQ(readCount(1.5).value, 1.5);
    for (const QVariant& notWhole : {QVariant(1.5), QVariant(-1.0), QVariant(40000.0)})
        EXPECT_FALSE(readCount(notWhole).wholeFrom(0)) << notWhole.toString().toStdString();
    for (const QVariant& bad : {QVariant(QString("1.5")), QVariant(QString("40000")), QVariant(QString("два"))})
        EXPECT_TRUE(readCount(bad).unreadable()) << bad.toString().toStdString();

    EXPECT_EQ(columnName(column::G), "G «Налёт, общий»");
    EXPECT_EQ(columnName(column::V), "V");
    EXPECT_TRUE(sameCell(QDate(2004, 9, 24), serial(2004, 9, 24)));
    EXPECT_FALSE(sameCell(QString("1"), 1.0));
    EXPECT_FALSE(sameCell(QVariant(), QString()));
}

TEST(LogbookModel, ARecordsTypedValuesAreReadOnce) {
    Rows r;
    r.record(7, serial(2004, 9, 5), "Инстр. по упр.12 полёт").set(7, column::D, "И").set(7, column::F, " 2 ");
    r.set(7, column::H, QString("0:20")).set(7, column::Q, 3.0).set(7, column::S, QString("x"));
    const Record rec = bookOf(r.rows).entries()[0].record;
    EXPECT_EQ(rec.date, QDate(2004, 9, 5));
    EXPECT_EQ(rec.type, "Л-39");
    EXPECT_EQ(rec.seat, "И");
    EXPECT_EQ(rec.exerciseNumber(), 12);
    EXPECT_EQ(rec.flights.value, 2);
    EXPECT_EQ(rec.total.minutes, Minutes(85));
    EXPECT_EQ(rec.hood.reading, Reading::Text);
    EXPECT_EQ(rec.approaches.value, 3);
    EXPECT_EQ(rec.landings.reading, Reading::Empty);
    EXPECT_TRUE(rec.minimumLandings.unreadable());
    EXPECT_EQ(exerciseOfText("В сост. эк. полёт по упр.7"), 7);
    EXPECT_FALSE(exerciseOfText("полёт"));
}

TEST(LogbookAppend, TheFirstRecordComesUnderItsMonthHeadingAndAnEmptyPairStaysBelow) {
    Logbook b;
    const QList<PairEdit> edits = b.append(record(QDate(2004, 9, 5)));
    ASSERT_EQ(edits.size(), 1);
    EXPECT_EQ(edits[0].op, PairEdit::Op::Append);
    EXPECT_EQ(edits[0].row, records::kFirstRow);
    EXPECT_EQ(edits[0].heading, QStringLiteral("Сентябрь  2004 г."));
    EXPECT_EQ(edits[0].recordRow() + 1, 9);
    EXPECT_EQ(edits[0].templateRow, -1);
    EXPECT_EQ(kinds(b), (QList<PairKind>{PairKind::Heading, PairKind::Record}));
    EXPECT_EQ(b.freeRow() + 1, 11);
}

TEST(LogbookAppend, ARecordGoesAfterTheLastUsedPairAndAHoleStaysAHole) {
    Rows rows;
    rows.heading(7, "Сентябрь  2004 г.").record(9, serial(2004, 9, 5)).record(13, serial(2004, 9, 12));
    Logbook b = bookOf(rows.rows);
    QList<PairEdit> e = b.append(record(QDate(2004, 9, 20)));
    EXPECT_EQ(e[0].row + 1, 15); // rows 11-12, emptied by hand, are left as they are
    EXPECT_FALSE(e[0].heading);
    EXPECT_EQ(e[0].templateRow + 1, 13); // the look of the last record above
    // A new month, and a new year in the same month, take a heading first.
    e = b.append(record(QDate(2004, 10, 1)));
    EXPECT_EQ(e[0].heading, QStringLiteral("Октябрь  2004 г."));
    EXPECT_EQ(e[0].recordRow() + 1, 19);
    EXPECT_EQ(b.append(record(QDate(2005, 10, 1)))[0].heading, QStringLiteral("Октябрь  2005 г."));
    EXPECT_EQ(sheetRows(b), (QList<int>{7, 9, 13, 15, 17, 19, 21, 23}));

    // Something typed beyond the record columns keeps the pair used.
    rows.set(16, column::V, QString("заметка"));
    EXPECT_EQ(bookOf(rows.rows).append(record(QDate(2004, 9, 20)))[0].row + 1, 17);
}

TEST(LogbookAppend, TheLastEntryThatTellsAMonthDecidesTheHeading) {
    const QVariant none = QString();
    const QDate march25(2007, 3, 25), april1(2007, 4, 1);
    auto needs = [](const Rows& r, const QDate& d) { return bookOf(r.rows).append(record(d))[0].heading.has_value(); };
    EXPECT_FALSE(needs(Rows().record(7, serial(2007, 3, 3)), march25));
    EXPECT_TRUE(needs(Rows().record(7, serial(2007, 3, 3)), april1));
    EXPECT_FALSE(needs(Rows().record(7, QString("03.03.07")), march25)); // a date typed by hand
    // A heading of the month already there (its record cleared) takes no second one.
    EXPECT_FALSE(needs(Rows().heading(7, "Март  2007 г."), march25));
    EXPECT_TRUE(needs(Rows().heading(7, "Март  2007 г."), april1));
    // A mark typed below the last record tells no month; a hole neither.
    EXPECT_FALSE(needs(Rows().record(7, serial(2007, 3, 3)).set(12, column::T, 5.0), march25));
    // A record whose exercise was cleared still tells its month.
    EXPECT_TRUE(needs(Rows().record(7, serial(2007, 3, 3)).set(7, column::E, none), april1));
    // What the writer makes must be a record.
    PairCells noDate = record(march25);
    noDate.first[column::A] = QString();
    Logbook b;
    EXPECT_THROW(b.append(noDate), korv::Error);
    EXPECT_TRUE(b.entries().isEmpty());
}

// September (5th, 12th) and November (2nd), each month under its heading: rows 7, 9, 11, 13, 15.
Rows twoMonths() {
    Rows r;
    r.heading(7, "Сентябрь  2004 г.").record(9, serial(2004, 9, 5)).record(11, serial(2004, 9, 12));
    return r.heading(13, "Ноябрь  2004 г.").record(15, serial(2004, 11, 2));
}

TEST(LogbookInsert, ARecordGoesBeforeTheFirstRecordDatedAfterIt) {
    Logbook b = bookOf(twoMonths().rows);
    // Into its month: between the two September records, no heading.
    QList<PairEdit> e = b.insertInDateOrder({record(QDate(2004, 9, 8))});
    ASSERT_EQ(e.size(), 1);
    EXPECT_EQ(e[0].op, PairEdit::Op::Insert);
    EXPECT_EQ(e[0].row + 1, 11);
    EXPECT_FALSE(e[0].heading);
    EXPECT_EQ(e[0].templateRow + 1, 13); // the 12th, moved down
    EXPECT_EQ(sheetRows(b), (QList<int>{7, 9, 11, 13, 15, 17}));
    EXPECT_EQ(b.freeRow() + 1, 19);

    // A month of its own between two others: above November's heading, under a heading of its own.
    e = b.insertInDateOrder({record(QDate(2004, 10, 3))});
    EXPECT_EQ(e[0].row + 1, 15);
    EXPECT_EQ(e[0].heading, QStringLiteral("Октябрь  2004 г."));
    EXPECT_EQ(e[0].recordRow() + 1, 17);
    EXPECT_EQ(b.entries()[6].caption(), "Ноябрь  2004 г.");
    EXPECT_EQ(b.entries()[6].sheetRow(), 19);

    // Into a month that has its heading: below the heading, above its first record.
    e = b.insertInDateOrder({record(QDate(2004, 11, 1))});
    EXPECT_EQ(e[0].row + 1, 21);
    EXPECT_FALSE(e[0].heading);

    // Before everything: its heading first at row 7.
    e = b.insertInDateOrder({record(QDate(2004, 8, 31))});
    EXPECT_EQ(e[0].row, records::kFirstRow);
    EXPECT_EQ(e[0].heading, QStringLiteral("Август  2004 г."));

    // After everything: as a write appends it.
    e = b.insertInDateOrder({record(QDate(2004, 12, 1))});
    EXPECT_EQ(e[0].op, PairEdit::Op::Append);
    EXPECT_EQ(e[0].heading, QStringLiteral("Декабрь  2004 г."));

    // The records in date order, each month's first under its heading.
    QList<QDate> dates;
    QDate previous;
    for (const Entry& x : b.entries()) {
        if (!x.isRecord())
            continue;
        dates << x.record.date;
        EXPECT_LE(previous, x.record.date);
        previous = x.record.date;
    }
    EXPECT_EQ(dates.size(), 8);
    EXPECT_EQ(b.recordCount(), 8);
}

TEST(LogbookInsert, ABatchGoesInDateOrderAndARecordOfTheSameDayAfterThoseThere) {
    Logbook b = bookOf(twoMonths().rows);
    const QList<PairEdit> e = b.insertInDateOrder(
        {record(QDate(2004, 11, 20)), record(QDate(2004, 9, 12), "Упр. 94"), record(QDate(2004, 9, 1))});
    ASSERT_EQ(e.size(), 3);
    EXPECT_EQ(e[0].row + 1, 9);  // the 1st, first of the batch in date order
    EXPECT_EQ(e[1].row + 1, 15); // the second 12th, after the one there
    EXPECT_EQ(e[2].op, PairEdit::Op::Append);
    // A record that is no record refuses the whole batch, nothing inserted.
    Logbook c = bookOf(twoMonths().rows);
    PairCells bad = record(QDate(2004, 9, 9));
    bad.first[column::E] = QString();
    EXPECT_THROW(c.insertInDateOrder({record(QDate(2004, 9, 6)), bad}), korv::Error);
    EXPECT_EQ(c.recordCount(), 3);
}

TEST(LogbookRemove, ThePairGoesAndAHeadingLeftWithoutRecordsGoesWithIt) {
    Logbook b = bookOf(twoMonths().rows);
    // A record with another under its heading: only its pair.
    QList<PairEdit> e = b.remove(1);
    ASSERT_EQ(e.size(), 1);
    EXPECT_EQ(e[0].op, PairEdit::Op::Remove);
    EXPECT_EQ(e[0].row + 1, 9);
    EXPECT_EQ(e[0].pairs, 1);
    EXPECT_EQ(sheetRows(b), (QList<int>{7, 9, 11, 13}));
    // The last record under its heading: the heading's pair and its own in one deletion.
    e = b.remove(3);
    ASSERT_EQ(e.size(), 1);
    EXPECT_EQ(e[0].row + 1, 11);
    EXPECT_EQ(e[0].pairs, 2);
    EXPECT_EQ(kinds(b), (QList<PairKind>{PairKind::Heading, PairKind::Record}));
    EXPECT_EQ(b.freeRow() + 1, 11);
    // Only records are removed.
    EXPECT_THROW(b.remove(0), korv::Error);
    EXPECT_THROW(b.remove(7), korv::Error);

    // A hole between a heading and its only record: two deletions, the lower first.
    Rows holed;
    holed.heading(7, "Сентябрь  2004 г.").record(11, serial(2004, 9, 5));
    Logbook h = bookOf(holed.rows);
    e = h.remove(1);
    ASSERT_EQ(e.size(), 2);
    EXPECT_EQ(e[0].row + 1, 11);
    EXPECT_EQ(e[1].row + 1, 7);
    EXPECT_TRUE(h.entries().isEmpty());
}

TEST(LogbookReplace, InItsPairWithinTheMonthElseMovedToItsDate) {
    Logbook b = bookOf(twoMonths().rows);
    QList<PairEdit> e = b.replace(2, record(QDate(2004, 9, 20), "Упр. 12 ПП"));
    ASSERT_EQ(e.size(), 1);
    EXPECT_EQ(e[0].op, PairEdit::Op::Replace);
    EXPECT_EQ(e[0].row + 1, 11);
    EXPECT_EQ(b.entries()[2].record.exercise, "Упр. 12 ПП");

    // To November: out of September (whose heading stays: the 5th is still under it), into November.
    e = b.replace(2, record(QDate(2004, 11, 25)));
    ASSERT_EQ(e.size(), 2);
    EXPECT_EQ(e[0].op, PairEdit::Op::Remove);
    EXPECT_EQ(e[1].op, PairEdit::Op::Append);
    EXPECT_EQ(kinds(b), (QList<PairKind>{PairKind::Heading, PairKind::Record, PairKind::Heading, PairKind::Record,
                                         PairKind::Record}));
    EXPECT_EQ(b.entries()[4].record.date, QDate(2004, 11, 25));
    EXPECT_EQ(b.entries()[4].sheetRow(), 15);
}
