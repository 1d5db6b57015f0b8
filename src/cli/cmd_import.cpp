#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/form_json.h"
#include "common/error.h"
#include "common/log.h"
#include "flight/flight_record.h"
#include "logbook/book_names.h"
#include "logbook/book_reading.h"
#include "spreadsheet/uno/spreadsheet_host.h"
#include "totals/record_transfer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cstdio>

namespace korv::cli {

namespace {

const char* const kImportUsage =
    "Использование: korvelanta-cli import (--csv FILE|- | --workbook FILE [--sheet ЛИСТ]) [--map FILE] "
    "[--save-map FILE] [--times ч.мм|часы] [--dry-run] [--json] [--dir PATH] [--db PATH]\n";

// Standard input as a CSV: read to its end, as large as a file of records may be.
QByteArray standardInput() {
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        throw Error(Error::FileAccess, QStringLiteral("Стандартный ввод не читается."));
    constexpr qint64 most = qint64(64) << 20;
    QByteArray bytes = in.read(most + 1);
    if (bytes.size() > most)
        throw Error(Error::BadEntry,
                    QStringLiteral("На стандартном вводе больше 64 МиБ: это не записи лётной книжки."));
    return bytes;
}

QString mappingText(const totals::Mapping& m, const QStringList& header) {
    QStringList parts;
    for (int i = 0; i < totals::kImportFields; ++i) {
        const int c = m.column[std::size_t(i)];
        parts << totals::fieldName(totals::ImportField(i)) + QStringLiteral(" ← ") +
                     (c >= 0 && c < header.size() ? u'«' + header[c] + u'»' : QStringLiteral("нет"));
    }
    return parts.join(QStringLiteral("\n  "));
}

QJsonObject planJson(const totals::ImportTable& table, const totals::Mapping& m, const totals::ImportPlan& plan,
                     bool written) {
    QJsonObject mapping;
    for (int i = 0; i < totals::kImportFields; ++i) {
        const int c = m.column[std::size_t(i)];
        if (c >= 0 && c < table.header.size())
            mapping.insert(totals::fieldName(totals::ImportField(i)), table.header[c]);
    }
    QJsonArray lines;
    for (const totals::ImportLine& l : plan.lines) {
        QJsonObject o{{QStringLiteral("line"), l.line}, {QStringLiteral("fate"), totals::fateName(l.fate)}};
        if (l.fate == totals::Fate::Same)
            o.insert(QStringLiteral("row"), l.sameRow);
        if (!l.reason.isEmpty())
            o.insert(QStringLiteral("reason"), l.reason);
        lines.append(o);
    }
    return {{QStringLiteral("source"), table.description()},
            {QStringLiteral("ownExport"), m.ownExport},
            {QStringLiteral("mapping"), mapping},
            {QStringLiteral("times"), totals::timeStyleName(m.times)},
            {QStringLiteral("lines"), lines},
            {QStringLiteral("added"), plan.count(totals::Fate::Added)},
            {QStringLiteral("same"), plan.count(totals::Fate::Same)},
            {QStringLiteral("skipped"), plan.count(totals::Fate::Skipped)},
            {QStringLiteral("refused"), plan.count(totals::Fate::Refused)},
            {QStringLiteral("sums"), plan.added.records.isEmpty() ? QString() : totals::sumsLine(plan.added)},
            {QStringLiteral("written"), written}};
}

} // namespace

int runImport(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    const auto usage = [&](const QString& why) {
        err << "korvelanta-cli import: " << why << '\n' << kImportUsage;
        return 2;
    };
    const Arguments a = Arguments::parse(args, {{"dir", true},
                                                {"db", true},
                                                {"csv", true},
                                                {"workbook", true},
                                                {"sheet", true},
                                                {"map", true},
                                                {"save-map", true},
                                                {"times", true},
                                                {"dry-run"},
                                                {"json"}});
    if (a.refused())
        return usage(QStringLiteral("неизвестный аргумент «") + a.refused()->left(32) + u'»');
    if (a.values("csv").size() + a.values("workbook").size() != 1)
        return usage(
            QStringLiteral("нужен ровно один источник: --csv FILE («-» — стандартный ввод) или --workbook FILE"));
    if (a.isSet("sheet") && !a.isSet("workbook"))
        return usage(QStringLiteral("--sheet бывает только с --workbook"));
    std::optional<totals::TimeStyle> times;
    if (a.isSet("times")) {
        const QString t = a.value("times");
        if (t == u"ч.мм" || t == u"hmm")
            times = totals::TimeStyle::HoursDotMinutes;
        else if (t == u"часы" || t == u"decimal")
            times = totals::TimeStyle::DecimalHours;
        else
            return usage(QStringLiteral("--times бывает «ч.мм» или «часы»"));
    }
    const bool dryRun = a.isSet("dry-run");
    const bool json = a.isSet("json");
    const QString book = logbook::bookPath(folderOfRun(a.value("dir"), QStringLiteral("import")));
    if (!QFileInfo::exists(book)) {
        err << "korvelanta-cli import: лётная книжка не найдена: " << book << " (новую делает korvelanta-cli new)\n";
        return 1;
    }

    logbook::SpreadsheetHost host;
    logbook::ChangeSettings settings;
    settings.waiting = [](const QString& text) { QTextStream(stderr) << "korvelanta-cli import: " << text << '\n'; };
    try {
        totals::ImportTable table;
        if (a.isSet("csv")) {
            const QString source = a.value("csv");
            table = source == u"-" ? totals::readCsv(standardInput())
                                   : totals::readCsvFile(QDir::current().absoluteFilePath(source));
        } else {
            table = totals::readWorkbookTable(host, QDir::current().absoluteFilePath(a.value("workbook")),
                                              a.value("sheet"));
        }
        totals::Mapping mapping;
        if (a.isSet("map")) {
            mapping = totals::readMappingFileAt(QDir::current().absoluteFilePath(a.value("map")), table.header);
        } else {
            mapping = totals::guessMapping(table.header);
        }
        if (times)
            mapping.times = *times;
        else if (!mapping.timesGiven)
            mapping.times = totals::guessTimeStyle(table, mapping);
        if (a.isSet("save-map"))
            totals::writeMappingFile(QDir::current().absoluteFilePath(a.value("save-map")), mapping, table.header);

        flight::ReferenceDatabase reference(a.isSet("db") ? a.value("db") : defaultDatabasePath());
        const totals::ExerciseWording wording = [&](long long n) { return flight::ownExerciseText(reference, n); };

        totals::ImportPlan plan;
        bool written = false;
        std::optional<QString> note;
        if (dryRun) {
            plan = totals::planImport(table, mapping, logbook::readLogbookCopy(host, book).book, wording);
        } else {
            try {
                const totals::ImportOutcome outcome =
                    totals::importRecords(host, book, table, mapping, wording, {}, settings);
                plan = outcome.plan;
                note = outcome.note;
                written = plan.count(totals::Fate::Added) > 0;
            } catch (const Error& e) {
                if (e.number() != Error::BadEntry)
                    throw;
                // The lines and their reasons are the answer: printed below, nothing changed.
                plan = totals::planImport(table, mapping, logbook::readLogbookCopy(host, book).book, wording);
                if (!plan.refused())
                    throw;
            }
        }

        if (json) {
            out << QJsonDocument(planJson(table, mapping, plan, written)).toJson(QJsonDocument::Indented);
        } else {
            out << "Источник: " << table.description() << '\n';
            out << (mapping.ownExport ? "Заголовок выгрузки программы: столбцы по нему\n" : "Столбцы:\n  ")
                << (mapping.ownExport ? QString() : mappingText(mapping, table.header) + u'\n');
            out << "Время с точкой: " << totals::timeStyleName(mapping.times) << '\n';
            for (const totals::ImportLine& l : plan.lines)
                out << l.text() << '\n';
            out << plan.summary() << '\n';
        }
        if (note)
            err << "korvelanta-cli import: " << *note << '\n';
        if (plan.refused()) {
            err << "korvelanta-cli import: перенос не сделан, лётная книжка не изменена: строк с отказом "
                << plan.count(totals::Fate::Refused) << '\n';
            return 3;
        }
        if (dryRun)
            err << "korvelanta-cli import: только просмотр (--dry-run): лётная книжка не изменена\n";
        else if (written)
            err << "korvelanta-cli import: перенесено записей: " << plan.count(totals::Fate::Added)
                << " (отменить: korvelanta-cli undo)\n";
        else
            err << "korvelanta-cli import: добавлять нечего: лётная книжка не изменена\n";
        return 0;
    } catch (const Error& e) {
        log::error(QStringLiteral("korvelanta-cli import"), e);
        err << "korvelanta-cli import: перенос не сделан, лётная книжка не изменена: " << e.description() << '\n';
        return e.number() == Error::Changed ? 3 : 1;
    }
}

} // namespace korv::cli
