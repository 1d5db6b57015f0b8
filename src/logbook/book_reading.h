#pragma once

// The logbook read for a check: a copy of the file opened in the office, never the file itself, so that
// reading it takes no lock of the logbook, leaves no lock file beside it and cannot change a byte of it.

#include "logbook/book_check.h"
#include "spreadsheet/office.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <functional>

namespace korv::logbook {

// "Лист1" as the check reads it: rows 1-6 and the rows from 7 to the last used one, columns A..U.
struct SheetSnapshot {
    QList<QVariantList> header;
    QList<QVariantList> block;
    SheetMerges merges;
};

// Copies the logbook at `bookPath` into `scratch` as `name`, never the logbook's own name, so that the copy
// is never taken for the logbook; returns the copy's path. A missing logbook is Error::FileNotFound naming
// it, a copy that cannot be made Error::FileAccess.
QString copyForReading(const QString& bookPath, const QTemporaryDir& scratch, const QString& name);

// Reads "Лист1" of the logbook at `bookPath` from a copy in a temporary folder. A missing logbook is
// Error::FileNotFound naming it; a file the office cannot open as a workbook with "Лист1", Error::BadWorkbook.
SheetSnapshot readSheetSnapshot(Office& host, const QString& bookPath);

// The records a logbook file (a backup) holds: the pairs of "Лист1" with a date in A and an exercise in E,
// read in one block. A file that is no workbook with "Лист1" is Error::BadWorkbook.
int recordCount(Office& host, const QString& path);

// The captions of rows 1-6 as a new logbook writes them, for the check to compare with.
QList<ExpectedCaption> expectedCaptions();

// What the check is doing: a status text and the step (1..kCheckSteps) it begins.
using CheckProgress = std::function<void(const QString& status, int step)>;
inline constexpr int kCheckSteps = 3;

// The check of the logbook at `bookPath` against `reference` (its captions filled in here).
QList<Finding> checkLogbook(Office& host, const QString& bookPath, CheckReference reference,
                            const CheckProgress& progress = {});

} // namespace korv::logbook
