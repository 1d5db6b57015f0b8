#pragma once

// The spreadsheet's date serial: a date value is the number of days since 30.12.1899. The spreadsheet
// host writes and reads dates this way, and the logbook's rules read them from blocks of values.

#include <QDate>

#include <cmath>
#include <optional>

namespace korv {

// The spreadsheet's day 0.
inline const QDate kDayZero(1899, 12, 30);
// The largest date serial spreadsheets accept (31.12.9999).
inline constexpr double kLastSerial = 2958465;

inline double dateSerial(const QDate& date) { return double(kDayZero.daysTo(date)); }

// The date of a serial (its time of day dropped); nothing for a serial outside 1..31.12.9999.
inline std::optional<QDate> dateOfSerial(double serial) {
    if (!(serial >= 1 && serial <= kLastSerial))
        return std::nullopt;
    return kDayZero.addDays(static_cast<qint64>(std::floor(serial)));
}

} // namespace korv
