#include "totals/monthly_hours.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace korv::totals {

QString monthName(int month) {
    static const std::array<const char*, 12> names = {"январь", "февраль", "март",     "апрель",  "май",    "июнь",
                                                      "июль",   "август",  "сентябрь", "октябрь", "ноябрь", "декабрь"};
    return QString::fromUtf8(names[std::size_t(month - 1)]);
}

QString shortMonthName(int month) {
    static const std::array<const char*, 12> names = {"янв", "фев", "мар", "апр", "май", "июн",
                                                      "июл", "авг", "сен", "окт", "ноя", "дек"};
    return QString::fromUtf8(names[std::size_t(month - 1)]);
}

QString hoursText(Minutes minutes) { return hoursMinutesText(minutes); }

HoursOfMonths hoursOfMonths(const QList<Entry>& entries, const QDate& first) {
    const QDate start(first.year(), first.month(), 1);
    const QDate end = start.addMonths(12);
    HoursOfMonths out;
    for (int m = 0; m < 12; ++m) {
        MonthHours month;
        month.month = start.addMonths(m);
        out.months << month;
    }
    for (const Entry& e : entries) {
        if (e.isHeading())
            continue;
        const auto date = e.date();
        const bool inside = date && *date >= start && *date < end;
        if (!e.isRecord()) {
            if (!date || inside)
                refuseUnreadable(e);
            continue;
        }
        if (!inside)
            continue;
        const RecordValues v = recordValues(e);
        MonthHours& month = out.months[(date->year() - start.year()) * 12 + date->month() - start.month()];
        (e.record.dayNight == u"Д" ? month.day : month.night) += v.total;
        month.smu += v.smu;
        month.flights += v.flights;
    }
    Minutes running;
    for (const MonthHours& m : out.months)
        out.running << (running += m.total());
    return out;
}

HoursOfMonths hoursOfYear(const QList<Entry>& entries, int year) {
    HoursOfMonths out = hoursOfMonths(entries, QDate(year, 1, 1));
    out.caption = QStringLiteral("Налёт за %1 год").arg(year);
    return out;
}

HoursOfMonths hoursOfLastTwelve(const QList<Entry>& entries, const QDate& today) {
    const QDate first = QDate(today.year(), today.month(), 1).addMonths(-11);
    HoursOfMonths out = hoursOfMonths(entries, first);
    const QDate last = first.addMonths(11);
    out.caption = QStringLiteral("Налёт за 12 месяцев: %1 %2 — %3 %4")
                      .arg(monthName(first.month()))
                      .arg(first.year())
                      .arg(monthName(last.month()))
                      .arg(last.year());
    return out;
}

QList<int> yearsOfRecords(const QList<Entry>& entries) {
    QList<int> years;
    for (const Entry& e : entries) {
        if (!e.isRecord())
            continue;
        if (!years.contains(e.record.date.year()))
            years << e.record.date.year();
    }
    std::sort(years.begin(), years.end(), std::greater<>());
    return years;
}

} // namespace korv::totals
