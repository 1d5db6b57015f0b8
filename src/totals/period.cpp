#include "totals/period.h"

#include "common/flightdate.h"
#include "logbook/captions.h"

namespace korv::totals {

namespace {

QString twoDigits(int n) { return QStringLiteral("%1").arg(n, 2, 10, QChar(u'0')); }

} // namespace

bool isMonthOption(PeriodOption o) { return o == PeriodOption::CurrentMonth || o == PeriodOption::LastMonth; }
bool isYearOption(PeriodOption o) { return o == PeriodOption::CurrentYear || o == PeriodOption::LastYear; }

std::optional<QString> SetPeriod(PeriodState& state, PeriodOption option, const QDate& today, const QString& txtC,
                                 const QString& txtPo) {
    // Today as the day.month.year text of two-digit fields: mm are characters 4-5, yy the last two.
    const int mm = today.month();
    const int yy = today.year() % 100;
    switch (option) {
    case PeriodOption::None:
    case PeriodOption::SinceStart:
        break;
    case PeriodOption::CurrentMonth:
        state.PeriodMonth = twoDigits(mm);
        state.PeriodKey = state.PeriodMonth + u'.' + twoDigits(yy);
        break;
    case PeriodOption::LastMonth: {
        const bool january = mm == 1;
        state.PeriodMonth = twoDigits(january ? 12 : mm - 1);
        state.PeriodKey = state.PeriodMonth + u'.' + twoDigits(january ? (yy + 99) % 100 : yy);
        break;
    }
    case PeriodOption::CurrentYear:
        state.PeriodKey = twoDigits(yy);
        state.YearCaption = QStringLiteral("20") + state.PeriodKey + QStringLiteral(" год");
        break;
    case PeriodOption::LastYear:
        state.PeriodKey = twoDigits((yy + 99) % 100);
        state.YearCaption = QStringLiteral("20") + state.PeriodKey + QStringLiteral(" год");
        break;
    case PeriodOption::FreePeriod: {
        const auto first = parseFlightDate(txtC);
        const auto last = parseFlightDate(txtPo);
        if (!first || !last)
            return QStringLiteral("Даты периода вводите по образцу 24.09.04: «") + (first ? txtPo : txtC) +
                   QStringLiteral("» не дата.");
        if (*first > *last)
            return QStringLiteral("Первая дата периода (") + txtC + QStringLiteral(") позже последней (") + txtPo +
                   QStringLiteral("). Даты вводите по образцу 24.09.04.");
        state.PeriodKey = txtC;
        state.PeriodEnd = txtPo;
        state.firstDay = *first;
        state.lastDay = *last;
        break;
    }
    }
    state.option = option;
    state.txtC = txtC;
    state.txtPo = txtPo;
    return std::nullopt;
}

QString PeriodCaption(const PeriodState& state) {
    if (isMonthOption(state.option))
        return logbook::monthCaption(state.PeriodMonth, state.PeriodKey.right(2));
    if (isYearOption(state.option))
        return state.YearCaption;
    return {};
}

QString summaryCaption(const PeriodState& state) {
    if (state.option == PeriodOption::FreePeriod)
        return QStringLiteral("Всего с ") + state.txtC + QStringLiteral(" по ") + state.txtPo;
    if (state.option == PeriodOption::SinceStart)
        return QStringLiteral("Всего ") + kSinceStartText;
    return QStringLiteral("Всего за ") + PeriodCaption(state);
}

} // namespace korv::totals
