// The pilot's calendar: the dates due of the limits file, judged on a day and on the cover's line, and the
// progress through the course counted against a hand count.

#include "common/error.h"
#include "support/sheet_rows.h"
#include "totals/break_limits.h"
#include "totals/course_progress.h"
#include "totals/dates_due.h"

#include <QJsonArray>

#include <gtest/gtest.h>

using namespace korv;
using namespace korv::totals;
using korv::test::Rows;
using korv::test::serial;
namespace column = korv::logbook::records::column;

namespace {

DueItem only(const QString& text) {
    const BreakLimits l = parseBreakLimits(text);
    EXPECT_EQ(l.dates.size(), 1);
    return l.dates.value(0);
}

std::string refusalOf(const QString& text) {
    try {
        parseBreakLimits(text);
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::BadEntry);
        return e.description().toStdString();
    }
    return "accepted";
}

} // namespace

TEST(DatesDue, EachKindOfLineAsAPilotWritesIt) {
    const BreakLimits l = parseBreakLimits("ночью = 30\n"
                                           "[Сроки]\n"
                                           "# комиссия и проверки\n"
                                           "ВЛЭК = 15.03.2026, 12 мес\n"
                                           "Допуск = 01.02.2026, до 01.02.2027\n"
                                           "КБП = 10.01.2026, 90 дней, предупредить за 14 дней\n"
                                           "Прыжки = 05.06.26, 2 года\n"
                                           "[Л-39]\n"
                                           "днём = 20\n");
    // The breaks before and after the section are limits as before.
    EXPECT_EQ(l.of({}, BreakKind::Night), 30);
    EXPECT_EQ(l.of("Л-39", BreakKind::Day), 20);
    EXPECT_TRUE(l.hasBreakLimits());
    ASSERT_EQ(l.dates.size(), 4);

    const DueItem& vlek = l.dates[0];
    EXPECT_EQ(vlek.name, "ВЛЭК");
    EXPECT_EQ(vlek.passed, QDate(2026, 3, 15));
    EXPECT_EQ(vlek.due(), QDate(2027, 3, 15)); // a year end crossed
    EXPECT_EQ(vlek.lead, kDueLeadDays);
    EXPECT_EQ(vlek.line, 4);
    EXPECT_EQ(vlek.periodText(), "12 мес");

    EXPECT_EQ(l.dates[1].due(), QDate(2027, 2, 1));
    EXPECT_EQ(l.dates[1].periodText(), "до 01.02.2027");

    const DueItem& kbp = l.dates[2];
    EXPECT_EQ(kbp.due(), QDate(2026, 4, 10)); // 21 + 28 + 31 + 10 calendar days
    EXPECT_EQ(kbp.lead, 14);
    EXPECT_EQ(kbp.periodText(), "90 дн.");

    EXPECT_EQ(l.dates[3].months, 24);
    EXPECT_EQ(l.dates[3].due(), QDate(2028, 6, 5));

    // A file of dates alone has no limits of breaks, but is not empty.
    const BreakLimits datesOnly = parseBreakLimits("[сроки]\nВЛЭК = 15.03.2026, 12 месяцев\n");
    EXPECT_FALSE(datesOnly.isEmpty());
    EXPECT_FALSE(datesOnly.hasBreakLimits());
}

TEST(DatesDue, MonthsLandOnTheSameDayOrTheMonthsLastDay) {
    const std::vector<std::tuple<const char*, QDate>> cases = {
        {"X = 31.01.2026, 1 мес", QDate(2026, 2, 28)},
        {"X = 31.01.2028, 1 мес", QDate(2028, 2, 29)}, // a leap year
        {"X = 29.02.2028, 12 мес", QDate(2029, 2, 28)},
        {"X = 31.08.2026, 6 мес", QDate(2027, 2, 28)}, // across the year end into a short month
        {"X = 30.11.2026, 3 мес", QDate(2027, 2, 28)},
        {"X = 15.11.2026, 3 мес", QDate(2027, 2, 15)},
        {"X = 31.12.2026, 1 мес", QDate(2027, 1, 31)},
        {"X = 31.03.2026, 1 мес", QDate(2026, 4, 30)},
        {"X = 31.12.2026, 1 день", QDate(2027, 1, 1)},
        {"X = 01.03.2028, 365 дн.", QDate(2029, 3, 1)},
    };
    for (const auto& [line, due] : cases)
        EXPECT_EQ(only(QStringLiteral("[Сроки]\n") + QString::fromUtf8(line)).due(), due) << line;
}

