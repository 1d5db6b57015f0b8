#include "totals/break_limits.h"

#include "common/error.h"
#include "common/kept_file.h"
#include "common/numtext.h"
#include "totals/kept_lines.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace korv::totals {

namespace {

constexpr qint64 kMostLimitsBytes = 1 << 20;

} // namespace

QString limitsPath(const QString& bookDir) { return QDir(bookDir).filePath(kLimitsFileName); }

std::optional<int> BreakLimits::of(const QString& type, BreakKind kind) const {
    const auto it = byType.constFind(type);
    if (it == byType.constEnd())
        return std::nullopt;
    return (*it)[std::size_t(kind)];
}

namespace {

std::optional<BreakKind> kindNamed(const QString& name) {
    const QString key = folded(name);
    for (const BreakKind kind : kAllBreakKinds) {
        if (folded(breakKindText(kind)) == key)
            return kind;
    }
    return std::nullopt;
}

[[noreturn]] void refuseLine(int line, const QString& what) {
    throw Error(Error::BadEntry, QStringLiteral("строка %1: %2").arg(line).arg(what));
}

QString kindList() {
    QStringList names;
    for (const BreakKind kind : kAllBreakKinds)
        names << QStringLiteral("«") + breakKindText(kind) + QStringLiteral("»");
    return names.join(QStringLiteral(", "));
}

} // namespace

