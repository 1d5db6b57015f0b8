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
    std::array<double, 9> sums{}; // F G H I J O Q R S; times as fractions of a day
};

// The ten rows in the order of the summary (rows 7-16); a category without records is empty.
using CategoryBlock = std::array<std::optional<CategoryRow>, 10>;

// The columns of a row's sums, in order, as zero-based sheet columns.
inline constexpr std::array<int, 9> kSumColumns = {5, 6, 7, 8, 9, 14, 16, 17, 18};

// The category block as the summary sheet holds it in rows 7-16: columns A..U of each row, the caption in
// E and the sums in their columns, empty cells elsewhere and for a category without records.
QList<QVariantList> summaryRows(const CategoryBlock& block);

// The passes over the selected records in their fixed order: SumControlDay, SumTrainingDay,
// SumInstructorDay, SumOtherDay, SumTotalDay and the same by night. Each record's values are read first
// (recordValues: a time typed as text counts as the time it says; what cannot be counted throws
// Error::BadEntry naming the row and the column, before anything is summed). Reports each pass's status
// texts and progress.
CategoryBlock RunCategoryPasses(const QList<Entry>& selected, const QString& bookType, TotalsProgress& progress);

// The exercise lists, as the three characters 5-7 of column E are compared with them.
bool inDayControlList(const QString& number3);
bool inDayTrainingList(const QString& number3);
bool inNightControlList(const QString& number3);
bool inNightTrainingList(const QString& number3);

} // namespace korv::totals
