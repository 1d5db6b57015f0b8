#include "totals/record_export.h"

#include "logbook/record_layout.h"
#include "totals/monthly_hours.h"
#include "totals/selection.h"

#include <QJsonObject>

#include <array>
#include <cmath>

namespace korv::totals {

namespace {

struct Field {
    const char* name;
    const char* key;
};

const std::array<Field, 17> kFields = {{
    {"дата", "date"},
    {"тип", "type"},
    {"время суток", "dayNight"},
    {"сидение", "seat"},
    {"упражнение", "exercise"},
    {"полётов", "flights"},
    {"налёт", "flightTime"},
    {"в закрытой кабине", "hood"},
    {"в СМУ", "smu"},
    {"в облаках", "clouds"},
    {"высота", "height"},
    {"метеоусловия", "weather"},
    {"взлётов при минимуме", "minimumTakeOffs"},
    {"система", "system"},
    {"заходов", "approaches"},
    {"посадок", "landings"},
    {"посадок при минимуме", "minimumLandings"},
}};

QString number(double v) { return QString::number(v, 'g', 15); }

QString asStands(const QVariant& cell) { return isEmptyCell(cell) ? QString() : cellText(cell).trimmed(); }

} // namespace

QStringList exportHeader() {
    QStringList out;
    for (const Field& f : kFields)
        out << QString::fromUtf8(f.name);
    return out;
}

QStringList exportKeys() {
    QStringList out;
    for (const Field& f : kFields)
        out << QString::fromLatin1(f.key);
    return out;
}

QStringList exportFields(const Entry& e) {
    // F G H I J O Q R S, read as the totals read them.
    const std::array<double, 9> v = recordValues(e);
    const auto time = [](const QVariant& cell, double value) {
        return isEmptyCell(cell) ? QString() : hoursText(value);
    };
    const auto count = [](const QVariant& cell, double value) { return isEmptyCell(cell) ? QString() : number(value); };
    const auto date = recordDate(e);
    return {date ? date->toString(QStringLiteral("dd.MM.yyyy")) : asStands(e.A),
            asStands(e.B),
            asStands(e.C),
            asStands(e.D),
            asStands(e.E),
            count(e.F, v[0]),
            time(e.G, v[1]),
            time(e.H, v[2]),
            time(e.I, v[3]),
            time(e.J, v[4]),
            asStands(e.K),
            asStands(e.L),
            count(e.O, v[5]),
            asStands(e.P),
            count(e.Q, v[6]),
            count(e.R, v[7]),
            count(e.S, v[8])};
}

QList<Entry> exportedRecords(const QList<Entry>& entries, const std::optional<PeriodState>& period) {
    QList<Entry> out;
    if (period) {
        NoTotalsProgress quiet;
        for (const int i : SelectEntries(entries, *period, quiet))
            out << entries[i];
        return out;
    }
    for (const Entry& e : entries) {
        if (e.isRecord())
            out << e;
        else if (!e.isHeading())
            refuseUnreadable(e);
    }
    return out;
}

QString csvLine(const QStringList& fields) {
    QStringList quoted;
    for (const QString& f : fields) {
        if (f.contains(u',') || f.contains(u'"') || f.contains(u'\n') || f.contains(u'\r'))
            quoted << u'"' + QString(f).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
        else
            quoted << f;
    }
    return quoted.join(u',') + QStringLiteral("\r\n");
}

QString exportCsv(const QList<Entry>& records) {
    QString out = csvLine(exportHeader());
    for (const Entry& e : records)
        out += csvLine(exportFields(e));
    return out;
}

QJsonArray exportJson(const QList<Entry>& records) {
    const QStringList keys = exportKeys();
    QJsonArray out;
    for (const Entry& e : records) {
        const QStringList fields = exportFields(e);
        QJsonObject o{{QStringLiteral("row"), e.row + 1}};
        for (int i = 0; i < keys.size(); ++i)
            o.insert(keys[i], fields[i]);
        out.append(o);
    }
    return out;
}

} // namespace korv::totals
