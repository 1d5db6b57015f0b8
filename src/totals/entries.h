#pragma once

// The logbook's entries as the totals take them (the model's, logbook/logbook.h), and the values of a record
// the passes add up.

#include "common/minutes.h"
#include "logbook/entry_faults.h"
#include "logbook/logbook.h"

namespace korv::totals {

using logbook::cellText;
using logbook::Entry;
using logbook::isEmptyCell;
using logbook::refuseEntry;
using logbook::refuseUnreadable;

// Column A as text (a date value as dd.mm.yyyy).
QString dateText(const Entry& e);

// What a record adds to the sums: F, G, H, I, J, O, Q, R, S. Flights and take-offs are added as they stand;
// approaches and landings as whole 16-bit numbers (halves to even).
struct RecordValues {
    double flights = 0;
    Minutes total, hood, smu, clouds;
    double takeOffs = 0;
    long long approaches = 0, landings = 0, minimumLandings = 0;

    RecordValues& operator+=(const RecordValues& other);
    bool isZero() const { return *this == RecordValues{}; }
    friend bool operator==(const RecordValues&, const RecordValues&) = default;
};

// The values of a record as the logbook's one reading reads them (logbook/cells.h): a time typed as text as
// the time it says, a count typed as text as that number, an empty cell 0; Q, R and S whole 16-bit numbers
// (halves to even). Anything else is refused with
// Error::BadEntry naming the row and the column, as is a record without an aircraft type (B) or without "Д"
// or "Н" (C), which no pass would count.
RecordValues recordValues(const Entry& e);

} // namespace korv::totals
