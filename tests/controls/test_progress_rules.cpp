#include "controls/host/controlerror.h"
#include "controls/progress/progress_rules.h"
#include "support/error_number.h"

#include <gtest/gtest.h>

using korv::host::ControlError;
using namespace tarvix;

TEST(ProgressPercent, WholePercentRoundsHalvesToEven) {
    EXPECT_EQ(wholePercent(57, 0, 100, false), 57);
    EXPECT_EQ(wholePercent(100, 0, 100, false), 100);
    EXPECT_EQ(wholePercent(1, 0, 8, false), 12); // 12.5
    EXPECT_EQ(wholePercent(3, 0, 8, false), 38); // 37.5
    EXPECT_EQ(wholePercent(5, 0, 8, false), 62); // 62.5
    EXPECT_EQ(wholePercent(1, 0, 3, false), 33);
    EXPECT_EQ(wholePercent(2, 0, 3, false), 67);
    EXPECT_EQ(wholePercent(15, 10, 20, false), 50);
}

TEST(ProgressPercent, InversionAffectsOnlyTheNumber) {
    EXPECT_EQ(wholePercent(25, 0, 100, true), 75);
    EXPECT_EQ(wholePercent(0, 0, 100, true), 100);
    EXPECT_EQ(wholePercent(100, 0, 100, true), 0);
    EXPECT_EQ(wholePercent(1, 0, 8, true), 88); // 87.5 -> 88
    EXPECT_FLOAT_EQ(barWidth(25, 0, 100, 200.0f), 50.0f);
}

TEST(ProgressPercent, ValuesOutsideTheRangeAsTheyStand) {
    // A loaded counter is not clamped; the percentage follows it.
    EXPECT_EQ(wholePercent(150, 0, 100, false), 150);
    EXPECT_EQ(wholePercent(-10, 0, 100, false), -10);
    EXPECT_EQ(errorNumberOf<ControlError>([] { wholePercent(32767, 0, 1, false); }), ControlError::Overflow);
}

TEST(ProgressPercent, ZeroRangeRaisesTheArithmeticErrors) {
    EXPECT_EQ(errorNumberOf<ControlError>([] { percentage(5, 5, 5, false); }), ControlError::Overflow);       // 0/0
    EXPECT_EQ(errorNumberOf<ControlError>([] { percentage(6, 5, 5, false); }), ControlError::DivisionByZero); // n/0
    EXPECT_EQ(errorNumberOf<ControlError>([] { barWidth(6, 5, 5, 100.0f); }), ControlError::DivisionByZero);
}

TEST(ProgressPercent, DifferencesAre16Bit) {
    EXPECT_EQ(checkedDifference(32767, 0), 32767);
    EXPECT_EQ(errorNumberOf<ControlError>([] { checkedDifference(-32768, 1); }), ControlError::Overflow);
    EXPECT_EQ(errorNumberOf<ControlError>([] { percentage(-32768, 10, 100, false); }), ControlError::Overflow);
}

TEST(ProgressCaption, PercentOrTextSpacePercent) {
    EXPECT_EQ(captionText(QString(), 57), QStringLiteral("57%"));
    EXPECT_EQ(captionText(QString(), 100), QStringLiteral("100%"));
    EXPECT_EQ(captionText(QStringLiteral("Итого"), 50), QStringLiteral("Итого 50%"));
    EXPECT_EQ(captionText(QStringLiteral("Итого "), 50), QStringLiteral("Итого  50%")); // the text as given
    EXPECT_EQ(captionText(QString(), -10), QStringLiteral("-10%"));
}

TEST(ProgressBar, WidthIsTheUninvertedFraction) {
    EXPECT_FLOAT_EQ(barWidth(57, 0, 100, 200.0f), 114.0f);
    EXPECT_EQ(barPixels(57, 0, 100, 200), 114);
    EXPECT_EQ(barPixels(1, 0, 8, 100), 12); // 12.5 px
    EXPECT_EQ(barPixels(3, 0, 8, 100), 38); // 37.5 px
    EXPECT_EQ(barPixels(0, 0, 100, 200), 0);
    EXPECT_EQ(barPixels(100, 0, 100, 200), 200);
    EXPECT_EQ(barPixels(150, 0, 100, 200), 300); // wider than the control
    EXPECT_EQ(barPixels(-10, 0, 100, 200), 0);   // never negative
}
