#include "totals/entries.h"

#include "common/flightdate.h"
#include "logbook/record_layout.h"

#include <cmath>

namespace korv::totals {

namespace {

namespace column = logbook::records::column;

QVariant at(const QVariantList& row, int c) { return c < row.size() ? row[c] : QVariant(QString()); }

} // namespace

bool isEmptyCell(const QVariant& cell) { return cell.typeId() == QMetaType::QString && cell.toString().isEmpty(); }

QString cellText(const QVariant& cell, bool dateValue) {
    if (cell.typeId() == QMetaType::Double) {
        const double v = cell.toDouble();
        if (dateValue)
            return logbook::records::kDayZero.addDays(qint64(std::floor(v))).toString(QStringLiteral("dd.MM.yyyy"));
        return QString::number(v, 'g', 15);
    }
    return cell.toString();
}

QList<Entry> entriesFromBlock(const QList<QVariantList>& rows) {
    QList<Entry> entries;
    for (int i = 0; i < rows.size(); i += 2) {
        const QVariantList& r = rows[i];
        // An error cell (invalid) in E is not empty: something stands there.
        if (isEmptyCell(at(r, column::E)))
            break;
        Entry e;
        e.row = logbook::records::kFirstRow + i;
        e.A = at(r, column::A);
        e.B = at(r, column::B);
        e.C = at(r, column::C);
        e.D = at(r, column::D);
        e.E = at(r, column::E);
        e.F = at(r, column::F);
        e.G = at(r, column::G);
        e.H = at(r, column::H);
        e.I = at(r, column::I);
        e.J = at(r, column::J);
        e.O = at(r, column::O);
        e.Q = at(r, column::Q);
        e.R = at(r, column::R);
        e.S = at(r, column::S);
        entries << e;
    }
    return entries;
}

QString dateText(const Entry& e) { return cellText(e.A, true); }

std::optional<QDate> recordDate(const Entry& e) {
    if (e.A.typeId() == QMetaType::Double)
        return logbook::records::dateOfSerial(e.A.toDouble());
    return parseFlightDate(e.A.toString());
}

} // namespace korv::totals