BreakLimits parseBreakLimits(const QString& text) {
    BreakLimits limits;
    QString type;
    bool inDates = false;
    for (const auto& [number, line] : keptLines(text)) {
        if (const auto heading = headingOf(line)) {
            if (heading->isEmpty())
                refuseLine(number, QStringLiteral("заголовок типа пишется в скобках: [Л-39]"));
            type = *heading;
            inDates = folded(type) == folded(kDatesSection);
            if (folded(type) == u"все типы")
                type.clear();
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            refuseLine(number, inDates ? QStringLiteral("нет знака «=»; строка пишется как «ВЛЭК = 15.03.2026, 12 мес»")
                                       : QStringLiteral("нет знака «=»; строка пишется как «ночью = 30»"));
        const QString name = line.left(equals);
        if (inDates) {
            DueItem item;
            try {
                item = parseDueValue(name, line.mid(equals + 1));
            } catch (const Error& e) {
                refuseLine(number, e.description());
            }
            item.line = number;
            for (const DueItem& earlier : limits.dates)
                if (folded(earlier.name) == folded(item.name))
                    refuseLine(number,
                               QStringLiteral("срок «%1» уже задан в строке %2").arg(item.name).arg(earlier.line));
            limits.dates << item;
            continue;
        }
        const auto kind = kindNamed(name);
        if (!kind)
            refuseLine(number, QStringLiteral("вид «%1» неизвестен; виды: %2").arg(name.simplified(), kindList()));
        const QString value = line.mid(equals + 1).trimmed();
        const auto days = wholeNumber(value);
        if (!days || *days < 1 || *days > kLongestLimit)
            refuseLine(
                number,
                QStringLiteral("перерыв «%1» — не целое число дней от 1 до %2").arg(value.left(32)).arg(kLongestLimit));
        auto& slot = limits.byType[type][std::size_t(*kind)];
        if (slot)
            refuseLine(number, QStringLiteral("перерыв «%1» для %2 уже задан выше")
                                   .arg(breakKindText(*kind), type.isEmpty() ? QStringLiteral("всех типов")
                                                                             : QStringLiteral("типа ") + type));
        slot = int(*days);
    }
    return limits;
}

BreakLimits readBreakLimits(const QString& path) {
    const std::optional<QByteArray> bytes = readKeptFile(
        path, {QStringLiteral("Файл пределов перерывов"), kMostLimitsBytes, QStringLiteral("; пределы не учитываются"),
               QStringLiteral("это несколько строк. Пределы не учитываются, пока файл не исправлен.")});
    if (!bytes)
        return {};
    try {
        return parseBreakLimits(QString::fromUtf8(*bytes));
    } catch (const Error& e) {
        throw Error(Error::BadEntry,
                    QStringLiteral("В файле пределов перерывов %1, %2. Исправьте файл; до тех пор пределы не "
                                   "учитываются.")
                        .arg(QFileInfo(path).fileName(), e.description()));
    }
}

QList<BreakLine> judgeBreaks(const Recency& recency, const BreakLimits& limits, const QDate& today) {
    QList<BreakLine> out;
    const auto add = [&](const QString& type, const TypeRecency* line) {
        for (const BreakKind kind : kAllBreakKinds) {
            BreakLine b;
            b.type = type;
            b.kind = kind;
            if (line)
                b.last = line->of(kind);
            b.limit = limits.of(type, kind);
            if (b.last)
                b.daysSince = int(b.last->date.daysTo(today));
            if (!b.limit) {
                b.state = BreakState::NoLimit;
            } else if (!b.last) {
                b.state = BreakState::NeverFlown;
            } else {
                b.daysLeft = *b.limit - b.daysSince;
                b.due = b.last->date.addDays(*b.limit);
                b.state = b.daysLeft < 0            ? BreakState::Exceeded
                          : b.daysLeft <= kNearDays ? BreakState::Near
                                                    : BreakState::Within;
            }
            out << b;
        }
    };
    for (const TypeRecency& line : recency.lines)
        add(line.type, &line);
    for (auto it = limits.byType.constBegin(); it != limits.byType.constEnd(); ++it) {
        const bool held = std::any_of(recency.lines.begin(), recency.lines.end(),
                                      [&](const TypeRecency& l) { return l.type == it.key(); });
        if (!held)
            add(it.key(), nullptr);
    }
    return out;
}

int countState(const QList<BreakLine>& lines, BreakState state) {
    return int(std::count_if(lines.begin(), lines.end(), [&](const BreakLine& b) { return b.state == state; }));
}

QString stateText(BreakState state) {
    switch (state) {
    case BreakState::NoLimit:
        return {};
    case BreakState::Within:
        return QStringLiteral("в пределе");
    case BreakState::Near:
        return QStringLiteral("скоро");
    case BreakState::Exceeded:
        return QStringLiteral("превышен");
    case BreakState::NeverFlown:
        return QStringLiteral("нет полётов");
    }
    return {};
}

QString daysLeftText(const BreakLine& line) {
    if (!line.limit || !line.last)
        return {};
    return line.daysLeft < 0 ? QStringLiteral("сверх %1").arg(-line.daysLeft) : QString::number(line.daysLeft);
}

QString warningLine(const QList<BreakLine>& lines, const QList<DueLine>& dates) {
    QStringList over, near;
    for (const BreakLine& b : lines) {
        const QString what = (b.type.isEmpty() ? QStringLiteral("все типы") : b.type) + u' ' + breakKindText(b.kind);
        if (b.state == BreakState::Exceeded)
            over << what + QStringLiteral(" (на %1 дн.)").arg(-b.daysLeft);
        else if (b.state == BreakState::Near)
            near << what + QStringLiteral(" (до %1)").arg(b.due.toString(QStringLiteral("dd.MM.yyyy")));
    }
    const QString datesText = dueWarningText(dates);
    if (over.isEmpty() && near.isEmpty() && datesText.isEmpty())
        return {};
    QStringList parts;
    if (!over.isEmpty())
        parts << QStringLiteral("Перерыв в полётах превышен: ") + firstFewOf(over) + u'.';
    if (!near.isEmpty())
        parts << QStringLiteral("Перерыв скоро истекает: ") + firstFewOf(near) + u'.';
    if (!datesText.isEmpty())
        parts << datesText;
    return parts.join(u' ') + QStringLiteral(" Подробнее — «Просмотр», «Перерывы и налёт».");
}

} // namespace korv::totals
