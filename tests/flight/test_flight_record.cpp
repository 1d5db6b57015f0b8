#include "common/error.h"
#include "fake_tables.h"
#include "flight/flight_record.h"
#include "support/worked_shift.h"

#include <gtest/gtest.h>

using namespace korv;
using namespace korv::flight;

namespace {

const QString kDescription = QStringLiteral("КП. День. Полёт по кругу");

class FlightRecordTest : public ::testing::Test {
protected:
    FlightRecordTest() : session(tables) {
        // The worked shift of 1 h 05 min at 2.9 km, with landings and a take-off at minimum.
        InputForm& f = session.form;
        f = korv::test::withLandings(korv::test::workedShift());
        f.txtTpolMin = "5";
        f.txtVidKm = "2";
        f.txtVidSm = "9";
        f.txtVzl = "1";
        session.RefreshInputState();
        calculate();
    }

    void calculate() {
        session.cmdOK_Click(dialogs);
        ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages[0].text.toStdString();
    }

    FakeTables tables = makeFakeTables();
    ShiftSession session;
    RecordingDialogs dialogs;
};

} // namespace

TEST(RecordTextTest, TheThreeFlightKinds) {
    EXPECT_EQ(RecordText(FlightKind::Private, 7, kDescription), "Упр.  7 КП. День. Полёт по кругу");
    EXPECT_EQ(RecordText(FlightKind::Private, 12, kDescription), "Упр. 12 КП. День. Полёт по кругу");
    EXPECT_EQ(RecordText(FlightKind::Private, 123, kDescription), "Упр.123 КП. День. Полёт по кругу");
    EXPECT_EQ(RecordText(FlightKind::Teacher, 5, kDescription), "Инстр. по упр.5 Полёт по кругу");
    EXPECT_EQ(RecordText(FlightKind::Crew, 5, kDescription), "В сост. эк. День. Полёт по кругу по упр.5");
    // Descriptions shorter than the cut leave nothing of themselves.
    EXPECT_EQ(RecordText(FlightKind::Teacher, 5, "abc"), "Инстр. по упр.5 ");
}

TEST(TypedValueTest, NumbersBecomeNumbersAndTheRestStaysText) {
    EXPECT_EQ(typedValue("2"), CellValue::ofNumber(2));
    EXPECT_EQ(typedValue(" 2,5 "), CellValue::ofNumber(2.5));
    EXPECT_EQ(typedValue("2a"), CellValue::ofText("2a"));
    EXPECT_FALSE(typedValue(""));
    EXPECT_EQ(decimalCommaText(0.5), "0,5");
    EXPECT_EQ(decimalCommaText(3), "3");
    EXPECT_EQ(decimalCommaText(3.25), "3,25");
}

TEST_F(FlightRecordTest, AnOwnFlightFillsEveryColumn) {
    const FlightRecord r = buildFlightRecord(session, kDescription);
    EXPECT_EQ(r.date, QDate(2004, 9, 5));
    EXPECT_EQ(*r.cell('A'), CellValue::ofDate(QDate(2004, 9, 5)));
    EXPECT_EQ(*r.cell('B'), CellValue::ofText("Л-39"));
    EXPECT_EQ(*r.cell('C'), CellValue::ofText("Д"));
    EXPECT_EQ(*r.cell('D'), CellValue::ofText("П"));
    EXPECT_EQ(*r.cell('E'), CellValue::ofText("Упр.  7 КП. День. Полёт по кругу"));
    EXPECT_EQ(*r.cell('F'), CellValue::ofNumber(1));
    EXPECT_EQ(*r.cell('G'), CellValue::ofMinutes(65)); // "1" and "5" are 1:05
    EXPECT_EQ(r.cell('H'), nullptr);                   // no hood
    EXPECT_EQ(r.cell('I')->kind, CellValue::Kind::Time);
    EXPECT_EQ(*r.cell('K'), CellValue::ofNumber(3));
    EXPECT_EQ(*r.cell('L'), CellValue::ofNumber(8));
    EXPECT_EQ(*r.cell('M', 0), CellValue::ofNumber(900));
    EXPECT_EQ(*r.cell('M', 1), CellValue::ofNumber(600));
    EXPECT_EQ(*r.cell('N'), CellValue::ofNumber(2.9));
    EXPECT_EQ(*r.cell('O'), CellValue::ofNumber(1));
    EXPECT_EQ(*r.cell('P'), CellValue::ofText("ОСП"));
    EXPECT_EQ(*r.cell('Q'), CellValue::ofNumber(2));
    EXPECT_EQ(*r.cell('R'), CellValue::ofNumber(2));
    EXPECT_EQ(*r.cell('S'), CellValue::ofNumber(2)); // 2.9 km: landings at minimum
}

TEST_F(FlightRecordTest, ACrewFlightLeavesComplexWeatherAndLandingColumnsEmpty) {
    session.form.optPrivate = false;
    session.form.optGavno = true;
    calculate();
    ASSERT_FALSE(session.form.txtSMU.text.isEmpty());
    const FlightRecord r = buildFlightRecord(session, kDescription);
    for (char c : {'I', 'J', 'O', 'P', 'Q', 'R', 'S'})
        EXPECT_EQ(r.cell(c), nullptr) << c;
    EXPECT_EQ(*r.cell('E'), CellValue::ofText("В сост. эк. День. Полёт по кругу по упр.7"));
}

TEST_F(FlightRecordTest, AnInstructorFlightWritesIAndTheNextOwnFlightTheSeatAgain) {
    session.form.optPrivate = false;
    session.form.optTeacher = true;
    EXPECT_EQ(*buildFlightRecord(session, kDescription).cell('D'), CellValue::ofText("И"));
    session.form.optTeacher = false;
    session.form.optPrivate = true;
    EXPECT_EQ(*buildFlightRecord(session, kDescription).cell('D'), CellValue::ofText("П"));
}

TEST_F(FlightRecordTest, AltitudeCloudsAndLongTimes) {
    session.form.txtHmin = "500";
    session.form.txtHv.clear();
    session.form.txtHn.clear();
    session.form.txtZakKab.text = "10.30"; // ten hours and more keep all their hours
    session.form.txtObl.text = "0.05";
    const FlightRecord r = buildFlightRecord(session, kDescription);
    EXPECT_EQ(*r.cell('K'), CellValue::ofText("3/0,5"));
    EXPECT_EQ(*r.cell('M', 0), CellValue::ofText("---"));
    EXPECT_EQ(*r.cell('M', 1), CellValue::ofText("---"));
    EXPECT_EQ(*r.cell('H'), CellValue::ofMinutes(630));
    EXPECT_EQ(*r.cell('J'), CellValue::ofMinutes(5));
}

TEST_F(FlightRecordTest, BadDatesAndExerciseNumbersAreRefused) {
    for (const char* date : {"", "5.9.04", "31.09.04", "05.09.1999", "05/09/04"}) {
        session.form.txtDate = date;
        EXPECT_THROW(buildFlightRecord(session, kDescription), Error) << date;
    }
    session.form.txtDate = "05.09.2004";
    EXPECT_EQ(buildFlightRecord(session, kDescription).date, QDate(2004, 9, 5));
    session.form.txtUpr = "7a";
    EXPECT_THROW(buildFlightRecord(session, kDescription), Error);
}
