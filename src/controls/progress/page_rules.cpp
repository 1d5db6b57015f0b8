#include "controls/progress/page_rules.h"

#include "controls/host/controlerror.h"
#include "controls/host/convert.h"

#include <algorithm>
#include <cmath>

using korv::host::ControlError;

namespace tarvix {

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Sign, digits, a point or a comma and more digits at the start of the text, after blanks.
double numberAtStart(const QString& t) {
    qsizetype i = 0;
    while (i < t.size() && (t[i] == u' ' || t[i] == u'\t'))
        ++i;
    QString ascii;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
        ascii += t[i++];
    bool digits = false;
    while (i < t.size() && isDigit(t[i])) {
        ascii += t[i++];
        digits = true;
    }
    if (i < t.size() && (t[i] == u'.' || t[i] == u',')) {
        ++i;
        QString frac;
        while (i < t.size() && isDigit(t[i]))
            frac += t[i++];
        if (!frac.isEmpty()) {
            ascii += u'.' + frac;
            digits = true;
        }
    }
    return digits ? ascii.toDouble() : 0.0;
}

} // namespace

double leadingValue(const QString& text) {
    if (const auto whole = korv::host::numberFromText(text); whole && std::isfinite(*whole))
        return *whole;
    return numberAtStart(text);
}

std::optional<long long> previewPercent(int value, double lo, double hi) {
    if (hi == lo)
        return std::nullopt;
    const double p = korv::host::roundHalfEven((value - lo) / (hi - lo) * 100.0);
    if (!std::isfinite(p) || std::fabs(p) > 1.0e15)
        return std::nullopt;
    return static_cast<long long>(p);
}

int previewBarWidth(int value, double lo, double hi, int frameWidth) {
    const int inner = std::max(0, frameWidth - 2 * kPreviewBorder);
    if (hi == lo)
        return 0;
    // Single precision, as the widths of the form's images are computed.
    const float w = float(value - lo) * float(inner) / float(hi - lo);
    const double px = korv::host::roundHalfEven(double(w));
    if (!(px > 0))
        return 0;
    return px > inner ? inner : int(px);
}

QString previewCaption(const QString& text, long long percent, bool invert) {
    const QString number = QString::number(invert ? 100 - percent : percent) + u'%';
    return text.isEmpty() ? number : text + u' ' + number;
}

QSize previewFrameSize(const QSize& picture) {
    if (picture.isEmpty())
        return kPreviewFrameMax;
    const QSize framed = picture + QSize(2 * kPreviewBorder, 2 * kPreviewBorder);
    return framed.boundedTo(kPreviewFrameMax);
}

namespace {

std::int16_t typedBound(const QString& text, const QString& which) {
    const auto n = korv::host::numberFromText(text);
    if (!n || !std::isfinite(*n))
        throw ControlError(ControlError::TypeMismatch,
                           which + QStringLiteral(" значение «") + text +
                               QStringLiteral("» не является числом. Введите целое число."));
    // The same conversion as the put of the property will make.
    try {
        return korv::host::toInt16(QVariant(text));
    } catch (const ControlError&) {
        throw ControlError(ControlError::Overflow, which + QStringLiteral(" значение ") + text.trimmed() +
                                                       QStringLiteral(" выходит за пределы от -32768 до 32767."));
    }
}

} // namespace

TypedRange checkTypedRange(const QString& minText, const QString& maxText, bool previewDivides) {
    TypedRange r;
    r.min = typedBound(minText, QStringLiteral("Минимальное"));
    r.max = typedBound(maxText, QStringLiteral("Максимальное"));
    if (r.min == 32767)
        throw ControlError(ControlError::Overflow,
                           QStringLiteral("Минимальное значение не может быть больше 32766: максимальное значение "
                                          "должно быть больше минимального."));
    if (previewDivides && leadingValue(minText) == leadingValue(maxText))
        throw ControlError(ControlError::DivisionByZero,
                           QStringLiteral("Минимальное и максимальное значения совпадают. Задайте максимальное "
                                          "значение больше минимального."));
    return r;
}

} // namespace tarvix
