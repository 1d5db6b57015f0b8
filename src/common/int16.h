#pragma once

// 16-bit checked arithmetic and half-to-even rounding, as counters, heights and times are kept.

#include <cstdint>

namespace korv {

// Rules for the 16-bit signed whole numbers that counters, heights and times are kept in: every
// operation that leaves -32768..32767 fails with Error::overflow().

inline constexpr int kInt16Min = -32768;
inline constexpr int kInt16Max = 32767;

// Round to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double roundHalfEven(double v);

std::int16_t toInt16(long long v);   // range check only
std::int16_t roundToInt16(double v); // half to even, then range check; NaN overflows
std::int16_t truncToInt16(double v); // toward zero, then range check; NaN overflows

// A 16-bit value whose arithmetic is checked. Operations evaluate left to right as written, so
// a - b - c fails when a - b already leaves the range, even if the whole would fit.
class Int16 {
public:
    constexpr Int16() = default;
    constexpr Int16(std::int16_t v) : v_(v) {}

    constexpr std::int16_t value() const { return v_; }
    constexpr operator std::int16_t() const { return v_; }

    friend Int16 operator+(Int16 a, Int16 b) { return toInt16(static_cast<long long>(a.v_) + b.v_); }
    friend Int16 operator-(Int16 a, Int16 b) { return toInt16(static_cast<long long>(a.v_) - b.v_); }
    friend Int16 operator*(Int16 a, Int16 b) { return toInt16(static_cast<long long>(a.v_) * b.v_); }

private:
    std::int16_t v_ = 0;
};

} // namespace korv
