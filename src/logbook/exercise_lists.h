#pragma once

// The exercise lists of the totals: which exercise numbers count as control or training flying by day and
// by night, and the word for a record whose exercise belongs to the other time of day.

#include <QString>

#include <optional>

namespace korv::logbook {

// The exercise lists, as the three characters 5-7 of column E are compared with them (right-aligned).
bool inDayControlList(const QString& number3);
bool inDayTrainingList(const QString& number3);
bool inNightControlList(const QString& number3);
bool inNightTrainingList(const QString& number3);

// A record of the pilot's own exercise `exercise` flown by day ("Д") or by night ("Н") whose number stands
// only in the other time of day's lists: the totals count it in that time's "Итого" row and in none of its
// categories. The warning says so; nothing when the lists and the time agree or the number is in no list.
std::optional<QString> timeOfDayMismatch(long long exercise, const QString& dayNight);

} // namespace korv::logbook
