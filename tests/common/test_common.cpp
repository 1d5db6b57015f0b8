#include "common/error.h"
#include "common/flightdate.h"
#include "common/int16.h"
#include "common/numtext.h"
#include "common/program_files.h"
#include "support/error_number.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace korv;

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(-3.5), -4);
    EXPECT_EQ(roundHalfEven(2.4999), 2);
    EXPECT_EQ(roundHalfEven(2.5001), 3);
    EXPECT_EQ(roundToInt16(150.0 / 60), 2);
    EXPECT_EQ(roundToInt16(90.0 / 60), 2);
    EXPECT_EQ(roundToInt16(30.0 / 60), 0);
}

TEST(Int16Rules, ConversionsFailOutsideTheRange) {
    EXPECT_EQ(roundToInt16(32767.4), 32767);
    EXPECT_EQ(roundToInt16(-32768.5), -32768); // half to even stays inside
    EXPECT_EQ(errorNumberOf<Error>([] { (void)roundToInt16(32767.5); }), Error::Overflow);
    EXPECT_EQ(errorNumberOf<Error>([] { (void)roundToInt16(-32769); }), Error::Overflow);
    EXPECT_EQ(errorNumberOf<Error>([] { (void)roundToInt16(NAN); }), Error::Overflow);
    EXPECT_EQ(truncToInt16(-7.9), -7);
    EXPECT_EQ(truncToInt16(32767.9), 32767);
    EXPECT_EQ(errorNumberOf<Error>([] { (void)truncToInt16(32768.0); }), Error::Overflow);
}

TEST(Int16Rules, ArithmeticChecksEveryStep) {
    Int16 a = 32000, b = 767, c = 1;
    EXPECT_EQ((a + b).value(), 32767);
    EXPECT_EQ(errorNumberOf<Error>([&] { (void)(a + b + c); }), Error::Overflow);
    EXPECT_EQ(errorNumberOf<Error>([&] { (void)(Int16(-32768) - c); }), Error::Overflow);
    EXPECT_EQ(errorNumberOf<Error>([&] { (void)(Int16(200) * Int16(200)); }), Error::Overflow);
    // Left to right: the first subtraction already leaves the range.
    EXPECT_EQ(errorNumberOf<Error>([&] { (void)(Int16(-32000) - Int16(1000) + Int16(1000)); }), Error::Overflow);
}

TEST(LeadingNumber, ReadsTheNumberAtTheStart) {
    EXPECT_EQ(leadingNumber(u"12abc"), 12);
    EXPECT_EQ(leadingNumber(u""), 0);
    EXPECT_EQ(leadingNumber(u"abc"), 0);
    EXPECT_EQ(leadingNumber(u"2,5"), 2.5);
    EXPECT_EQ(leadingNumber(u"2.5"), 2.5);
    EXPECT_EQ(leadingNumber(u".6"), 0.6);
    EXPECT_EQ(leadingNumber(u"5."), 5);
    EXPECT_EQ(leadingNumber(u"  -300м"), -300);
    EXPECT_EQ(leadingNumber(u"+7"), 7);
    EXPECT_EQ(leadingNumber(u"-"), 0);
    EXPECT_EQ(leadingNumber(u"1 2"), 1);
}

TEST(StrictNumber, AcceptsOnlyANumberWithBlanksAround) {
    EXPECT_EQ(strictNumber(u" 25 "), 25);
    EXPECT_EQ(strictNumber(u"2,5"), 2.5);
    EXPECT_EQ(strictNumber(u"-1.5"), -1.5);
    EXPECT_EQ(strictNumber(u"5."), 5);
    for (const char16_t* bad : {u"", u"  ", u"1a", u"5-", u"-", u".", u"1.2.3", u"a1"})
        EXPECT_EQ(errorNumberOf<Error>([&] { (void)strictNumber(bad); }), Error::TypeMismatch)
            << QString::fromUtf16(bad).toStdString();
    EXPECT_EQ(strictInt16(u"2.5"), 2);
    EXPECT_EQ(errorNumberOf<Error>([] { (void)strictInt16(u"40000"); }), Error::Overflow);
}

