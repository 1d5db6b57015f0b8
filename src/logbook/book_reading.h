#pragma once

// The logbook read where nothing is changed: from a copy of the file opened in the office, never the file
// itself, so that reading takes no lock of the logbook, leaves no lock file beside it and cannot change a
// byte of it.

#include "logbook/book_check.h"
#include "logbook/logbook.h"
#include "spreadsheet/office.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <functional>

namespace korv::logbook {

// Copies the logbook at `bookPath` into `scratch` as `name`, never the logbook's own name, so that the copy
// is never taken for the logbook; returns the copy's path. A missing logbook is Error::FileNotFound naming
// it, a copy that cannot be made Error::FileAccess.
QString copyForReading(const QString& bookPath, const QTemporaryDir& scratch, const QString& name);

struct LogbookRead {
    Logbook book;
    SheetMerges merges; // only when asked for
};

// The model of the logbook at `bookPath`, read from a copy in a temporary folder (with the header captions'
// merges the check needs, when asked). A missing logbook is Error::FileNotFound naming it; a file the office
// cannot open as a workbook with "Лист1", Error::BadWorkbook.
LogbookRead readLogbookCopy(Office& office, const QString& bookPath, bool withCaptionMerges = false);

// The entries of the logbook at `bookPath` for the views that only count them (the breaks, the chart, the
// export): read from a copy; a sheet whose pairs are out of step is Error::BadEntry naming the row.
QList<Entry> readEntriesCopy(Office& office, const QString& bookPath);

// The records a logbook file (a backup) holds, read in one block, in an operation of the office of its
// own. A file that is no workbook with "Лист1" is Error::BadWorkbook.
int recordCount(Office& office, const QString& path);

// The captions of rows 1-6 as a new logbook writes them, for the check to compare with.
QList<ExpectedCaption> expectedCaptions();

// What the check is doing: a status text and the step (1..kCheckSteps) it begins.
using CheckProgress = std::function<void(const QString& status, int step)>;
inline constexpr int kCheckSteps = 3;

// The check of the logbook at `bookPath` against `reference` (its captions filled in here).
QList<Finding> checkLogbook(Office& office, const QString& bookPath, CheckReference reference,
                            const CheckProgress& progress = {});

} // namespace korv::logbook
