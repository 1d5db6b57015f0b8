#include "fake_tables.h"
#include "flight/shift_calculation.h"
#include "support/worked_shift.h"

#include <gtest/gtest.h>

using namespace korv;
using namespace korv::flight;

namespace {

class ShiftCalculationTest : public ::testing::Test {
protected:
    ShiftCalculationTest() : session(tables) { fillWorkedCase(); }

    // 8 баллы, base 600, top 900, visibility 10 km, maximum altitude 3000 m, one flight of an hour
    // by day in a Л-39, no hood.
    void fillWorkedCase() {
        // The worked shift of an hour on exercise 5.
        InputForm& f = session.form;
        f = korv::test::workedShift();
        f.txtTpolMin = QStringLiteral("0");
        f.txtUpr = QStringLiteral("5");
        session.RefreshInputState();
    }

    void press() { dialogs.messages = session.cmdOK_Click(); }

    QStringList titles() const {
        QStringList t;
        for (const auto& m : dialogs.messages)
            t << m.title;
        return t;
    }

    FakeTables tables = makeFakeTables();
    ShiftSession session;
    // What the last press said.
    struct {
        Notices messages;
    } dialogs;
};

} // namespace

TEST_F(ShiftCalculationTest, WorkedCaseInAndAboveTheCloudsCountsAsComplexWeather) {
    press();
    const WorkingValues& v = session.values();
    // Below 600 m: 300 s; in clouds 600..900 m: 160 s (between the 500 and 1000 m tops at row 600);
    // above: 3600 - 300 - 160 = 3140 s. In minutes: 5, 3 (2.67), 52 (52.33).
    EXPECT_EQ(v.BelowCloudTime, 5);
    EXPECT_EQ(v.CloudTime, 3);
    EXPECT_EQ(v.AboveCloudTime, 52);
    EXPECT_EQ(v.LowWeatherTime, 0);
    EXPECT_EQ(v.SmuTime, 55);
    EXPECT_EQ(session.form.txtSMU, (ResultBox{"0.55", true}));
    EXPECT_EQ(session.form.txtObl, (ResultBox{"0.03", true}));
    EXPECT_EQ(session.form.txtZakKab, (ResultBox{"", false}));
    EXPECT_EQ(session.form.txtUMP, (ResultBox{"", false}));
    EXPECT_TRUE(session.form.cmdWriteEnabled);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(session.PeriodMonth, "09");
    EXPECT_EQ(
        session.ExerciseQuery,
        "SELECT ExercisesKLP.exercise, ExercisesKLP.OpisKratko From ExercisesKLP WHERE ExercisesKLP.exercise = 5;");
}

TEST_F(ShiftCalculationTest, FewCloudsWithLowVisibilityCountTheWholeFlightAndNoHood) {
    session.form.txtBal = "6";
    session.form.txtVidKm = "3";
    session.form.txtShtorkaZ = "200";
    session.form.txtShtorkaO = "300";
    press();
    EXPECT_EQ(session.values().LowWeatherTime, 60);
    EXPECT_EQ(session.form.txtSMU.text, "1.00");
    EXPECT_FALSE(session.form.txtZakKab.visible);
    EXPECT_FALSE(session.form.txtObl.visible);
}

TEST_F(ShiftCalculationTest, FewCloudsWithTheHoodCountOnlyTheClosedCabin) {
    session.form.txtBal = "6";
    session.form.txtVidKm = "5";
    session.form.txtShtorkaZ = "200";
    session.form.txtShtorkaO = "300";
    press();
    // Mean hood height 250 m: 125 s below it; 3600 - 125 = 3475 s = 57.9 min.
    EXPECT_EQ(session.form.txtZakKab, (ResultBox{"0.58", true}));
    EXPECT_EQ(session.values().SmuTime, 0);
    EXPECT_FALSE(session.form.txtSMU.visible);
    // A height of 0 in either box: the hood is not used.
    session.form.txtShtorkaO = "0";
    press();
    EXPECT_EQ(session.form.txtZakKab, (ResultBox{"", false}));
}

