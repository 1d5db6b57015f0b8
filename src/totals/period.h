#pragma once

// The period of a totals run: the five options of the totals form, the keys a record must produce to be
// taken, and the captions and status texts that follow from them.

#include <QDate>
#include <QString>

#include <optional>

namespace korv::totals {

// SinceStart: every record of the logbook, and the flying before it (carried_flying.h).
enum class PeriodOption { None, CurrentMonth, LastMonth, CurrentYear, LastYear, FreePeriod, SinceStart };

// The period state of the totals form, kept between runs: each run sets only what belongs to the option
// chosen (an earlier run's values of the others stay).
struct PeriodState {
    PeriodOption option = PeriodOption::None;
    QString PeriodKey;   // mm.yy, yy, or the first date as typed
    QString PeriodEnd;   // the last date as typed (free period)
    QString PeriodMonth; // "01".."12" of a month period
    QString YearCaption; // "2026 год" of a year period
    QString txtC, txtPo; // the free period's dates as typed
    // The free period's dates, read as dates (both ends included).
    QDate firstDay, lastDay;
};

// The refusal of free-period dates that are no dates or come in the wrong order; the message names the
// pattern the form shows.
inline const QString kPeriodTitle = QStringLiteral("Период");

// Sets the state for a run started on `today` with `option` chosen. A free period whose dates are not
// dates (dd.mm.yy or dd.mm.yyyy, 2000-2099) or whose first date lies after the last gives the message to
// show instead, and the state is left as it was.
std::optional<QString> SetPeriod(PeriodState& state, PeriodOption option, const QDate& today, const QString& txtC,
                                 const QString& txtPo);

bool isMonthOption(PeriodOption o);
bool isYearOption(PeriodOption o);

// The name of the period of every record and the flying before the logbook, as the form offers it.
inline const QString kSinceStartText = QStringLiteral("с начала лётной работы");

// PeriodCaption as a totals run sees it: the month caption of a month period ("Декабрь  2026 г."), the
// YearCaption of a year period, empty otherwise.
QString PeriodCaption(const PeriodState& state);

// The caption of the grand-total row: "Всего за Декабрь  2026 г.", "Всего за 2026 год",
// "Всего с 01.01.04 по 31.12.04" (the dates as typed), "Всего с начала лётной работы".
QString summaryCaption(const PeriodState& state);

} // namespace korv::totals
