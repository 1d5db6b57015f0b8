#include "totals/record_export.h"

#include "logbook/record_layout.h"
#include "totals/monthly_hours.h"
#include "totals/selection.h"

#include <QJsonObject>

#include <array>

namespace korv::totals {

namespace {

struct Field {
    const char* name;
    const char* key;
};

// The first seventeen as every earlier build exported them; the clouds' top and base (M of either row) and
// the visibility (N) after them, so that a logbook exported and brought in again keeps every cell, and a
// reader of the earlier columns by position keeps working.
const std::array<Field, 20> kFields = {{
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
    {"верхняя граница облаков", "cloudTop"},
    {"нижняя граница облаков", "cloudBase"},
    {"видимость", "visibility"},
}};

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
    const RecordValues v = recordValues(e);
    const auto& c = e.cells.first;
    namespace column = logbook::records::column;
    const auto time = [&](int col, Minutes value) {
        return isEmptyCell(c[std::size_t(col)]) ? QString() : hoursText(value);
    };
    const auto count = [&](int col, double value) {
        return isEmptyCell(c[std::size_t(col)]) ? QString() : QString::number(value, 'g', 15);
    };
    return {e.record.date.toString(QStringLiteral("dd.MM.yyyy")),
            asStands(c[column::B]),
            asStands(c[column::C]),
            asStands(c[column::D]),
            asStands(c[column::E]),
            count(column::F, v.flights),
            time(column::G, v.total),
            time(column::H, v.hood),
            time(column::I, v.smu),
            time(column::J, v.clouds),
            asStands(c[column::K]),
            asStands(c[column::L]),
            count(column::O, v.takeOffs),
            asStands(c[column::P]),
            count(column::Q, double(v.approaches)),
            count(column::R, double(v.landings)),
            count(column::S, double(v.minimumLandings)),
            asStands(c[column::M]),
            asStands(e.cells.second[column::M]),
            asStands(c[column::N])};
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
        QJsonObject o{{QStringLiteral("row"), e.sheetRow()}};
        for (int i = 0; i < keys.size(); ++i)
            o.insert(keys[i], fields[i]);
        out.append(o);
    }
    return out;
}

} // namespace korv::totals