TEST_F(ShiftCalculationTest, BelowTheCloudsInBadWeatherTheHoodSplitsTheFlight) {
    session.form.txtHpol = "200"; // stays below the 600 m base
    session.form.txtVidKm = "2";  // below minima
    session.form.txtShtorkaZ = "100";
    session.form.txtShtorkaO = "300";
    press();
    const WorkingValues& v = session.values();
    // Mean 200 m: 100 s below it with the hood open; the rest closed.
    EXPECT_EQ(v.HoodOpenTime, 2);     // 100 s
    EXPECT_EQ(v.ClosedCabinTime, 58); // 3500 s
    EXPECT_EQ(v.LowWeatherTime, 2);
    EXPECT_EQ(session.form.txtUMP.visible, false); // txtPos is empty
}

TEST_F(ShiftCalculationTest, InputCorrectionsShowOnTheForm) {
    session.form.txtBal = "12";
    session.form.txtZah = "2";
    session.form.txtPos = "3";
    press();
    EXPECT_EQ(session.form.txtBal, "10");
    EXPECT_EQ(session.form.txtPos, "2");
    // "10" approaches against "9" landings: numbers, not texts, are compared.
    session.form.txtZah = "10";
    session.form.txtPos = "9";
    press();
    EXPECT_EQ(session.form.txtPos, "9");
}

TEST_F(ShiftCalculationTest, NoTopMeans12000AndNoVisibilityMeans10Km) {
    session.form.txtHv.clear();
    session.form.txtVidKm.clear();
    press();
    const WorkingValues& v = session.values();
    EXPECT_EQ(v.CloudTop, 12000);
    EXPECT_EQ(v.Visibility, 10.0f);
    EXPECT_EQ(session.ColumnKey, 12000);
    // Top above the maximum altitude: everything after the climb to the base and before the descent
    // from it is in clouds: 3600 - 300 s = 55 min.
    EXPECT_EQ(v.CloudTime, 55);
    // Another type keys the in-cloud table by thickness: 12000 - 600.
    session.form.cboTyp = QStringLiteral("Су-27");
    press();
    EXPECT_EQ(session.ColumnKey, 11400);
}

TEST_F(ShiftCalculationTest, SevenTenthsAtTheCloudBaseReachTheClouds) {
    session.form.txtBal = "7";
    session.form.txtHpol = "600";
    press();
    // Top 900 m is above the maximum altitude: in clouds the whole flight less the time below.
    EXPECT_EQ(session.values().CloudTime, 55);
    session.form.txtBal = "6";
    press();
    EXPECT_EQ(session.values().CloudTime, 0);
}

TEST_F(ShiftCalculationTest, SeveralFlightsAboveAndInsideTheClouds) {
    session.form.txtPol = "2";
    press();
    // Above: the cloud time doubles and the complex weather loses one more below-cloud time.
    EXPECT_EQ(session.values().CloudTime, 6);
    EXPECT_EQ(session.values().SmuTime, 50);
    EXPECT_EQ(session.form.txtObl.text, "0.06");
    // Inside (top above the maximum altitude): flight time less one below-cloud time per flight.
    session.form.txtHpol = "800";
    press();
    EXPECT_EQ(session.values().CloudTime, 50);
    EXPECT_EQ(session.values().SmuTime, 50);
    // Top equal to the maximum altitude: nothing changes.
    session.form.txtHpol = "900";
    press();
    EXPECT_EQ(session.values().CloudTime, 55);
}

TEST_F(ShiftCalculationTest, SeveralFlightsBelowOrWithoutCloudsCountNoCloudTime) {
    session.form.txtPol = "3";
    session.form.txtBal = "2";
    press();
    EXPECT_EQ(session.values().CloudTime, 0);
    EXPECT_FALSE(session.form.txtObl.visible);
    session.form.txtBal = "8";
    session.form.txtHpol = "500"; // below the base
    press();
    EXPECT_EQ(session.values().CloudTime, 0);
    EXPECT_FALSE(session.form.txtObl.visible);
}

