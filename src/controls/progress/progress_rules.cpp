#include "controls/progress/progress_rules.h"

#include "controls/host/controlerror.h"
#include "controls/host/convert.h"

#include <cmath>

using korv::host::ControlError;

namespace tarvix {

std::int16_t checkedDifference(std::int16_t a, std::int16_t b) {
    const int d = int(a) - int(b);
    if (d < -32768 || d > 32767)
        throw ControlError::overflow();
    return static_cast<std::int16_t>(d);
}

namespace {

void checkDivisor(int numerator, int divisor) {
    if (divisor != 0)
        return;
    if (numerator == 0)
        throw ControlError::overflow();
    throw ControlError::divisionByZero();
}

} // namespace

double percentage(std::int16_t value, std::int16_t min, std::int16_t max, bool invert) {
    const std::int16_t num = checkedDifference(value, min);
    const std::int16_t den = checkedDifference(max, min);
    checkDivisor(num, den);
    double p = double(num) / double(den) * 100.0;
    if (invert)
        p = 100.0 - p;
    return p;
}

std::int16_t wholePercent(std::int16_t value, std::int16_t min, std::int16_t max, bool invert) {
    return korv::host::toInt16(QVariant(percentage(value, min, max, invert)));
}

QString captionText(const QString& text, std::int16_t percent) {
    const QString number = QString::number(percent) + QLatin1Char('%');
    if (text.isEmpty())
        return number;
    return text + QLatin1Char(' ') + number;
}

float barWidth(std::int16_t value, std::int16_t min, std::int16_t max, float controlWidth) {
    const std::int16_t num = checkedDifference(value, min);
    const std::int16_t den = checkedDifference(max, min);
    const float product = float(num) * controlWidth;
    checkDivisor(product == 0.0f ? 0 : 1, den);
    return product / float(den);
}

int barPixels(std::int16_t value, std::int16_t min, std::int16_t max, int controlWidth) {
    const double w = korv::host::roundHalfEven(double(barWidth(value, min, max, float(controlWidth))));
    if (w <= 0)
        return 0;
    if (w > 1.0e6)
        return 1000000;
    return static_cast<int>(w);
}

} // namespace tarvix
