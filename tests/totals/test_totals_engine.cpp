// The totals engine without an office: periods and their keys, the scan with its month headings, the
// aircraft type check, the ten category passes with their lists, captions, sums and status texts.

#include "common/date_serial.h"
#include "common/error.h"
#include "logbook/exercise_lists.h"
#include "logbook/record_layout.h"
#include "support/sheet_rows.h"
#include "totals/category_sums.h"
#include "totals/period.h"
#include "totals/selection.h"

#include <gtest/gtest.h>

#include <array>

using namespace korv;
using namespace korv::totals;
using korv::Minutes;

namespace {

class Recorded : public TotalsProgress {
public:
    void status(const QString& text) override { texts << text; }
    void range(int min, int max) override { ranges << qMakePair(min, max); }
    void value(int v) override { values << v; }
    QStringList texts;
    QList<QPair<int, int>> ranges;
    QList<int> values;
};

PeriodState period(PeriodOption o, const QDate& today, const QString& c = {}, const QString& po = {}) {
    PeriodState p;
    EXPECT_FALSE(SetPeriod(p, o, today, c, po));
    return p;
}

double serial(int y, int m, int d) { return korv::dateSerial(QDate(y, m, d)); }

// A record: date (a date value, or a text as typed), type, day/night, seat, exercise text, and the sums.
Entry record(const QVariant& date, const QString& exercise, const QString& dayNight = "Д", const QString& seat = "П",
             double flights = 1, int minutes = 60, const QVariant& q = 2.0, const QVariant& r = 2.0,
             const QVariant& s = QString(), const QString& type = "Л-39") {
    namespace column = logbook::records::column;
    logbook::PairCells c;
    c.first[column::A] = date;
    c.first[column::B] = type;
    c.first[column::C] = dayNight;
    c.first[column::D] = seat;
    c.first[column::E] = exercise;
    c.first[column::F] = flights;
    c.first[column::G] = minutes / 1440.0;
    c.first[column::I] = 30 / 1440.0;
    c.first[column::J] = 10 / 1440.0;
    c.first[column::O] = 1.0;
    c.first[column::Q] = q;
    c.first[column::R] = r;
    c.first[column::S] = s;
    return logbook::entryOf(logbook::records::kFirstRow, c);
}

// The entry with one cell of its first row changed, read again.
Entry with(const Entry& e, int column, const QVariant& value) {
    logbook::PairCells c = e.cells;
    c.first[std::size_t(column)] = value;
    return logbook::entryOf(e.row, c);
}

Entry heading(const QString& caption) {
    logbook::PairCells c;
    c.first[logbook::records::column::E] = caption;
    return logbook::entryOf(logbook::records::kFirstRow, c);
}

} // namespace

// ---- the period

TEST(Period, MonthsAndYearsFromToday) {
    struct {
        QDate today;
        PeriodOption option;
        const char* key;
        const char* month;
        const char* caption;
    } cases[] = {
        {{2026, 1, 15}, PeriodOption::LastMonth, "12.25", "12", "Декабрь  2025 г."},
        {{2026, 10, 1}, PeriodOption::LastMonth, "09.26", "09", "Сентябрь  2026 г."},
        {{2026, 11, 30}, PeriodOption::LastMonth, "10.26", "10", "Октябрь  2026 г."},
        {{2026, 12, 7}, PeriodOption::LastMonth, "11.26", "11", "Ноябрь  2026 г."},
        {{2026, 12, 7}, PeriodOption::CurrentMonth, "12.26", "12", "Декабрь  2026 г."},
        {{2000, 1, 3}, PeriodOption::LastMonth, "12.99", "12", "Декабрь  2099 г."}, // years lie in 2000-2099
        {{2010, 6, 1}, PeriodOption::LastYear, "09", "", "2009 год"},
        {{2026, 6, 1}, PeriodOption::LastYear, "25", "", "2025 год"},
        {{2026, 6, 1}, PeriodOption::CurrentYear, "26", "", "2026 год"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.today.toString().toStdString());
        const PeriodState p = period(c.option, c.today);
        EXPECT_EQ(p.PeriodKey, c.key);
        if (*c.month) {
            EXPECT_EQ(p.PeriodMonth, c.month);
        }
        EXPECT_EQ(PeriodCaption(p), c.caption);
        EXPECT_EQ(summaryCaption(p), QStringLiteral("Всего за ") + c.caption);
    }
}

