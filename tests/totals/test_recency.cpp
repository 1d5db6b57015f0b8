// Breaks in flying and the hours month by month, without an office: the last flight of every kind against a
// count by hand, the pilot's limits file and its refusals, limits within, near and over, and the chart's
// months against the totals of each month.

#include "common/error.h"
#include "support/sheet_rows.h"
#include "totals/break_limits.h"
#include "totals/category_sums.h"
#include "totals/monthly_hours.h"
#include "totals/recency.h"
#include "totals/selection.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace korv;
using namespace korv::totals;
using korv::test::Rows;
using korv::test::serial;
namespace column = korv::logbook::records::column;

namespace {

double minutes(int m) { return m / 1440.0; }

// A record on `sheetRow`: date, type, day or night, flight time; the rest set by the caller.
Rows& flight(Rows& rows, int sheetRow, const QVariant& date, const QString& type, const QString& dayNight,
             int flightMinutes) {
    rows.set(sheetRow, column::A, date).set(sheetRow, column::B, type).set(sheetRow, column::C, dayNight);
    rows.set(sheetRow, column::D, QString("П")).set(sheetRow, column::E, QString("Упр.  7 КП"));
    rows.set(sheetRow, column::F, 1.0).set(sheetRow, column::G, minutes(flightMinutes));
    return rows.set(sheetRow + 1, column::M, 600.0);
}

// A logbook with every kind, in two types, one record out of date order, a tie on a day (its date typed
// as text), a time and counts typed as text, and zeros that count as nothing.
QList<Entry> everyKind() {
    Rows r;
    r.heading(7, "Сентябрь  2026 г.");
    flight(r, 9, serial(2026, 9, 1), "Л-39", "Д", 60).set(9, column::I, minutes(30)).set(9, column::S, 1.0);
    flight(r, 11, serial(2026, 9, 5), "Л-39", "Н", 70).set(11, column::H, minutes(20)).set(11, column::O, 1.0);
    flight(r, 13, serial(2026, 9, 10), "Су-25", "Д", 50).set(13, column::H, QString("0:00")).set(13, column::S, 0.0);
    flight(r, 15, serial(2026, 9, 12), "Су-25", "Н", 40)
        .set(15, column::I, QString("0:40"))
        .set(15, column::S, QString("2"));
    flight(r, 17, serial(2026, 8, 28), "Л-39", "Д", 45).set(17, column::I, minutes(15)).set(17, column::O, 2.0);
    flight(r, 19, QString("12.09.26"), "Су-25", "Н", 30);
    return korv::test::entriesOf(r.rows);
}

std::optional<LastFlight> lastOf(const Recency& r, const QString& type, BreakKind kind) {
    for (const TypeRecency& line : r.lines) {
        if (line.type == type)
            return line.of(kind);
    }
    ADD_FAILURE() << "no line for " << type.toStdString();
    return std::nullopt;
}

// "01.09.2026/9", or "—" for a kind never flown.
std::string said(const std::optional<LastFlight>& f) {
    return f ? QString(f->date.toString("dd.MM.yyyy") + "/" + QString::number(f->row)).toStdString() : "—";
}

} // namespace

TEST(Recency, EveryKindOfEveryTypeAgainstACountByHand) {
    const Recency r = lastFlights(everyKind());
    ASSERT_EQ(r.lines.size(), 3);
    EXPECT_TRUE(r.lines[0].allTypes());
    EXPECT_EQ(typeCaption(r.lines[0]), "Все типы");
    EXPECT_EQ(r.lines[1].type, "Л-39");
    EXPECT_EQ(r.lines[2].type, "Су-25");

    using K = BreakKind;
    const std::vector<std::pair<K, std::array<const char*, 3>>> expected = {
        // kind:                        all types        Л-39             Су-25
        {K::Any, {"12.09.2026/19", "05.09.2026/11", "12.09.2026/19"}},
        {K::Day, {"10.09.2026/13", "01.09.2026/9", "10.09.2026/13"}},
        {K::Night, {"12.09.2026/19", "05.09.2026/11", "12.09.2026/19"}},
        {K::SmuDay, {"01.09.2026/9", "01.09.2026/9", "—"}},
        {K::SmuNight, {"12.09.2026/15", "—", "12.09.2026/15"}},
        {K::Hood, {"05.09.2026/11", "05.09.2026/11", "—"}},
        {K::MinimumLandingDay, {"01.09.2026/9", "01.09.2026/9", "—"}},
        {K::MinimumLandingNight, {"12.09.2026/15", "—", "12.09.2026/15"}},
        {K::MinimumTakeOff, {"05.09.2026/11", "05.09.2026/11", "—"}},
    };
    const QStringList types = {QString(), "Л-39", "Су-25"};
    for (const auto& [kind, dates] : expected) {
        for (int t = 0; t < 3; ++t)
            EXPECT_EQ(said(lastOf(r, types[t], kind)), dates[std::size_t(t)])
                << breakKindText(kind).toStdString() << " / " << types[t].toStdString();
    }
}

