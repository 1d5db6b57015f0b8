#include "chart/hours_chart.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/view_support.h"
#include "common/error.h"
#include "common/log.h"
#include "logbook/book_names.h"
#include "totals/monthly_hours.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cmath>

namespace korv::cli {

namespace {

const char* const kChartUsage =
    "Использование: korvelanta-cli chart (--year ГГГГ | --last-12) [--today ДД.ММ.ГГ] [--dir PATH]\n"
    "                                    (--png FILE | --svg FILE) [--json]\n";

double hours(Minutes m) { return m.count / 60.0; }

} // namespace

int runChart(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    const auto usage = [&](const QString& why) {
        err << "korvelanta-cli chart: " << why << '\n' << kChartUsage;
        return 2;
    };
    const Arguments a = Arguments::parse(
        args, {{"dir", true}, {"today", true}, {"year", true}, {"last-12"}, {"png", true}, {"svg", true}, {"json"}});
    if (a.refused())
        return usage(QStringLiteral("неизвестный аргумент «") + a.refused()->left(32) + u'»');
    const QString todayText = a.value("today");
    const QString yearText = a.value("year");
    const bool lastTwelve = a.isSet("last-12");
    const bool json = a.isSet("json");
    const qsizetype files = a.values("png").size() + a.values("svg").size();
    const chart::ChartFormat format = a.isSet("png") ? chart::ChartFormat::Png : chart::ChartFormat::Svg;
    QString file = a.isSet("png") ? a.value("png") : a.value("svg");
    if (lastTwelve == !yearText.isEmpty())
        return usage(QStringLiteral("нужен ровно один из --year ГГГГ и --last-12"));
    if (files != 1)
        return usage(QStringLiteral("нужен ровно один файл: --png FILE или --svg FILE"));
    bool yearOk = false;
    const int year = yearText.toInt(&yearOk);
    if (!lastTwelve && (!yearOk || year < 2000 || year > 2099))
        return usage(QStringLiteral("--year не год от 2000 до 2099: «") + yearText.left(32) + u'»');
    const auto today = todayOf(todayText);
    if (!today)
        return usage(QStringLiteral("--today не дата вида ДД.ММ.ГГ: «") + todayText.left(32) + u'»');
    file = QDir::current().absoluteFilePath(file);

    const QString dir = folderOfRun(a.value("dir"), QStringLiteral("chart"));
    const QString book = logbook::bookPath(dir);
    if (const QString why = chart::chartTargetRefusal(file, book, format); !why.isEmpty())
        return usage(why);
    const auto entries = entriesOfBook(book, QStringLiteral("chart"), err);
    if (!entries)
        return 1;
    totals::HoursOfMonths months;
    try {
        months = lastTwelve ? totals::hoursOfLastTwelve(*entries, *today) : totals::hoursOfYear(*entries, year);
        chart::saveHoursChart(months, file, format);
    } catch (const Error& e) {
        log::error(QStringLiteral("korvelanta-cli chart"), e);
        err << "korvelanta-cli chart: график не построен: " << e.description() << '\n';
        return 1;
    }

    if (json) {
        QJsonArray items;
        for (int i = 0; i < months.months.size(); ++i) {
            const totals::MonthHours& m = months.months[i];
            items.append(QJsonObject{{QStringLiteral("month"), m.month.toString(QStringLiteral("MM.yyyy"))},
                                     {QStringLiteral("day"), totals::hoursText(m.day)},
                                     {QStringLiteral("night"), totals::hoursText(m.night)},
                                     {QStringLiteral("smu"), totals::hoursText(m.smu)},
                                     {QStringLiteral("total"), totals::hoursText(m.total())},
                                     {QStringLiteral("running"), totals::hoursText(months.running[i])},
                                     {QStringLiteral("hours"), hours(m.total())},
                                     {QStringLiteral("flights"), m.flights}});
        }
        out << QJsonDocument(QJsonObject{{QStringLiteral("book"), book},
                                         {QStringLiteral("caption"), months.caption},
                                         {QStringLiteral("file"), file},
                                         {QStringLiteral("months"), items}})
                   .toJson(QJsonDocument::Indented);
        return 0;
    }
    out << months.caption << '\n';
    out << QStringLiteral("Месяц").leftJustified(16) << QStringLiteral("Днём").rightJustified(8)
        << QStringLiteral("Ночью").rightJustified(8) << QStringLiteral("В СМУ").rightJustified(8)
        << QStringLiteral("Всего").rightJustified(8) << QStringLiteral("С начала").rightJustified(10) << '\n';
    for (int i = 0; i < months.months.size(); ++i) {
        const totals::MonthHours& m = months.months[i];
        out << QString(totals::monthName(m.month.month()) + u' ' + QString::number(m.month.year())).leftJustified(16)
            << totals::hoursText(m.day).rightJustified(8) << totals::hoursText(m.night).rightJustified(8)
            << totals::hoursText(m.smu).rightJustified(8) << totals::hoursText(m.total()).rightJustified(8)
            << totals::hoursText(months.running[i]).rightJustified(10) << '\n';
    }
    out << "График: " << file << '\n';
    return 0;
}

} // namespace korv::cli
