#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/period_words.h"
#include "common/error.h"
#include "common/flightdate.h"
#include "common/log.h"
#include "common/minutes.h"
#include "common/notice.h"
#include "logbook/book_names.h"
#include "logbook/record_layout.h"
#include "spreadsheet/uno/spreadsheet_host.h"
#include "totals/category_sums.h"
#include "totals/printing.h"
#include "totals/totals_run.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <array>

namespace korv::cli {

namespace {

using totals::PeriodOption;
using totals::RecordedStatus;
using totals::TotalsEnd;

// A summary cell as the file holds it: an empty cell is null, a time h:mm.
QJsonValue cellJson(const QVariant& v, bool time) {
    if (v.typeId() == QMetaType::QString && v.toString().isEmpty())
        return QJsonValue::Null;
    if (v.typeId() == QMetaType::Double)
        return time ? QJsonValue(hoursMinutesText(Minutes::ofDays(v.toDouble()))) : QJsonValue(v.toDouble());
    return QJsonValue(v.toString());
}

QJsonObject rowJson(const QVariantList& r) {
    namespace column = logbook::records::column;
    const char* names[] = {"F", "G", "H", "I", "J", "O", "Q", "R", "S"};
    QJsonObject row{{QStringLiteral("E"), cellJson(r[column::E], false)}};
    for (size_t k = 0; k < totals::kSumColumns.size(); ++k) {
        const int c = totals::kSumColumns[k];
        row.insert(QString::fromLatin1(names[k]), cellJson(r[c], c >= column::G && c <= column::J));
    }
    return row;
}

// Rows 7-17 of "Лист4" as the run wrote them for `summary`: E, F, G..J as h:mm, O, Q, R, S; an empty cell
// is null. Row 17 holds the caption and the sums of rows 11 and 16, which its formulas give; rows 18 and 19
// the flying before the logbook and the logbook's own, when there was any before it.
QJsonObject summaryRows(const totals::SummaryBlock& summary, const QString& caption) {
    namespace column = logbook::records::column;
    QList<QVariantList> rows = totals::summaryRows(summary.block);
    QVariantList last(logbook::records::kLastColumn + 1, QString());
    last[column::E] = caption;
    const std::array<QVariant, 9> totals = totals::sumCells(totals::grandTotals(summary.block));
    for (size_t k = 0; k < totals::kSumColumns.size(); ++k)
        last[totals::kSumColumns[k]] = totals[k];
    rows << last;
    if (summary.carried)
        rows << totals::partRows(summary);
    QJsonObject out;
    for (int i = 0; i < rows.size(); ++i)
        out.insert(QString::number(logbook::records::kFirstRow + 1 + i), rowJson(rows[i]));
    return out;
}

void printTable(QTextStream& out, const QJsonObject& rows) {
    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10\n")
               .arg(QStringLiteral("стр."), -4)
               .arg(QStringLiteral("E"), -42)
               .arg(QStringLiteral("F"), 5)
               .arg(QStringLiteral("G"), 7)
               .arg(QStringLiteral("H"), 7)
               .arg(QStringLiteral("I"), 7)
               .arg(QStringLiteral("J"), 7)
               .arg(QStringLiteral("O"), 4)
               .arg(QStringLiteral("Q"), 4)
               .arg(QStringLiteral("R  S"), 8);
    for (int r = 7; r <= 19; ++r) {
        if (r > 17 && !rows.contains(QString::number(r)))
            break;
        const QJsonObject row = rows.value(QString::number(r)).toObject();
        auto text = [&](const char* k) {
            const QJsonValue v = row.value(QLatin1String(k));
            return v.isNull() ? QString() : v.isDouble() ? QString::number(v.toDouble()) : v.toString();
        };
        out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10 %11\n")
                   .arg(r, -4)
                   .arg(text("E"), -42)
                   .arg(text("F"), 5)
                   .arg(text("G"), 7)
                   .arg(text("H"), 7)
                   .arg(text("I"), 7)
                   .arg(text("J"), 7)
                   .arg(text("O"), 4)
                   .arg(text("Q"), 4)
                   .arg(text("R"), 4)
                   .arg(text("S"), 3);
    }
}

const char* endName(TotalsEnd end) {
    switch (end) {
    case TotalsEnd::Summary:
        return "summary";
    case TotalsEnd::EmptyLogbook:
        return "empty-logbook";
    case TotalsEnd::NoRecords:
        return "no-records";
    case TotalsEnd::MixedTypes:
        return "mixed-types";
    case TotalsEnd::BadPeriod:
        return "bad-period";
    case TotalsEnd::Failed:
        return "failed";
    }
    return "";
}

} // namespace

int runTotals(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    auto usage = [&](const QString& why) {
        err << "korvelanta-cli totals: " << why << '\n'
            << "Использование: korvelanta-cli totals --period " << kTotalsPeriodWords
            << " [--type ТИП|--all-types] [--today ДД.ММ.ГГ] [--dir PATH] [--print|--pdf FILE] [--json]\n";
        return 2;
    };
    const Arguments a = Arguments::parse(args, {{"period", true},
                                                {"type", true},
                                                {"today", true},
                                                {"dir", true},
                                                {"pdf", true},
                                                {"print"},
                                                {"json"},
                                                {"all-types"}});
    if (a.refused())
        return usage(QStringLiteral("неизвестный аргумент «") + a.refused()->left(32) + QStringLiteral("»"));
    const QString periodText = a.value("period");
    const QString todayText = a.value("today");
    const QString type = a.value("type");
    const QString pdf = a.isSet("pdf") ? QFileInfo(a.value("pdf")).absoluteFilePath() : QString();
    const bool print = a.isSet("print");
    const bool json = a.isSet("json");
    const bool allTypes = a.isSet("all-types");
    if (print && !pdf.isEmpty())
        return usage(QStringLiteral("--print и --pdf вместе не бывают"));
    if (allTypes && !type.isEmpty())
        return usage(QStringLiteral("--type и --all-types вместе не бывают"));

    const auto words = periodOfTotalsWords(periodText);
    if (!words)
        return usage(periodText.isEmpty() ? QStringLiteral("нужен период (--period)")
                                          : QStringLiteral("непонятный период «") + periodText.left(32) + u'»');
    QDate today = QDate::currentDate();
    if (!todayText.isEmpty()) {
        const auto d = parseFlightDate(todayText);
        if (!d)
            return usage(QStringLiteral("--today не дата вида ДД.ММ.ГГ: «") + todayText.left(32) + u'»');
        today = *d;
    }

    const QString dir = folderOfRun(a.value("dir"), QStringLiteral("totals"));
    const QString book = logbook::bookPath(dir);
    if (!pdf.isEmpty()) {
        // Refused before the logbook is opened: nothing is summed for a PDF that may not be written.
        if (const QString why = totals::pdfTargetRefusal(pdf, book); !why.isEmpty())
            return usage(QStringLiteral("--pdf: ") + why);
    }
    const bool printing = print || !pdf.isEmpty();
    logbook::SpreadsheetHost host;
    totals::TotalsRun run(host, book);
    run.settings.waiting = [&](const QString& text) { err << "korvelanta-cli totals: " << text << '\n' << Qt::flush; };
    run.aircraftType = type;
    run.allTypes = allTypes;
    // The summary is rendered only to be printed: the answer to the print question is given already.
    run.renderForPrint = printing;
    RecordedStatus status;
    const totals::TotalsOutcome outcome = run.cmdItog_Click(words->option, today, words->txtC, words->txtPo, status);
    Notices said = outcome.notices;
    QString keptPdf;
    if (outcome.end == TotalsEnd::MixedTypes) {
        // The question the desktop program asks, answered here by --type.
        said << Notice{totals::text::kTypeTitle, totals::text::typeQuestion(outcome.types), Notice::Icon::Question};
        QStringList ways;
        for (const totals::TypeCount& t : outcome.types)
            ways << QStringLiteral("--type ") + t.type;
        ways << QStringLiteral("--all-types");
        said << Notice{totals::text::kTypeTitle,
                       QStringLiteral("В периоде записи на типах: ") + totals::typesText(outcome.types) +
                           QStringLiteral(". Итоги подбиваются по одному типу или по всем: укажите ") +
                           ways.join(QStringLiteral(" или ")) + QStringLiteral("; лётная книжка не изменена."),
                       Notice::Icon::Warning};
    } else if (outcome.end == TotalsEnd::Summary) {
        // The print question the desktop program asks, answered here by --print or --pdf.
        said << Notice{totals::text::kPrintTitle, totals::text::kPrintQuestion, Notice::Icon::Question};
        if (printing) {
            said << Notice{totals::text::kPrinterTitle, totals::text::kPrinterOn, Notice::Icon::Information};
            const totals::PrintedSummary printed = totals::printSummary(outcome, pdf);
            said << printed.notices;
            keptPdf = printed.pdf;
        }
    }

    const bool summary = outcome.end == TotalsEnd::Summary;
    const QJsonObject rows = summary ? summaryRows(outcome.blocks.back(), outcome.caption) : QJsonObject();
    QJsonArray messages;
    for (const Notice& m : said)
        messages.append(QJsonObject{{QStringLiteral("title"), m.title}, {QStringLiteral("text"), m.text}});

    if (json) {
        QJsonObject answer{{QStringLiteral("end"), QString::fromLatin1(endName(outcome.end))},
                           {QStringLiteral("messages"), messages},
                           {QStringLiteral("status"), QJsonArray::fromStringList(status.texts)},
                           {QStringLiteral("rows"), rows}};
        if (!keptPdf.isEmpty())
            answer.insert(QStringLiteral("pdf"), keptPdf);
        if (!outcome.type.isEmpty())
            answer.insert(QStringLiteral("type"), outcome.type);
        if (!outcome.types.isEmpty()) {
            // With every type asked for, each type's rows as its page shows them; "rows" are those of all.
            const bool everyType = summary && outcome.blocks.size() > 1;
            QJsonArray types;
            for (qsizetype i = 0; i < outcome.types.size(); ++i) {
                const totals::TypeCount& t = outcome.types[i];
                QJsonObject type{{QStringLiteral("type"), t.type}, {QStringLiteral("records"), t.records}};
                if (everyType)
                    type.insert(QStringLiteral("rows"), summaryRows(outcome.blocks[i], outcome.caption));
                types.append(type);
            }
            answer.insert(QStringLiteral("types"), types);
            if (everyType)
                answer.insert(QStringLiteral("allTypes"), true);
        }
        if (summary && words->option == PeriodOption::SinceStart) {
            // Which part came from before the logbook: rows 18 and 19 split row 17 into the two.
            const totals::SummaryBlock& last = outcome.blocks.back();
            QJsonObject carried{{QStringLiteral("file"), run.carriedFile},
                                {QStringLiteral("found"), outcome.carriedFound}};
            if (last.carried) {
                const QList<QVariantList> parts = totals::partRows(last);
                carried.insert(QStringLiteral("before"), rowJson(parts[0]));
                carried.insert(QStringLiteral("book"), rowJson(parts[1]));
            }
            answer.insert(QStringLiteral("beforeLogbook"), carried);
        }
        out << QJsonDocument(answer).toJson(QJsonDocument::Indented);
    } else if (summary && outcome.blocks.size() > 1) {
        // A table a type, as the pages print, then the one of all types.
        for (const totals::SummaryBlock& b : outcome.blocks) {
            out << QStringLiteral("Тип: ") << b.type << '\n';
            printTable(out, summaryRows(b, outcome.caption));
            out << '\n';
        }
    } else if (summary) {
        printTable(out, rows);
    }
    out.flush();
    // What went wrong is said on standard error too, whatever the output's form.
    for (const Notice& m : said)
        if (m.icon == Notice::Icon::Warning || m.icon == Notice::Icon::Critical ||
            outcome.end == TotalsEnd::EmptyLogbook || outcome.end == TotalsEnd::NoRecords)
            err << m.title << ": " << m.text << '\n';

    switch (outcome.end) {
    case TotalsEnd::Summary:
        return 0;
    case TotalsEnd::BadPeriod:
        return 2;
    default:
        return 1;
    }
}

} // namespace korv::cli
