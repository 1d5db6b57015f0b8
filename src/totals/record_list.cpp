#include "totals/record_list.h"

#include "common/error.h"
#include "totals/record_export.h"

#include <QJsonValue>

namespace korv::totals {

namespace {

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
        out.fields << exportFields(e);
        out.records << e;
    }
    return out;
}

QString recordSummary(const Entry& e) {
    QStringList f;
    try {
        f = exportFields(e);
    } catch (const Error&) {
        // A record the totals could not count may still be removed: it is named by its cells as they stand.
        return QStringLiteral("строка %1: %2").arg(e.sheetRow()).arg(cellText(e.cells.first[0], true).trimmed());
    }
    return QStringLiteral("строка %1: %2, %3, %4, %5, налёт %6")
        .arg(e.sheetRow())
        .arg(f[kDateField], f[kTypeField], f[kDayNightField], f[kExerciseField], f[kTotalField]);
}

QString sumsLine(const RecordList& list) {
    const RecordValues& s = list.sums;
    return QStringLiteral("Записей: %1; полётов: %2; налёт %3, в закрытой кабине %4, в СМУ %5, в облаках %6; "
                          "заходов %7, посадок %8, УМП %9")
        .arg(list.records.size())
        .arg(count(s.flights), hoursMinutesText(s.total), hoursMinutesText(s.hood), hoursMinutesText(s.smu),
             hoursMinutesText(s.clouds))
        .arg(s.approaches)
        .arg(s.landings)
        .arg(s.minimumLandings);
}

QString recordTable(const RecordList& list) {
    QString out = QStringLiteral("строка  дата        тип     Д/Н сид. пол.   налёт  шторка     СМУ  облака зах. пос. "
                                 "УМП  упражнение\n");
    for (qsizetype i = 0; i < list.records.size(); ++i) {
        const Entry& e = list.records[i];
        const QStringList& f = list.fields[i];
        out += QStringLiteral("%1  %2  %3 %4   %5 %6 %7 %8 %9 %10 %11 %12 %13  %14\n")
                   .arg(e.sheetRow(), 6)
                   .arg(f[kDateField], -10)
                   .arg(f[kTypeField], -7)
                   .arg(f[kDayNightField], -1)
                   .arg(f[kSeatField], -4)
                   .arg(f[kFlightsField], 4)
                   .arg(f[kTotalField], 7)
                   .arg(f[kHoodField], 7)
                   .arg(f[kSmuField], 7)
                   .arg(f[kCloudsField], 7)
                   .arg(f[kApproachesField], 4)
                   .arg(f[kLandingsField], 4)
                   .arg(f[kUmpField], 3)
                   .arg(f[kExerciseField]);
    }
    out += sumsLine(list) + u'\n';
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
