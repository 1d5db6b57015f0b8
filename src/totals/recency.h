#pragma once

// Breaks in flying: for every aircraft type of the logbook and for all of them together, the last flight
// of each kind of conditions, and how long ago it was.

#include "totals/entries.h"

#include <QDate>
#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace korv::totals {

// The kinds of conditions a break is counted in. Day and night come from column C; СМУ is time in I, the
// hood time in H, landings at minimum in S and take-offs at minimum in O, each counting when above zero.
enum class BreakKind {
    Any,
    Day,
    Night,
    SmuDay,
    SmuNight,
    Hood,
    MinimumLandingDay,
    MinimumLandingNight,
    MinimumTakeOff,
};
inline constexpr int kBreakKinds = 9;
inline constexpr std::array<BreakKind, kBreakKinds> kAllBreakKinds = {BreakKind::Any,
                                                                      BreakKind::Day,
                                                                      BreakKind::Night,
                                                                      BreakKind::SmuDay,
                                                                      BreakKind::SmuNight,
                                                                      BreakKind::Hood,
                                                                      BreakKind::MinimumLandingDay,
                                                                      BreakKind::MinimumLandingNight,
                                                                      BreakKind::MinimumTakeOff};

// "в СМУ ночью": the kind as the table and the limits file name it.
QString breakKindText(BreakKind kind);
// "smu-night": the kind in the CLI's JSON.
QString breakKindKey(BreakKind kind);

// The last flight of one kind: its date and the logbook row (one-based) of its record.
struct LastFlight {
    QDate date;
    int row = 0;
};

// The last flights of one line of the table: an aircraft type, or all types together (type empty).
struct TypeRecency {
    QString type;
    std::array<std::optional<LastFlight>, kBreakKinds> last{};

    bool allTypes() const { return type.isEmpty(); }
    const std::optional<LastFlight>& of(BreakKind kind) const { return last[std::size_t(kind)]; }
};

struct Recency {
    // All types first, then each type in the order it first appears in the logbook.
    QList<TypeRecency> lines;
};

// The last flights of every kind over the logbook's entries. A record counts by its own date, wherever it
// stands; of two on the same day the lower one in the logbook is named. Each record's values are read as
// the totals read them (recordValues), and a pair that is neither a record nor a heading is refused, since
// it may hold the last flight (a pair with no date among them): both throw Error::BadEntry naming the row.
Recency lastFlights(const QList<Entry>& entries);

// "Все типы" for the line of all types, else the type.
QString typeCaption(const TypeRecency& line);

} // namespace korv::totals