TEST(DatesDue, AWrongLineIsRefusedNamingIt) {
    const std::vector<std::pair<const char*, const char*>> wrong = {
        {"[Сроки]\nВЛЭК 15.03.2026, 12 мес", "строка 2: нет знака «=»"},
        {"[Сроки]\n= 15.03.2026, 12 мес", "нет названия"},
        {"[Сроки]\nВЛЭК = 15.03.2026", "через запятую"},
        {"[Сроки]\nВЛЭК = 31.02.2026, 12 мес", "не дата"},
        {"[Сроки]\nВЛЭК = вчера, 12 мес", "«вчера» — не дата"},
        {"[Сроки]\nВЛЭК = 15.03.2026, 12 недель", "«12 недель» непонятен"},
        {"[Сроки]\nВЛЭК = 15.03.2026, 0 мес", "не от 1 до 120 месяцев"},
        {"[Сроки]\nВЛЭК = 15.03.2026, 3654 дня", "не от 1 до 3653 дней"},
        {"[Сроки]\nДопуск = 01.02.2026, до 01.01.2026", "раньше даты прохождения"},
        {"[Сроки]\nДопуск = 01.02.2026, до завтра", "срок «завтра» — не дата"},
        {"[Сроки]\nКБП = 10.01.2026, 90 дней, за 14 дней", "предупредить за 14 дней"},
        {"[Сроки]\nКБП = 10.01.2026, 90 дней, предупредить за 2 мес", "предупредить за 14 дней"},
        {"[Сроки]\nВЛЭК = 15.03.2026, 12 мес\n\nвлэк = 16.03.2026, 12 мес",
         "строка 4: срок «влэк» уже задан в строке 2"},
        {"[Сроки]\nВЛЭК = 15.03.2026, 12 мес, x, y", "через запятую"},
        // After the section, a line is a limit again.
        {"[Сроки]\nВЛЭК = 15.03.2026, 12 мес\n[Л-39]\nВЛЭК = 15.03.2026, 12 мес", "строка 4: вид «ВЛЭК» неизвестен"},
    };
    for (const auto& [text, says] : wrong) {
        const std::string refusal = refusalOf(QString::fromUtf8(text));
        EXPECT_NE(refusal.find(says), std::string::npos) << text << " → " << refusal;
    }
    // The file names the line through the reader too.
    EXPECT_NE(refusalOf("[Сроки]\nВЛЭК = 15.03.2026, 12 мес\nКБП = 10.01.2026").find("строка 3"), std::string::npos);
}

TEST(DatesDue, StatesAtTheBoundaries) {
    const QList<DueItem> items =
        parseBreakLimits("[Сроки]\n"
                         "ВЛЭК = 15.03.2026, 12 мес\n"                           // due 15.03.2027
                         "КБП = 10.01.2026, 90 дней, предупредить за 14 дней\n") // due 10.04.2026
            .dates;
    const auto stateOf = [&](int i, const QDate& today) { return judgeDates(items, today)[i]; };

    // The lead day is "скоро", the day before it "в пределе".
    EXPECT_EQ(stateOf(1, QDate(2026, 3, 27)).state, DueState::Near);
    EXPECT_EQ(stateOf(1, QDate(2026, 3, 27)).daysLeft, 14);
    EXPECT_EQ(stateOf(1, QDate(2026, 3, 26)).state, DueState::Within);
    EXPECT_EQ(stateOf(0, QDate(2027, 2, 13)).state, DueState::Near); // the default 30 days
    EXPECT_EQ(stateOf(0, QDate(2027, 2, 12)).state, DueState::Within);
    // Due today still holds; the day after it is overdue.
    const DueLine dueDay = stateOf(1, QDate(2026, 4, 10));
    EXPECT_EQ(dueDay.state, DueState::Near);
    EXPECT_EQ(dueDaysLeftText(dueDay), "0");
    const DueLine over = stateOf(1, QDate(2026, 4, 11));
    EXPECT_EQ(over.state, DueState::Overdue);
    EXPECT_EQ(over.daysLeft, -1);
    EXPECT_EQ(dueDaysLeftText(over), "просрочено на 1");
    EXPECT_EQ(dueStateText(over.state), "просрочено");
    EXPECT_EQ(dueStateText(DueState::Within), "в пределе");
    EXPECT_EQ(dueStateText(DueState::Near), "скоро");
    // A lead of 0 warns on the due day only.
    const QList<DueItem> noLead = parseBreakLimits("[Сроки]\nX = 01.01.2026, 10 дней, предупредить за 0 дней").dates;
    EXPECT_EQ(judgeDates(noLead, QDate(2026, 1, 10)).first().state, DueState::Within);
    EXPECT_EQ(judgeDates(noLead, QDate(2026, 1, 11)).first().state, DueState::Near);
}