TEST(Period, AFreePeriodKeepsItsDatesAsTypedAndRefusesWhatIsNoPeriod) {
    const PeriodState p = period(PeriodOption::FreePeriod, {2026, 1, 1}, "01.01.04", "31.12.2004");
    EXPECT_EQ(p.PeriodKey, "01.01.04");
    EXPECT_EQ(p.PeriodEnd, "31.12.2004");
    EXPECT_EQ(summaryCaption(p), "Всего с 01.01.04 по 31.12.2004");
    EXPECT_EQ(p.lastDay, QDate(2004, 12, 31));

    PeriodState kept = period(PeriodOption::CurrentYear, {2026, 1, 1});
    for (const auto& [c, po] : {std::pair("1.1.04", "31.12.04"), std::pair("01.01.04", "вчера"),
                                std::pair("31.02.04", "01.03.04"), std::pair("", "")}) {
        const auto refused = SetPeriod(kept, PeriodOption::FreePeriod, {2026, 1, 1}, c, po);
        ASSERT_TRUE(refused) << c << " " << po;
        EXPECT_TRUE(refused->contains("24.09.04")) << refused->toStdString();
    }
    const auto reversed = SetPeriod(kept, PeriodOption::FreePeriod, {2026, 1, 1}, "31.12.04", "01.01.04");
    ASSERT_TRUE(reversed);
    EXPECT_TRUE(reversed->contains("позже")) << reversed->toStdString();
    // A refusal leaves the state as the last run set it.
    EXPECT_EQ(kept.option, PeriodOption::CurrentYear);
    EXPECT_EQ(kept.PeriodKey, "26");
}

// ---- the scan

TEST(Scan, TheTwoDateFormsGiveTheSameKeysAndHeadingsAreNeverTaken) {
    const QList<Entry> entries = {heading("Сентябрь  2004 г."),
                                  record(serial(2004, 9, 24), "Упр.  7 а"),
                                  record(QString("24.09.04"), "Упр.  8 б"),
                                  record(QString("24.09.2004"), "Упр.  9 в"),
                                  heading("Октябрь  2004 г."),
                                  record(serial(2004, 10, 1), "Упр. 10 г")};
    Recorded progress;
    EXPECT_EQ(SelectEntries(entries, period(PeriodOption::LastMonth, {2004, 10, 5}), progress), (QList<int>{1, 2, 3}));
    EXPECT_EQ(SelectEntries(entries, period(PeriodOption::CurrentYear, {2004, 10, 5}), progress),
              (QList<int>{1, 2, 3, 5}));
    EXPECT_EQ(
        SelectEntries(entries, period(PeriodOption::FreePeriod, {2026, 1, 1}, "24.09.04", "01.10.2004"), progress),
        (QList<int>{1, 2, 3, 5}));
    EXPECT_TRUE(SelectEntries(entries, period(PeriodOption::LastYear, {2004, 10, 5}), progress).isEmpty());
}

TEST(Scan, BelowAHeadingTheYearModesJudgeByTheHeadingAndTheFreePeriodByTheRecord) {
    // A record entered out of order under a heading of another year.
    const QList<Entry> entries = {heading("Декабрь  2004 г."), record(serial(2005, 1, 2), "Упр.  7"),
                                  record(serial(2005, 1, 3), "Упр.  8")};
    Recorded progress;
    EXPECT_EQ(SelectEntries(entries, period(PeriodOption::LastYear, {2005, 3, 1}), progress), (QList<int>{1}));
    EXPECT_EQ(SelectEntries(entries, period(PeriodOption::CurrentYear, {2005, 3, 1}), progress), (QList<int>{2}));
    EXPECT_EQ(SelectEntries(entries, period(PeriodOption::FreePeriod, {2026, 1, 1}, "02.01.05", "02.01.05"), progress),
              (QList<int>{1}));
    // Both ends of a free period are in it; the free period says so when it passes a heading.
    progress = Recorded();
    EXPECT_EQ(SelectEntries(entries, period(PeriodOption::FreePeriod, {2026, 1, 1}, "02.01.05", "03.01.05"), progress),
              (QList<int>{1, 2}));
    EXPECT_EQ(progress.texts, QStringList{"Выборка за период с 02.01.05по  03.01.05"});
    EXPECT_EQ(progress.ranges, (QList<QPair<int, int>>{{0, 8}}));
    EXPECT_EQ(progress.values, (QList<int>{4, 6}));
}

