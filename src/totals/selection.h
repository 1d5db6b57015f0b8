#pragma once

// The scan of the logbook sheet for a totals run: which entries fall in the period, and of which aircraft
// types the records taken are.

#include "totals/entries.h"
#include "totals/period.h"
#include "totals/progress.h"

#include <QList>

namespace korv::totals {

// The indices of the entries taken for the period, in the logbook's order; a month heading is never
// taken. Month periods take the records of the month, year periods those of the year, except that the
// record right below a month heading is judged by the heading's year; a free period compares the record's
// own date, both ends included. A pair that is neither a record nor a heading is refused
// (Error::BadEntry naming its row and column) unless its own date puts it outside the period. Reports the
// status texts and progress of the scan.
QList<int> SelectEntries(const QList<Entry>& entries, const PeriodState& period, TotalsProgress& progress);

struct AircraftTypes {
    QString BookType;  // the type of the first record
    QString OtherType; // the first type that differs, empty when all are one
};

// The aircraft types of the selected records, counted up to the first without a type.
AircraftTypes CheckAircraftType(const QList<Entry>& selected, TotalsProgress& progress);

struct TypeCount {
    QString type;
    int records = 0;
};
// The aircraft types of the selected records with their numbers of records, in the order each first
// appears in the logbook.
QList<TypeCount> countTypes(const QList<Entry>& selected);
// "Л-39 — 5, Су-27 — 4"; a type flown only before the logbook (no records) "Як-52 — только налёт до книжки".
QString typesText(const QList<TypeCount>& types);

} // namespace korv::totals
