#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/view_support.h"
#include "common/error.h"
#include "common/log.h"
#include "logbook/book_names.h"
#include "totals/break_limits.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace korv::cli {

namespace {

QString dateText(const QDate& d) { return d.toString(QStringLiteral("dd.MM.yyyy")); }

QString stateKey(totals::BreakState s) {
    switch (s) {
    case totals::BreakState::NoLimit:
        return QStringLiteral("no-limit");
    case totals::BreakState::Within:
        return QStringLiteral("within");
    case totals::BreakState::Near:
        return QStringLiteral("near");
    case totals::BreakState::Exceeded:
        return QStringLiteral("exceeded");
    case totals::BreakState::NeverFlown:
        return QStringLiteral("never-flown");
    }
    return {};
}

QJsonObject lineJson(const totals::BreakLine& b) {
    QJsonObject o{{QStringLiteral("type"), b.type.isEmpty() ? QJsonValue() : QJsonValue(b.type)},
                  {QStringLiteral("kind"), totals::breakKindKey(b.kind)},
                  {QStringLiteral("kindText"), totals::breakKindText(b.kind)},
                  {QStringLiteral("state"), stateKey(b.state)}};
    o.insert(QStringLiteral("last"), b.last ? QJsonValue(dateText(b.last->date)) : QJsonValue());
    o.insert(QStringLiteral("row"), b.last ? QJsonValue(b.last->row) : QJsonValue());
    o.insert(QStringLiteral("daysSince"), b.last ? QJsonValue(b.daysSince) : QJsonValue());
    o.insert(QStringLiteral("limit"), b.limit ? QJsonValue(*b.limit) : QJsonValue());
    const bool judged = b.limit && b.last;
    o.insert(QStringLiteral("daysLeft"), judged ? QJsonValue(b.daysLeft) : QJsonValue());
    o.insert(QStringLiteral("due"), judged ? QJsonValue(dateText(b.due)) : QJsonValue());
    return o;
}

QJsonObject dueJson(const totals::DueLine& l) {
    return {{QStringLiteral("name"), l.item.name},
            {QStringLiteral("passed"), dateText(l.item.passed)},
            {QStringLiteral("period"), l.item.periodText()},
            {QStringLiteral("due"), dateText(l.due)},
            {QStringLiteral("daysLeft"), l.daysLeft},
            {QStringLiteral("lead"), l.item.lead},
            {QStringLiteral("state"), totals::dueStateKey(l.state)},
            {QStringLiteral("line"), l.item.line}};
}

} // namespace