TEST(Recency, WhatCannotBeCountedIsRefusedNamingItsRow) {
    Rows r;
    flight(r, 7, serial(2026, 9, 1), "Л-39", "Д", 60);
    flight(r, 9, serial(2026, 9, 2), "Л-39", "Д", 60).set(9, column::I, QString("полчаса"));
    try {
        lastFlights(korv::test::entriesOf(r.rows));
        FAIL() << "a time that is no time was counted";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::BadEntry);
        EXPECT_TRUE(e.description().contains("строке 9")) << e.description().toStdString();
    }
    Rows u;
    flight(u, 7, serial(2026, 9, 1), "Л-39", "Д", 60);
    u.set(9, column::A, QString("вчера"));
    EXPECT_THROW(lastFlights(korv::test::entriesOf(u.rows)), Error);
    Rows undated;
    flight(undated, 7, serial(2026, 9, 1), "Л-39", "Д", 60);
    flight(undated, 9, QString(), "Л-39", "Н", 30); // the last flight, perhaps: never passed over
    EXPECT_THROW(lastFlights(korv::test::entriesOf(undated.rows)), Error);
    // An empty logbook has only the line of all types, every kind never flown.
    const Recency none = lastFlights({});
    ASSERT_EQ(none.lines.size(), 1);
    for (const BreakKind k : kAllBreakKinds)
        EXPECT_FALSE(none.lines[0].of(k));
}

TEST(BreakLimits, TheFileAsAPilotWritesIt) {
    const BreakLimits l = parseBreakLimits(QString::fromUtf8("\xEF\xBB\xBF"
                                                             "# мои перерывы\n"
                                                             "Любой полёт = 30\n"
                                                             "  ночью=45  \n"
                                                             "; комментарий\n\n"
                                                             "[Л-39]\r\n"
                                                             "в  смю днём = 1\n"
                                                             "в СМУ ночью = 60\r\n"
                                                             "ПОСАДКА при минимуме ночью = 90\n"
                                                             "[все типы]\n"
                                                             "под шторкой = 3653\n"
                                                             "[Су-25]\n"
                                                             "любой полет = 20\n")
                                               .replace("смю", "СМУ"));
    EXPECT_EQ(l.of({}, BreakKind::Any), 30);
    EXPECT_EQ(l.of({}, BreakKind::Night), 45);
    EXPECT_EQ(l.of({}, BreakKind::Hood), 3653);
    EXPECT_FALSE(l.of({}, BreakKind::Day));
    EXPECT_EQ(l.of("Л-39", BreakKind::SmuDay), 1);
    EXPECT_EQ(l.of("Л-39", BreakKind::SmuNight), 60);
    EXPECT_EQ(l.of("Л-39", BreakKind::MinimumLandingNight), 90);
    EXPECT_FALSE(l.of("Л-39", BreakKind::Any));
    EXPECT_EQ(l.of("Су-25", BreakKind::Any), 20); // "полет" for "полёт"
    EXPECT_TRUE(parseBreakLimits("# только комментарий\n").isEmpty());
}

TEST(BreakLimits, ALineThatIsNoLimitIsRefusedNamingIt) {
    const std::vector<std::pair<const char*, const char*>> wrong = {
        {"ночью 30", "строка 1"},
        {"# ok\nночью = 30 дней", "строка 2"},
        {"ночью = 0", "от 1 до 3653"},
        {"ночью = 3654", "строка 1"},
        {"ночью = -5", "строка 1"},
        {"ночью = 1.5", "строка 1"},
        {"ночью =", "строка 1"},
        {"ночные = 30", "«ночные» неизвестен"},
        {"ночью = 30\nНочью = 40", "уже задан"},
        {"[Л-39\nночью = 30", "в скобках"},
    };
    for (const auto& [text, says] : wrong) {
        try {
            parseBreakLimits(QString::fromUtf8(text));
            ADD_FAILURE() << "accepted: " << text;
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), Error::BadEntry);
            EXPECT_TRUE(e.description().contains(QString::fromUtf8(says)))
                << text << " → " << e.description().toStdString();
        }
    }
    // The same kind under two headings is two limits.
    EXPECT_NO_THROW(parseBreakLimits("ночью = 30\n[Л-39]\nночью = 40"));
}

