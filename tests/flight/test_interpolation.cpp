#include "common/error.h"
#include "flight/interpolation.h"
#include "support/error_number.h"

#include <gtest/gtest.h>

using namespace korv;
using namespace korv::flight;

namespace {

const QString kName = QStringLiteral("Z_Time_Pod_Test");

const Table kPod = {{0, 0}, {100, 50}, {200, 100}, {300, 150}};
const Table kPodShuffled = {{200, 100}, {0, 0}, {300, 150}, {100, 50}};

// Corner -1, column keys 500/1000/3000, row keys 0/300/600.
const Table kObl = {{-1, 500, 1000, 3000}, {0, 250, 500, 1500}, {300, 100, 350, 1350}, {600, 0, 200, 1200}};
// The same table with the data rows and the columns in another order.
const Table kOblShuffled = {{-1, 3000, 500, 1000}, {600, 1200, 0, 200}, {0, 1500, 250, 500}, {300, 1350, 100, 350}};

} // namespace

TEST(OneKeyLookup, ExactKeysAndInterpolationBetweenThem) {
    for (const Table* t : {&kPod, &kPodShuffled}) {
        EXPECT_EQ(lookupOneKey(*t, 200, kName), 100);
        EXPECT_EQ(lookupOneKey(*t, 150, kName), 75);
        EXPECT_EQ(lookupOneKey(*t, 1, kName), 0); // 0.5 truncated
        EXPECT_EQ(lookupOneKey(*t, 299, kName), 149);
    }
}

TEST(OneKeyLookup, ExactValuesRoundHalfToEvenAndTheLastMatchWins) {
    EXPECT_EQ(lookupOneKey({{0, 0}, {50, 2.5}, {60, 3.5}}, 50, kName), 2);
    EXPECT_EQ(lookupOneKey({{0, 0}, {50, 2.5}, {60, 3.5}}, 60, kName), 4);
    EXPECT_EQ(lookupOneKey({{0, 0}, {100, 10}, {100, 20}}, 100, kName), 20);
    EXPECT_EQ(lookupOneKey({{0, 0}, {99.6, 7}}, 100, kName), 7); // keys are compared rounded
}

TEST(OneKeyLookup, AnExactValueOfZeroFallsThroughToInterpolation) {
    // Key 100 is found with 0.4 -> 0, so the key is interpolated: it lands after the equal key and
    // takes that row's own value, truncated.
    EXPECT_EQ(lookupOneKey({{0, 0}, {100, 0.4}, {200, 100}}, 100, kName), 0);
    EXPECT_EQ(lookupOneKey({{0, 0}, {100, 0}, {200, 100}}, 150, kName), 50);
}

TEST(OneKeyLookup, InterpolatedValuesAreTruncatedTowardZero) {
    EXPECT_EQ(lookupOneKey({{0, 0}, {100, -50}}, 33, kName), -16);
    EXPECT_EQ(lookupOneKey({{0, 0}, {3, 10}}, 1, kName), 3);
}

TEST(OneKeyLookup, AboveTheLargestKeyTheEmptyRowBelowCountsAsZero) {
    // (333 - 300) / (0 - 300) * (0 - 150) + 150 = 166.5
    EXPECT_EQ(lookupOneKey(kPod, 333, kName), 166);
    EXPECT_EQ(lookupOneKey(kPodShuffled, 333, kName), 166);
}

TEST(OneKeyLookup, OutOfRangeAndOverflow) {
    EXPECT_EQ(errorNumberOf<Error>([] { lookupOneKey(kPod, -5, kName); }), Error::TypeMismatch);
    EXPECT_EQ(errorNumberOf<Error>([] { lookupOneKey({}, 5, kName); }), Error::TypeMismatch);
    // Only key 0: the neighbour above is the empty row with key 0, a zero denominator.
    EXPECT_EQ(errorNumberOf<Error>([] { lookupOneKey({{0, 0}}, 10, kName); }), Error::TypeMismatch);
    EXPECT_EQ(errorNumberOf<Error>([] { lookupOneKey({{0, 30000}, {100, 40000}}, 50, kName); }), Error::Overflow);
    EXPECT_EQ(errorNumberOf<Error>([] { lookupOneKey({{0, 0}, {50, 40000}}, 50, kName); }), Error::Overflow);
}

