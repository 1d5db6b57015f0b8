#include "totals/dates_due.h"

#include "common/error.h"
#include "common/flightdate.h"
#include "common/numtext.h"
#include "totals/kept_lines.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace korv::totals {

namespace {

QString dateText(const QDate& d) { return d.toString(QStringLiteral("dd.MM.yyyy")); }

[[noreturn]] void refuse(const QString& why) { throw Error(Error::BadEntry, why); }

QDate dateOf(const QString& text, const QString& what) {
    const auto d = parseFlightDate(text.trimmed());
    if (!d)
        refuse(QStringLiteral("%1 «%2» — не дата вида 15.03.2026 (годы 2000–2099)").arg(what, text.trimmed().left(32)));
    return *d;
}

enum class Unit { Days, Months, Years };

// "90 дней", "12 мес", "1 год": the number and its unit; nothing when the words are no period.
std::optional<std::pair<long long, Unit>> periodOf(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^(\\S+)\\s*(\\S+)$"));
    const auto m = form.match(text.simplified());
    if (!m.hasMatch())
        return std::nullopt;
    const auto n = wholeNumber(m.captured(1));
    if (!n)
        return std::nullopt;
    QString unit = folded(m.captured(2));
    if (unit.endsWith(u'.'))
        unit.chop(1);
    static const QStringList days = {QStringLiteral("дн"), QStringLiteral("день"), QStringLiteral("дня"),
                                     QStringLiteral("дней")};
    static const QStringList months = {QStringLiteral("мес"), QStringLiteral("месяц"), QStringLiteral("месяца"),
                                       QStringLiteral("месяцев")};
    static const QStringList years = {QStringLiteral("г"), QStringLiteral("год"), QStringLiteral("года"),
                                      QStringLiteral("лет")};
    if (days.contains(unit))
        return std::pair{*n, Unit::Days};
    if (months.contains(unit))
        return std::pair{*n, Unit::Months};
    if (years.contains(unit))
        return std::pair{*n, Unit::Years};
    return std::nullopt;
}

const QString kForm = QStringLiteral("пишется как «ВЛЭК = 15.03.2026, 12 мес», «Допуск = 01.02.2026, до 01.02.2027» "
                                     "или «КБП = 10.01.2026, 90 дней, предупредить за 14 дней»");

} // namespace

QDate DueItem::due() const {
    if (until)
        return *until;
    return months > 0 ? passed.addMonths(months) : passed.addDays(days);
}

QString DueItem::periodText() const {
    if (until)
        return QStringLiteral("до ") + dateText(*until);
    return months > 0 ? QStringLiteral("%1 мес").arg(months) : QStringLiteral("%1 дн.").arg(days);
}

