#include "chart/hours_chart.h"
#include "cli/commands.h"
#include "cli/view_support.h"
#include "common/error.h"
#include "common/log.h"
#include "logbook/logbook.h"
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

double hours(double fractionOfDay) { return std::round(fractionOfDay * 1440.0) / 60.0; }

} // namespace

int runChart(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    QString dir, todayText, yearText, file;
    bool lastTwelve = false, json = false;
    chart::ChartFormat format = chart::ChartFormat::Png;
    int files = 0;
    const auto usage = [&](const QString& why) {
        err << "korvelanta-cli chart: " << why << '\n' << kChartUsage;
        return 2;
    };
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == u"--dir" && hasValue) {
            dir = args[++i];
        } else if (a == u"--today" && hasValue) {
            todayText = args[++i];
        } else if (a == u"--year" && hasValue) {
            yearText = args[++i];
        } else if (a == u"--last-12") {
            lastTwelve = true;
        } else if ((a == u"--png" || a == u"--svg") && hasValue) {
            format = a == u"--png" ? chart::ChartFormat::Png : chart::ChartFormat::Svg;
            file = args[++i];
            ++files;
        } else if (a == u"--json") {
            json = true;
        } else {
            return usage(QStringLiteral("неизвестный аргумент «") + a.left(32) + u'»');
        }
    }
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

    dir = folderOfRun(dir, QStringLiteral("chart"));
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