// Only a regular file of a sensible size is read: a fifo would hold the reader (and the cover) for good, a
// directory or a device is no file of limits, and a huge file is refused naming its size, never read in part.
TEST(BreakLimits, AFileThatIsNoRegularFileOrFarTooLargeIsRefusedAtOnceNamingIt) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Korvelanta-перерывы.ini"));
    const auto refusal = [&] {
        try {
            (void)totals::readBreakLimits(path);
        } catch (const Error& e) {
            return e.description();
        }
        return QStringLiteral("read");
    };
    EXPECT_TRUE(totals::readBreakLimits(path).byType.isEmpty()) << "no file, no limits";
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_TRUE(refusal().contains(QStringLiteral("не обычный файл (канал или устройство)")))
        << refusal().toStdString();
    QFile::remove(path);
    ASSERT_TRUE(QDir().mkpath(path));
    EXPECT_TRUE(refusal().contains(QStringLiteral("не обычный файл (папка)"))) << refusal().toStdString();
    QDir(path).removeRecursively();
    {
        QFile big(path);
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        big.write("любой полёт = 30\n");
        big.write(QByteArray(2 << 20, ' '));
    }
    EXPECT_TRUE(refusal().contains(QStringLiteral("слишком велик (2049 КБ)"))) << refusal().toStdString();
}

TEST(BreakLimits, WithinNearAndOverTheLimit) {
    Rows r;
    flight(r, 7, serial(2026, 9, 1), "Л-39", "Д", 60);
    const Recency recency = lastFlights(korv::test::entriesOf(r.rows));
    const BreakLimits limits = parseBreakLimits("любой полёт = 30\nночью = 10\n[Ми-8]\nднём = 5\n");
    const auto any = [&](const QDate& today) {
        const QList<BreakLine> lines = judgeBreaks(recency, limits, today);
        return lines[0];
    };
    const BreakLine within = any(QDate(2026, 9, 23));
    EXPECT_EQ(within.state, BreakState::Within);
    EXPECT_EQ(within.daysSince, 22);
    EXPECT_EQ(within.daysLeft, 8);
    EXPECT_EQ(within.due, QDate(2026, 10, 1));
    EXPECT_EQ(any(QDate(2026, 9, 24)).state, BreakState::Near); // seven days left
    const BreakLine dueDay = any(QDate(2026, 10, 1));
    EXPECT_EQ(dueDay.state, BreakState::Near); // the due day itself is within
    EXPECT_EQ(daysLeftText(dueDay), "0");
    const BreakLine over = any(QDate(2026, 10, 3));
    EXPECT_EQ(over.state, BreakState::Exceeded);
    EXPECT_EQ(over.daysLeft, -2);
    EXPECT_EQ(daysLeftText(over), "сверх 2");
    EXPECT_EQ(stateText(over.state), "превышен");

    const QList<BreakLine> lines = judgeBreaks(recency, limits, QDate(2026, 10, 3));
    // All types and Л-39 from the logbook, then Ми-8, which only the limits name.
    ASSERT_EQ(lines.size(), 3 * kBreakKinds);
    EXPECT_EQ(lines[2].kind, BreakKind::Night);
    EXPECT_EQ(lines[2].state, BreakState::NeverFlown);
    EXPECT_EQ(lines[kBreakKinds].state, BreakState::NoLimit); // Л-39 has no limits of its own
    EXPECT_EQ(lines[2 * kBreakKinds + 1].type, "Ми-8");
    EXPECT_EQ(lines[2 * kBreakKinds + 1].state, BreakState::NeverFlown);
    EXPECT_EQ(countState(lines, BreakState::Exceeded), 1);
    EXPECT_EQ(warningLine(lines),
              "Перерыв в полётах превышен: все типы любой полёт (на 2 дн.). Подробнее — «Просмотр», «Перерывы и "
              "налёт».");
    EXPECT_TRUE(warningLine(judgeBreaks(recency, limits, QDate(2026, 9, 25)))
                    .startsWith("Перерыв скоро истекает: все типы любой полёт (до 01.10.2026)."));
    EXPECT_EQ(warningLine(judgeBreaks(recency, limits, QDate(2026, 9, 2))), "");
    // Without limits the program judges nothing.
    for (const BreakLine& b : judgeBreaks(recency, {}, QDate(2030, 1, 1)))
        EXPECT_EQ(b.state, BreakState::NoLimit);
}

namespace {

// The flight time (G) and СМУ time (I) that the totals of the month of `inMonth` give for all flying, day
// and night, added over the aircraft types as the pilot would total them type by type.
std::array<korv::Minutes, 3> totalsOfMonth(const QList<Entry>& entries, const QDate& inMonth) {
    PeriodState p;
    EXPECT_FALSE(SetPeriod(p, PeriodOption::CurrentMonth, inMonth, {}, {}));
    NoTotalsProgress progress;
    const QList<int> taken = SelectEntries(entries, p, progress);
    QList<Entry> selected;
    for (const int i : taken)
        selected << entries[i];
    std::array<korv::Minutes, 3> sums{};
    for (const TypeCount& t : countTypes(selected)) {
        QList<Entry> ofType;
        for (const Entry& e : selected) {
            if (e.record.type == t.type)
                ofType << e;
        }
        const CategoryBlock block = RunCategoryPasses(ofType, t.type, progress);
        if (block[4]) { // all flying by day
            sums[0] += block[4]->sums.total;
            sums[2] += block[4]->sums.smu;
        }
        if (block[9]) { // all flying by night
            sums[1] += block[9]->sums.total;
            sums[2] += block[9]->sums.smu;
        }
    }
    return sums;
}

} // namespace

