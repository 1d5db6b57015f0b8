#pragma once

// The records of a period as plain data for other programs: one line a record (never a month heading),
// twenty fields with a Russian header, as CSV (RFC 4180, UTF-8) or as JSON objects.

#include "totals/entries.h"
#include "totals/period.h"

#include <QJsonArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace korv::totals {

// The header line's names, in the fields' order: дата, тип, время суток, … посадок при минимуме.
QStringList exportHeader();
// The JSON keys of the same fields: date, type, dayNight, …, minimumLandings.
QStringList exportKeys();

// One record's fields as text: the date dd.mm.yyyy, times h:mm (a time typed as text as the time it says),
// counts as whole numbers, the other cells as they stand; an empty cell is an empty field. What the totals
// would refuse is refused here too (Error::BadEntry naming the row and the column).
QStringList exportFields(const Entry& e);

// The records to export: those of `period` as the totals take them (SelectEntries), or every record when
// there is none; a pair that is neither record nor heading is refused when it may belong to them.
QList<Entry> exportedRecords(const QList<Entry>& entries, const std::optional<PeriodState>& period);

// A CSV line of `fields` (RFC 4180: a field with a comma, a quote or a line break quoted, quotes doubled),
// ended by CRLF.
QString csvLine(const QStringList& fields);
// The whole CSV: the header, then a line a record.
QString exportCsv(const QList<Entry>& records);
// The records as JSON objects by exportKeys, with "row", the record's one-based logbook row.
QJsonArray exportJson(const QList<Entry>& records);

} // namespace korv::totals