// The message of the BadEntry error `f` throws; empty when it throws none.
template <typename F>
QString badEntry(F&& f) {
    try {
        f();
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::BadEntry) << e.what();
        return e.description();
    }
    return {};
}

// Sheet rows from row 7 as a block read gives them (columns A..U), a pair per entry given as {A, E, G}.
QList<QVariantList> block(const QList<std::array<QVariant, 3>>& pairs) {
    QList<QVariantList> rows;
    for (const auto& p : pairs) {
        QVariantList first(21, QString()), second(21, QString());
        first[0] = p[0];
        first[4] = p[1];
        first[6] = p[2];
        if (!isEmptyCell(p[0]) && !isEmptyCell(p[1]))
            first[1] = QString("Л-39"), first[2] = QString("Д");
        rows << first << second;
    }
    return rows;
}

TEST(Scan, HolesAreNoEndAndWhatCannotBeReadStopsTheRunUnlessItsDateLiesOutside) {
    const QVariant none = QString();
    // A heading, a record, a hole, a record whose exercise was cleared (dated 2003), a record after it.
    QList<Entry> entries = korv::test::entriesOf(block({{none, QString("Сентябрь  2004 г."), none},
                                                        {serial(2004, 9, 1), QString("Упр.  7"), 60 / 1440.0},
                                                        {none, none, none},
                                                        {serial(2003, 5, 1), none, 60 / 1440.0},
                                                        {serial(2004, 9, 3), QString("Упр.  8"), 60 / 1440.0}}));
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(entries[3].row, 14); // sheet row 15: the hole was passed over, not the end
    Recorded progress;
    EXPECT_EQ(SelectEntries(entries, period(PeriodOption::CurrentMonth, {2004, 9, 20}), progress), (QList<int>{1, 3}));
    // In its own period the record without an exercise cannot be counted: the run names it.
    const QString message = badEntry([&] {
        SelectEntries(entries, period(PeriodOption::CurrentYear, {2003, 9, 20}), progress);
    });
    EXPECT_TRUE(message.contains("строке 13")) << message.toStdString();
    EXPECT_TRUE(message.contains("01.05.2003")) << message.toStdString();
    EXPECT_TRUE(message.contains("столбце E")) << message.toStdString();

    // A date typed as no date can belong to any period.
    entries = korv::test::entriesOf(block({{QString("вчера"), QString("Упр.  7"), 60 / 1440.0}}));
    const QString noDate = badEntry([&] {
        SelectEntries(entries, period(PeriodOption::FreePeriod, {2026, 1, 1}, "01.01.04", "31.12.04"), progress);
    });
    EXPECT_TRUE(noDate.contains("строке 7")) << noDate.toStdString();
    EXPECT_TRUE(noDate.contains("«вчера»")) << noDate.toStdString();
    // A record whose date was cleared keeps its times: it is no month heading to pass over.
    entries = korv::test::entriesOf(block({{none, QString("Упр.  7"), 60 / 1440.0}}));
    EXPECT_FALSE(badEntry([&] {
                     SelectEntries(entries, period(PeriodOption::CurrentMonth, {2004, 9, 20}), progress);
                 }).isEmpty());
}