TEST(MonthlyHours, EachMonthAgreesWithTheTotalsOfThatMonth) {
    Rows r;
    int row = 7;
    const auto add = [&](const QDate& d, const QString& type, const QString& dn, int g, const QVariant& smu) {
        flight(r, row, serial(d.year(), d.month(), d.day()), type, dn, g).set(row, column::I, smu);
        row += 2;
    };
    r.heading(row, "Октябрь  2026 г.");
    row += 2;
    add({2026, 10, 2}, "Л-39", "Д", 85, minutes(20));
    add({2026, 10, 2}, "Л-39", "Н", 61, QString("0:45"));
    add({2026, 10, 31}, "Су-25", "Д", 37, QString());
    r.heading(row, "Ноябрь  2026 г.");
    row += 2;
    add({2026, 11, 1}, "Су-25", "Н", 125, minutes(125));
    add({2026, 11, 30}, "Л-39", "Д", 13, minutes(1));
    r.heading(row, "Январь  2027 г.");
    row += 2;
    add({2027, 1, 15}, "Л-39", "Д", 59, QString());
    add({2027, 1, 16}, "Л-39", "Д", 0, QString());
    r.set(row - 2, column::G, QString("1:10")); // a time typed as text
    const QList<Entry> entries = korv::test::entriesOf(r.rows);

    const HoursOfMonths year = hoursOfYear(entries, 2026);
    EXPECT_EQ(year.caption, "Налёт за 2026 год");
    ASSERT_EQ(year.months.size(), 12);
    for (const MonthHours& m : year.months) {
        const auto totals = totalsOfMonth(entries, m.month);
        EXPECT_EQ(m.day, totals[0]) << m.month.toString().toStdString();
        EXPECT_EQ(m.night, totals[1]) << m.month.toString().toStdString();
        EXPECT_EQ(m.smu, totals[2]) << m.month.toString().toStdString();
    }
    EXPECT_EQ(hoursText(year.months[9].total()), "3:03"); // October: 85 + 61 + 37 minutes
    EXPECT_EQ(hoursText(year.months[9].night), "1:01");
    EXPECT_EQ(hoursText(year.months[9].smu), "1:05");
    EXPECT_EQ(hoursText(year.months[10].total()), "2:18");
    EXPECT_EQ(year.months[10].flights, 2);
    EXPECT_EQ(hoursText(year.running[8]), "0:00");
    EXPECT_EQ(hoursText(year.running[11]), "5:21");

    // Twelve months across the turn of the year end with today's month.
    const HoursOfMonths last = hoursOfLastTwelve(entries, QDate(2027, 2, 10));
    EXPECT_EQ(last.caption, "Налёт за 12 месяцев: март 2026 — февраль 2027");
    EXPECT_EQ(last.months.first().month, QDate(2026, 3, 1));
    EXPECT_EQ(last.months.last().month, QDate(2027, 2, 1));
    EXPECT_EQ(hoursText(last.months[10].day), "2:09"); // January 2027: 59 minutes and "1:10"
    EXPECT_EQ(hoursText(last.running.last()), "7:30");
    EXPECT_EQ(yearsOfRecords(entries), (QList<int>{2027, 2026}));
}

TEST(MonthlyHours, AnUnreadablePairIsRefusedOnlyWhenItMayBelongToTheMonths) {
    Rows r;
    flight(r, 7, serial(2025, 3, 1), "Л-39", "Д", 60);
    r.set(9, column::A, 40000000.0); // a date far outside 2000-2099
    r.set(9, column::B, QString("Л-39"));
    const QList<Entry> entries = korv::test::entriesOf(r.rows);
    EXPECT_THROW(hoursOfYear(entries, 2025), Error);
    Rows s;
    flight(s, 7, serial(2025, 3, 1), "Л-39", "Д", 60);
    flight(s, 9, serial(2024, 3, 1), "Л-39", "Д", 60).set(9, column::G, QString("долго"));
    EXPECT_NO_THROW(hoursOfYear(korv::test::entriesOf(s.rows), 2025)); // a record of 2024 is not read
    EXPECT_THROW(hoursOfYear(korv::test::entriesOf(s.rows), 2024), Error);
    EXPECT_EQ(shortMonthName(5), "май");
    EXPECT_EQ(monthName(12), "декабрь");
}
