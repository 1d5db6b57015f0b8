#pragma once

// What is wrong with an entry of the record sheet, in the words the totals, the check and the writing of
// records share: the row, the column with its heading, what stands there and what belongs there.

#include "logbook/logbook.h"

#include <QString>

namespace korv::logbook {

// Refuses a sheet whose pairs are out of step, naming the row (zero-based) and what to do.
QString outOfStepMessage(int row);

// A column as messages name it: its letter and its heading ("G «Налёт, общий»").
QString columnName(int column);

// What is wrong with an entry's cell: "в столбце G «Налёт, общий» стоит «abc», а нужно время вида 1:25"
// (`cell`: "стоит «abc»", "пусто").
QString entryFault(int column, const QString& cell, const QString& expected);
// What makes an unreadable pair so, in the same words.
QString unreadableFault(const Entry& entry);

// The Error::BadEntry that refuses an entry that cannot be counted: the row, the record's date when it has
// one, the column, what stands there and what belongs there.
[[noreturn]] void refuseEntry(const Entry& entry, int column, const QString& cell, const QString& expected);
// The refusal of a pair that is neither a record nor a month heading.
[[noreturn]] void refuseUnreadable(const Entry& entry);

} // namespace korv::logbook
