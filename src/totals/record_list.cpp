#include "totals/record_list.h"

#include "totals/record_export.h"

#include <QJsonValue>

namespace korv::totals {

namespace {

// The fields of exportFields the table shows, by their place there.
enum Field { Date, Type, DayNight, Seat, Exercise, Flights, Total, Hood, Smu, Clouds, Approaches = 14, Landings, Ump };

QString count(double n) { return QString::number(n, 'g', 15); }

} // namespace

RecordList listRecords(const QList<Entry>& entries, const RecordFilter& filter) {
    RecordList out;
    const QString type = filter.type.trimmed();
    for (const Entry& e : exportedRecords(entries, filter.period)) {
        if (!type.isEmpty() && e.record.type.trimmed() != type)
            continue;
        if (!filter.exerciseText.isEmpty() && !e.record.exercise.contains(filter.exerciseText, Qt::CaseInsensitive))
            continue;
        out.sums += recordValues(e);
        out.records << e;
    }
    return out;
}

QString recordTable(const RecordList& list) {
    QString out = QStringLiteral("строка  дата        тип     Д/Н сид. пол.   налёт  шторка     СМУ  облака зах. пос. "
                                 "УМП  упражнение\n");
    for (const Entry& e : list.records) {
        const QStringList f = exportFields(e);
        out += QStringLiteral("%1  %2  %3 %4   %5 %6 %7 %8 %9 %10 %11 %12 %13  %14\n")
                   .arg(e.sheetRow(), 6)
                   .arg(f[Date], -10)
                   .arg(f[Type], -7)
                   .arg(f[DayNight], -1)
                   .arg(f[Seat], -4)
                   .arg(f[Flights], 4)
                   .arg(f[Total], 7)
                   .arg(f[Hood], 7)
                   .arg(f[Smu], 7)
                   .arg(f[Clouds], 7)
                   .arg(f[Approaches], 4)
                   .arg(f[Landings], 4)
                   .arg(f[Ump], 3)
                   .arg(f[Exercise]);
    }
    const RecordValues& s = list.sums;
    out += QStringLiteral("Записей: %1; полётов: %2; налёт %3, в закрытой кабине %4, в СМУ %5, в облаках %6; "
                          "заходов %7, посадок %8, УМП %9\n")
               .arg(list.records.size())
               .arg(count(s.flights), hoursMinutesText(s.total), hoursMinutesText(s.hood), hoursMinutesText(s.smu),
                    hoursMinutesText(s.clouds))
               .arg(s.approaches)
               .arg(s.landings)
               .arg(s.minimumLandings);
    return out;
}

QJsonObject recordListJson(const RecordList& list) {
    const RecordValues& s = list.sums;
    return {{QStringLiteral("records"), exportJson(list.records)},
            {QStringLiteral("count"), int(list.records.size())},
            {QStringLiteral("sums"), QJsonObject{{QStringLiteral("flights"), s.flights},
                                                 {QStringLiteral("flightTime"), hoursMinutesText(s.total)},
                                                 {QStringLiteral("hood"), hoursMinutesText(s.hood)},
                                                 {QStringLiteral("smu"), hoursMinutesText(s.smu)},
                                                 {QStringLiteral("clouds"), hoursMinutesText(s.clouds)},
                                                 {QStringLiteral("approaches"), double(s.approaches)},
                                                 {QStringLiteral("landings"), double(s.landings)},
                                                 {QStringLiteral("minimumLandings"), double(s.minimumLandings)}}}};
}

} // namespace korv::totals
