#include "logbook/cells.h"

#include "common/date_serial.h"
#include "common/flightdate.h"
#include "common/int16.h"
#include "common/numtext.h"

#include <cmath>

namespace korv::logbook {

bool isEmptyCell(const QVariant& cell) { return cell.typeId() == QMetaType::QString && cell.toString().isEmpty(); }

QVariant cellAt(const QVariantList& row, int c) { return c < row.size() ? row[c] : QVariant(QString()); }

QString cellText(const QVariant& cell, bool dateValue) {
    if (cell.typeId() == QMetaType::Double) {
        const double v = cell.toDouble();
        if (dateValue)
            return korv::kDayZero.addDays(qint64(std::floor(v))).toString(QStringLiteral("dd.MM.yyyy"));
        return QString::number(v, 'g', 15);
    }
    return cell.toString();
}

QString quotedCell(const QVariant& cell) {
    if (!cell.isValid())
        return QStringLiteral("ошибка вычисления");
    return u'«' + cellText(cell).left(20) + u'»';
}

std::optional<QDate> cellDate(const QVariant& cell) {
    std::optional<QDate> date;
    if (cell.typeId() == QMetaType::Double)
        date = korv::dateOfSerial(cell.toDouble());
    else if (cell.typeId() == QMetaType::QString)
        date = parseFlightDate(cell.toString().trimmed());
    if (date && (date->year() < 2000 || date->year() > 2099))
        return std::nullopt;
    return date;
}

TimeReading readTime(const QVariant& cell) {
    if (isEmptyCell(cell))
        return {};
    if (cell.typeId() == QMetaType::Double)
        return {Reading::Number, Minutes::ofDays(cell.toDouble())};
    if (cell.typeId() == QMetaType::QString) {
        if (const auto days = timeOfText(cell.toString()))
            return {Reading::Text, Minutes::ofDays(*days)};
    }
    return {Reading::Unreadable, Minutes()};
}

CountReading readCount(const QVariant& cell) {
    if (isEmptyCell(cell))
        return {};
    if (cell.typeId() == QMetaType::Double)
        return {Reading::Number, cell.toDouble()};
    if (cell.typeId() == QMetaType::QString) {
        if (const auto n = wholeNumber(cell.toString()); n && *n >= kInt16Min && *n <= kInt16Max)
            return {Reading::Text, double(*n)};
    }
    return {Reading::Unreadable, 0};
}

bool CountReading::wholeFrom(int least) const {
    return reading != Reading::Unreadable && value == std::floor(value) && value >= least && value <= kMostCount;
}

QVariant dateCell(const QDate& date) { return korv::dateSerial(date); }
QVariant timeCell(Minutes minutes) { return minutes.days(); }

PairCells::PairCells() {
    first.fill(QVariant(QString()));
    second.fill(QVariant(QString()));
}

PairCells PairCells::fromRows(const QVariantList& firstRow, const QVariantList& secondRow) {
    PairCells p;
    for (int c = 0; c < kPairColumns; ++c) {
        p.first[std::size_t(c)] = cellAt(firstRow, c);
        p.second[std::size_t(c)] = cellAt(secondRow, c);
    }
    return p;
}

namespace {

QVariantList rowOf(const std::array<QVariant, kPairColumns>& cells, int last) {
    QVariantList row;
    row.reserve(last + 1);
    for (int c = 0; c <= last; ++c)
        row << cells[std::size_t(c)];
    return row;
}

bool used(const std::array<QVariant, kPairColumns>& cells, int last) {
    for (int c = 0; c <= last; ++c)
        if (!isEmptyCell(cells[std::size_t(c)]))
            return true;
    return false;
}

// A cell's number, when it holds one (a date given as QDate as its date value).
std::optional<double> numberOf(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::QString:
    case QMetaType::UnknownType:
        return std::nullopt;
    case QMetaType::QDate:
        return korv::dateSerial(v.toDate());
    default: {
        bool ok = false;
        const double d = v.toDouble(&ok);
        return ok ? std::optional(d) : std::nullopt;
    }
    }
}

} // namespace

QVariantList PairCells::firstRow(int lastColumn) const { return rowOf(first, lastColumn); }
QVariantList PairCells::secondRow(int lastColumn) const { return rowOf(second, lastColumn); }
bool PairCells::firstUsed(int lastColumn) const { return used(first, lastColumn); }
bool PairCells::secondUsed(int lastColumn) const { return used(second, lastColumn); }

bool sameCell(const QVariant& a, const QVariant& b) {
    if (!a.isValid() || !b.isValid())
        return a.isValid() == b.isValid();
    const auto x = numberOf(a);
    const auto y = numberOf(b);
    if (x || y)
        return x && y && *x == *y;
    return a.toString() == b.toString();
}

} // namespace korv::logbook
