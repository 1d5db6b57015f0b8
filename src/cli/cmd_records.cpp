#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/period_words.h"
#include "cli/view_support.h"
#include "common/error.h"
#include "common/log.h"
#include "logbook/book_names.h"
#include "totals/record_list.h"

#include <QJsonDocument>
#include <QTextStream>

namespace korv::cli {

namespace {

const char* const kRecordsUsage = "Использование: korvelanta-cli records [--period ПЕРИОД] [--type ТИП] [--exercise "
                                  "ТЕКСТ] [--today ДД.ММ.ГГ] [--dir PATH] [--json]\n";

} // namespace

int runRecords(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    const auto usage = [&](const QString& why) {
        err << "korvelanta-cli records: " << why << '\n' << kRecordsUsage;
        return 2;
    };
    const Arguments a = Arguments::parse(
        args, {{"dir", true}, {"today", true}, {"period", true}, {"type", true}, {"exercise", true}, {"json"}});
    if (a.refused())
        return usage(QStringLiteral("неизвестный аргумент «") + a.refused()->left(32) + u'»');
    const QString todayText = a.value("today");
    const auto today = todayOf(todayText);
    if (!today)
        return usage(QStringLiteral("--today не дата вида ДД.ММ.ГГ: «") + todayText.left(32) + u'»');
    totals::RecordFilter filter;
    if (const QString periodText = a.value("period"); !periodText.isEmpty()) {
        totals::PeriodState state;
        if (const auto refused = periodOfRun(periodText, *today, state))
            return usage(*refused);
        filter.period = state;
    }
    filter.type = a.value("type");
    filter.exerciseText = a.value("exercise");

    const QString book = logbook::bookPath(folderOfRun(a.value("dir"), QStringLiteral("records")));
    const auto entries = entriesOfBook(book, QStringLiteral("records"), err);
    if (!entries)
        return 1;
    try {
        const totals::RecordList list = totals::listRecords(*entries, filter);
        if (a.isSet("json"))
            out << QJsonDocument(totals::recordListJson(list)).toJson(QJsonDocument::Indented);
        else
            out << totals::recordTable(list);
    } catch (const Error& e) {
        log::error(QStringLiteral("korvelanta-cli records"), e);
        err << "korvelanta-cli records: записи не показаны: " << e.description() << '\n';
        return 1;
    }
    return 0;
}

} // namespace korv::cli
