#include "bookfiles/output_target.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/period_words.h"
#include "cli/view_support.h"
#include "common/error.h"
#include "common/log.h"
#include "logbook/book_names.h"
#include "totals/record_export.h"

#include <QDir>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTextStream>

#include <cstdio>

namespace korv::cli {

namespace {

const char* const kExportUsage = "Использование: korvelanta-cli export (--csv FILE|- | --json FILE|-) [--period "
                                 "ПЕРИОД | --all] [--today ДД.ММ.ГГ] [--dir PATH]\n";

logbook::files::OutputKind outputKind(bool json) {
    if (json)
        return {QStringLiteral("выгрузка записей"), QStringLiteral("JSON"), [](const QByteArray& head) {
                    const QByteArray t = head.trimmed();
                    return t.startsWith('[') || t.startsWith('{');
                }};
    return {QStringLiteral("выгрузка записей"), QStringLiteral("CSV"),
            [](const QByteArray& head) { return head.startsWith(QStringLiteral("дата,тип,").toUtf8()); }};
}

} // namespace

int runExport(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    const auto usage = [&](const QString& why) {
        err << "korvelanta-cli export: " << why << '\n' << kExportUsage;
        return 2;
    };
    const Arguments a = Arguments::parse(
        args, {{"dir", true}, {"today", true}, {"period", true}, {"all"}, {"csv", true}, {"json", true}});
    if (a.refused())
        return usage(QStringLiteral("неизвестный аргумент «") + a.refused()->left(32) + u'»');
    const QString todayText = a.value("today");
    const QString periodText = a.value("period");
    const bool all = a.isSet("all");
    const bool json = a.isSet("json");
    const qsizetype targets = a.values("csv").size() + a.values("json").size();
    QString target = json ? a.value("json") : a.value("csv");
    if (targets != 1)
        return usage(QStringLiteral("нужен ровно один из --csv FILE и --json FILE («-» — стандартный вывод)"));
    if (all && !periodText.isEmpty())
        return usage(QStringLiteral("--period и --all вместе не бывают"));
    const auto today = todayOf(todayText);
    if (!today)
        return usage(QStringLiteral("--today не дата вида ДД.ММ.ГГ: «") + todayText.left(32) + u'»');
    std::optional<totals::PeriodState> period;
    if (!periodText.isEmpty()) {
        totals::PeriodState state;
        if (const auto refused = periodOfRun(periodText, *today, state))
            return usage(*refused);
        period = state;
    }
    const bool toStdout = target == u"-";
    if (!toStdout)
        target = QDir::current().absoluteFilePath(target);

    const QString dir = folderOfRun(a.value("dir"), QStringLiteral("export"));
    const QString book = logbook::bookPath(dir);
    if (!toStdout) {
        if (const QString why = logbook::files::outputTargetRefusal(target, book, outputKind(json)); !why.isEmpty())
            return usage(why);
    }
    const auto entries = entriesOfBook(book, QStringLiteral("export"), err);
    if (!entries)
        return 1;
    QByteArray bytes;
    int count = 0;
    try {
        const QList<totals::Entry> records = totals::exportedRecords(*entries, period);
        count = int(records.size());
        bytes = json ? QJsonDocument(totals::exportJson(records)).toJson(QJsonDocument::Indented)
                     : totals::exportCsv(records).toUtf8();
    } catch (const Error& e) {
        log::error(QStringLiteral("korvelanta-cli export"), e);
        err << "korvelanta-cli export: записи не выгружены: " << e.description() << '\n';
        return 1;
    }
    if (toStdout) {
        out.flush();
        std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
        std::fflush(stdout);
    } else {
        QSaveFile file(target);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
            err << "korvelanta-cli export: файл не записан: " << target << " (" << file.errorString() << ")\n";
            return 1;
        }
    }
    err << "korvelanta-cli export: записей выгружено: " << count
        << (toStdout ? QString() : QStringLiteral(", в ") + target) << '\n';
    return 0;
}

} // namespace korv::cli
