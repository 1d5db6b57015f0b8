#include "common/error.h"
#include "fake_tables.h"
#include "flight/flight_record.h"
#include "logbook/logbook.h"
#include "support/worked_shift.h"

#include <gtest/gtest.h>

using namespace korv;
using namespace korv::flight;

namespace {

namespace column = logbook::records::column;
using logbook::PairCells;
using logbook::Reading;

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
        const Notices said = session.cmdOK_Click();
        ASSERT_TRUE(said.isEmpty()) << said[0].text.toStdString();
    }

    // The record the shift makes, read back as the logbook reads it.
    logbook::Record record() { return logbook::readRecord(buildFlightRecord(session, kDescription)); }

    FakeTables tables = makeFakeTables();
    ShiftSession session;
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
    EXPECT_EQ(typedValue("2"), QVariant(2.0));
    EXPECT_EQ(typedValue(" 2,5 "), QVariant(2.5));
    EXPECT_EQ(typedValue("2a"), QVariant(QStringLiteral("2a")));
    EXPECT_FALSE(typedValue(""));
    EXPECT_EQ(decimalCommaText(0.5), "0,5");
    EXPECT_EQ(decimalCommaText(3), "3");
    EXPECT_EQ(decimalCommaText(3.25), "3,25");
}

TEST_F(FlightRecordTest, AnOwnFlightFillsEveryColumn) {
    const PairCells c = buildFlightRecord(session, kDescription);
    const logbook::Record r = logbook::readRecord(c);
    EXPECT_EQ(r.date, QDate(2004, 9, 5));
    EXPECT_TRUE(logbook::sameCell(c.first[column::A], QDate(2004, 9, 5)));
    EXPECT_EQ(r.type, "Л-39");
    EXPECT_EQ(r.dayNight, "Д");
    EXPECT_EQ(r.seat, "П");
    EXPECT_EQ(r.exercise, "Упр.  7 КП. День. Полёт по кругу");
    EXPECT_EQ(c.first[column::F], QVariant(1.0));
    EXPECT_EQ(r.total.minutes, Minutes(65)); // "1" and "5" are 1:05
    EXPECT_EQ(r.total.reading, Reading::Number);
    EXPECT_EQ(r.hood.reading, Reading::Empty); // no hood
    // The calculation's minutes, not the text of the boxes: 0.57 and 0.03 show what was computed.
    EXPECT_EQ(r.smu.minutes, Minutes(session.values().SmuTime.value()));
    EXPECT_EQ(r.clouds.minutes, Minutes(session.values().CloudTime.value()));
    EXPECT_EQ(c.first[column::K], QVariant(3.0));
    EXPECT_EQ(c.first[column::L], QVariant(8.0));
    EXPECT_EQ(c.first[column::M], QVariant(900.0));
    EXPECT_EQ(c.second[column::M], QVariant(600.0));
    EXPECT_EQ(c.first[column::N], QVariant(2.9));
    EXPECT_EQ(r.takeOffs.value, 1);
    EXPECT_EQ(r.system, "ОСП");
    EXPECT_EQ(r.approaches.value, 2);
    EXPECT_EQ(r.landings.value, 2);
    EXPECT_EQ(r.minimumLandings.value, 2); // 2.9 km: landings at minimum
    // Nothing else: the second row holds the cloud base only, T, U and V stay as the laid-out pair has them.
    for (int col = column::A; col <= column::V; ++col) {
        if (col != column::M) {
            EXPECT_TRUE(logbook::isEmptyCell(c.second[std::size_t(col)])) << col;
        }
    }
    for (int col : {column::H, column::T, column::U, column::V})
        EXPECT_TRUE(logbook::isEmptyCell(c.first[std::size_t(col)])) << col;
}

TEST_F(FlightRecordTest, ACrewFlightLeavesComplexWeatherAndLandingColumnsEmpty) {
    session.form.optPrivate = false;
    session.form.optGavno = true;
    calculate();
    ASSERT_FALSE(session.form.txtSMU.text.isEmpty());
    const PairCells c = buildFlightRecord(session, kDescription);
    for (int col : {column::I, column::J, column::O, column::P, column::Q, column::R, column::S})
        EXPECT_TRUE(logbook::isEmptyCell(c.first[std::size_t(col)])) << col;
    EXPECT_EQ(record().exercise, "В сост. эк. День. Полёт по кругу по упр.7");
}

TEST_F(FlightRecordTest, AnInstructorFlightWritesIAndTheNextOwnFlightTheSeatAgain) {
    session.form.optPrivate = false;
    session.form.optTeacher = true;
    EXPECT_EQ(record().seat, "И");
    session.form.optTeacher = false;
    session.form.optPrivate = true;
    EXPECT_EQ(record().seat, "П");
}

TEST_F(FlightRecordTest, AltitudeCloudsAndTimesThePilotCorrectedByHand) {
    session.form.txtHmin = "500";
    session.form.txtHv.clear();
    session.form.txtHn.clear();
    session.form.txtZakKab.text = "10.30"; // ten hours and more keep all their hours
    session.form.txtObl.text = "0.05";
    const PairCells c = buildFlightRecord(session, kDescription);
    EXPECT_EQ(c.first[column::K], QVariant(QStringLiteral("3/0,5")));
    EXPECT_EQ(c.first[column::M], QVariant(QStringLiteral("---")));
    EXPECT_EQ(c.second[column::M], QVariant(QStringLiteral("---")));
    const logbook::Record r = logbook::readRecord(c);
    EXPECT_EQ(r.hood.minutes, Minutes(630));
    EXPECT_EQ(r.clouds.minutes, Minutes(5));
    // A box corrected into something that is no H.MM is written as its first character and last two.
    session.form.txtObl.text = "1:5";
    EXPECT_EQ(buildFlightRecord(session, kDescription).first[column::J], QVariant(QStringLiteral("1::5")));
}

TEST_F(FlightRecordTest, BadDatesAndExerciseNumbersAreRefused) {
    for (const char* date : {"", "5.9.04", "31.09.04", "05.09.1999", "05/09/04"}) {
        session.form.txtDate = date;
        EXPECT_THROW(buildFlightRecord(session, kDescription), Error) << date;
    }
    session.form.txtDate = "05.09.2004";
    EXPECT_EQ(record().date, QDate(2004, 9, 5));
    session.form.txtUpr = "7a";
    EXPECT_THROW(buildFlightRecord(session, kDescription), Error);
}
