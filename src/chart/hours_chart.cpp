#include "chart/hours_chart.h"

#include "bookfiles/output_target.h"
#include "common/error.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

namespace korv::chart {

namespace {

const QColor kDay(0x8e, 0xbf, 0xe8);
const QColor kNight(0x1f, 0x4e, 0x8c);
const QColor kSmu(0xe0, 0x8a, 0x2e);
const QColor kRunning(0xb0, 0x1c, 0x2e);
const QColor kGrid(0xdd, 0xdd, 0xdd);
const QColor kAxis(0x55, 0x55, 0x55);

double hoursOf(Minutes minutes) { return minutes.count / 60.0; }

// A scale from 0 whose step is 1, 2 or 5 times a power of ten, with about five steps up to `top`.
struct Scale {
    double step = 1;
    double top = 5;
};

Scale niceScale(double maximum) {
    const double wanted = std::max(maximum, 1.0) / 5.0;
    const double power = std::pow(10.0, std::floor(std::log10(wanted)));
    double step = power;
    for (const double f : {1.0, 2.0, 5.0, 10.0}) {
        step = f * power;
        if (step >= wanted)
            break;
    }
    return {step, std::ceil(std::max(maximum, 1.0) / step) * step};
}

// The font `factor` times as large, whether its size is in points or in pixels.
QFont scaled(const QFont& font, double factor) {
    QFont f = font;
    if (font.pixelSize() > 0)
        f.setPixelSize(std::max(1, int(std::lround(font.pixelSize() * factor))));
    else
        f.setPointSizeF(font.pointSizeF() * factor);
    return f;
}

QString scaleText(double value) { return QString::number(value, 'g', 6).replace(u'.', u','); }

// A vertical caption read from below, centred on `centre`.
void drawTurnedText(QPainter& p, const QPointF& centre, const QString& text) {
    p.save();
    p.translate(centre);
    p.rotate(-90);
    const QFontMetricsF fm(p.font());
    p.drawText(QPointF(-fm.horizontalAdvance(text) / 2, fm.ascent() / 2 - fm.descent() / 2), text);
    p.restore();
}

} // namespace

void paintHoursChart(QPainter& p, const QRectF& area, const totals::HoursOfMonths& hours) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(area, Qt::white);
    const QFont base = p.font();
    const QFontMetricsF fm(base);
    const double line = fm.height();
    const double pad = line * 0.6;

    // The title and the legend.
    QFont titleFont = scaled(base, 1.25);
    titleFont.setBold(true);
    p.setFont(titleFont);
    const QFontMetricsF tfm(titleFont);
    double y = area.top() + pad;
    p.setPen(Qt::black);
    p.drawText(QRectF(area.left(), y, area.width(), tfm.height()), Qt::AlignHCenter | Qt::AlignVCenter, hours.caption);
    y += tfm.height() + pad * 0.5;
    p.setFont(base);

    struct Key {
        QString text;
        QColor colour;
        bool line;
    };
    const std::array<Key, 4> keys = {Key{QStringLiteral("днём"), kDay, false},
                                     Key{QStringLiteral("ночью"), kNight, false},
                                     Key{QStringLiteral("из них в СМУ"), kSmu, false},
                                     Key{QStringLiteral("нарастающим итогом (правая шкала)"), kRunning, true}};
    double keysWidth = 0;
    for (const Key& k : keys)
        keysWidth += line * 1.6 + fm.horizontalAdvance(k.text) + line;
    double x = area.left() + std::max(0.0, (area.width() - keysWidth) / 2);
    for (const Key& k : keys) {
        const QRectF swatch(x, y + line * 0.2, line * 1.2, line * 0.6);
        if (k.line) {
            p.setPen(QPen(k.colour, 2));
            p.drawLine(QPointF(swatch.left(), swatch.center().y()), QPointF(swatch.right(), swatch.center().y()));
            p.setBrush(k.colour);
            p.drawEllipse(swatch.center(), line * 0.18, line * 0.18);
        } else {
            p.fillRect(swatch, k.colour);
        }
        p.setPen(Qt::black);
        p.drawText(QPointF(swatch.right() + line * 0.4, y + fm.ascent()), k.text);
        x = swatch.right() + line * 0.4 + fm.horizontalAdvance(k.text) + line;
    }
    y += line + pad;

    // The plot and its two scales.
    double most = 0, running = 0;
    for (const totals::MonthHours& m : hours.months)
        most = std::max(most, hoursOf(m.total()));
    for (const Minutes r : hours.running)
        running = std::max(running, hoursOf(r));
    const Scale left = niceScale(most);
    const Scale right = niceScale(running);
    const double leftLabels =
        std::max(fm.horizontalAdvance(scaleText(left.top)), fm.horizontalAdvance(QStringLiteral("000")));
    const double rightLabels =
        std::max(fm.horizontalAdvance(scaleText(right.top)), fm.horizontalAdvance(QStringLiteral("000")));
    const QRectF plot(area.left() + pad + line * 1.4 + leftLabels + pad, y + line * 0.6,
                      area.width() - 2 * (pad + line * 1.4 + pad) - leftLabels - rightLabels,
                      area.bottom() - y - line * 0.6 - pad - 2.3 * line);
    if (plot.width() <= 0 || plot.height() <= 0 || hours.months.isEmpty()) {
        p.restore();
        return;
    }
    const auto yOf = [&](double h, const Scale& s) { return plot.bottom() - plot.height() * h / s.top; };

