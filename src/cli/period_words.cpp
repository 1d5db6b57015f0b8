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

} // namespace korv::cli
