#pragma once

// The period of a command as the CLI spells it: current-month, last-month, current-year, last-year or
// ДД.ММ.ГГ-ДД.ММ.ГГ, as the totals take them.

#include "totals/period.h"

#include <QDate>
#include <QString>

#include <optional>

namespace korv::cli {

struct PeriodWords {
    totals::PeriodOption option = totals::PeriodOption::None;
    QString txtC, txtPo; // the free period's dates as typed
};

// The words read; nothing for anything else.
std::optional<PeriodWords> periodOfWords(const QString& text);

// The words of the totals: those above and since-start, every record and the flying before the logbook.
std::optional<PeriodWords> periodOfTotalsWords(const QString& text);

// The period `text` names on `today`, into `state`; the refusal to tell instead when the words are not
// understood or the free period's dates are refused (SetPeriod).
std::optional<QString> periodOfRun(const QString& text, const QDate& today, totals::PeriodState& state);

// The usage's spelling of the words.
inline const char* const kPeriodWords = "current-month|last-month|current-year|last-year|ДД.ММ.ГГ-ДД.ММ.ГГ";
inline const char* const kTotalsPeriodWords =
    "current-month|last-month|current-year|last-year|since-start|ДД.ММ.ГГ-ДД.ММ.ГГ";

} // namespace korv::cli
