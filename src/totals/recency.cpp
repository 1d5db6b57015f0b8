#include "totals/recency.h"

#include <algorithm>

namespace korv::totals {

QString breakKindText(BreakKind kind) {
    switch (kind) {
    case BreakKind::Any:
        return QStringLiteral("любой полёт");
    case BreakKind::Day:
        return QStringLiteral("днём");
    case BreakKind::Night:
        return QStringLiteral("ночью");
    case BreakKind::SmuDay:
        return QStringLiteral("в СМУ днём");
    case BreakKind::SmuNight:
        return QStringLiteral("в СМУ ночью");
    case BreakKind::Hood:
        return QStringLiteral("под шторкой");
    case BreakKind::MinimumLandingDay:
        return QStringLiteral("посадка при минимуме днём");
    case BreakKind::MinimumLandingNight:
        return QStringLiteral("посадка при минимуме ночью");
    case BreakKind::MinimumTakeOff:
        return QStringLiteral("взлёт при минимуме");
    }
    return {};
}

QString breakKindKey(BreakKind kind) {
    static const std::array<const char*, kBreakKinds> keys = {"any",
                                                              "day",
                                                              "night",
                                                              "smu-day",
                                                              "smu-night",
                                                              "hood",
                                                              "minimum-landing-day",
                                                              "minimum-landing-night",
                                                              "minimum-take-off"};
    return QString::fromLatin1(keys[std::size_t(kind)]);
}

QString typeCaption(const TypeRecency& line) { return line.allTypes() ? QStringLiteral("Все типы") : line.type; }

namespace {

// The kinds a record counts in.
std::array<bool, kBreakKinds> kindsOf(bool day, const RecordValues& v) {
    const bool hood = v.hood.count > 0, smu = v.smu.count > 0, takeOffs = v.takeOffs > 0;
    const bool landings = v.minimumLandings > 0;
    return {true, day, !day, day && smu, !day && smu, hood, day && landings, !day && landings, takeOffs};
}

void note(TypeRecency& line, const std::array<bool, kBreakKinds>& kinds, const LastFlight& flight) {
    for (int k = 0; k < kBreakKinds; ++k) {
        if (!kinds[std::size_t(k)])
            continue;
        auto& last = line.last[std::size_t(k)];
        if (!last || flight.date >= last->date)
            last = flight;
    }
}

} // namespace

Recency lastFlights(const QList<Entry>& entries) {
    Recency out;
    out.lines << TypeRecency{};
    for (const Entry& e : entries) {
        if (e.isHeading())
            continue;
        if (!e.isRecord())
            refuseUnreadable(e);
        const RecordValues values = recordValues(e);
        const QDate date = e.record.date;
        const QString type = e.record.type.trimmed();
        auto line =
            std::find_if(out.lines.begin() + 1, out.lines.end(), [&](const TypeRecency& l) { return l.type == type; });
        if (line == out.lines.end()) {
            out.lines << TypeRecency{type, {}};
            line = out.lines.end() - 1;
        }
        const auto kinds = kindsOf(e.record.dayNight == u"Д", values);
        const LastFlight flight{date, e.sheetRow()};
        note(*line, kinds, flight);
        note(out.lines.first(), kinds, flight);
    }
    return out;
}

} // namespace korv::totals
