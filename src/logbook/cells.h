#pragma once

// The cells of the record sheet as a block read gives them, and the one reading of each kind of value they
// hold: a date, a time, a count. Everything that reads the logbook reads its values here, so that the
// totals, the check, the breaks, the chart and the export agree on what a readable value is.

#include "common/minutes.h"
#include "logbook/record_layout.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

#include <array>
#include <optional>

namespace korv::logbook {

// Cells as a block read gives them: double for numbers (dates and times included), QString for texts, an
// empty QString for an empty cell, an invalid QVariant for an error cell (which is not empty).
bool isEmptyCell(const QVariant& cell);
// The cell of a block row, empty where the row is shorter.
QVariant cellAt(const QVariantList& row, int column);

// A cell as text, as a program reading the cell's value as text sees it: a date value in the
// day.month.year form (dd.mm.yyyy), a number in its shortest form, a text as it stands.
QString cellText(const QVariant& cell, bool dateValue = false);
// A cell as messages quote it: «at most 20 characters», or "ошибка вычисления" for an error cell.
QString quotedCell(const QVariant& cell);

// The date a column-A cell holds: a date value, or a date typed as dd.mm.yy or dd.mm.yyyy; only the years
// 2000-2099 the logbook is kept in count as dates.
std::optional<QDate> cellDate(const QVariant& cell);

// How a time or count cell reads: nothing in it, a number, the same typed as text (which counts, but which
// a spreadsheet does not add up), or something that is no such value.
enum class Reading { Empty, Number, Text, Unreadable };

// A time cell: a time value, or a time typed as text h:mm; either counts as its nearest whole minute (a
// time typed with seconds too). Whether a time is plausible (not below zero) is the check's to judge.
struct TimeReading {
    Reading reading = Reading::Empty;
    Minutes minutes; // Number or Text

    bool unreadable() const { return reading == Reading::Unreadable; }
};
TimeReading readTime(const QVariant& cell);

// The largest count the logbook's sums take: the program's counts are 16-bit.
inline constexpr int kMostCount = 32767;

// A count cell (flights, take-offs, approaches, landings): a number as it stands, or a whole 16-bit number
// typed as text. Whether a number is a plausible count (whole, not below zero) is the check's to judge; the
// totals add it as a spreadsheet would.
struct CountReading {
    Reading reading = Reading::Empty;
    double value = 0; // Number or Text

    bool unreadable() const { return reading == Reading::Unreadable; }
    // A whole number from `least` to kMostCount.
    bool wholeFrom(int least) const;
};
CountReading readCount(const QVariant& cell);

// The cells the program writes for typed values.
QVariant dateCell(const QDate& date); // the date value
QVariant timeCell(Minutes minutes);   // the time value

// A pair of rows of the record sheet, columns A..V of both, as they stand (an empty cell is an empty
// string, as a block read gives it).
inline constexpr int kPairColumns = records::column::V + 1;
struct PairCells {
    std::array<QVariant, kPairColumns> first;
    std::array<QVariant, kPairColumns> second;

    PairCells();
    // The pair from two rows of a block read (shorter rows are empty beyond their end).
    static PairCells fromRows(const QVariantList& first, const QVariantList& second);
    QVariantList firstRow(int lastColumn = kPairColumns - 1) const;
    QVariantList secondRow(int lastColumn = kPairColumns - 1) const;
    // Whether the first row holds anything in A..last, the second in A..last.
    bool firstUsed(int lastColumn = kPairColumns - 1) const;
    bool secondUsed(int lastColumn = kPairColumns - 1) const;

    friend bool operator==(const PairCells&, const PairCells&) = default;
};

// Two cells as the same value: numbers compare as numbers (a date given as QDate as its value), texts as
// texts, empty with empty, error with error.
bool sameCell(const QVariant& a, const QVariant& b);

} // namespace korv::logbook
