#pragma once

// The chart of the flying hours month by month: a bar a month, day below and night above, the СМУ part as a
// narrow bar inside, and the running total as a line on its own scale. One painting for the window, the PNG
// and the SVG.

#include "totals/monthly_hours.h"

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;

namespace korv::chart {

// Paints the chart of `hours` into `area` of `painter`, its texts in `painter`'s font and sizes from it.
void paintHoursChart(QPainter& painter, const QRectF& area, const totals::HoursOfMonths& hours);

inline constexpr QSize kImageSize{1100, 620};

// The chart as an image of `size` pixels on white.
QImage hoursChartImage(const totals::HoursOfMonths& hours, QSize size = kImageSize);

enum class ChartFormat { Png, Svg };
// Why the chart may not be written at `path` beside the logbook at `bookPath` (files::outputTargetRefusal: not
// over the logbook or into its backups, not over a file that is no PNG or SVG as chosen); empty when it may.
QString chartTargetRefusal(const QString& path, const QString& bookPath, ChartFormat format);

// Writes the chart to `path` whole or not at all (a temporary file renamed into place); a file that cannot
// be written is Error::FileAccess naming it.
void saveHoursChart(const totals::HoursOfMonths& hours, const QString& path, ChartFormat format,
                    QSize size = kImageSize);

} // namespace korv::chart
