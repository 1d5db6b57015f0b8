#include "logbook/captions.h"

#include <array>

namespace korv::logbook {

QString monthName(const QString& periodMonth) {
    static const std::array<QString, 12> names = {
        QStringLiteral("Январь"),   QStringLiteral("Февраль"), QStringLiteral("Март"),   QStringLiteral("Апрель"),
        QStringLiteral("Май"),      QStringLiteral("Июнь"),    QStringLiteral("Июль"),   QStringLiteral("Август"),
        QStringLiteral("Сентябрь"), QStringLiteral("Октябрь"), QStringLiteral("Ноябрь"), QStringLiteral("Декабрь")};
    if (periodMonth.size() != 2 || !periodMonth[0].isDigit() || !periodMonth[1].isDigit())
        return {};
    const int m = periodMonth.toInt();
    return m >= 1 && m <= 12 ? names[m - 1] : QString();
}

QString monthCaption(const QString& periodMonth, const QString& twoDigitYear) {
    return monthName(periodMonth) + QStringLiteral("  20") + twoDigitYear + QStringLiteral(" г.");
}

QString PeriodCaption(const QDate& flightDate) {
    return monthCaption(QStringLiteral("%1").arg(flightDate.month(), 2, 10, QChar(u'0')),
                        QStringLiteral("%1").arg(flightDate.year() % 100, 2, 10, QChar(u'0')));
}

} // namespace korv::logbook
