#pragma once

// The pilot's own limits of breaks in flying and his dates due, from a plain text file beside the logbook,
// and the table of breaks judged by them. The program knows no limit of its own: a kind without a line in
// the file shows only the days since its last flight.

#include "totals/dates_due.h"
#include "totals/recency.h"

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace korv::totals {

// The file's name in the logbook folder.
inline const QString kLimitsFileName = QStringLiteral("Korvelanta-перерывы.ini");
QString limitsPath(const QString& bookDir);

// A limit is judged "near" when this many days or fewer are left.
inline constexpr int kNearDays = 7;
// The longest limit the file may give, ten years.
inline constexpr int kLongestLimit = 3653;

// The allowed breaks in days by kind: for all types together (key empty) and for named types.
using KindLimits = std::array<std::optional<int>, kBreakKinds>;
struct BreakLimits {
    QMap<QString, KindLimits> byType;
    // The "[Сроки]" section, in the file's order.
    QList<DueItem> dates;

    bool isEmpty() const { return byType.isEmpty() && dates.isEmpty(); }
    bool hasBreakLimits() const { return !byType.isEmpty(); }
    std::optional<int> of(const QString& type, BreakKind kind) const;
};

// The file's text read line by line: "ВИД = ДНЕЙ" (the kind as the table names it, case, "ё" and spaces
// aside), "[ТИП]" starting the limits of one aircraft type ("[Все типы]" those of all together, as the
// lines before any heading are), "#" or ";" starting a comment. Under "[Сроки]" (up to the next heading)
// each line is a date due, "НАЗВАНИЕ = ДАТА, СРОК[, предупредить за N дней]" (parseDueValue). Every line
// that is none of these, a kind or a date's name given twice under one heading, or days that are not a
// whole number from 1 to kLongestLimit is refused: Error::BadEntry naming the file's line, so that a limit
// the pilot meant is never silently dropped.
BreakLimits parseBreakLimits(const QString& text);
// The limits file at `path`: none when it does not exist; Error::FileAccess when it cannot be read, and
// parseBreakLimits's refusal (naming the file) when a line is wrong.
BreakLimits readBreakLimits(const QString& path);

enum class BreakState {
    NoLimit,    // no limit given: only the days since
    Within,     // more than kNearDays left
    Near,       // kNearDays or fewer left, none over
    Exceeded,   // the allowed break is over
    NeverFlown, // a limit given, but the logbook holds no flight of the kind
};

// One line of the table: a type (empty for all) and a kind, judged on `today`.
struct BreakLine {
    QString type;
    BreakKind kind = BreakKind::Any;
    std::optional<LastFlight> last;
    int daysSince = 0;        // today minus the last flight's date
    std::optional<int> limit; // the allowed break in days
    int daysLeft = 0;         // limit minus days since: below zero, the days over
    QDate due;                // the last day to fly: the last flight's date plus the limit
    BreakState state = BreakState::NoLimit;
};

// The table: every kind of every line of `recency`, in its order, and the kinds the limits name for types
// the logbook does not hold (never flown). A break is over when more days than the limit have passed, so
// the due day itself is still within.
QList<BreakLine> judgeBreaks(const Recency& recency, const BreakLimits& limits, const QDate& today);

int countState(const QList<BreakLine>& lines, BreakState state);
// "превышен", "скоро", "в пределе", "нет полётов", or empty without a limit.
QString stateText(BreakState state);
// What is left, for the table: "23", "0", "сверх 5"; empty without a limit or a flight.
QString daysLeftText(const BreakLine& line);
// The cover's one line when a limit is exceeded or near, or a date due is overdue or near, else empty:
// "Перерыв в полётах превышен: Л-39 ночью (на 5 дн.). Просрочено: ВЛЭК (на 2 дн.). Подробнее — «Просмотр»,
// «Перерывы и налёт»."
QString warningLine(const QList<BreakLine>& lines, const QList<DueLine>& dates = {});

} // namespace korv::totals
