#include "cli/period_words.h"

namespace korv::cli {

std::optional<PeriodWords> periodOfWords(const QString& text) {
    using totals::PeriodOption;
    if (text == u"current-month")
        return PeriodWords{PeriodOption::CurrentMonth, {}, {}};
    if (text == u"last-month")
        return PeriodWords{PeriodOption::LastMonth, {}, {}};
    if (text == u"current-year")
        return PeriodWords{PeriodOption::CurrentYear, {}, {}};
    if (text == u"last-year")
        return PeriodWords{PeriodOption::LastYear, {}, {}};
    if (text.count(u'-') == 1)
        return PeriodWords{PeriodOption::FreePeriod, text.section(u'-', 0, 0), text.section(u'-', 1, 1)};
    return std::nullopt;
}

std::optional<PeriodWords> periodOfTotalsWords(const QString& text) {
    if (text == u"since-start")
        return PeriodWords{totals::PeriodOption::SinceStart, {}, {}};
    return periodOfWords(text);
}

std::optional<QString> periodOfRun(const QString& text, const QDate& today, totals::PeriodState& state) {
    const auto words = periodOfWords(text);
    if (!words)
        return QStringLiteral("непонятный период «") + text.left(32) + u'»';
    return totals::SetPeriod(state, words->option, today, words->txtC, words->txtPo);
}

} // namespace korv::cli
