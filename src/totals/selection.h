#pragma once

// The scan of the logbook sheet for a totals run: which entries fall in the period, and whether the
// records taken are of one aircraft type.

#include "totals/entries.h"
#include "totals/period.h"
#include "totals/progress.h"

#include <QList>

namespace korv::totals {

// The indices of the entries taken for the period, in the logbook's order; a month heading is never
// taken. Month periods compare the record's mm.yy, year periods its yy, except that the record below a
// month heading is judged by the heading's year; a free period compares the record's own date as a date,
// both ends included. Reports the status texts and progress of the scan.
QList<int> SelectEntries(const QList<Entry>& entries, const PeriodState& period, TotalsProgress& progress);

struct AircraftTypes {
    QString BookType;  // the type of the first record
    QString OtherType; // the first type that differs, empty when all are one
};

// The aircraft types of the selected records, counted up to the first without a type.
AircraftTypes CheckAircraftType(const QList<Entry>& selected, TotalsProgress& progress);

} // namespace korv::totals
