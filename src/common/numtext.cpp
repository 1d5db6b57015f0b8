#include "common/numtext.h"

#include "common/error.h"
#include "common/int16.h"

#include <QStringList>

#include <charconv>
#include <cmath>
#include <string>

namespace korv {

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }
bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Scans a number at `pos`: sign, digits, separator, digits. Returns the number of characters
// taken (0 when no digit was found) and writes the value.
qsizetype scanNumber(QStringView t, qsizetype pos, double& value) {
    std::string ascii;
    qsizetype i = pos;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
        if (t[i] == u'-')
            ascii += '-';
        ++i;
    }
    bool anyDigit = false;
    while (i < t.size() && isDigit(t[i])) {
        ascii += char(t[i].unicode());
        anyDigit = true;
        ++i;
    }
    if (i < t.size() && (t[i] == u'.' || t[i] == u',')) {
        qsizetype j = i + 1;
        std::string frac;
        while (j < t.size() && isDigit(t[j])) {
            frac += char(t[j].unicode());
            ++j;
        }
        if (anyDigit || !frac.empty()) {
            ascii += '.';
            ascii += frac;
            anyDigit = true;
            i = j;
        }
    }
    if (!anyDigit) {
        value = 0;
        return 0;
    }
    if (ascii == "-" || ascii.empty())
        ascii += '0';
    value = std::strtod(ascii.c_str(), nullptr);
    return i - pos;
}

} // namespace

double leadingNumber(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    double v = 0;
    scanNumber(text, i, v);
    return v;
}

double strictNumber(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    double v = 0;
    const qsizetype taken = scanNumber(text, i, v);
    qsizetype end = i + taken;
    while (end < text.size() && isBlank(text[end]))
        ++end;
    if (taken == 0 || end != text.size())
        throw Error::typeMismatch(QStringLiteral("«%1» не число").arg(text.toString()));
    return v;
}

std::int16_t strictInt16(QStringView text) { return roundToInt16(strictNumber(text)); }

std::int16_t leadingInt16(QStringView text) { return roundToInt16(leadingNumber(text)); }

std::optional<long long> wholeNumber(QStringView text) {
    const QString t = text.trimmed().toString();
    qsizetype i = 0;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
        ++i;
    if (i == t.size() || t.size() - i > 9)
        return std::nullopt;
    for (qsizetype j = i; j < t.size(); ++j) {
        if (!isDigit(t[j]))
            return std::nullopt;
    }
    return t.toLongLong();
}

std::optional<double> timeOfText(QStringView text) {
    const QStringList parts = text.toString().split(u':');
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    int fields[3] = {0, 0, 0};
    for (qsizetype k = 0; k < parts.size(); ++k) {
        const QString p = parts[k].trimmed();
        // Hours of a flight's time take at most three digits; minutes and seconds one or two.
        const qsizetype longest = k == 0 ? 3 : 2;
        if (p.isEmpty() || p.size() > longest)
            return std::nullopt;
        for (QChar c : p)
            if (!isDigit(c))
                return std::nullopt;
        fields[k] = p.toInt();
        if (k > 0 && fields[k] >= 60)
            return std::nullopt;
    }
    return (fields[0] * 3600.0 + fields[1] * 60.0 + fields[2]) / 86400.0;
}

QString formatHoursMinutes(int minutes) {
    const int h = minutes / 60;
    const int m = minutes % 60;
    return QString::number(h) + u'.' + QString::number(m / 10) + QString::number(m % 10);
}

QString formatSingle(float v) {
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, end - buf);
}

} // namespace korv
