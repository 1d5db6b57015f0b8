#include "common/flightdate.h"

#include <QRegularExpression>

namespace korv {

std::optional<QDate> parseFlightDate(const QString& text) {
    static const QRegularExpression re(QStringLiteral(R"(^\s*(\d{2})\.(\d{2})\.(\d{2}|\d{4})\s*$)"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    int year = m.captured(3).toInt();
    if (m.captured(3).size() == 2)
        year += 2000;
    if (year < 2000 || year > 2099)
        return std::nullopt;
    const QDate d(year, m.captured(2).toInt(), m.captured(1).toInt());
    if (!d.isValid())
        return std::nullopt;
    return d;
}

QString formatShortDate(const QDate& date) { return date.toString(QStringLiteral("dd.MM.yy")); }

} // namespace korv