TEST_F(ShiftCalculationTest, RoundingCorrectionsMakeThePartsAddUpToTheFlightTime) {
    // Below minima in the clouds, base 250 m: below 125 s (2.08 min -> 2), in clouds 325 s
    // (5.42 -> 5), above 3150 s (52.5 -> 52): 59 minutes of 60, so the cloud time gains one.
    session.form.txtVidKm = "2";
    session.form.txtHn = "250";
    press();
    const WorkingValues& v = session.values();
    EXPECT_EQ(v.LowWeatherTime, 2);
    EXPECT_EQ(v.AboveCloudTime, 52);
    EXPECT_EQ(v.CloudTime, 6);
    EXPECT_EQ(v.SmuTime, 60);
    // Base 600 m and 3615 s (60.25 -> 60 min): 5 + 3 + 53 (3155 s = 52.6) = 61, so the time above
    // the clouds loses one.
    session.form.txtHn = "600";
    session.form.txtTpolMin = "0,25";
    press();
    EXPECT_EQ(v.FlightSeconds, 60);
    EXPECT_EQ(v.AboveCloudTime, 52);
    EXPECT_EQ(v.CloudTime, 3);
    EXPECT_EQ(v.SmuTime, 60);
    // With a hood height entered there is no correction.
    session.form.txtShtorkaZ = "100";
    press();
    EXPECT_EQ(v.AboveCloudTime, 53);
}

TEST_F(ShiftCalculationTest, ZeroHidesANegativeResultStaysEmptyWithoutHiding) {
    session.form.txtBal = "0";
    session.form.txtShtorkaZ = "1000";
    session.form.txtShtorkaO = "1000";
    press();
    EXPECT_EQ(session.form.txtZakKab, (ResultBox{"0.52", true})); // 3600 - 500 s
    session.form.txtTpolChas = "0";
    session.form.txtTpolMin = "1"; // 60 - 500 s < 0
    press();
    EXPECT_EQ(session.form.txtZakKab, (ResultBox{"", true}));
    session.form.txtShtorkaZ.clear();
    press();
    EXPECT_EQ(session.form.txtZakKab, (ResultBox{"", false}));
}

TEST_F(ShiftCalculationTest, FlightTimeOverflowsAfterNineHoursSixMinutes) {
    session.form.txtBal = "0";
    session.form.txtTpolChas = "9";
    session.form.txtTpolMin = "06";
    press();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(session.values().FlightSeconds, 546);
    session.form.txtTpolMin = "07";
    press();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].title, "Ошибка переполнения");
    EXPECT_EQ(dialogs.messages[0].text,
              "Переполнение текстового окна ввода данных. Уберите лишний символ. (налёт, ч и мин)");
    // Too long an altitude text overflows too.
    session.form.txtTpolMin = "0";
    session.form.txtHv = "99999";
    press();
    EXPECT_EQ(titles(), QStringList{"Ошибка переполнения"});
    EXPECT_TRUE(dialogs.messages[0].text.endsWith(" (облачность, Нв)"));
}

TEST_F(ShiftCalculationTest, AFailureNamesTheBoxItCameFrom) {
    struct Case {
        const char* what;
        QString InputForm::*box;
        QString text;
        QString ending;
    };
    const Case cases[] = {
        {"hours", &InputForm::txtTpolChas, "1,5x", "«1,5x» не число (налёт, ч)"},
        {"minutes", &InputForm::txtTpolMin, "а", "«а» не число (налёт, мин)"},
        {"flights", &InputForm::txtPol, "два", "(полётов)"},
        {"base", &InputForm::txtHn, "40000", "(облачность, Нн)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fillWorkedCase();
        session.form.*c.box = c.text;
        press();
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_TRUE(dialogs.messages[0].text.endsWith(c.ending)) << dialogs.messages[0].text.toStdString();
        EXPECT_FALSE(session.form.cmdWriteEnabled);
    }
    // A height the reference tables do not reach: the two cloud boxes it came from.
    fillWorkedCase();
    session.form.cboTyp = QStringLiteral("Су-27");
    session.form.txtHn = "2000";
    session.form.txtHv = "600";
    press();
    ASSERT_EQ(titles(), QStringList{"Error in #MODULE#.#PROC#"});
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("13: "));
    EXPECT_TRUE(dialogs.messages[0].text.endsWith(" (облачность, Нн и Нв)")) << dialogs.messages[0].text.toStdString();
}

TEST_F(ShiftCalculationTest, MinutesPastTheHourAreRefusedBeforeAnythingIsComputed) {
    press();
    ASSERT_TRUE(session.form.cmdWriteEnabled);
    for (const char* minutes : {"60", "99", "-5", " 75 "}) {
        SCOPED_TRACE(minutes);
        session.form.txtTpolMin = minutes;
        press();
        ASSERT_EQ(titles(), QStringList{"Проверка данных"});
        EXPECT_TRUE(dialogs.messages[0].text.startsWith("В окне «налёт, мин» стоит «"));
        EXPECT_FALSE(session.form.cmdWriteEnabled);
        EXPECT_EQ(session.form.txtSMU.text, ""); // nothing of the last calculation stays shown
    }
    session.form.txtTpolMin = "59";
    press();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(session.form.cmdWriteEnabled);
}

