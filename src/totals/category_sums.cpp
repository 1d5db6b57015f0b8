#include "totals/category_sums.h"

#include "logbook/record_layout.h"

#include <QSet>

#include <functional>

namespace korv::totals {

namespace {

// An exercise number as column E carries it: right-aligned in three characters.
QString number3(int n) { return QStringLiteral("%1").arg(n, 3); }

QSet<QString> listOf(std::initializer_list<int> numbers, int rangeFrom = 0, int rangeTo = -1) {
    QSet<QString> s;
    for (int n : numbers)
        s.insert(number3(n));
    for (int n = rangeFrom; n <= rangeTo; ++n)
        s.insert(number3(n));
    return s;
}

const QSet<QString>& dayTraining() {
    static const QSet<QString> s =
        listOf({2,  4,  6,  8,  10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 31, 32, 35, 37, 39, 41,
                43, 45, 46, 47, 49, 50, 52, 54, 56, 57, 58, 60, 62, 64, 65, 66, 67, 68, 70, 72, 74,
                76, 77, 78, 80, 82, 84, 86, 87, 88, 89, 90, 91, 92, 93, 94, 95, 96, 97, 98});
    return s;
}
const QSet<QString>& dayControl() {
    static const QSet<QString> s = listOf({1,  3,  5,  7,  9,  11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 33, 34, 36, 38,
                                           40, 42, 44, 48, 51, 53, 55, 59, 61, 63, 69, 71, 73, 75, 79, 81, 83, 85},
                                          201, 227);
    return s;
}
const QSet<QString>& nightTraining() {
    static const QSet<QString> s = listOf({102, 104, 110, 112, 135, 137, 139, 141, 143, 145, 149, 150,
                                           170, 172, 174, 176, 177, 180, 182, 191, 194, 197, 198});
    return s;
}
const QSet<QString>& nightControl() {
    static const QSet<QString> s =
        listOf({101, 103, 109, 111, 133, 134, 136, 138, 140, 142, 144, 179, 181, 228, 229, 230, 231, 233, 234});
    return s;
}

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
Rule listRule(const QSet<QString>& (*list)()) {
    return [list](const Entry& e) { return list().contains(exerciseOf(e)); };
}

constexpr std::array<int, 10> kCopyValues = {11, 12, 13, 14, 15, 16, 17, 18, 19, 20};

const std::array<Pass, 10>& passes() {
    const QString sum = QStringLiteral("Вставка формул суммирования....");
    const QString day = QStringLiteral("Д"), night = QStringLiteral("Н");
    static const std::array<Pass, 10> kPasses = {{
        {day,
         listRule(dayControl),
         QStringLiteral("          Контрольный        День"),
         QStringLiteral("Выборка дневного контрольного налёта...."),
         sum,
         QStringLiteral("Копирование дневного контрольного налёта....."),
         {},
         22,
         kCopyValues},
        {day,
         listRule(dayTraining),
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
         listRule(nightControl),
         QStringLiteral("          Контрольный        Ночь"),
         QStringLiteral("Выборка ночного контрольного налёта...."),
         sum,
         QStringLiteral("Копирование ночного контрольного налёта...."),
         {},
         22,
         kCopyValues},
        {night,
         listRule(nightTraining),
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

bool inDayControlList(const QString& n) { return dayControl().contains(n); }
bool inDayTrainingList(const QString& n) { return dayTraining().contains(n); }
bool inNightControlList(const QString& n) { return nightControl().contains(n); }
bool inNightTrainingList(const QString& n) { return nightTraining().contains(n); }

CategoryBlock RunCategoryPasses(const QList<Entry>& selected, const QString& bookType, TotalsProgress& progress) {
    // Every value is read before any pass adds it: what cannot be counted stops the run naming its cell.
    QList<RecordValues> values;
    values.reserve(selected.size());
    for (const Entry& e : selected)
        values << recordValues(e);
    return RunCategoryPasses(selected, values, bookType, progress);
}

CategoryBlock RunCategoryPasses(const QList<Entry>& selected, const QList<RecordValues>& values,
                                const QString& bookType, TotalsProgress& progress) {
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
                if (e.record.type == bookType && e.record.dayNight == pass.dayNight && pass.rule(e)) {
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
        row.caption = pass.caption.contains(QStringLiteral("%1")) ? pass.caption.arg(bookType) : pass.caption;
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