DueItem parseDueValue(const QString& name, const QString& value) {
    DueItem item;
    item.name = name.simplified();
    if (item.name.isEmpty())
        refuse(QStringLiteral("нет названия срока перед «=»; строка ") + kForm);
    const QStringList parts = value.split(u',');
    if (parts.size() < 2 || parts.size() > 3)
        refuse(QStringLiteral("«%1» — нужны дата прохождения и срок через запятую; строка ").arg(item.name) + kForm);
    item.passed = dateOf(parts[0], QStringLiteral("дата прохождения"));

    const QString period = parts[1].simplified();
    if (folded(period).startsWith(QStringLiteral("до "))) {
        item.until = dateOf(period.mid(3), QStringLiteral("срок"));
        if (*item.until < item.passed)
            refuse(QStringLiteral("«%1»: срок %2 раньше даты прохождения %3")
                       .arg(item.name, dateText(*item.until), dateText(item.passed)));
    } else {
        const auto p = periodOf(period);
        if (!p)
            refuse(QStringLiteral("«%1»: срок «%2» непонятен; срок — «12 мес», «90 дней», «2 года» или «до 01.02.2027»")
                       .arg(item.name, period.left(32)));
        const auto [n, unit] = *p;
        const long long longest = unit == Unit::Days     ? kLongestDueDays
                                  : unit == Unit::Months ? kLongestDueMonths
                                                         : kLongestDueMonths / 12;
        if (n < 1 || n > longest)
            refuse(QStringLiteral("«%1»: срок «%2» — не от 1 до %3 %4")
                       .arg(item.name, period.left(32))
                       .arg(longest)
                       .arg(unit == Unit::Days     ? QStringLiteral("дней")
                            : unit == Unit::Months ? QStringLiteral("месяцев")
                                                   : QStringLiteral("лет")));
        if (unit == Unit::Days)
            item.days = int(n);
        else
            item.months = int(unit == Unit::Months ? n : n * 12);
    }

    if (parts.size() == 3) {
        static const QRegularExpression lead(QStringLiteral("^предупредить\\s+за\\s+(.+)$"));
        const auto m = lead.match(folded(parts[2]));
        const auto p = m.hasMatch() ? periodOf(m.captured(1)) : std::nullopt;
        if (!p || p->second != Unit::Days)
            refuse(QStringLiteral("«%1»: «%2» — предупреждение пишется как «предупредить за 14 дней»")
                       .arg(item.name, parts[2].simplified().left(40)));
        if (p->first < 0 || p->first > kLongestDueDays)
            refuse(QStringLiteral("«%1»: предупредить можно за 0–%2 дней").arg(item.name).arg(kLongestDueDays));
        item.lead = int(p->first);
    }
    return item;
}

QList<DueLine> judgeDates(const QList<DueItem>& items, const QDate& today) {
    QList<DueLine> out;
    for (const DueItem& item : items) {
        DueLine l;
        l.item = item;
        l.due = item.due();
        l.daysLeft = int(today.daysTo(l.due));
        l.state = l.daysLeft < 0 ? DueState::Overdue : l.daysLeft <= item.lead ? DueState::Near : DueState::Within;
        out << l;
    }
    return out;
}

int countDueState(const QList<DueLine>& lines, DueState state) {
    return int(std::count_if(lines.begin(), lines.end(), [&](const DueLine& l) { return l.state == state; }));
}

QString dueStateText(DueState state) {
    switch (state) {
    case DueState::Within:
        return QStringLiteral("в пределе");
    case DueState::Near:
        return QStringLiteral("скоро");
    case DueState::Overdue:
        return QStringLiteral("просрочено");
    }
    return {};
}

QString dueStateKey(DueState state) {
    switch (state) {
    case DueState::Within:
        return QStringLiteral("within");
    case DueState::Near:
        return QStringLiteral("near");
    case DueState::Overdue:
        return QStringLiteral("overdue");
    }
    return {};
}

QString dueDaysLeftText(const DueLine& line) {
    return line.daysLeft < 0 ? QStringLiteral("просрочено на %1").arg(-line.daysLeft) : QString::number(line.daysLeft);
}

QString dueWarningText(const QList<DueLine>& lines) {
    QStringList over, near;
    for (const DueLine& l : lines) {
        if (l.state == DueState::Overdue)
            over << l.item.name + QStringLiteral(" (на %1 дн.)").arg(-l.daysLeft);
        else if (l.state == DueState::Near)
            near << l.item.name + QStringLiteral(" (до %1)").arg(dateText(l.due));
    }
    QStringList parts;
    if (!over.isEmpty())
        parts << QStringLiteral("Просрочено: ") + firstFewOf(over) + u'.';
    if (!near.isEmpty())
        parts << QStringLiteral("Скоро срок: ") + firstFewOf(near) + u'.';
    return parts.join(u' ');
}

QString firstFewOf(const QStringList& items) {
    return items.size() <= 3
               ? items.join(QStringLiteral(", "))
               : items.mid(0, 3).join(QStringLiteral(", ")) + QStringLiteral(" и ещё %1").arg(items.size() - 3);
}

} // namespace korv::totals