int runRecency(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    const Arguments a = Arguments::parse(args, {{"dir", true}, {"today", true}, {"json"}});
    if (a.refused()) {
        err << "korvelanta-cli recency: неизвестный аргумент «" << a.refused()->left(32) << "»\n"
            << "Использование: korvelanta-cli recency [--dir PATH] [--today ДД.ММ.ГГ] [--json]\n";
        return 2;
    }
    const QString todayText = a.value("today");
    const bool json = a.isSet("json");
    const auto today = todayOf(todayText);
    if (!today) {
        err << "korvelanta-cli recency: --today не дата вида ДД.ММ.ГГ: «" << todayText.left(32) << "»\n";
        return 2;
    }
    const QString dir = folderOfRun(a.value("dir"), QStringLiteral("recency"));
    const QString book = logbook::bookPath(dir);
    const QString limitsFile = totals::limitsPath(dir);

    totals::BreakLimits limits;
    try {
        limits = totals::readBreakLimits(limitsFile);
    } catch (const Error& e) {
        log::error(QStringLiteral("korvelanta-cli recency"), e);
        err << "korvelanta-cli recency: " << e.description() << '\n';
        return 1;
    }
    const auto entries = entriesOfBook(book, QStringLiteral("recency"), err);
    if (!entries)
        return 1;
    totals::Recency recency;
    try {
        recency = totals::lastFlights(*entries);
    } catch (const Error& e) {
        log::error(QStringLiteral("korvelanta-cli recency"), e);
        err << "korvelanta-cli recency: перерывы не подсчитаны: " << e.description() << '\n';
        return 1;
    }
    const QList<totals::BreakLine> lines = totals::judgeBreaks(recency, limits, *today);
    const int exceeded = totals::countState(lines, totals::BreakState::Exceeded);
    const int near = totals::countState(lines, totals::BreakState::Near);
    const QList<totals::DueLine> dates = totals::judgeDates(limits.dates, *today);
    const int overdue = totals::countDueState(dates, totals::DueState::Overdue);
    const int dueSoon = totals::countDueState(dates, totals::DueState::Near);
    // Something over, a break or a date, is what a script waits for.
    const int status = exceeded > 0 || overdue > 0 ? 3 : 0;

    if (json) {
        QJsonArray items;
        for (const totals::BreakLine& b : lines)
            items.append(lineJson(b));
        QJsonArray dueItems;
        for (const totals::DueLine& l : dates)
            dueItems.append(dueJson(l));
        out << QJsonDocument(
                   QJsonObject{{QStringLiteral("book"), book},
                               {QStringLiteral("today"), dateText(*today)},
                               {QStringLiteral("limitsFile"), limits.isEmpty() ? QJsonValue() : QJsonValue(limitsFile)},
                               {QStringLiteral("exceeded"), exceeded},
                               {QStringLiteral("near"), near},
                               {QStringLiteral("lines"), items},
                               {QStringLiteral("overdue"), overdue},
                               {QStringLiteral("dueSoon"), dueSoon},
                               {QStringLiteral("dates"), dueItems}})
                   .toJson(QJsonDocument::Indented);
        return status;
    }

    out << "Перерывы в полётах на " << dateText(*today) << " — лётная книжка " << book << '\n';
    if (!limits.hasBreakLimits())
        out << "Пределы не заданы (их задаёт файл " << limitsFile << ")\n\n";
    else
        out << "Пределы из файла " << limitsFile << "\n\n";
    out << QStringLiteral("Тип").leftJustified(10) << QStringLiteral("Вид").leftJustified(28)
        << QStringLiteral("Последний").leftJustified(12) << QStringLiteral("Дней").rightJustified(6)
        << QStringLiteral("Предел").rightJustified(8) << QStringLiteral("Осталось").rightJustified(10) << "  "
        << QStringLiteral("Летать до").leftJustified(12) << "Состояние\n";
    QString previousType = QStringLiteral("\x01");
    for (const totals::BreakLine& b : lines) {
        const QString type = b.type.isEmpty() ? QStringLiteral("Все типы") : b.type;
        out << (type == previousType ? QString() : type).leftJustified(10)
            << totals::breakKindText(b.kind).leftJustified(28)
            << (b.last ? dateText(b.last->date) : QStringLiteral("не было")).leftJustified(12)
            << (b.last ? QString::number(b.daysSince) : QString()).rightJustified(6)
            << (b.limit ? QString::number(*b.limit) : QString()).rightJustified(8)
            << totals::daysLeftText(b).rightJustified(10) << "  "
            << (b.limit && b.last ? dateText(b.due) : QString()).leftJustified(12) << totals::stateText(b.state)
            << '\n';
        previousType = type;
    }
    if (limits.hasBreakLimits())
        out << "\nПревышено: " << exceeded << ", истекает в ближайшие " << totals::kNearDays << " дней: " << near
            << '\n';
    if (!dates.isEmpty()) {
        out << "\nСроки\n"
            << QStringLiteral("Что").leftJustified(32) << QStringLiteral("Пройдено").leftJustified(12)
            << QStringLiteral("Срок").leftJustified(16) << QStringLiteral("Действует до").leftJustified(14)
            << QStringLiteral("Осталось").rightJustified(18) << "  Состояние\n";
        for (const totals::DueLine& l : dates)
            out << l.item.name.leftJustified(31) << ' ' << dateText(l.item.passed).leftJustified(12)
                << l.item.periodText().leftJustified(16) << dateText(l.due).leftJustified(14)
                << totals::dueDaysLeftText(l).rightJustified(18) << "  " << totals::dueStateText(l.state) << '\n';
        out << "\nПросрочено: " << overdue << ", скоро: " << dueSoon << '\n';
    }
    return status;
}

} // namespace korv::cli
