#pragma once

// Flight dates as the pilot types them (dd.mm.yy) and as the program shows them.

#include <QDate>
#include <QString>

#include <optional>

namespace korv {

// A flight date typed as dd.mm.yy or dd.mm.yyyy (two-digit day and month, points between),
// years 2000-2099. Anything else, or a day that does not exist, gives no date.
std::optional<QDate> parseFlightDate(const QString& text);

// The short form the program shows a date in: dd.mm.yy.
QString formatShortDate(const QDate& date);

} // namespace korv
