#pragma once

// The ten category sums of a totals run (control, training, instructor, other and all flying, by day and
// by night) over the selected records, computed in memory with the results the summing sheet would give.

#include "totals/entries.h"
#include "totals/progress.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <array>
#include <optional>

namespace korv::totals {

// One row of the category block: its caption (column E) and the sums of F, G, H, I, J, O, Q, R, S.
struct CategoryRow {
    QString caption;
    RecordValues sums;
};

// The ten rows in the order of the summary (rows 7-16); a category without records is empty.
using CategoryBlock = std::array<std::optional<CategoryRow>, 10>;

// The columns of a row's sums, in order, as zero-based sheet columns.
inline constexpr std::array<int, 9> kSumColumns = {5, 6, 7, 8, 9, 14, 16, 17, 18};

// The category block as the summary sheet holds it in rows 7-16: columns A..U of each row, the caption in
// E and the sums in their columns (times as the spreadsheet's time values), empty cells elsewhere and for a
// category without records.
QList<QVariantList> summaryRows(const CategoryBlock& block);

// The grand totals of the summary's last row: the day's total and the night's (either may be missing).
RecordValues grandTotals(const CategoryBlock& block);

// The sums of a row as the summary's cells F, G..J, O, Q, R, S hold them.
std::array<QVariant, 9> sumCells(const RecordValues& sums);

// The passes over the selected records in their fixed order: SumControlDay, SumTrainingDay,
// SumInstructorDay, SumOtherDay, SumTotalDay and the same by night, adding `values` (recordValues of each
// selected record, in the same order). Reports each pass's status texts and progress.
CategoryBlock RunCategoryPasses(const QList<Entry>& selected, const QList<RecordValues>& values,
                                const QString& bookType, TotalsProgress& progress);
// The passes over the records of every type together (no record is left out for its type); the total rows
// say "Итого всех типов".
CategoryBlock RunCategoryPassesOverAllTypes(const QList<Entry>& selected, const QList<RecordValues>& values,
                                            TotalsProgress& progress);
inline const QString kAllTypesCaption = QStringLiteral("всех типов");

// The caption of the day's (row 11) or the night's (row 16) total of `type`: "Итого Л-39     День".
QString totalCaption(bool night, const QString& type);
// The rows of the day's and the night's totals in a block.
inline constexpr std::size_t kDayTotalRow = 4, kNightTotalRow = 9;

// The same, reading each record's values first (recordValues: what cannot be counted throws Error::BadEntry
// naming the row and the column, before anything is summed).
CategoryBlock RunCategoryPasses(const QList<Entry>& selected, const QString& bookType, TotalsProgress& progress);

} // namespace korv::totals
