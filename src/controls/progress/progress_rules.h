#pragma once

// The percentage, caption and bar width of the progress bar.

#include <QString>

#include <cstdint>

// The arithmetic of the progress bar, apart from any widget so that it can be checked directly. The
// bounds and the counter are 16-bit; every difference is checked, and a zero range raises the runtime's
// arithmetic errors (0/0 is an overflow, n/0 a division by zero) instead of producing infinities.
namespace tarvix {

// Value - Min as a 16-bit difference; overflows like any 16-bit subtraction.
std::int16_t checkedDifference(std::int16_t a, std::int16_t b);

// (Value - Min) / (Max - Min) * 100 in double precision; 100 minus that when inverted.
double percentage(std::int16_t value, std::int16_t min, std::int16_t max, bool invert);

// The whole percentage the caption shows: percentage() rounded half to even, as a 16-bit number.
std::int16_t wholePercent(std::int16_t value, std::int16_t min, std::int16_t max, bool invert);

// "57%", or "Итого 57%" with a leading text: the text, one space, the number and "%".
QString captionText(const QString& text, std::int16_t percent);

// Width of the bar (and of the working picture) for a control of the given width, in single precision
// as the layout computes it; never inverted.
float barWidth(std::int16_t value, std::int16_t min, std::int16_t max, float controlWidth);

// The bar width as whole pixels, half to even; a negative width (a loaded counter below Min) is 0.
int barPixels(std::int16_t value, std::int16_t min, std::int16_t max, int controlWidth);

} // namespace tarvix
