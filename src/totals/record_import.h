#pragma once

// Old records brought into the logbook: each line of the source read by its mapping into a record's cells,
// and judged against the logbook before anything is written — added, the same as a record already there,
// passed over, or refused with the reason. Pure: the logbook's model in, the plan out.

#include "logbook/book_check.h"
#include "logbook/logbook.h"
#include "totals/import_mapping.h"
#include "totals/import_source.h"
#include "totals/record_list.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace korv::totals {

// The readings of one value, each refusing (Error::BadEntry, saying what it wanted) what it cannot read:
// a date dd.mm.yy, dd.mm.yyyy, yyyy-mm-dd (or a workbook's date value), of 2000-2099;
std::optional<QDate> importedDate(const QVariant& cell);
// a time h:mm, or with a point or a comma by `style`, or a whole number of hours (a workbook's number below
// a day is a time value unless `numbersAreHours`), in whole minutes (decimal hours to the nearest);
std::optional<Minutes> importedTime(const QVariant& cell, TimeStyle style, bool numbersAreHours);
// "Д" or "Н" from Д/Н, день/ночь, day/night, D/N in any case;
std::optional<QString> importedDayNight(const QVariant& cell);
// a whole number from 0 (a number, or a text of digits).
std::optional<double> importedCount(const QVariant& cell);

// What becomes of a line.
enum class Fate {
    Added,   // written as a new record
    Same,    // the same record (date, type, exercise, the four times) stands in the logbook: not written again
    Skipped, // no record and nothing to refuse: a month heading or a line of one value without a date
    Refused, // a value that cannot be read, or what the check calls an error: the whole import waits for it
};
QString fateName(Fate fate); // "добавится", "уже есть", "пропущена", "отказ"

struct ImportLine {
    int line = 0; // the source's line (row), one-based
    Fate fate = Fate::Refused;
    logbook::PairCells cells; // Added, Same: the record
    int sameRow = 0;          // Same: the one-based first row of the record in the logbook
    QString reason;           // Same, Skipped, Refused: why, in Russian

    // "строка 12: добавится", "строка 13: уже есть (строка 41 лётной книжки)", "строка 14: отказ: …".
    QString text() const;
};

struct ImportPlan {
    QList<ImportLine> lines;
    bool numbersAreHours = false; // a workbook's numbers in the time columns read as hours (see importedTime)
    RecordList added;             // what will be added, with its sums (sumsLine)

    int count(Fate fate) const;
    bool refused() const { return count(Fate::Refused) > 0; }
    // The cells of the records to add, in the source's order.
    QList<logbook::PairCells> records() const;
    // "Добавится записей: 3; уже есть: 1; пропущено: 0; отказов: 0" and the sums of what is added.
    QString summary() const;
};

// The text of column E for an exercise given as a bare number ("7"): the program's own wording of an own
// flight with the reference's description.
using ExerciseWording = std::function<QString(long long exercise)>;

// The plan of bringing `table` into `book` by `mapping`. Every line is read and judged: a line the check would
// call an error in any record is refused; one that matches a record already in the logbook (each record
// matched once) is the same; the rest are added. `book` out of step is refused (Error::BadEntry) as every
// change of the records refuses it.
ImportPlan planImport(const ImportTable& table, const Mapping& mapping, const logbook::Logbook& book,
                      const ExerciseWording& wording = {});

} // namespace korv::totals