TEST(Scan, APairOutOfStepIsRefusedNamingItsRow) {
    QList<QVariantList> rows = block({{serial(2004, 9, 1), QString("Упр.  7"), 60 / 1440.0}});
    rows.prepend(QVariantList(21, QString())); // a row inserted above the record
    const QString message = badEntry([&] { korv::test::entriesOf(rows); });
    EXPECT_TRUE(message.startsWith("В строке 8 лётной книжки запись начинается не с нечётной строки"))
        << message.toStdString();
    EXPECT_TRUE(message.contains("удалите или вставьте одну строку выше и повторите")) << message.toStdString();
}

TEST(Scan, MixedAircraftTypesAreFound) {
    QList<Entry> selected = {record(serial(2004, 9, 1), "Упр.  7"), record(serial(2004, 9, 2), "Упр.  8")};
    Recorded progress;
    AircraftTypes t = CheckAircraftType(selected, progress);
    EXPECT_EQ(t.BookType, "Л-39");
    EXPECT_TRUE(t.OtherType.isEmpty());
    selected[1] = with(selected[1], logbook::records::column::B, QString("Су-25"));
    t = CheckAircraftType(selected, progress);
    EXPECT_EQ(t.OtherType, "Су-25");
    EXPECT_EQ(progress.texts.front(), "Проверка типа самолёта....");
    selected << record(serial(2004, 9, 3), "Упр.  9");
    EXPECT_EQ(typesText(countTypes(selected)), "Л-39 — 2, Су-25 — 1"); // in the order they first appear
}

// ---- the category passes

TEST(CategoryPasses, TheListsSplitTheExercisesAsTheCoursesDo) {
    int dayTraining = 0, dayControl = 0;
    for (int n = 1; n <= 98; ++n) {
        const QString text = QStringLiteral("%1").arg(n, 3);
        EXPECT_NE(logbook::inDayTrainingList(text), logbook::inDayControlList(text)) << n; // exactly one of them
        dayTraining += logbook::inDayTrainingList(text);
        dayControl += logbook::inDayControlList(text);
    }
    EXPECT_EQ(dayTraining, 61);
    for (int n = 201; n <= 227; ++n)
        dayControl += logbook::inDayControlList(QStringLiteral("%1").arg(n));
    EXPECT_EQ(dayControl, 64);
    int nightTraining = 0, nightControl = 0;
    for (int n = 100; n <= 240; ++n) {
        nightTraining += logbook::inNightTrainingList(QStringLiteral("%1").arg(n));
        nightControl += logbook::inNightControlList(QStringLiteral("%1").arg(n));
    }
    EXPECT_EQ(nightTraining, 23);
    EXPECT_EQ(nightControl, 19);
    EXPECT_TRUE(logbook::inDayTrainingList(" 94"));
    EXPECT_TRUE(logbook::inDayControlList(" 85"));
    EXPECT_TRUE(logbook::inDayTrainingList("  2"));
    EXPECT_FALSE(logbook::inDayTrainingList("2"));    // compared as the three characters of column E
    EXPECT_FALSE(logbook::inNightControlList("105")); // in no night list
}

TEST(CategoryPasses, EachFlightCountsInItsCategoriesAndTheTotalsTakeEveryFlight) {
    const QList<Entry> selected = {
        record(serial(2004, 9, 1), "Упр. 94 тренировочный", "Д", "П", 1, 70),
        record(serial(2004, 9, 2), "Упр. 85 контрольный", "Д", "П", 2, 50),
        record(serial(2004, 9, 3), "В сост. эк. полёт по упр.  7", "Д", "П", 1, 120, QString(), QString()),
        record(serial(2004, 9, 4), "Инстр. по упр.  7 полёт", "Д", "И", 1, 60),
        record(serial(2004, 9, 5), "Упр.105 ночной вне списков", "Н", "З", 1, 45),
    };
    Recorded progress;
    const CategoryBlock b = RunCategoryPasses(selected, "Л-39", progress);
    ASSERT_TRUE(b[0] && b[1] && b[2] && b[3] && b[4] && b[9]);
    EXPECT_FALSE(b[5] || b[6] || b[7] || b[8]); // night: only the total
    EXPECT_EQ(b[0]->caption, "          Контрольный        День");
    EXPECT_EQ(b[1]->caption, "          Тренировочный    День");
    EXPECT_EQ(b[2]->caption, "          Инструкторский   День");
    EXPECT_EQ(b[3]->caption, "          Прочий                  День");
    EXPECT_EQ(b[4]->caption, "Итого Л-39     День");
    EXPECT_EQ(b[9]->caption, "Итого Л-39     Ночь");
    // An instructor's or crew text has no exercise number in characters 5-7: neither control nor training.
    EXPECT_EQ(b[0]->sums.flights, 2);
    EXPECT_EQ(b[1]->sums.flights, 1);
    EXPECT_EQ(b[4]->sums.total, Minutes(70 + 50 + 120 + 60)); // all day time
    EXPECT_EQ(b[3]->sums.approaches, 0);                      // the crew flight: empty Q counts 0
    EXPECT_EQ(b[4]->sums.approaches, 6);
    EXPECT_EQ(b[9]->sums.total, Minutes(45));
}