TEST(TimeText, HoursAndMinutesTypedAsText) {
    EXPECT_DOUBLE_EQ(*korv::timeOfText(u"1:25"), 85 / 1440.0);
    EXPECT_DOUBLE_EQ(*korv::timeOfText(u" 01 : 25 "), 85 / 1440.0);
    EXPECT_DOUBLE_EQ(*korv::timeOfText(u"\u00a01:25\t"), 85 / 1440.0);
    EXPECT_DOUBLE_EQ(*korv::timeOfText(u"1:5"), 65 / 1440.0);
    EXPECT_DOUBLE_EQ(*korv::timeOfText(u"27:30"), (27 * 60 + 30) / 1440.0);
    EXPECT_DOUBLE_EQ(*korv::timeOfText(u"1:25:30"), (85 * 60 + 30) / 86400.0);
    for (const char16_t* no : {u"", u"1", u"1.25", u"1:60", u"1:2:3:4", u"-1:25", u"1:2a", u":25", u"1234:00", u"1:"})
        EXPECT_FALSE(korv::timeOfText(no)) << QString::fromUtf16(no).toStdString();
}

TEST(Formatting, HoursAndMinutesAndSingles) {
    EXPECT_EQ(formatHoursMinutes(85), "1.25");
    EXPECT_EQ(formatHoursMinutes(5), "0.05");
    EXPECT_EQ(formatHoursMinutes(600), "10.00");
    EXPECT_EQ(formatHoursMinutes(0), "0.00");
    EXPECT_EQ(formatSingle(static_cast<float>(2 + 9 * 0.1)), "2.9");
    EXPECT_EQ(formatSingle(10.0f), "10");
}

TEST(FlightDate, TwoAndFourDigitYears) {
    EXPECT_EQ(parseFlightDate("24.09.04"), QDate(2004, 9, 24));
    EXPECT_EQ(parseFlightDate("24.09.2004"), QDate(2004, 9, 24));
    EXPECT_FALSE(parseFlightDate("31.02.04"));
    EXPECT_FALSE(parseFlightDate("24.09.1999"));
    EXPECT_FALSE(parseFlightDate("4.9.04"));
    EXPECT_FALSE(parseFlightDate(""));
    EXPECT_EQ(formatShortDate(QDate(2004, 9, 5)), "05.09.04");
}

TEST(ErrorType, TextIsNumberColonDescription) {
    EXPECT_EQ(Error::overflow().text(), "6: Переполнение");
    EXPECT_EQ(Error(3265, "нет запроса").text(), "3265: нет запроса");
}

// The program's own files: one rule for the build tree and an installed program.
TEST(ProgramFiles, InstalledBesideShareKorvelantaElseBesideTheExecutable) {
    QTemporaryDir root;
    QDir().mkpath(root.filePath("usr/bin"));
    const korv::ProgramFiles build = korv::programFilesBeside(root.filePath("usr/bin"));
    EXPECT_FALSE(build.installed);
    EXPECT_EQ(build.dataDir, root.filePath("usr/bin"));
    EXPECT_EQ(build.libraryDir, root.filePath("usr/bin"));
    EXPECT_EQ(build.controlDir, root.filePath("usr/bin"));
    EXPECT_EQ(build.helpDocument(), root.filePath("usr/bin/Help/Korvelanta.HLP"));

    QDir().mkpath(root.filePath("usr/share/korvelanta"));
    const korv::ProgramFiles installed = korv::programFilesBeside(root.filePath("usr/bin"));
    EXPECT_TRUE(installed.installed);
    EXPECT_EQ(installed.referenceDatabase(), root.filePath("usr/share/korvelanta/FlightTables1.mdb"));
    // lib/korvelanta, or lib/<multiarch>/korvelanta when configured for /usr on Debian.
    EXPECT_TRUE(installed.libraryDir.startsWith(root.filePath("usr/lib/"))) << installed.libraryDir.toStdString();
    EXPECT_TRUE(installed.libraryDir.endsWith("/korvelanta"));
    EXPECT_EQ(installed.controlDir, installed.libraryDir + "/controls");
}
