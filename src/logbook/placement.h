#pragma once

// Where a new record goes on the record sheet, decided from the sheet's values alone: after the last used
// pair, with a month heading first when the month changes. The office code reads the block and lays out
// what this decides.

#include "logbook/book_shape.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

namespace korv::logbook {

struct RecordPlacement {
    // Zero-based first row of the free pair: the heading's when there is one, else the record's.
    int row = records::kFirstRow;
    // The month heading that goes into the free pair first, the record in the pair below it.
    std::optional<QString> heading;

    int recordRow() const { return heading ? row + records::kRowsPerRecord : row; }
    // The last row the write takes: the heading's pair, the record's, and the empty pair kept below.
    int lastRow() const { return recordRow() + 2 * records::kRowsPerRecord - 1; }
};

// Whether a record dated `flightDate`, written at the free pair of `shape` (read from `block`), needs a
// month heading first: the last entry before the free pair that tells a month (a date in A, or a month
// heading) is neither of the flight's month nor that month's heading.
bool needsMonthHeading(const BookShape& shape, const QList<QVariantList>& block, const QDate& flightDate);

// Where a record dated `flightDate` goes on the sheet whose columns A..V from row 7 on are `block`, of
// the shape read from it: the rows from the free pair on hold nothing, by that reading. Refuses (Error::BadEntry) a
// sheet whose pairs are out of step, naming the row.
RecordPlacement placeRecord(const BookShape& shape, const QList<QVariantList>& block, const QDate& flightDate);

} // namespace korv::logbook