TEST(CategoryPasses, TheSummaryRowsPutCaptionsAndSumsInTheirColumnsAndLeaveEmptyCategoriesEmpty) {
    const QList<Entry> selected = {record(serial(2004, 9, 1), "Упр. 94 тренировочный", "Д", "П", 2, 70)};
    Recorded progress;
    const QList<QVariantList> rows = summaryRows(RunCategoryPasses(selected, "Л-39", progress));
    ASSERT_EQ(rows.size(), 10);
    for (const QVariantList& r : rows)
        ASSERT_EQ(r.size(), 21); // A..U
    const QVariantList& training = rows[1];
    EXPECT_EQ(training[4].toString(), "          Тренировочный    День");
    EXPECT_EQ(training[5].toDouble(), 2);                 // F: flights
    EXPECT_NEAR(training[6].toDouble() * 1440, 70, 1e-9); // G: time
    EXPECT_EQ(training[16].toDouble(), 2);                // Q
    EXPECT_EQ(training[0].toString(), QString());         // nothing but the category's cells
    EXPECT_EQ(training[15].toString(), QString());
    for (int c = 0; c < 21; ++c)
        EXPECT_EQ(rows[0][c].toString(), QString()) << c; // control: no records, an empty row
    EXPECT_EQ(rows[4][4].toString(), "Итого Л-39     День");
}

TEST(CategoryPasses, SumsAreThoseASheetWouldGive) {
    // F 1, 2, 1 gives 4; times 1:10, 0:50, 2:00 give 4:00; a whole number typed as text counts as that
    // number; Q, R, S are whole numbers rounded half to even.
    QList<Entry> selected = {record(serial(2004, 9, 1), "Упр. 94", "Д", "П", 1, 70, 2.5, 1.0, 1.0),
                             record(serial(2004, 9, 2), "Упр. 94", "Д", "П", 2, 50, 3.5, QString("2"), QString()),
                             record(serial(2004, 9, 3), "Упр. 94", "Д", "П", 1, 120, 1.0, 1.0, QString())};
    selected[2] = with(selected[2], logbook::records::column::O, QString("1"));
    Recorded progress;
    const CategoryBlock b = RunCategoryPasses(selected, "Л-39", progress);
    ASSERT_TRUE(b[1]);
    EXPECT_EQ(b[1]->sums.flights, 4);
    EXPECT_EQ(b[1]->sums.total, Minutes(4 * 60));
    EXPECT_EQ(b[1]->sums.takeOffs, 3); // O: the text "1" counts
    EXPECT_EQ(b[1]->sums.approaches, 2 + 4 + 1);
    EXPECT_EQ(b[1]->sums.landings, 4);
    EXPECT_EQ(b[1]->sums.minimumLandings, 1);
    // The summary's cells: times as the spreadsheet's time values.
    const auto cells = sumCells(b[1]->sums);
    EXPECT_EQ(cells[0].toDouble(), 4);
    EXPECT_DOUBLE_EQ(cells[1].toDouble(), 4 / 24.0);
}

