#pragma once

// The one place that reads "Лист1" into the logbook's model and lays the model's edits out on it: block
// writes and copies of the record slot's look, then a block read of what it wrote, compared with the model.

#include "logbook/book_check.h"
#include "logbook/logbook.h"
#include "spreadsheet/document.h"

#include <QList>
#include <QSet>

namespace korv::logbook {

// "Лист1" in one block read: rows 1-6 and every row from 7 to the last used one and one more (the second
// row of the last pair, which the used area may end before), columns A..V.
Logbook readLogbook(const Sheet& sheet1);

// Whether anything stands below the header: E7 in nearly every logbook, else any cell of A..V (the used area
// counts formatted cells too, so the cells are read). Cheaper than the model for a change that needs no more.
bool holdsEntries(const Sheet& sheet1);

// The header captions laid out merged that are not (their cells, "A1"): one call each, for the check.
SheetMerges captionMerges(const Sheet& sheet1);

// Whether laying edits out also keeps the covered cells of the record pairs in few format runs (which makes
// saving fast; see logbook/record_slots.h). Leaving them as found is for measuring only.
enum class SlotUpkeep { ShareCoveredFormats, LeaveAsFound };

// What laying out has made sure of on the sheet of one change. Once made sure, it holds for the rest of the
// change: nothing but the change's own edits touches the sheet meanwhile, and each new pair takes the look of
// a pair already laid out. A batch of records asks each question once instead of once a record.
struct LayoutChecks {
    bool coveredFormatsShared = false; // the covered cells of the record pairs keep few format runs
    bool daysShown = false;            // column A shows the day of the month
};

// Lays `edits` out on `sheet1`, in order, each on the sheet as the model had it after the edits before it;
// `after` is the model after the last of them. Nothing that holds anything is written over: a merged area
// reaching into the rows an appended record takes refuses it (Error::BadEntry) before anything is written.
// Then the rows from the first edit down to the free pair are read back and compared with `after`: a
// difference is Error::Spreadsheet, and the change must be dropped. `checks`, when given, is what earlier
// edits of the same change made sure of; it is brought up to date.
void layOut(Sheet& sheet1, const QList<PairEdit>& edits, const Logbook& after,
            SlotUpkeep upkeep = SlotUpkeep::ShareCoveredFormats, LayoutChecks* checks = nullptr);

// Deletes every pair from row 7 to `endRow` (zero-based, exclusive) but those starting at `keptRows`, in
// runs from the bottom up, so that the kept pairs end up together below the header in their order. For a
// scratch copy of the logbook (its pages), never the logbook itself.
void keepOnlyPairs(Sheet& sheet1, const QSet<int>& keptRows, int endRow);

} // namespace korv::logbook
