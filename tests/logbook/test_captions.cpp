#include "common/flightdate.h"
#include "logbook/captions.h"

#include <gtest/gtest.h>

using namespace korv::logbook;

TEST(Captions, MonthCaptionOfARecordDate) {
    EXPECT_EQ(PeriodCaption(*korv::parseFlightDate("05.09.04")), "Сентябрь  2004 г.");
    EXPECT_EQ(PeriodCaption(*korv::parseFlightDate("05.09.2004")), "Сентябрь  2004 г.");
    EXPECT_EQ(PeriodCaption(QDate(2026, 1, 31)), "Январь  2026 г.");
    EXPECT_EQ(PeriodCaption(QDate(2025, 12, 1)), "Декабрь  2025 г.");
}

TEST(Captions, MonthNamesByTwoCharacterMonth) {
    const char* names[] = {"Январь", "Февраль", "Март",     "Апрель",  "Май",    "Июнь",
                           "Июль",   "Август",  "Сентябрь", "Октябрь", "Ноябрь", "Декабрь"};
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(monthName(QStringLiteral("%1").arg(m, 2, 10, QChar('0'))), names[m - 1]);
    for (const char* bad : {"", "1", "13", "00", ".0", "1 "})
        EXPECT_EQ(monthName(bad), "") << bad;
    EXPECT_EQ(monthCaption("12", "26"), "Декабрь  2026 г.");
}
