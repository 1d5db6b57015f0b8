#pragma once

// The entries of the logbook sheet as the totals read them: flight records, month headings and pairs that
// are neither, two rows each from row 7, typed from one block read of columns A to U; and the values of a
// record the passes add up.

#include "logbook/book_shape.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

#include <array>
#include <optional>

namespace korv::totals {

// One entry, read through the first row of its pair. Cells keep the block's kinds: double for numbers
// (dates and times included), QString for texts, an empty QString for empty cells.
struct Entry {
    int row = 0; // zero-based sheet row of the entry's first row
    logbook::PairKind kind = logbook::PairKind::Record;
    int column = -1; // an unreadable pair: the column that makes it so (logbook::SheetPair)
    QVariant A, B, C, D, E, F, G, H, I, J, K, L, O, P, Q, R, S;

    bool isRecord() const { return kind == logbook::PairKind::Record; }
    bool isHeading() const { return kind == logbook::PairKind::Heading; }
};

// The entries of a block of columns A..U read from row 7 to the last used row, in the logbook's order: the
// empty pairs between them are passed over (a hole is not the end of the logbook). A block whose pairs are
// out of step (a row inserted or deleted by hand) is refused with Error::BadEntry naming the row.
QList<Entry> entriesFromBlock(const QList<QVariantList>& rowsAtoU);

using logbook::cellText;
using logbook::isEmptyCell;

// Column A as text (a date value as dd.mm.yyyy).
QString dateText(const Entry& e);
// Column A as a date: a date value, or a date typed as dd.mm.yy or dd.mm.yyyy.
std::optional<QDate> recordDate(const Entry& e);

// The Error::BadEntry that refuses an entry the totals cannot count: the row, the column, what stands
// there and what belongs there.
[[noreturn]] void refuseEntry(const Entry& e, int column, const QString& cell, const QString& expected);
// The refusal of a pair that is neither a record nor a month heading.
[[noreturn]] void refuseUnreadable(const Entry& e);

// The values of a record that the passes add, in the order of the summary's columns F, G, H, I, J, O, Q,
// R, S: numbers as they stand; a time typed as text h:mm (G..J) as the time it says; a whole number typed
// as text (F, O, Q, R, S) as that number; Q, R and S whole 16-bit numbers (halves to even); an empty cell
// 0. Anything else is refused with Error::BadEntry naming the row and the column, as is a record without
// an aircraft type (B) or without "Д" or "Н" (C), which no pass would count.
std::array<double, 9> recordValues(const Entry& e);

} // namespace korv::totals
