#pragma once

// Old records brought into the logbook through an office: a sheet of another workbook read as a table, and
// the import itself as one change of the logbook (one backup, one save, undoable as every change).

#include "logbook/change_settings.h"
#include "spreadsheet/office.h"
#include "totals/record_import.h"

#include <QString>

#include <optional>

namespace korv::totals {

// The sheet `sheetName` (the first sheet when empty) of the workbook at `path` (.xls, .xlsx, .ods, …), read
// from a copy so that the file is never touched. A file the office cannot open as a spreadsheet is
// Error::BadWorkbook naming it, a sheet it does not hold Error::BadEntry naming the sheets it does.
ImportTable readWorkbookTable(logbook::Office& office, const QString& path, const QString& sheetName = {});

struct ImportOutcome {
    ImportPlan plan;             // as judged under the change's lock
    std::optional<QString> note; // what failed after the logbook was saved (LogbookChange::save)
};

// The import of `table` by `mapping` into the logbook at `bookPath`: the plan made again on the logbook as it
// stands under the change's lock; a refused line refuses the whole import (Error::BadEntry, the reasons
// named), as does a plan that adds other records than `expected` (the preview the pilot saw: Error::Changed);
// the records added in date order among those there, month headings laid as a write lays them, one backup
// and one save, noted as "перенос записей: N". Nothing to add changes nothing.
ImportOutcome importRecords(logbook::Office& office, const QString& bookPath, const ImportTable& table,
                            const Mapping& mapping, const ExerciseWording& wording = {},
                            const std::optional<QList<logbook::PairCells>>& expected = std::nullopt,
                            const logbook::ChangeSettings& settings = {});

} // namespace korv::totals
