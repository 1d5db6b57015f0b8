// A1 addresses without an office: the letters of a column, parsing of every form the program writes,
// and what is refused.

#include "spreadsheet/a1_address.h"

#include <gtest/gtest.h>

using namespace korv::logbook;

namespace {

constexpr int kLastRow = 1048575;
constexpr int kLastColumn = 1023;

std::optional<CellBlock> parse(const char* text) { return parseA1(QString::fromLatin1(text), kLastRow, kLastColumn); }

} // namespace

TEST(A1Address, ColumnLettersRoundTripThroughTheParser) {
    EXPECT_EQ(columnLetters(0), QStringLiteral("A"));
    EXPECT_EQ(columnLetters(25), QStringLiteral("Z"));
    EXPECT_EQ(columnLetters(26), QStringLiteral("AA"));
    EXPECT_EQ(columnLetters(701), QStringLiteral("ZZ"));
    EXPECT_EQ(columnLetters(702), QStringLiteral("AAA"));
    for (int c = 0; c <= kLastColumn; ++c) {
        const auto b = parseA1(a1(0, c), kLastRow, kLastColumn);
        ASSERT_TRUE(b) << c;
        ASSERT_EQ(b->firstColumn, c);
    }
}

TEST(A1Address, CellsRangesColumnsAndRows) {
    EXPECT_EQ(parse("M7"), (CellBlock{6, 12, 6, 12}));
    EXPECT_EQ(parse("$A$1:$U$6"), (CellBlock{0, 0, 5, 20}));
    EXPECT_EQ(parse("a1:u6"), (CellBlock{0, 0, 5, 20}));
    EXPECT_EQ(parse(" A7:U8 "), (CellBlock{6, 0, 7, 20}));
    // Corners in any order give the same block.
    EXPECT_EQ(parse("U8:A7"), (CellBlock{6, 0, 7, 20}));
    EXPECT_EQ(parse("G:G"), (CellBlock{0, 6, kLastRow, 6}));
    EXPECT_EQ(parse("7:8"), (CellBlock{6, 0, 7, kLastColumn}));
    EXPECT_EQ(a1(CellBlock{6, 12, 6, 12}), QStringLiteral("M7"));
    EXPECT_EQ(a1(CellBlock{0, 0, 16, 20}), QStringLiteral("A1:U17"));
}

TEST(A1Address, TextsThatAreNoAddressAreRefused) {
    for (const char* bad : {"", "A0", "1A", "A1:B", "A:1", "A1:B2:C3", "ABCD1", "A-1", "Лист1!A1", "R1C1"})
        EXPECT_FALSE(parse(bad)) << bad;
}