TEST_F(ShiftCalculationTest, ResultsBelongOnlyToTheInputsTheyWereComputedFrom) {
    press();
    ASSERT_TRUE(session.form.cmdWriteEnabled);
    EXPECT_TRUE(session.resultsCurrent());
    session.form.txtObl.text = "0.40"; // a result corrected by hand is the pilot's
    EXPECT_TRUE(session.resultsCurrent());
    session.form.txtHv = "1200";
    EXPECT_FALSE(session.resultsCurrent());
    session.form.txtHv = "900";
    EXPECT_TRUE(session.resultsCurrent());
    session.inputChanged();
    EXPECT_FALSE(session.form.cmdWriteEnabled);
    press();
    session.form.optTeacher = true;
    EXPECT_FALSE(session.resultsCurrent());
}

TEST_F(ShiftCalculationTest, NoAltitudeStopsWithItsMessage) {
    press();
    session.form.txtHpol = "";
    press();
    EXPECT_EQ(titles(), QStringList{"Высота"});
    EXPECT_EQ(dialogs.messages[0].text, "На такой высоте можно только ползать. Не забывайте вводить высоту.");
    EXPECT_EQ(session.form.txtSMU.text, "");
    EXPECT_TRUE(session.form.txtSMU.visible);   // cleared, visibility untouched
    EXPECT_FALSE(session.form.cmdWriteEnabled); // nothing computed to write
}

TEST_F(ShiftCalculationTest, BadNumbersFailWithTheGeneralMessageAfterEarlierCorrections) {
    session.form.txtBal = "12";
    session.form.txtPol = "";
    press();
    EXPECT_EQ(titles(), QStringList{"Error in #MODULE#.#PROC#"});
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("13: "));
    EXPECT_EQ(session.form.txtBal, "10");
    EXPECT_FALSE(session.form.cmdWriteEnabled);
    session.form.txtPol = "1";
    session.form.txtTpolMin = "5-";
    press();
    EXPECT_EQ(titles(), QStringList{"Error in #MODULE#.#PROC#"});
}

TEST_F(ShiftCalculationTest, CheckEntryWarnsAboutMissingRecordData) {
    session.form.optPrivate = false;
    press();
    EXPECT_EQ(titles(), QStringList{"Проверка данных"});
    EXPECT_EQ(dialogs.messages[0].text, "Не все необходимые данные внесены. Исправьте и снова нажмите Считать.");
    EXPECT_FALSE(session.form.cmdWriteEnabled);
    EXPECT_EQ(session.form.txtSMU.text, "0.55"); // the results are shown all the same
    session.form.optPrivate = true;
    session.form.txtUpr.clear();
    press();
    EXPECT_EQ(titles(), QStringList{"Проверка данных"});
}

TEST_F(ShiftCalculationTest, AnExerciseOfTheOtherTimeOfDaysListsIsWrittenWithAWarning) {
    // Exercise 5 is in the day lists: by night it counts in no night category of the totals.
    session.form.optDSMU = false;
    session.form.optNSMU = true;
    session.RefreshInputState();
    press();
    ASSERT_EQ(titles(), QStringList{"Упражнение и время суток"});
    EXPECT_EQ(dialogs.messages[0].text.toStdString(),
              "Упражнение 5 стоит в дневных списках итогов, а полёт ночью: итоги сочтут его только в строке "
              "«Итого … Ночь», ни в контрольном, ни в тренировочном ночном налёте.");
    EXPECT_EQ(dialogs.messages[0].icon, Notice::Icon::Warning);
    EXPECT_TRUE(session.form.cmdWriteEnabled); // a warning, not a refusal
    // A night exercise by night, and an instructor's flight (counted as such), say nothing.
    session.form.txtUpr = "102";
    press();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    session.form.txtUpr = "5";
    session.form.optPrivate = false;
    session.form.optTeacher = true;
    press();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    // A night exercise by day.
    session.form.optTeacher = false;
    session.form.optPrivate = true;
    session.form.optNSMU = false;
    session.form.optDSMU = true;
    session.form.txtUpr = "102";
    session.RefreshInputState();
    press();
    ASSERT_EQ(titles(), QStringList{"Упражнение и время суток"});
    EXPECT_TRUE(dialogs.messages[0].text.contains("«Итого … День»"));
}

