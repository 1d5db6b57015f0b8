// Where the next record goes, read from the sheet's values as the pilot's own edits leave them.

#include "common/error.h"
#include "logbook/placement.h"
#include "support/sheet_rows.h"

#include <gtest/gtest.h>

using namespace korv::logbook;
namespace column = records::column;
using korv::test::Rows;
using korv::test::serial;

namespace {

RecordPlacement place(const QList<QVariantList>& block, const QDate& date) {
    return placeRecord(readBookShape(block), block, date);
}

} // namespace

TEST(MonthHeading, TheLastEntryThatTellsAMonthDecides) {
    auto pair = [](const QVariant& a, const QString& e, int markColumn = -1) {
        QVariantList first(22, QString()), second(22, QString());
        first[0] = a;
        first[4] = e;
        if (markColumn >= 0)
            second[markColumn] = 5.0;
        return QList<QVariantList>{first, second};
    };
    const QVariant none = QString();
    const double march3 = korv::dateSerial(QDate(2007, 3, 3));
    const QDate march25(2007, 3, 25), april1(2007, 4, 1);
    auto needs = [&](const QList<QVariantList>& block, const QDate& d) {
        return needsMonthHeading(readBookShape(block), block, d);
    };
    EXPECT_TRUE(needs({}, march25)); // the first record of a logbook
    EXPECT_FALSE(needs(pair(march3, "Упр.  7"), march25));
    EXPECT_TRUE(needs(pair(march3, "Упр.  7"), april1));
    EXPECT_FALSE(needs(pair(QString("03.03.07"), "Упр.  7"), march25)); // a date typed by hand
    // A heading of the month already there (its record cleared) takes no second one.
    EXPECT_FALSE(needs(pair(none, "Март  2007 г."), march25));
    EXPECT_TRUE(needs(pair(none, "Март  2007 г."), april1));
    // A mark typed below the last record tells no month; a hole neither.
    EXPECT_FALSE(needs(pair(march3, "Упр.  7") + pair(none, "") + pair(none, "", 19), march25));
    // A record whose exercise was cleared still tells its month.
    EXPECT_TRUE(needs(pair(march3, ""), april1));
}

TEST(Placement, TheFirstRecordOfALogbookComesUnderItsMonthHeading) {
    const RecordPlacement p = place({}, QDate(2004, 9, 5));
    EXPECT_EQ(p.row, records::kFirstRow);
    EXPECT_EQ(p.heading, QStringLiteral("Сентябрь  2004 г."));
    EXPECT_EQ(p.recordRow(), records::kFirstRow + 2);
    // The heading's pair, the record's and the empty pair kept below: rows 7-12.
    EXPECT_EQ(p.lastRow() + 1, 12);
}

TEST(Placement, ARecordGoesAfterTheLastUsedPairAndAHoleStaysAHole) {
    const QDate sep20(2004, 9, 20);
    Rows rows;
    rows.heading(7, "Сентябрь  2004 г.").record(9, serial(2004, 9, 5)).record(13, serial(2004, 9, 12));
    const RecordPlacement p = place(rows.rows, sep20);
    EXPECT_EQ(p.row + 1, 15); // rows 11-12, emptied by hand, are left as they are
    EXPECT_FALSE(p.heading);
    EXPECT_EQ(p.recordRow(), p.row);
    EXPECT_EQ(p.lastRow() + 1, 18);

    // A new month, and a new year in the same month, take a heading first.
    const RecordPlacement october = place(rows.rows, QDate(2004, 10, 1));
    EXPECT_EQ(october.heading, QStringLiteral("Октябрь  2004 г."));
    EXPECT_EQ(october.recordRow() + 1, 17);
    EXPECT_EQ(place(rows.rows, QDate(2005, 9, 1)).heading, QStringLiteral("Сентябрь  2005 г."));

    // Something typed beyond the record columns keeps the pair used.
    rows.set(16, column::V, QString("заметка"));
    EXPECT_EQ(place(rows.rows, sep20).row + 1, 17);
}

TEST(Placement, APairOutOfStepIsRefusedNamingItsRow) {
    Rows rows;
    rows.record(7, serial(2004, 9, 5)).record(10, serial(2004, 9, 6)); // a row inserted above row 10
    try {
        place(rows.rows, QDate(2004, 9, 7));
        FAIL() << "placed on a sheet out of step";
    } catch (const korv::Error& e) {
        EXPECT_EQ(e.number(), korv::Error::BadEntry);
        EXPECT_TRUE(e.description().contains(QStringLiteral("В строке 10 "))) << e.description().toStdString();
    }
}
