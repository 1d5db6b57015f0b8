#include "totals/selection.h"

#include <algorithm>

namespace korv::totals {

namespace {

QString scanStatus(const PeriodState& p) {
    if (isMonthOption(p.option))
        return QStringLiteral("Выборка за ") + PeriodCaption(p);
    if (p.option == PeriodOption::SinceStart)
        return QStringLiteral("Выборка ") + kSinceStartText + QStringLiteral("...");
    return QStringLiteral("Выборка за ") + QStringLiteral("20") + p.PeriodKey + QStringLiteral(" год...");
}

QString twoDigits(int n) { return QStringLiteral("%1").arg(n % 100, 2, 10, QChar(u'0')); }

// Whether the period holds the date, by the keys of its option: mm.yy for a month, yy for a year.
bool holds(const PeriodState& p, const QDate& d) {
    if (isMonthOption(p.option))
        return twoDigits(d.month()) + u'.' + twoDigits(d.year()) == p.PeriodKey;
    if (isYearOption(p.option))
        return twoDigits(d.year()) == p.PeriodKey;
    if (p.option == PeriodOption::SinceStart)
        return true;
    return p.option == PeriodOption::FreePeriod && d >= p.firstDay && d <= p.lastDay;
}

} // namespace

QList<int> SelectEntries(const QList<Entry>& entries, const PeriodState& p, TotalsProgress& progress) {
    const int n = int(entries.size());
    progress.range(0, 2 * n + 2);
    QList<int> taken;
    for (int i = 0; i < n; ++i) {
        if (p.option != PeriodOption::FreePeriod)
            progress.status(scanStatus(p));
        const Entry& e = entries[i];
        if (e.isHeading()) {
            if (p.option == PeriodOption::FreePeriod) {
                // The record right below a heading is judged by its own date.
                progress.status(QStringLiteral("Выборка за период с ") + p.PeriodKey + QStringLiteral("по  ") +
                                p.PeriodEnd);
                if (i + 1 < n && entries[i + 1].isRecord()) {
                    ++i;
                    if (holds(p, entries[i].record.date))
                        taken << i;
                }
            } else if (isYearOption(p.option) && i + 1 < n && entries[i + 1].isRecord()) {
                // The record right below a heading is judged by the heading's year.
                const QString heading = e.caption();
                ++i;
                if (heading.mid(heading.size() - 5, 2) == p.PeriodKey)
                    taken << i;
            }
        } else if (e.isRecord()) {
            if (holds(p, e.record.date))
                taken << i;
        } else {
            // Neither a record nor a heading: what cannot be read might belong to the period.
            const auto date = e.date();
            if (!date || holds(p, *date))
                refuseUnreadable(e);
        }
        progress.value(2 * std::min(i + 1, n));
    }
    return taken;
}

AircraftTypes CheckAircraftType(const QList<Entry>& selected, TotalsProgress& progress) {
    progress.status(QStringLiteral("Проверка типа самолёта...."));
    int records = 0;
    while (records < selected.size() && !selected[records].record.type.isEmpty())
        ++records;
    progress.range(0, 2 * records + 2);
    AircraftTypes t;
    t.BookType = records > 0 ? selected[0].record.type : QString();
    for (int k = 0; k < records; ++k) {
        const QString type = selected[k].record.type;
        if (type != t.BookType && t.OtherType.isEmpty())
            t.OtherType = type;
        progress.value(2 * (k + 1));
    }
    return t;
}

QList<TypeCount> countTypes(const QList<Entry>& selected) {
    QList<TypeCount> types;
    for (const Entry& e : selected) {
        const QString type = e.record.type;
        auto it = std::find_if(types.begin(), types.end(), [&](const TypeCount& t) { return t.type == type; });
        if (it == types.end())
            types.append({type, 1});
        else
            ++it->records;
    }
    return types;
}

QString typesText(const QList<TypeCount>& types) {
    QStringList parts;
    for (const TypeCount& t : types)
        parts << t.type + QStringLiteral(" — ") +
                     (t.records > 0 ? QString::number(t.records) : QStringLiteral("только налёт до книжки"));
    return parts.join(QStringLiteral(", "));
}

} // namespace korv::totals
