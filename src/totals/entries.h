#pragma once

// The entries of the logbook sheet as the totals read them: flight records and month headings, two rows
// each from row 7, typed from one block read of columns A to S.

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

namespace korv::totals {

// One entry, read through the first row of its pair. Cells keep the block's kinds: double for numbers
// (dates and times included), QString for texts, an empty QString for empty cells.
struct Entry {
    int row = 0; // zero-based sheet row of the entry's first row
    QVariant A, B, C, D, E, F, G, H, I, J, O, Q, R, S;
};

// The entries from row 7 of a block of columns A..S read from row 7 on; the list ends at the first entry
// whose column E is empty.
QList<Entry> entriesFromBlock(const QList<QVariantList>& rowsAtoS);

// A cell as text, as a program reading the cell's value as text sees it: a date value in the
// day.month.year form (dd.mm.yyyy), a number in its shortest form, a text as it stands.
QString cellText(const QVariant& cell, bool dateValue = false);
bool isEmptyCell(const QVariant& cell);

// Column A as text (a date value as dd.mm.yyyy).
QString dateText(const Entry& e);
// Column A as a date: a date value, or a date typed as dd.mm.yy or dd.mm.yyyy.
std::optional<QDate> recordDate(const Entry& e);

} // namespace korv::totals