TEST(DatesDue, TheCoverLineNamesWhatIsOverdueAndNear) {
    const QList<DueItem> items = parseBreakLimits("[Сроки]\n"
                                                  "ВЛЭК = 15.03.2026, 12 мес\n"
                                                  "КБП = 10.01.2026, 90 дней\n"
                                                  "Допуск = 01.02.2026, до 01.05.2026\n")
                                     .dates;
    const QList<DueLine> lines = judgeDates(items, QDate(2026, 4, 15));
    EXPECT_EQ(countDueState(lines, DueState::Overdue), 1);
    EXPECT_EQ(countDueState(lines, DueState::Near), 1);
    EXPECT_EQ(warningLine({}, lines),
              "Просрочено: КБП (на 5 дн.). Скоро срок: Допуск (до 01.05.2026). Подробнее — «Просмотр», «Перерывы и "
              "налёт».");
    // Nothing to say, nothing on the cover.
    EXPECT_EQ(warningLine({}, judgeDates(items, QDate(2026, 2, 1))), "");

    // Beside a break: the breaks first, then the dates, one pointer to the window.
    Rows r;
    r.set(7, column::A, serial(2026, 3, 1)).set(7, column::B, QString("Л-39")).set(7, column::C, QString("Д"));
    r.set(7, column::E, QString("Упр.  1 КП")).set(7, column::F, 1.0).set(7, column::G, 30 / 1440.0);
    const BreakLimits limits = parseBreakLimits("любой полёт = 30\n[Сроки]\nКБП = 10.01.2026, 90 дней\n");
    const QDate today(2026, 4, 15);
    EXPECT_EQ(warningLine(judgeBreaks(lastFlights(korv::test::entriesOf(r.rows)), limits, today),
                          judgeDates(limits.dates, today)),
              "Перерыв в полётах превышен: все типы любой полёт (на 15 дн.). Просрочено: КБП (на 5 дн.). Подробнее — "
              "«Просмотр», «Перерывы и налёт».");
}

namespace {

QList<CourseExercise> someCourse() {
    return {{1, "КП. День. Полёт по кругу"},
            {2, "ТП. День. Полёт по кругу"},
            {5, "КП. День. Полёт в зону на простой пилотаж"},
            {101, "КП. Ночь. Полёт по кругу"},
            {132, "ВП. Ночь. Полёт по кругу с инструктором"}};
}

// A record: date, type, day or night, E, flights.
Rows& record(Rows& rows, int sheetRow, const QVariant& date, const QString& type, const QString& dayNight,
             const QString& exercise, double flights) {
    rows.set(sheetRow, column::A, date).set(sheetRow, column::B, type).set(sheetRow, column::C, dayNight);
    rows.set(sheetRow, column::D, QString("П")).set(sheetRow, column::E, exercise);
    rows.set(sheetRow, column::F, flights).set(sheetRow, column::G, 40 / 1440.0);
    return rows;
}

// A logbook of two types over two years: Л-39 and Су-25 fly the same numbers, an exercise outside the course,
// an instructor's and a crew flight, a record of the year before.
QList<Entry> twoTypes() {
    Rows r;
    r.heading(7, "Декабрь  2025 г.");
    record(r, 9, serial(2025, 12, 20), "Л-39", "Д", "Упр.  1 КП. День. Полёт по кругу", 3);
    r.heading(11, "Январь  2026 г.");
    record(r, 13, serial(2026, 1, 12), "Л-39", "Д", "Упр.  1 КП. День. Полёт по кругу", 2);
    record(r, 15, serial(2026, 1, 12), "Су-25", "Д", "Упр.  1 КП. День. Полёт по кругу", 1);
    record(r, 17, serial(2026, 1, 14), "Л-39", "Н", "Упр.  1 КП. День. Полёт по кругу", 1); // flown at night
    record(r, 19, serial(2026, 1, 20), "Л-39", "Н", "Упр.101 КП. Ночь. Полёт по кругу", 2);
    record(r, 21, serial(2026, 1, 25), "Л-39", "Д", "Упр.  5 КП. День. Полёт в зону",
           QVariant(QString("2")).toDouble());
    record(r, 23, serial(2026, 1, 18), "Л-39", "Д", "Упр.  1 КП. День. Полёт по кругу", 1); // out of date order
    record(r, 25, serial(2026, 1, 26), "Л-39", "Д", "Упр. 99 ТП. День. Полёт на разведку погоды", 1);
    record(r, 27, serial(2026, 1, 27), "Л-39", "Д", "Упр. 99 ТП. День. Полёт на разведку", 2);
    record(r, 29, serial(2026, 1, 28), "Л-39", "Д", "Инстр. по упр.2 Полёт по кругу", 1);
    record(r, 31, serial(2026, 1, 29), "Л-39", "Н", "В сост. эк. Ночь. Полёт по кругу по упр.101", 1);
    record(r, 33, serial(2026, 2, 2), "Су-25", "Н", "Упр.101 КП. Ночь. Полёт по кругу", 1);
    record(r, 35, serial(2026, 2, 3), "Л-39", "Д", "Облёт после ремонта", 1);
    return korv::test::entriesOf(r.rows);
}

PeriodState year2026() {
    PeriodState p;
    EXPECT_FALSE(SetPeriod(p, PeriodOption::CurrentYear, QDate(2026, 6, 1), {}, {}));
    return p;
}

} // namespace

