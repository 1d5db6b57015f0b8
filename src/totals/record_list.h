#pragma once

// The records of the logbook as the pilot looks for one: those of a period (as the totals take them), of
// an aircraft type, with a text in the exercise; with the count and the sums of what was found.

#include "totals/entries.h"
#include "totals/period.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

namespace korv::totals {

// What the records are looked for by; an empty part takes every record.
struct RecordFilter {
    std::optional<PeriodState> period; // as the totals select it
    QString type;                      // the aircraft type as column B holds it (spaces around ignored)
    QString exerciseText;              // a text anywhere in column E, case ignored
};

// The records found, in the logbook's order, and their sums (flights, the four times, the counts).
struct RecordList {
    QList<Entry> records;
    QList<QStringList> fields; // exportFields of each record, made once
    RecordValues sums;
};

// The records of `entries` the filter takes. What the totals would refuse in a record it takes is refused
// here too (Error::BadEntry naming the row and the column), before anything is listed.
RecordList listRecords(const QList<Entry>& entries, const RecordFilter& filter);

// The places in exportFields (record_export.h) of the fields a list shows.
enum ListedField {
    kDateField,
    kTypeField,
    kDayNightField,
    kSeatField,
    kExerciseField,
    kFlightsField,
    kTotalField,
    kHoodField,
    kSmuField,
    kCloudsField,
    kApproachesField = 14,
    kLandingsField,
    kUmpField
};

// A record as the pilot knows it, for the questions and answers about one record: "строка 11: 06.09.2004,
// Л-39, Д, Упр.  7 …, налёт 1:25"; one the totals could not count by its row and column A as it stands.
QString recordSummary(const Entry& e);

// The count and the sums of the list as one line: "Записей: …; полётов: …; налёт …".
QString sumsLine(const RecordList& list);

// The list as a table for a terminal: a line a record (row, date, type, Д/Н, seat, flights, the four times,
// approaches, landings, УМП, the exercise), then the count and the sums.
QString recordTable(const RecordList& list);

// The list as JSON: "records" (the exported fields of each record with its "row"), "count" and "sums".
QJsonObject recordListJson(const RecordList& list);

} // namespace korv::totals
