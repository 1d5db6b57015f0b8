// The record layout every part shares: pairs from row 7, columns by letter and from M, the date serial.

#include "common/date_serial.h"
#include "logbook/record_layout.h"
#include "spreadsheet/a1_address.h"

#include <gtest/gtest.h>

using namespace korv::logbook;
namespace column = records::column;

TEST(RecordLayout, PairsFromRowSevenAndColumnsByLetterAndFromM) {
    EXPECT_EQ(a1(records::pairRow(0), column::M), QStringLiteral("M7"));
    EXPECT_EQ(a1(records::pairRow(1), column::A), QStringLiteral("A9"));
    EXPECT_EQ(a1(records::pairRow(1) + 1, column::M), QStringLiteral("M10"));
    EXPECT_EQ(a1(0, records::kLastColumn), QStringLiteral("U1"));
    EXPECT_EQ(a1(0, records::kLastHeadingColumn), QStringLiteral("V1"));
    for (char letter = 'A'; letter <= 'V'; ++letter)
        EXPECT_EQ(columnLetters(records::columnOf(letter)), QString(QChar(letter)));
    // The offsets a record's cells are addressed by, from M.
    EXPECT_EQ(records::columnOffsetFromM(column::A), -12);
    EXPECT_EQ(records::columnOffsetFromM(column::E), -8);
    EXPECT_EQ(records::columnOffsetFromM(column::F), -7);
    EXPECT_EQ(records::columnOffsetFromM(column::J), -3);
    EXPECT_EQ(records::columnOffsetFromM(column::O), 2);
    EXPECT_EQ(records::columnOffsetFromM(column::S), 6);
}

TEST(RecordLayout, DateSerialsBothWays) {
    EXPECT_EQ(korv::dateSerial(QDate(1899, 12, 31)), 1);
    EXPECT_EQ(korv::dateSerial(QDate(1900, 3, 1)), 61); // no 29.02.1900 in this reckoning
    EXPECT_EQ(korv::dateSerial(QDate(2004, 9, 24)), 38254);
    EXPECT_EQ(korv::dateSerial(QDate(2024, 3, 1)), 45352);
    EXPECT_EQ(korv::dateOfSerial(38254), QDate(2004, 9, 24));
    EXPECT_EQ(korv::dateOfSerial(45352.99), QDate(2024, 3, 1)); // a time of day is dropped
    EXPECT_EQ(korv::dateOfSerial(korv::kLastSerial), QDate(9999, 12, 31));
    EXPECT_FALSE(korv::dateOfSerial(0));
    EXPECT_FALSE(korv::dateOfSerial(-5));
    EXPECT_FALSE(korv::dateOfSerial(korv::kLastSerial + 1));
    EXPECT_FALSE(korv::dateOfSerial(std::nan("")));
}
