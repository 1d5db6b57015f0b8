#pragma once

// The shape of the logbook sheet as it stands, read from its values: which record pairs hold a record, a
// month heading, nothing, or something that is neither, and where the next record goes. The pilot edits
// the sheet by hand (clears cells, inserts rows), so nothing here is taken from the layout alone.

#include "logbook/record_layout.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

namespace korv::logbook {

// Cells as a block read gives them: double for numbers (dates and times included), QString for texts, an
// empty QString for an empty cell, an invalid QVariant for an error cell (which is not empty).
bool isEmptyCell(const QVariant& cell);
// The cell of a block row, empty where the row is shorter.
QVariant cellAt(const QVariantList& row, int column);
// The date a column-A cell holds: a date value, or a date typed as dd.mm.yy or dd.mm.yyyy; only the years
// 2000-2099 the logbook is kept in count as dates.
std::optional<QDate> cellDate(const QVariant& cell);

enum class PairKind {
    Empty,      // nothing in either row
    Record,     // a date in A and something in E on the first row
    Heading,    // E of the first row and nothing else in the pair
    Unreadable, // something, but neither a record nor a heading (see SheetPair::column)
};

struct SheetPair {
    int row = 0; // zero-based sheet row of the pair's first row
    PairKind kind = PairKind::Empty;
    // Unreadable: the column that makes it so: A (no date where one belongs), E (a date without an exercise),
    // or the first column holding anything in a pair with neither a date nor an exercise.
    int column = -1;
};

struct BookShape {
    // Every pair from row 7 to the last used one, empty pairs included.
    QList<SheetPair> pairs;
    // Zero-based first row of the pair after the last used pair: where the next entry goes.
    int freeRow = records::kFirstRow;
    // The first row that holds a date in A or an entry in E but is the second row of a pair (a row inserted
    // or deleted above it by hand); nothing when every entry is in step.
    std::optional<int> outOfStepRow;

    // The last pair holding anything, or nothing for a sheet without entries.
    const SheetPair* lastUsed() const;
    int recordCount() const;
};

// The shape of a block read from row 7 (zero-based row 6) on, from column A; columns A..U decide what a
// pair is, and anything in any column read makes it used.
BookShape readBookShape(const QList<QVariantList>& block);

// Refuses a sheet whose pairs are out of step, naming the row (zero-based) and what to do.
QString outOfStepMessage(int row);

// A column as messages name it: its letter and its heading ("G «Налёт, общий»").
QString columnName(int column);

// A cell as text, as a program reading the cell's value as text sees it: a date value in the
// day.month.year form (dd.mm.yyyy), a number in its shortest form, a text as it stands.
QString cellText(const QVariant& cell, bool dateValue = false);
// A cell as messages quote it: «at most 20 characters», or "ошибка вычисления" for an error cell.
QString quotedCell(const QVariant& cell);
// What is wrong with an entry's cell, in the words the totals and the check both use: "в столбце G «Налёт,
// общий» стоит «abc», а нужно время вида 1:25" (`cell`: "стоит «abc»", "пусто").
QString entryFault(int column, const QString& cell, const QString& expected);
// What makes an unreadable pair so, in the same words, from the first row of its cells.
QString unreadableFault(const SheetPair& pair, const QVariantList& firstRow);

} // namespace korv::logbook
