#pragma once

// Whole minutes: the unit of the logbook's times. A time cell holds a fraction of a day; a time is
// turned into minutes once, where it is read, and back into a day fraction once, where it is written.

#include <QString>

#include <cmath>
#include <compare>

namespace korv {

struct Minutes {
    int count = 0;

    constexpr Minutes() = default;
    constexpr explicit Minutes(int minutes) : count(minutes) {}

    // The spreadsheet's time value: a fraction of a day.
    constexpr double days() const { return count / 1440.0; }
    // The nearest whole minute of a spreadsheet time value.
    static Minutes ofDays(double days) { return Minutes(int(std::lround(days * 1440))); }

    constexpr Minutes& operator+=(Minutes other) {
        count += other.count;
        return *this;
    }
    friend constexpr Minutes operator+(Minutes a, Minutes b) { return a += b; }
    friend constexpr bool operator==(Minutes, Minutes) = default;
    friend constexpr std::strong_ordering operator<=>(Minutes a, Minutes b) { return a.count <=> b.count; }
};

// "h:mm" as the logbook's sums show it: 85 minutes are "1:25", 1650 are "27:30".
inline QString hoursMinutesText(Minutes m) {
    const int sign = m.count < 0 ? -1 : 1;
    const int a = sign * m.count;
    return (sign < 0 ? QStringLiteral("-") : QString()) + QString::number(a / 60) + u':' +
           QStringLiteral("%1").arg(a % 60, 2, 10, QChar(u'0'));
}

} // namespace korv
