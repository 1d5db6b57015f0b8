#pragma once

// The flying hours month by month, for the chart: a calendar year or the twelve months up to today's,
// day and night apart, the СМУ part and the running total.

#include "totals/entries.h"

#include <QDate>
#include <QList>
#include <QString>

namespace korv::totals {

// One month's flight time (G) by day and by night and its СМУ time (I); flights is the sum of F.
struct MonthHours {
    QDate month; // the first day of the month
    Minutes day;
    Minutes night;
    Minutes smu;
    double flights = 0;

    Minutes total() const { return day + night; }
};

struct HoursOfMonths {
    QString caption; // "Налёт за 2026 год", "Налёт за 12 месяцев: январь 2026 — декабрь 2026"
    QList<MonthHours> months; // twelve, oldest first
    QList<Minutes> running;   // the running total of the flight time at the end of each month
};

// The months of calendar year `year`.
HoursOfMonths hoursOfYear(const QList<Entry>& entries, int year);
// The twelve months ending with the month of `today`.
HoursOfMonths hoursOfLastTwelve(const QList<Entry>& entries, const QDate& today);
// The months from `first` (its first day) on, twelve of them. A record counts in the month of its own date,
// as the totals of a month take it; its values are read as the totals read them, and a pair that is
// neither a record nor a heading is refused when its date is missing or falls in the months (both
// Error::BadEntry naming the row). Records outside the months are not read.
HoursOfMonths hoursOfMonths(const QList<Entry>& entries, const QDate& first);

// "январь", the month as the chart's axis names it; "янв" short.
QString monthName(int month);
QString shortMonthName(int month);
// The years the logbook's dated records fall in, newest first.
QList<int> yearsOfRecords(const QList<Entry>& entries);
// A time as hours and minutes, "12:05".
QString hoursText(Minutes minutes);

} // namespace korv::totals
