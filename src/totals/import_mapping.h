#pragma once

// Which column of the old records holds which value of a logbook record, and how their times are written:
// guessed from the header's words, shown to the pilot, and kept in a mapping file for the next time.

#include "totals/import_source.h"

#include <QString>
#include <QStringList>

#include <array>

namespace korv::totals {

// The values of a record, in the order of the export's fields (record_export.h).
enum class ImportField {
    Date,
    Type,
    DayNight,
    Seat,
    Exercise,
    Flights,
    Total,
    Hood,
    Smu,
    Clouds,
    Altitude,
    CloudAmount,
    TakeOffs,
    System,
    Approaches,
    Landings,
    MinimumLandings,
    CloudTop,
    CloudBase,
    Visibility,
};
inline constexpr int kImportFields = 20;

// The field's name as the export's header has it ("дата", "налёт", …).
QString fieldName(ImportField field);

// How the times written with a point or a comma read: "1.25" is 1:25 (the input form's own hours.minutes),
// or a quarter past one (decimal hours). A time with a colon is always h:mm; a workbook's time value is a
// time whatever the style; a whole number is hours in either.
enum class TimeStyle { HoursDotMinutes, DecimalHours };
QString timeStyleName(TimeStyle style); // "ч.мм", "часы с долями"

struct Mapping {
    std::array<int, kImportFields> column; // the source column of each field, -1 for none
    TimeStyle times = TimeStyle::HoursDotMinutes;
    bool ownExport = false;  // the header is the program's own export's, recognised without asking
    bool timesGiven = false; // the style was said (a mapping file's "время"), not to be guessed

    Mapping() { column.fill(-1); }
    int operator[](ImportField f) const { return column[std::size_t(f)]; }
};

// The mapping a header suggests: the export's own header (all its fields, or the seventeen of earlier
// builds) as it stands; any other header by its words, Russian or English, each field taken by the first
// column that names it and each column taking one field at most.
Mapping guessMapping(const QStringList& header);

// The time style the table's times suggest: decimal hours when a time with a point or a comma has other than
// two digits after it or more than 59 there, else hours.minutes.
TimeStyle guessTimeStyle(const ImportTable& table, const Mapping& mapping);

// The mapping file: "# comment" lines, "поле = заголовок столбца" (the field by its name, the column by its
// header text) and "время = ч.мм" or "время = часы с долями".
QString mappingFileText(const Mapping& mapping, const QStringList& header);
// The mapping file at `path` for `header`: as readMappingFile, a missing file Error::FileNotFound, one that is
// no regular file or larger than 1 MiB refused naming it.
Mapping readMappingFileAt(const QString& path, const QStringList& header);
// Writes the mapping file at `path` whole or not at all (Error::FileAccess naming it).
void writeMappingFile(const QString& path, const Mapping& mapping, const QStringList& header);

// The mapping the file's text gives for `header`: every field it names, nothing else. A line that is no such
// pair, a field named twice, or a column the header does not hold is Error::BadEntry naming the line.
Mapping readMappingFile(const QString& text, const QStringList& header);

} // namespace korv::totals
