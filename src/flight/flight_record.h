#pragma once

// The two-row logbook record of a calculated shift, as the cells the logbook holds.

#include "flight/reference_db.h"
#include "flight/shift_calculation.h"
#include "logbook/cells.h"

#include <QDate>
#include <QString>

#include <optional>

namespace korv::flight {

enum class FlightKind { None, Private, Teacher, Crew };

FlightKind flightKind(const InputForm& form);

// The text of column E. Own flights: "Упр." and the number right-aligned in three characters, a blank,
// the description ("Упр.  7 …"). Instructor flights: "Инстр. по упр." + number + " " + the description
// without its first 10 characters. Crew flights: "В сост. эк. " + the description without its first
// 4 characters + " по упр." + number.
QString RecordText(FlightKind kind, long long exercise, const QString& description);

// The text of column E of an own flight of exercise `exercise` with the reference's short description
// (none when the reference does not know the exercise), for records brought in with the number alone.
QString ownExerciseText(ReferenceDatabase& reference, long long exercise);

// The record of the calculated shift, from the form and the working values of the last calculation. The
// times under the hood, in СМУ and in clouds are the calculation's minutes; a result box the pilot corrected
// by hand after the calculation gives his time instead. Fails with a type mismatch when the flight date is
// not a dd.mm.yy or dd.mm.yyyy date of 2000-2099 or the exercise number is not a whole number.
logbook::PairCells buildFlightRecord(const ShiftSession& session, const QString& description);

// The flight date of the form, checked.
QDate recordDate(const InputForm& form);
// The exercise number of the form, checked.
long long exerciseNumber(const InputForm& form);

// A text that the spreadsheet would read as a number becomes one; any other text stays text.
// Empty texts give no value at all (the cell is left as it is).
std::optional<QVariant> typedValue(const QString& text);

// A real as the program writes it into a text: up to 15 significant digits, the decimal comma.
QString decimalCommaText(double v);

} // namespace korv::flight
