#pragma once

// The two-row logbook record of a calculated shift, as typed cell values.

#include "flight/shift_calculation.h"

#include <QDate>
#include <QList>
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

// What one cell of a record receives.
struct CellValue {
    enum class Kind { Text, Number, Time, Date };

    Kind kind = Kind::Text;
    QString text;      // Text
    double number = 0; // Number; Time: a fraction of a day
    QDate date;        // Date

    static CellValue ofText(QString t) { return {Kind::Text, std::move(t), 0, {}}; }
    static CellValue ofNumber(double n) { return {Kind::Number, {}, n, {}}; }
    static CellValue ofMinutes(int minutes) { return {Kind::Time, {}, minutes / 1440.0, {}}; }
    static CellValue ofDate(QDate d) { return {Kind::Date, {}, 0, d}; }

    friend bool operator==(const CellValue&, const CellValue&) = default;
};

// A cell of the record: its column letter and whether it is in the first (0) or second (1) row.
struct RecordCell {
    char column;
    int row;
    CellValue value;
};

struct FlightRecord {
    QDate date;
    QList<RecordCell> cells;

    const CellValue* cell(char column, int row = 0) const;
};

// The two-row record of the calculated shift, from the form and the working values of the last
// calculation. Fails with a type mismatch when the flight date is not a dd.mm.yy or dd.mm.yyyy date
// of 2000-2099 or the exercise number is not a whole number.
FlightRecord buildFlightRecord(const ShiftSession& session, const QString& description);

// The flight date of the form, checked.
QDate recordDate(const InputForm& form);
// The exercise number of the form, checked.
long long exerciseNumber(const InputForm& form);

// A text that the spreadsheet would read as a number becomes one; any other text stays text.
// Empty texts give no value at all (the cell is left as it is).
std::optional<CellValue> typedValue(const QString& text);

// A real as the program writes it into a text: up to 15 significant digits, the decimal comma.
QString decimalCommaText(double v);

} // namespace korv::flight