TEST(OneKeyLookup, TheErrorNamesTheTable) {
    try {
        lookupOneKey(kPod, -5, kName);
        FAIL();
    } catch (const Error& e) {
        EXPECT_TRUE(e.description().contains(kName));
    }
}

TEST(TwoKeyLookup, ExactCellsAndInterpolationAcrossColumnsThenRows) {
    for (const Table* t : {&kObl, &kOblShuffled}) {
        EXPECT_EQ(lookupTwoKeys(*t, 300, 1000, kName), 350);
        EXPECT_EQ(lookupTwoKeys(*t, 300, 750, kName), 225);  // across the columns
        EXPECT_EQ(lookupTwoKeys(*t, 450, 1000, kName), 275); // across the rows
        EXPECT_EQ(lookupTwoKeys(*t, 450, 750, kName), 162);  // bilinear: 162.5 truncated at the end
    }
}

TEST(TwoKeyLookup, ExactCellsRoundHalfToEven) {
    const Table t = {{-1, 100, 200}, {0, 10.5, 20.5}, {100, 11.5, 0}};
    EXPECT_EQ(lookupTwoKeys(t, 0, 100, kName), 10);
    EXPECT_EQ(lookupTwoKeys(t, 100, 100, kName), 12);
}

TEST(TwoKeyLookup, TheKeyColumnStandsLeftOfTheLowestColumnKey) {
    // Between the corner column (-1, values = the row keys) and column 500:
    // (250 + 1) / (500 + 1) * (100 - 300) + 300 = 199.8 at row 300, an exact row: rounded.
    EXPECT_EQ(lookupTwoKeys(kObl, 300, 250, kName), 200);
}

TEST(TwoKeyLookup, TheKeyRowStandsAboveTheLowestRowKey) {
    // Between the key row (-1, values = the column keys) and row 100:
    // (50 + 1) / (100 + 1) * (400 - 1000) + 1000 = 697.03
    const Table t = {{-1, 500, 1000}, {100, 200, 400}, {200, 100, 300}};
    EXPECT_EQ(lookupTwoKeys(t, 50, 1000, kName), 697);
}

TEST(TwoKeyLookup, RowKeysOutsideTheRows) {
    // Above every row key: the empty row below counts as key 0 and values 0.
    // (800 - 600) / (0 - 600) * (0 - 200) + 200 = 266.7
    EXPECT_EQ(lookupTwoKeys(kObl, 800, 1000, kName), 266);
    EXPECT_EQ(lookupTwoKeys(kOblShuffled, 800, 1000, kName), 266);
    // Below the corner the key row sorts after the appended row, which is not searched.
    EXPECT_EQ(lookupTwoKeys(kObl, -5, 1000, kName), 0);
}

TEST(TwoKeyLookup, ColumnKeysOutsideTheColumnsAreErrors) {
    EXPECT_EQ(errorNumberOf<Error>([] { lookupTwoKeys(kObl, 300, 4000, kName); }), Error::TypeMismatch);
    EXPECT_EQ(errorNumberOf<Error>([] { lookupTwoKeys(kObl, 300, -5, kName); }), Error::TypeMismatch);
    EXPECT_EQ(errorNumberOf<Error>([] { lookupTwoKeys({}, 300, 500, kName); }), Error::TypeMismatch);
}

TEST(TwoKeyLookup, TheColumnSearchIncludesTheCornerCell) {
    // A column key equal to the corner matches the key column: the value found is the row key.
    EXPECT_EQ(lookupTwoKeys(kObl, 300, -1, kName), 300);
    EXPECT_EQ(lookupTwoKeys(kObl, 450, -1, kName), 450);
}

TEST(TwoKeyLookup, AZeroCellIsInterpolatedAgain) {
    // Row 600 at 500 m holds 0, so the row is interpolated; the appended row follows row 600 and
    // meets the empty row below: (600 - 600) / (0 - 600) * ... + 0 = 0.
    EXPECT_EQ(lookupTwoKeys(kObl, 600, 500, kName), 0);
}

TEST(TwoKeyLookup, OverflowOfAnInterpolatedValue) {
    const Table t = {{-1, 100, 200}, {0, 30000, 32000}, {100, 32000, 32767}};
    EXPECT_EQ(lookupTwoKeys(t, 50, 200, kName), 32383);
    const Table big = {{-1, 100, 200}, {0, 30000, 40000}};
    EXPECT_EQ(errorNumberOf<Error>([&] { lookupTwoKeys(big, 0, 190, kName); }), Error::Overflow);
}
