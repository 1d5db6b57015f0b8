#pragma once

// The logbook's entries read for a view that changes nothing (the breaks in flying, the hours chart): from a
// copy of the logbook, as the check reads it, so that no lock is taken and no byte of the logbook changes.

#include "spreadsheet/office.h"
#include "totals/entries.h"

#include <QList>
#include <QString>

namespace korv::totals {

// The entries of "Лист1" of the logbook at `bookPath`. A missing logbook is Error::FileNotFound, a file
// that is no logbook Error::BadWorkbook, a sheet out of step Error::BadEntry naming the row.
QList<Entry> readBookEntries(logbook::Office& host, const QString& bookPath);

} // namespace korv::totals