TEST_F(ShiftCalculationTest, APressWhileCalculateIsDisabledChangesNothing) {
    FakeTables t = makeFakeTables();
    ShiftSession fresh(t);
    fresh.form.cboTyp = QStringLiteral("Л-39");
    fresh.RefreshInputState(); // minutes still empty
    EXPECT_FALSE(fresh.form.cmdOKEnabled);
    dialogs.messages = fresh.cmdOK_Click();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(t.reads.isEmpty());
    fresh.form.txtTpolMin = "5";
    fresh.RefreshInputState();
    EXPECT_TRUE(fresh.form.cmdOKEnabled);
    fresh.form.txtTpolMin.clear();
    fresh.RefreshInputState();
    EXPECT_TRUE(fresh.form.cmdOKEnabled); // never disabled again
}

TEST_F(ShiftCalculationTest, LettersFollowTheOptionsAndTheType) {
    EXPECT_EQ(session.DayNightLetter, "Д");
    EXPECT_EQ(session.SeatLetter, "П");
    session.form.cboTyp = QStringLiteral("Су-24");
    session.RefreshInputState();
    EXPECT_EQ(session.SeatLetter, "Л");
    session.form.optForward = false;
    session.form.optBack = true;
    session.RefreshInputState();
    EXPECT_EQ(session.SeatLetter, "Пр");
    session.form.optDSMU = false;
    session.RefreshInputState();
    EXPECT_EQ(session.DayNightLetter, "Д"); // neither chosen: the letter stays
}

TEST_F(ShiftCalculationTest, MinimaAndTablesLastFromOnePressToTheNext) {
    press();
    EXPECT_EQ(session.minima().BaseMin1, 250);
    session.form.optDSMU = false;
    session.form.optNSMU = true;
    press();
    EXPECT_EQ(session.minima().BaseMin1, 300);
    EXPECT_EQ(session.minima().VisMin2, 5.0f);
    session.form.optNSMU = false; // neither: the night minima stay
    session.form.cboTyp = QStringLiteral("МиГ-29");
    press();
    EXPECT_EQ(session.minima().BaseMin1, 300);
    EXPECT_EQ(session.PodTable, "Z_Time_Pod_MiG29");
    // A type outside the list keeps the previous tables and the exercise query.
    session.form.cboTyp = QStringLiteral("Ан-2");
    session.form.txtUpr = "7";
    press();
    EXPECT_EQ(session.PodTable, "Z_Time_Pod_MiG29");
    EXPECT_TRUE(session.ExerciseQuery.endsWith("= 5;"));
}

TEST_F(ShiftCalculationTest, LandingsAtMinimumOnlyForTheL39AndStrictlyBelowTheLimits) {
    session.form.txtZah = "2";
    session.form.txtPos = "2";
    session.form.txtVidKm = "3"; // exactly 3.0 km: not below
    press();
    EXPECT_EQ(session.form.txtUMP, (ResultBox{"", false}));
    session.form.txtVidKm = "2";
    session.form.txtVidSm = "9";
    press();
    EXPECT_EQ(session.form.txtUMP, (ResultBox{"2", true}));
    session.form.txtVidKm = "10";
    session.form.txtVidSm = "";
    session.form.txtHn = "300";
    press();
    EXPECT_EQ(session.form.txtUMP, (ResultBox{"", false}));
    session.form.txtHn = "250";
    press();
    EXPECT_EQ(session.form.txtUMP, (ResultBox{"2", true}));
    // Another type after a Л-39: no УМП whatever the weather.
    session.form.cboTyp = QStringLiteral("Су-25");
    press();
    EXPECT_EQ(session.form.txtUMP, (ResultBox{"", false}));
}

TEST_F(ShiftCalculationTest, AMissingTableQueryIsAGeneralErrorNamingIt) {
    tables.tables.remove("Z_Time_Obl_L39");
    press();
    ASSERT_EQ(titles(), QStringList{"Error in #MODULE#.#PROC#"});
    EXPECT_TRUE(dialogs.messages[0].text.contains("Z_Time_Obl_L39"));
    // Even when the in-cloud table is not needed for the value, it is opened.
    session.form.txtHpol = "800";
    press();
    EXPECT_EQ(titles(), QStringList{"Error in #MODULE#.#PROC#"});
}
