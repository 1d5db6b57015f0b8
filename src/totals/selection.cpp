#include "totals/selection.h"

namespace korv::totals {

namespace {

QString scanStatus(const PeriodState& p) {
    if (isMonthOption(p.option))
        return QStringLiteral("Выборка за ") + PeriodCaption(p);
    return QStringLiteral("Выборка за ") + QStringLiteral("20") + p.PeriodKey + QStringLiteral(" год...");
}

bool inFreePeriod(const Entry& e, const PeriodState& p) {
    // A column A that holds no date is taken by no period.
    const auto date = recordDate(e);
    return date && *date >= p.firstDay && *date <= p.lastDay;
}

} // namespace

QList<int> SelectEntries(const QList<Entry>& entries, const PeriodState& p, TotalsProgress& progress) {
    const int n = int(entries.size());
    progress.range(0, 2 * n + 2);
    QList<int> taken;
    for (int i = 0; i < n; ++i) {
        if (p.option != PeriodOption::FreePeriod)
            progress.status(scanStatus(p));
        const QString a = dateText(entries[i]);
        if (isMonthOption(p.option)) {
            // A month heading gives "." and is never taken.
            if (a.mid(3, 2) + u'.' + a.right(2) == p.PeriodKey)
                taken << i;
        } else if (isYearOption(p.option)) {
            QString key = a.right(2);
            if (key.isEmpty()) {
                // A month heading: the record below is judged by the heading's year.
                const QString heading = cellText(entries[i].E);
                key = heading.mid(heading.size() - 5, 2);
                ++i;
            }
            if (i < n && key == p.PeriodKey)
                taken << i;
        } else if (p.option == PeriodOption::FreePeriod) {
            if (isEmptyCell(entries[i].A)) {
                // A month heading: the record below is judged by its own date.
                ++i;
                progress.status(QStringLiteral("Выборка за период с ") + p.PeriodKey + QStringLiteral("по  ") +
                                p.PeriodEnd);
            }
            if (i < n && inFreePeriod(entries[i], p))
                taken << i;
        }
        progress.value(2 * std::min(i + 1, n));
    }
    return taken;
}

AircraftTypes CheckAircraftType(const QList<Entry>& selected, TotalsProgress& progress) {
    progress.status(QStringLiteral("Проверка типа самолёта...."));
    int records = 0;
    while (records < selected.size() && !isEmptyCell(selected[records].B))
        ++records;
    progress.range(0, 2 * records + 2);
    AircraftTypes t;
    t.BookType = records > 0 ? cellText(selected[0].B) : QString();
    for (int k = 0; k < records; ++k) {
        const QString type = cellText(selected[k].B);
        if (type != t.BookType && t.OtherType.isEmpty())
            t.OtherType = type;
        progress.value(2 * (k + 1));
    }
    return t;
}

} // namespace korv::totals
