#pragma once

// Creation of a new, empty logbook in the logbook folder: four laid-out sheets saved as Korvelanta.xls.

#include "common/notice.h"
#include "logbook/book_change.h"
#include "logbook/progress.h"
#include "spreadsheet/office.h"

#include <QString>

namespace korv::logbook {

// The file name when bookDir holds the logbook file, an empty string when a logbook must be made.
QString LocateBookFile(const QString& bookDir);

// Attaches to the office and adds a one-sheet workbook whose sheet is named "Лист1"; reports the first
// status text and the progress value 1.
Workbook CreateEmptyBook(Office& host, int& progressValue, CreationProgress& progress);

// "Лётная книжка размещается  в <dir>/Korvelanta.xls" (Linux path with "/").
QString storageMessage(const QString& bookDir);
inline const QString kStorageTitle = QStringLiteral("Сохранение лётной книжки");

struct NewBook {
    bool created = false; // false: a logbook was there already, and is left alone
    // The storage message, to be told once the logbook is there (the status line keeps saying it until the
    // caller has told it and clears the line).
    Notice stored;
};

// The whole creation: status texts and progress values as they change, the save (never over an existing
// file), the close, all under the logbook's and the office's locks (ChangeGuard). Failures throw
// korv::Error; nothing is left on disk then and the half-built workbook is closed unsaved.
NewBook createNewLogbook(Office& host, const QString& bookDir, CreationProgress& progress,
                         const ChangeSettings& settings = {});

} // namespace korv::logbook