TEST(CourseProgress, EachTypeAgainstAHandCount) {
    const QList<Entry> entries = twoTypes();
    const CourseProgress l39 = courseProgress(entries, year2026(), "Л-39", someCourse());
    EXPECT_EQ(l39.type, "Л-39");
    ASSERT_EQ(l39.course.size(), 5);
    // Exercise 1: 2 + 1 flights by day (rows 13, 23), 1 at night (row 17); the last by date is row 23's 18.01.
    const CourseLine& one = l39.course[0];
    EXPECT_EQ(one.number, 1);
    EXPECT_EQ(one.description, "КП. День. Полёт по кругу");
    EXPECT_EQ(one.dayFlights, 3);
    EXPECT_EQ(one.nightFlights, 1);
    EXPECT_EQ(one.records, 3);
    EXPECT_EQ(one.last, QDate(2026, 1, 18));
    EXPECT_EQ(one.lastRow, 23);
    EXPECT_EQ(l39.course[1].records, 0); // 2 only as instructor: not the pilot's own
    EXPECT_TRUE(l39.course[1].last.isNull());
    EXPECT_EQ(l39.course[2].dayFlights, 2);
    EXPECT_EQ(l39.course[3].nightFlights, 2);
    EXPECT_EQ(l39.course[3].lastRow, 19);
    EXPECT_EQ(l39.course[4].records, 0);
    EXPECT_EQ(l39.flownInCourse(), 3);
    // Exercise 99 is outside the course: both records, described by the last.
    ASSERT_EQ(l39.outside.size(), 1);
    EXPECT_EQ(l39.outside[0].number, 99);
    EXPECT_EQ(l39.outside[0].dayFlights, 3);
    EXPECT_EQ(l39.outside[0].lastRow, 27);
    EXPECT_EQ(l39.outside[0].description, "Упр. 99 ТП. День. Полёт на разведку");
    EXPECT_EQ(l39.ownRecords, 7);
    EXPECT_EQ(l39.otherRecords, 2);
    EXPECT_EQ(l39.unnumbered, 1);
    EXPECT_EQ(courseSummaryLine(l39),
              "Выполнено упражнений курса: 3 из 5; записей своих упражнений: 7, из них вне курса упражнений: 1; "
              "инструкторских и в составе экипажа (в курс не входят): 2; без номера упражнения: 1");

    const CourseProgress su25 = courseProgress(entries, year2026(), " Су-25 ", someCourse());
    EXPECT_EQ(su25.course[0].dayFlights, 1);
    EXPECT_EQ(su25.course[0].nightFlights, 0);
    EXPECT_EQ(su25.course[3].nightFlights, 1);
    EXPECT_EQ(su25.course[3].last, QDate(2026, 2, 2));
    EXPECT_TRUE(su25.outside.isEmpty());
    EXPECT_EQ(su25.flownInCourse(), 2);

    // Every record: the Л-39's December flight of 2025 too.
    const CourseProgress all = courseProgress(entries, std::nullopt, "Л-39", someCourse());
    EXPECT_EQ(all.course[0].dayFlights, 6);
    EXPECT_EQ(all.course[0].records, 4);
    // A type the period does not hold: the course, nothing flown.
    const CourseProgress none = courseProgress(entries, year2026(), "Ми-8", someCourse());
    EXPECT_EQ(none.flownInCourse(), 0);
    EXPECT_EQ(none.ownRecords, 0);
}