    for (double v = 0; v <= left.top + left.step / 2; v += left.step) {
        const double gy = yOf(v, left);
        p.setPen(QPen(kGrid, 1));
        p.drawLine(QPointF(plot.left(), gy), QPointF(plot.right(), gy));
        p.setPen(kAxis);
        p.drawText(QRectF(plot.left() - pad - leftLabels, gy - line / 2, leftLabels, line),
                   Qt::AlignRight | Qt::AlignVCenter, scaleText(v));
    }
    p.setPen(kRunning);
    for (double v = 0; v <= right.top + right.step / 2; v += right.step) {
        const double gy = yOf(v, right);
        p.drawText(QRectF(plot.right() + pad, gy - line / 2, rightLabels, line), Qt::AlignLeft | Qt::AlignVCenter,
                   scaleText(v));
    }
    p.setPen(kAxis);
    drawTurnedText(p, QPointF(area.left() + pad + line * 0.6, plot.center().y()), QStringLiteral("Налёт за месяц, ч"));
    p.setPen(kRunning);
    drawTurnedText(p, QPointF(area.right() - pad - line * 0.6, plot.center().y()),
                   QStringLiteral("Нарастающим итогом, ч"));

    // The bars.
    const int n = int(hours.months.size());
    const double slot = plot.width() / n;
    const QFont small = scaled(base, 0.85);
    const QFontMetricsF sfm(small);
    QList<QPointF> points;
    for (int i = 0; i < n; ++i) {
        const totals::MonthHours& m = hours.months[i];
        const double cx = plot.left() + slot * (i + 0.5);
        const double w = slot * 0.62;
        const double dayTop = yOf(hoursOf(m.day), left);
        const double nightTop = yOf(hoursOf(m.total()), left);
        p.fillRect(QRectF(cx - w / 2, dayTop, w, plot.bottom() - dayTop), kDay);
        p.fillRect(QRectF(cx - w / 2, nightTop, w, dayTop - nightTop), kNight);
        if (m.smu.count > 0) {
            const double smuTop = yOf(hoursOf(std::min(m.smu, m.total())), left);
            p.fillRect(QRectF(cx - w * 0.17, smuTop, w * 0.34, plot.bottom() - smuTop), kSmu);
        }
        if (m.total().count > 0) {
            p.setFont(small);
            p.setPen(Qt::black);
            p.drawText(QRectF(cx - slot / 2, nightTop - sfm.height() - 2, slot, sfm.height()), Qt::AlignCenter,
                       totals::hoursText(m.total()));
            p.setFont(base);
        }
        p.setPen(Qt::black);
        p.drawText(QRectF(cx - slot / 2, plot.bottom() + pad * 0.4, slot, line), Qt::AlignHCenter | Qt::AlignTop,
                   totals::shortMonthName(m.month.month()));
        if (i == 0 || m.month.month() == 1) {
            p.setPen(kAxis);
            p.drawText(QRectF(cx - slot / 2, plot.bottom() + pad * 0.4 + line, slot, line),
                       Qt::AlignHCenter | Qt::AlignTop, QString::number(m.month.year()));
        }
        if (i < hours.running.size())
            points << QPointF(cx, yOf(hoursOf(hours.running[i]), right));
    }
    p.setPen(QPen(kAxis, 1));
    p.drawLine(plot.bottomLeft(), plot.bottomRight());

    p.setPen(QPen(kRunning, 2));
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i < points.size(); ++i)
        p.drawLine(points[i - 1], points[i]);
    p.setBrush(kRunning);
    for (const QPointF& pt : points)
        p.drawEllipse(pt, line * 0.18, line * 0.18);

    if (most <= 0) {
        p.setPen(kAxis);
        p.drawText(plot, Qt::AlignCenter, QStringLiteral("Полётов за эти месяцы в лётной книжке нет"));
    }
    p.restore();
}

namespace {

QFont imageFont(QSize size) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(11, size.height() / 42));
    return font;
}

} // namespace

QImage hoursChartImage(const totals::HoursOfMonths& hours, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(imageFont(size));
    paintHoursChart(p, QRectF(QPointF(0, 0), QSizeF(size)), hours);
    return image;
}

QString chartTargetRefusal(const QString& path, const QString& bookPath, ChartFormat format) {
    if (format == ChartFormat::Png)
        return logbook::files::outputTargetRefusal(
            path, bookPath, {QStringLiteral("график"), QStringLiteral("PNG"), [](const QByteArray& head) {
                                 return head.startsWith("\x89PNG\r\n\x1a\n");
                             }});
    return logbook::files::outputTargetRefusal(path, bookPath,
                                               {QStringLiteral("график"), QStringLiteral("SVG"),
                                                [](const QByteArray& head) { return head.contains("<svg"); }});
}

void saveHoursChart(const totals::HoursOfMonths& hours, const QString& path, ChartFormat format, QSize size) {
    QSaveFile file(path);
    const auto refused = [&] {
        return Error(Error::FileAccess, QStringLiteral("График не записан в файл: ") + path, file.errorString());
    };
    if (!file.open(QIODevice::WriteOnly))
        throw refused();
    if (format == ChartFormat::Png) {
        if (!hoursChartImage(hours, size).save(&file, "PNG"))
            throw refused();
    } else {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(hours.caption);
        svg.setDescription(QStringLiteral("Лётная книжка: налёт по месяцам"));
        QPainter p;
        if (!p.begin(&svg))
            throw refused();
        p.setFont(imageFont(size));
        paintHoursChart(p, QRectF(QPointF(0, 0), QSizeF(size)), hours);
        p.end();
    }
    if (!file.commit())
        throw refused();
}

} // namespace korv::chart
