#include "totals/entries.h"

#include "common/error.h"
#include "common/flightdate.h"
#include "common/int16.h"
#include "common/numtext.h"
#include "logbook/record_layout.h"

namespace korv::totals {

namespace {

namespace column = logbook::records::column;
using logbook::cellAt;
using logbook::quotedCell;

} // namespace

QList<Entry> entriesFromBlock(const QList<QVariantList>& rows) {
    const logbook::BookShape shape = logbook::readBookShape(rows);
    if (shape.outOfStepRow)
        throw Error(Error::BadEntry, logbook::outOfStepMessage(*shape.outOfStepRow));
    QList<Entry> entries;
    for (const logbook::SheetPair& pair : shape.pairs) {
        if (pair.kind == logbook::PairKind::Empty)
            continue;
        const QVariantList& r = rows[pair.row - logbook::records::kFirstRow];
        Entry e;
        e.row = pair.row;
        e.kind = pair.kind;
        e.column = pair.column;
        e.A = cellAt(r, column::A);
        e.B = cellAt(r, column::B);
        e.C = cellAt(r, column::C);
        e.D = cellAt(r, column::D);
        e.E = cellAt(r, column::E);
        e.F = cellAt(r, column::F);
        e.G = cellAt(r, column::G);
        e.H = cellAt(r, column::H);
        e.I = cellAt(r, column::I);
        e.J = cellAt(r, column::J);
        e.K = cellAt(r, column::K);
        e.L = cellAt(r, column::L);
        e.O = cellAt(r, column::O);
        e.P = cellAt(r, column::P);
        e.Q = cellAt(r, column::Q);
        e.R = cellAt(r, column::R);
        e.S = cellAt(r, column::S);
        entries << e;
    }
    return entries;
}

QString dateText(const Entry& e) { return cellText(e.A, true); }

std::optional<QDate> recordDate(const Entry& e) { return logbook::cellDate(e.A); }

namespace {

[[noreturn]] void refuseWith(const Entry& e, const QString& fault) {
    const auto date = recordDate(e);
    const QString of =
        date ? QStringLiteral(" (запись от ") + date->toString(QStringLiteral("dd.MM.yyyy")) + u')' : QString();
    throw Error(Error::BadEntry, QStringLiteral("В строке %1 лётной книжки").arg(e.row + 1) + of + u' ' + fault +
                                     QStringLiteral(". Исправьте запись и повторите."));
}

} // namespace

void refuseEntry(const Entry& e, int c, const QString& cell, const QString& expected) {
    refuseWith(e, logbook::entryFault(c, cell, expected));
}

void refuseUnreadable(const Entry& e) {
    // The pair's first row as far as the fault reads it: column A.
    refuseWith(e, logbook::unreadableFault({e.row, e.kind, e.column}, QVariantList{e.A}));
}

std::array<double, 9> recordValues(const Entry& e) {
    if (cellText(e.B).trimmed().isEmpty())
        refuseEntry(e, column::B, QStringLiteral("пусто"), QStringLiteral("тип самолёта"));
    const QString dayNight = cellText(e.C);
    if (dayNight != u"Д" && dayNight != u"Н")
        refuseEntry(e, column::C,
                    isEmptyCell(e.C) ? QStringLiteral("пусто") : QStringLiteral("стоит ") + quotedCell(e.C),
                    QStringLiteral("«Д» или «Н»"));

    const auto number = [&](const QVariant& cell, int c, bool time, bool whole) -> double {
        if (isEmptyCell(cell))
            return 0;
        if (cell.typeId() == QMetaType::Double) {
            if (!whole)
                return cell.toDouble();
            try {
                return roundToInt16(cell.toDouble());
            } catch (const Error&) {
                refuseEntry(e, c, QStringLiteral("стоит ") + quotedCell(cell), QStringLiteral("целое число"));
            }
        }
        if (cell.typeId() == QMetaType::QString) {
            if (time) {
                if (const auto t = timeOfText(cell.toString()))
                    return *t;
            } else if (const auto n = wholeNumber(cell.toString()); n && *n >= kInt16Min && *n <= kInt16Max) {
                return double(*n);
            }
        }
        refuseEntry(e, c, QStringLiteral("стоит ") + quotedCell(cell),
                    time ? QStringLiteral("время вида 1:25") : QStringLiteral("целое число"));
    };
    return {
        number(e.F, column::F, false, false), number(e.G, column::G, true, false), number(e.H, column::H, true, false),
        number(e.I, column::I, true, false),  number(e.J, column::J, true, false), number(e.O, column::O, false, false),
        number(e.Q, column::Q, false, true),  number(e.R, column::R, false, true), number(e.S, column::S, false, true)};
}

} // namespace korv::totals
