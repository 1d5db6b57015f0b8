#pragma once

// Month and period captions of the logbook and the summary.

#include <QDate>
#include <QString>

namespace korv::logbook {

// The Russian month name for a two-character month "01".."12"; any other text gives an empty name.
QString monthName(const QString& periodMonth);

// The month caption: the month name, two blanks, "20", the two-digit year and " г."
// ("Сентябрь  2004 г."). Years lie in 2000-2099.
QString monthCaption(const QString& periodMonth, const QString& twoDigitYear);

// The month heading of a flight record for its date. A date typed as 05.09.04 or as 05.09.2004
// gives the same caption.
QString PeriodCaption(const QDate& flightDate);

} // namespace korv::logbook
