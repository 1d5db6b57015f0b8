#pragma once

// Dates due: the checks, commissions and permits the pilot keeps in the limits file beside the breaks, each
// with the date it was last passed and how long it holds, judged on a day.

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

namespace korv::totals {

// The heading of the dates' section in the limits file; a type of that name cannot have limits.
inline const QString kDatesSection = QStringLiteral("Сроки");
// Days before the due day from which a date is "скоро" unless its line says otherwise.
inline constexpr int kDueLeadDays = 30;
// The longest period a line may give: ten years, as the longest break.
inline constexpr int kLongestDueDays = 3653;
inline constexpr int kLongestDueMonths = 120;

// One line of the section: "ВЛЭК = 15.03.2026, 12 мес", "Допуск = 01.02.2026, до 01.02.2027",
// "КБП = 10.01.2026, 90 дней, предупредить за 14 дней".
struct DueItem {
    QString name;
    QDate passed;
    // Exactly one of these: a fixed due day, a period in days, or one in months (years are 12 months).
    std::optional<QDate> until;
    int days = 0;
    int months = 0;
    int lead = kDueLeadDays;
    int line = 0; // the file's line, one-based

    // The last day the item holds: passed plus the period, or the fixed day. A month period lands on the
    // same day of the month, or on the month's last day when it has no such day (31.01 + 1 мес = 28.02,
    // 29.02 in a leap year); a period of days counts calendar days.
    QDate due() const;
    // "12 мес", "90 дн.", "до 01.02.2027": the period as the tables show it.
    QString periodText() const;
};

// The value of one line (after "="): the date passed, the period, perhaps the lead. Throws Error::BadEntry
// with why it is refused (no line number: the file's parser adds it).
DueItem parseDueValue(const QString& name, const QString& value);

enum class DueState {
    Within,  // more than the lead left
    Near,    // the lead or fewer days left, the due day included
    Overdue, // the due day is past
};

struct DueLine {
    DueItem item;
    QDate due;
    int daysLeft = 0; // due minus today: below zero, the days overdue
    DueState state = DueState::Within;
};

// The items in the file's order, judged on `today`: the due day itself still holds, overdue from the day
// after; "скоро" from `lead` days before it.
QList<DueLine> judgeDates(const QList<DueItem>& items, const QDate& today);

// Items named on the cover's one line: the first three, then how many more ("… и ещё 2").
QString firstFewOf(const QStringList& items);

int countDueState(const QList<DueLine>& lines, DueState state);
// "в пределе", "скоро", "просрочено".
QString dueStateText(DueState state);
// "within", "near", "overdue": the state in the CLI's JSON.
QString dueStateKey(DueState state);
// What is left, for the tables: "23", "0", "просрочено на 5".
QString dueDaysLeftText(const DueLine& line);
// The cover's words about the dates when one is overdue or near, else empty: "Просрочено: ВЛЭК (на 5 дн.).
// Скоро срок: КБП (до 10.04.2026)."
QString dueWarningText(const QList<DueLine>& lines);

} // namespace korv::totals
