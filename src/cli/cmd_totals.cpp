#include "cli/commands.h"
#include "cli/period_words.h"
#include "common/dialogs.h"
#include "common/error.h"
#include "common/flightdate.h"
#include "common/log.h"
#include "logbook/logbook.h"
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

#include <cmath>

namespace korv::cli {

namespace {

using totals::PeriodOption;
using totals::RecordedStatus;
using totals::TotalsEnd;

// The print question answered as the command line says.
class AnsweringDialogs : public RecordingDialogs {
public:
    explicit AnsweringDialogs(bool print) { answerYes = print; }
};

QString hoursMinutes(double dayFraction) {
    const long long minutes = std::llround(dayFraction * 1440);
    return QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QChar(u'0'));
}

// Rows 7-17 of "Лист4" as the file holds them: E, F, G..J as h:mm, O, Q, R, S; an empty cell is null.
QJsonObject summaryRows(logbook::SpreadsheetHost& host, const QString& book) {
    namespace column = logbook::records::column;
    logbook::Workbook wb = host.openWorkbook(book);
    const QList<QVariantList> rows =
        wb.sheet(logbook::kSheet4)
            .cells(logbook::records::kFirstRow, column::A, logbook::records::kFirstRow + 10, column::S)
            .data();
    wb.close(logbook::CloseMode::Discard);
    QJsonObject out;
    for (int i = 0; i < rows.size(); ++i) {
        const QVariantList& r = rows[i];
        auto cell = [&](int c, bool time) -> QJsonValue {
            const QVariant& v = r[c];
            if (v.typeId() == QMetaType::QString && v.toString().isEmpty())
                return QJsonValue::Null;
            if (v.typeId() == QMetaType::Double)
                return time ? QJsonValue(hoursMinutes(v.toDouble())) : QJsonValue(v.toDouble());
            return v.isValid() ? QJsonValue(v.toString()) : QJsonValue(QStringLiteral("#ошибка"));
        };
        QJsonObject row{{QStringLiteral("E"), cell(column::E, false)}};
        const char* names[] = {"F", "G", "H", "I", "J", "O", "Q", "R", "S"};
        for (size_t k = 0; k < totals::kSumColumns.size(); ++k) {
            const int c = totals::kSumColumns[k];
            row.insert(QString::fromLatin1(names[k]), cell(c, c >= column::G && c <= column::J));
        }
        out.insert(QString::number(logbook::records::kFirstRow + 1 + i), row);
    }
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
    for (int r = 7; r <= 17; ++r) {
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
            << "Использование: korvelanta-cli totals --period current-month|last-month|current-year|last-year|"
               "ДД.ММ.ГГ-ДД.ММ.ГГ [--type ТИП] [--today ДД.ММ.ГГ] [--dir PATH] [--print|--pdf FILE] [--json]\n";
        return 2;
    };
    QString periodText, todayText, pdf, type;
    QString dir;
    bool print = false, json = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == u"--period" && hasValue)
            periodText = args[++i];
        else if (a == u"--type" && hasValue)
            type = args[++i];
        else if (a == u"--today" && hasValue)
            todayText = args[++i];
        else if (a == u"--dir" && hasValue)
            dir = args[++i];
        else if (a == u"--pdf" && hasValue)
            pdf = QFileInfo(args[++i]).absoluteFilePath();
        else if (a == u"--print")
            print = true;
        else if (a == u"--json")
            json = true;
        else
            return usage(QStringLiteral("неизвестный аргумент «") + a.left(32) + QStringLiteral("»"));
    }
    if (print && !pdf.isEmpty())
        return usage(QStringLiteral("--print и --pdf вместе не бывают"));

    const auto words = periodOfWords(periodText);
    if (!words)
        return usage(periodText.isEmpty() ? QStringLiteral("нужен период (--period)")
                                          : QStringLiteral("непонятный период «") + periodText.left(32) + u'»');
    const PeriodOption option = words->option;
    const QString txtC = words->txtC, txtPo = words->txtPo;
    QDate today = QDate::currentDate();
    if (!todayText.isEmpty()) {
        const auto d = parseFlightDate(todayText);
        if (!d)
            return usage(QStringLiteral("--today не дата вида ДД.ММ.ГГ: «") + todayText.left(32) + u'»');
        today = *d;
    }

    dir = folderOfRun(dir, QStringLiteral("totals"));
    const QString book = logbook::bookPath(dir);
    if (!pdf.isEmpty()) {
        // Refused before the logbook is opened: nothing is summed for a PDF that may not be written.
        if (const QString why = totals::pdfTargetRefusal(pdf, book); !why.isEmpty())
            return usage(QStringLiteral("--pdf: ") + why);
    }
    logbook::SpreadsheetHost host;
    totals::TotalsRun run(host, book);
    run.settings.waiting = [&](const QString& text) { err << "korvelanta-cli totals: " << text << '\n' << Qt::flush; };
    run.pdfInsteadOfPrinter = pdf;
    run.aircraftType = type;
    RecordedStatus status;
    AnsweringDialogs dialogs(print || !pdf.isEmpty());
    const totals::TotalsOutcome outcome = run.cmdItog_Click(option, today, txtC, txtPo, status, dialogs);
    if (outcome.end == TotalsEnd::MixedTypes) {
        // The question the desktop program asks, answered here by --type.
        QStringList ways;
        for (const totals::TypeCount& t : outcome.types)
            ways << QStringLiteral("--type ") + t.type;
        dialogs.message(totals::text::kTypeTitle,
                        QStringLiteral("В периоде записи на типах: ") + totals::typesText(outcome.types) +
                            QStringLiteral(". Итоги подбиваются по одному типу: укажите ") +
                            ways.join(QStringLiteral(" или ")) + QStringLiteral("; лётная книжка не изменена."),
                        Dialogs::Icon::Warning);
    }

    QJsonObject rows;
    if (outcome.end != TotalsEnd::Failed && outcome.end != TotalsEnd::BadPeriod &&
        outcome.end != TotalsEnd::MixedTypes) {
        try {
            rows = summaryRows(host, book);
        } catch (const Error& e) {
            log::error(QStringLiteral("korvelanta-cli totals: чтение итога"), e);
        }
    }
    QJsonArray messages;
    for (const auto& m : dialogs.messages)
        messages.append(QJsonObject{{QStringLiteral("title"), m.title}, {QStringLiteral("text"), m.text}});

    if (json) {
        QJsonObject answer{{QStringLiteral("end"), QString::fromLatin1(endName(outcome.end))},
                           {QStringLiteral("messages"), messages},
                           {QStringLiteral("status"), QJsonArray::fromStringList(status.texts)},
                           {QStringLiteral("rows"), rows}};
        if (!outcome.pdf.isEmpty())
            answer.insert(QStringLiteral("pdf"), outcome.pdf);
        if (!outcome.type.isEmpty())
            answer.insert(QStringLiteral("type"), outcome.type);
        if (!outcome.types.isEmpty()) {
            QJsonArray types;
            for (const totals::TypeCount& t : outcome.types)
                types.append(QJsonObject{{QStringLiteral("type"), t.type}, {QStringLiteral("records"), t.records}});
            answer.insert(QStringLiteral("types"), types);
        }
        out << QJsonDocument(answer).toJson(QJsonDocument::Indented);
    } else if (outcome.end == TotalsEnd::Summary) {
        printTable(out, rows);
    }
    out.flush();
    // What went wrong is said on standard error too, whatever the output's form.
    for (const auto& m : dialogs.messages)
        if (m.icon == Dialogs::Icon::Warning || m.icon == Dialogs::Icon::Critical ||
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
