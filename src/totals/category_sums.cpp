#include "totals/category_sums.h"

#include "logbook/exercise_lists.h"
#include "logbook/record_layout.h"

#include <QSet>

#include <functional>

namespace korv::totals {

namespace {

QString exerciseOf(const Entry& e) { return e.record.exercise.mid(4, 3); }

using Rule = std::function<bool(const Entry&)>;

struct Pass {
    QString dayNight;
    Rule rule;
    QString caption; // "%1" stands for the aircraft type
    QString selectText;
    QString sumText;  // empty: the label keeps what it said
    QString copyText; // empty: the label keeps what it said
    QString eachText; // said after every record taken, where there is one
    int sumMax;
    std::array<int, 10> copyValues; // E, F..J, O, Q..S
};

const Rule kNone = [](const Entry&) { return true; };
const Rule kInstructor = [](const Entry& e) { return e.record.seat == QStringLiteral("И"); };
const Rule kOther = [](const Entry& e) { return e.record.exercise.left(6) == QStringLiteral("В сост"); };
Rule listRule(bool (*inList)(const QString&)) {
    return [inList](const Entry& e) { return inList(exerciseOf(e)); };
}

constexpr std::array<int, 10> kCopyValues = {11, 12, 13, 14, 15, 16, 17, 18, 19, 20};

const std::array<Pass, 10>& passes() {
    const QString sum = QStringLiteral("Вставка формул суммирования....");
    const QString day = QStringLiteral("Д"), night = QStringLiteral("Н");
    static const std::array<Pass, 10> kPasses = {{
        {day,
         listRule(logbook::inDayControlList),
         QStringLiteral("          Контрольный        День"),
         QStringLiteral("Выборка дневного контрольного налёта...."),
         sum,
         QStringLiteral("Копирование дневного контрольного налёта....."),
         {},
         22,
         kCopyValues},
        {day,
         listRule(logbook::inDayTrainingList),
         QStringLiteral("          Тренировочный    День"),
         QStringLiteral("Выборка тренировочного дневного налёта...."),
         sum,
         {},
         {},
         22,
         kCopyValues},
        {day,
         kInstructor,
         QStringLiteral("          Инструкторский   День"),
         QStringLiteral("Выборка дневного инструкторского налёта...."),
         sum,
         QStringLiteral("Копирование дневного инструкторского налёта....."),
         QStringLiteral("Выборка инструкторского налёта днём...."),
         10,
         {1, 2, 3, 4, 5, 6, 3, 8, 9, 10}},
        {day,
         kOther,
         QStringLiteral("          Прочий                  День"),
         QStringLiteral("Выборка дневного прочего налёта...."),
         sum,
         QStringLiteral("Копирование прочего дневного налёта..."),
         {},
         22,
         kCopyValues},
        {day,
         kNone,
         QStringLiteral("Итого %1     День"),
         QStringLiteral("Выборка общего дневного налёта...."),
         QStringLiteral("Вставка формул суммирования ...."),
         QStringLiteral("Копирование общего дневного налёта...."),
         {},
         22,
         kCopyValues},
        {night,
         listRule(logbook::inNightControlList),
         QStringLiteral("          Контрольный        Ночь"),
         QStringLiteral("Выборка ночного контрольного налёта...."),
         sum,
         QStringLiteral("Копирование ночного контрольного налёта...."),
         {},
         22,
         kCopyValues},
        {night,
         listRule(logbook::inNightTrainingList),
         QStringLiteral("          Тренировочный    Ночь"),
         QStringLiteral("Выборка ночного тренировочного налёта...."),
         {},
         QStringLiteral("Копирование тренировочного ночного налёта...."),
         {},
         22,
         kCopyValues},
        {night,
         kInstructor,
         QStringLiteral("          Инструкторский   Ночь"),
         QStringLiteral("Выборка инструкторского ночного налёта...."),
         sum,
         QStringLiteral("Копирование инструкторского ночного налёта...."),
         {},
         10,
         kCopyValues},
        {night,
         kOther,
         QStringLiteral("          Прочий                   Ночь"),
         QStringLiteral("Выборка прочего ночного налёта...."),
         sum,
         QStringLiteral("Копирование прочего ночью...."),
         {},
         22,
         kCopyValues},
        {night,
         kNone,
         QStringLiteral("Итого %1     Ночь"),
         QStringLiteral("Выборка общего ночного налёта...."),
         sum,
         QStringLiteral("Копирование общего ночного налёта...."),
         {},
         22,
         kCopyValues},
    }};
    return kPasses;
}

} // namespace

CategoryBlock RunCategoryPasses(const QList<Entry>& selected, const QString& bookType, TotalsProgress& progress) {
    // Every value is read before any pass adds it: what cannot be counted stops the run naming its cell.
    QList<RecordValues> values;
    values.reserve(selected.size());
    for (const Entry& e : selected)
        values << recordValues(e);
    return RunCategoryPasses(selected, values, bookType, progress);
}

namespace {

// The passes over the records of `onlyType` (every record when none), the total rows captioned with
// `captionType`.
CategoryBlock runPasses(const QList<Entry>& selected, const QList<RecordValues>& values,
                        const std::optional<QString>& onlyType, const QString& captionType, TotalsProgress& progress) {
    const int selectedRows = 2 * int(selected.size());
    CategoryBlock block;
    for (size_t p = 0; p < passes().size(); ++p) {
        const Pass& pass = passes()[p];
        progress.range(0, selectedRows);
        progress.status(pass.selectText);
        CategoryRow row;
        int count = 0;
        for (int g = 0; g <= selectedRows; g += 2) {
            if (g < selectedRows) {
                const Entry& e = selected[g / 2];
                if ((!onlyType || e.record.type == *onlyType) && e.record.dayNight == pass.dayNight && pass.rule(e)) {
                    row.sums += values[g / 2];
                    ++count;
                    if (!pass.eachText.isEmpty())
                        progress.status(pass.eachText);
                }
            }
            progress.value(g);
        }
        if (count == 0)
            continue;
        row.caption = pass.caption.contains(QStringLiteral("%1")) ? pass.caption.arg(captionType) : pass.caption;
        progress.range(0, pass.sumMax);
        if (!pass.sumText.isEmpty())
            progress.status(pass.sumText);
        for (int v : {1, 2, 3, 4, 5, 7, 8, 9, 10})
            progress.value(v);
        if (!pass.copyText.isEmpty())
            progress.status(pass.copyText);
        for (int v : pass.copyValues)
            progress.value(v);
        block[p] = row;
    }
    return block;
}

} // namespace

CategoryBlock RunCategoryPasses(const QList<Entry>& selected, const QList<RecordValues>& values,
                                const QString& bookType, TotalsProgress& progress) {
    return runPasses(selected, values, bookType, bookType, progress);
}

CategoryBlock RunCategoryPassesOverAllTypes(const QList<Entry>& selected, const QList<RecordValues>& values,
                                            TotalsProgress& progress) {
    return runPasses(selected, values, std::nullopt, kAllTypesCaption, progress);
}

QString totalCaption(bool night, const QString& type) {
    return passes()[night ? kNightTotalRow : kDayTotalRow].caption.arg(type);
}

std::array<QVariant, 9> sumCells(const RecordValues& s) {
    return {s.flights,
            s.total.days(),
            s.hood.days(),
            s.smu.days(),
            s.clouds.days(),
            s.takeOffs,
            double(s.approaches),
            double(s.landings),
            double(s.minimumLandings)};
}

RecordValues grandTotals(const CategoryBlock& block) {
    // Rows 11 and 16: all flying by day and by night.
    RecordValues total;
    for (const std::size_t row : {std::size_t(4), std::size_t(9)})
        if (block[row])
            total += block[row]->sums;
    return total;
}

QList<QVariantList> summaryRows(const CategoryBlock& block) {
    QList<QVariantList> rows;
    for (const auto& row : block) {
        QVariantList r(logbook::records::kLastColumn + 1, QString());
        if (row) {
            r[logbook::records::column::E] = row->caption;
            const std::array<QVariant, 9> cells = sumCells(row->sums);
            for (size_t k = 0; k < kSumColumns.size(); ++k)
                r[kSumColumns[k]] = cells[k];
        }
        rows << r;
    }
    return rows;
}

} // namespace korv::totals
