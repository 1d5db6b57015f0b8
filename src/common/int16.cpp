#include "common/int16.h"

#include "common/error.h"

#include <cmath>

namespace korv {

double roundHalfEven(double v) {
    if (std::fabs(v - std::trunc(v)) == 0.5)
        return 2.0 * std::round(v / 2.0);
    return std::round(v);
}

std::int16_t toInt16(long long v) {
    if (v < kInt16Min || v > kInt16Max)
        throw Error::overflow();
    return static_cast<std::int16_t>(v);
}

static std::int16_t checkedFromWhole(double w) {
    if (std::isnan(w) || w < kInt16Min || w > kInt16Max)
        throw Error::overflow();
    return static_cast<std::int16_t>(w);
}

std::int16_t roundToInt16(double v) { return checkedFromWhole(roundHalfEven(v)); }

std::int16_t truncToInt16(double v) { return checkedFromWhole(std::trunc(v)); }

} // namespace korv