TEST(CategoryPasses, ACountThatIsNoWholeNumberIsRefusedNamingTheRecord) {
    const QList<Entry> selected = {record(serial(2004, 9, 24), "Упр. 94", "Д", "П", 1, 70, QString("2а"))};
    Recorded progress;
    try {
        RunCategoryPasses(selected, "Л-39", progress);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_TRUE(e.description().contains("24.09.2004")) << e.what();
        EXPECT_TRUE(e.description().contains("заходов")) << e.what();
        EXPECT_TRUE(e.description().contains("«2а»")) << e.what();
    }
    const QList<Entry> huge = {record(serial(2004, 9, 24), "Упр. 94", "Д", "П", 1, 70, 40000.0)};
    EXPECT_THROW(RunCategoryPasses(huge, "Л-39", progress), Error);
}

TEST(CategoryPasses, ATimeTypedAsTextCountsAndWhatCannotBeCountedIsRefusedNamingTheCell) {
    QList<Entry> selected = {record(serial(2004, 9, 1), "Упр. 94", "Д", "П", 1, 70),
                             record(serial(2004, 9, 2), "Упр. 94", "Д", "П", 1, 50)};
    selected[1] = with(with(selected[1], 6, QString(" 1:25 ")), 8, QString("0:20"));
    Recorded progress;
    CategoryBlock b = RunCategoryPasses(selected, "Л-39", progress);
    ASSERT_TRUE(b[1]);
    EXPECT_EQ(b[1]->sums.total, Minutes(70 + 85));
    EXPECT_EQ(b[1]->sums.smu, Minutes(30 + 20)); // the complex weather part stays within the flight time

    struct {
        int column;
        QVariant value;
        const char* named;
    } refused[] = {{6, QString("полтора"), "G «Налёт, общий» стоит «полтора»"},
                   {6, QString("1:75"), "G «Налёт, общий»"},
                   {5, QString("1а"), "F «Количество полётов»"},
                   {8, QVariant(), "I «в СМУ, всего» стоит ошибка вычисления"},
                   {2, QString("X"), "C «Время суток» стоит «X»"},
                   {1, QString(), "B «Тип самолёта» пусто"}};
    for (const auto& r : refused) {
        QList<Entry> bad = selected;
        bad[1] = with(bad[1], r.column, r.value);
        bad[1].row = 8;
        const QString message = badEntry([&] { RunCategoryPasses(bad, "Л-39", progress); });
        EXPECT_TRUE(message.contains("В строке 9 лётной книжки (запись от 02.09.2004) в столбце " + QString(r.named)))
            << message.toStdString();
    }
}

TEST(CategoryPasses, StatusTextsComeInThePassesOrder) {
    const QList<Entry> selected = {record(serial(2004, 9, 1), "Инстр. по упр.  7", "Д", "И"),
                                   record(serial(2004, 9, 2), "Упр.102", "Н")};
    Recorded progress;
    RunCategoryPasses(selected, "Л-39", progress);
    const QStringList expected = {
        "Выборка дневного контрольного налёта....",
        "Выборка тренировочного дневного налёта....",
        "Выборка дневного инструкторского налёта....",
        "Выборка инструкторского налёта днём....",
        "Вставка формул суммирования....",
        "Копирование дневного инструкторского налёта.....",
        "Выборка дневного прочего налёта....",
        "Выборка общего дневного налёта....",
        "Вставка формул суммирования ....",
        "Копирование общего дневного налёта....",
        "Выборка ночного контрольного налёта....",
        "Выборка ночного тренировочного налёта....",
        "Копирование тренировочного ночного налёта....", // this pass has no summing text
        "Выборка инструкторского ночного налёта....",
        "Выборка прочего ночного налёта....",
        "Выборка общего ночного налёта....",
        "Вставка формул суммирования....",
        "Копирование общего ночного налёта....",
    };
    EXPECT_EQ(progress.texts, expected);
    // Each pass walks the records up to and including the end of the selection.
    EXPECT_EQ(progress.ranges.front(), qMakePair(0, 4));
    EXPECT_EQ(progress.values.mid(0, 3), (QList<int>{0, 2, 4}));
}
