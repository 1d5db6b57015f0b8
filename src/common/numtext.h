#pragma once

// Numbers read from texts (leading-number and strict) and H.MM time texts.

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace korv {

// The leading-number reading of a text: leading blanks, an optional sign, digits, and a decimal
// point or comma with more digits; whatever follows is ignored. "12abc" -> 12, "" -> 0,
// "2,5" -> 2.5, ".6" -> 0.6, "5." -> 5, "abc" -> 0.
double leadingNumber(QStringView text);

// The strict conversion of a text to a number: blanks around it are allowed, anything else
// that is not part of the number fails with a type mismatch (13). "", "1a", "5-" fail.
double strictNumber(QStringView text);

// strictNumber, then to a whole 16-bit number, halves to the even neighbour.
std::int16_t strictInt16(QStringView text);

// leadingNumber, then to a whole 16-bit number, halves to the even neighbour.
std::int16_t leadingInt16(QStringView text);

// A whole number typed as digits with an optional sign and blanks around ("  12 "); no value for
// anything else ("1.5", "5 OR 1=1", "").
std::optional<long long> wholeNumber(QStringView text);

// A time of day typed as text: hours, a colon, minutes (and seconds), blanks around and beside the colon
// allowed ("1:25", " 01 : 25 ", "27:30", "1:05:00"). The value as a fraction of a day; nothing for any
// other text or minutes/seconds from 60.
std::optional<double> timeOfText(QStringView text);

// Minutes as H.MM: whole hours, a point, two digits of minutes. 85 -> "1.25", 5 -> "0.05".
QString formatHoursMinutes(int minutes);

// A single-precision real as the program shows and stores it: the float's shortest decimal form
// ("2.9", not "2.9000000953674316").
QString formatSingle(float v);

} // namespace korv