TEST(CourseProgress, ListsTablesAndJson) {
    EXPECT_EQ(courseListsText(1), "контрольный днём");
    EXPECT_EQ(courseListsText(2), "тренировочный днём");
    EXPECT_EQ(courseListsText(101), "контрольный ночью");
    EXPECT_EQ(courseListsText(102), "тренировочный ночью");
    EXPECT_EQ(courseListsText(132), "ни в одном");
    EXPECT_EQ(courseListsText(5000), "ни в одном");
    EXPECT_EQ(flightsText(1.5), "1,5");

    const CourseProgress p = courseProgress(twoTypes(), year2026(), "Л-39", someCourse());
    const QString table = courseTable(p, "2026 год");
    EXPECT_TRUE(table.startsWith("Выполнение упражнений курса: Л-39, 2026 год\n")) << table.toStdString();
    EXPECT_TRUE(table.contains("   1      3      1  18.01.2026  контрольный днём")) << table.toStdString();
    EXPECT_TRUE(table.contains("\nВыполнено вне курса:\n  99      3      0  27.01.2026  ни в одном"))
        << table.toStdString();
    const QJsonObject json = courseJson(p, "2026 год");
    EXPECT_EQ(json["flown"].toInt(), 3);
    EXPECT_EQ(json["exercises"].toInt(), 5);
    const QJsonObject first = json["course"].toArray()[0].toObject();
    EXPECT_EQ(first["day"].toDouble(), 3);
    EXPECT_EQ(first["last"].toString(), "18.01.2026");
    EXPECT_EQ(first["row"].toInt(), 23);
    EXPECT_EQ(first["lists"].toString(), "контрольный днём");
    EXPECT_TRUE(json["course"].toArray()[1].toObject()["last"].isNull());
    EXPECT_EQ(json["outside"].toArray()[0].toObject()["number"].toInt(), 99);
}

TEST(CourseProgress, ARecordThatCannotBeCountedNamesItsRow) {
    const auto refusal = [](const QList<Entry>& entries) -> std::string {
        try {
            courseProgress(entries, std::nullopt, "Л-39", someCourse());
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), Error::BadEntry);
            return e.description().toStdString();
        }
        return "counted";
    };
    Rows flights;
    record(flights, 7, serial(2026, 1, 12), "Л-39", "Д", "Упр.  1 КП", 1);
    record(flights, 9, serial(2026, 1, 13), "Л-39", "Д", "Упр.  1 КП", 1).set(9, column::F, QString("два"));
    EXPECT_NE(refusal(korv::test::entriesOf(flights.rows)).find("строке 9"), std::string::npos);
    // Of another type, or without one: it may be this type's flight, so it is named too.
    Rows untyped;
    record(untyped, 7, serial(2026, 1, 12), "Л-39", "Д", "Упр.  1 КП", 1);
    record(untyped, 9, serial(2026, 1, 13), "", "Д", "Упр.  1 КП", 1);
    EXPECT_NE(refusal(korv::test::entriesOf(untyped.rows)).find("строке 9"), std::string::npos);
    Rows noDayNight;
    record(noDayNight, 7, serial(2026, 1, 12), "Су-25", "?", "Упр.  1 КП", 1);
    EXPECT_NE(refusal(korv::test::entriesOf(noDayNight.rows)).find("строке 7"), std::string::npos);
    // Outside the period a damaged record is not read.
    EXPECT_NO_THROW(courseProgress(
        korv::test::entriesOf(flights.rows),
        [] {
            PeriodState p;
            EXPECT_FALSE(SetPeriod(p, PeriodOption::CurrentYear, QDate(2027, 1, 1), {}, {}));
            return p;
        }(),
        "Л-39", someCourse()));
}
