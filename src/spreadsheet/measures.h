#pragma once

// Column widths and row heights between Excel's units (characters of the standard font, points) and
// LibreOffice's (1/100 mm), so that the .xls carries exactly the widths Excel itself would store.

#include <cmath>

namespace korv::logbook::measures {

inline constexpr double kHmmPerPoint = 2540.0 / 72.0;
// LibreOffice's digit width of the standard font (Arial / Arial Cyr / Liberation Sans 10 pt) in twips;
// the .xls export measures column widths in it.
inline constexpr int kDigitTwips = 111;

// The width Excel itself would store for 'chars' characters of a 7-pixel-digit standard font, turned
// into the smallest LibreOffice width that the .xls export writes back as that same value.
inline int excelCharsToHmm(double chars) {
    const long n = long(std::floor((chars * 7 + 5) / 7 * 256));
    const long twips = long(std::ceil(n * kDigitTwips / 256.0 - 0.5));
    return int(std::lround(twips * 127.0 / 72.0));
}

// The width in characters that the .xls export of a LibreOffice width carries, to two decimals.
inline double hmmToExcelChars(int hmm) {
    const long twips = std::lround(hmm * 72.0 / 127.0);
    const long n = long(std::floor((twips + 0.5) * 256 / kDigitTwips));
    const double chars = (n / 256.0 * 7 - 5) / 7;
    return std::round(chars * 100) / 100;
}

inline int pointsToHmm(double points) { return int(std::lround(points * kHmmPerPoint)); }
inline double hmmToPoints(int hmm) { return hmm / kHmmPerPoint; }

} // namespace korv::logbook::measures
