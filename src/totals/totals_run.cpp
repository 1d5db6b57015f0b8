#include "totals/totals_run.h"

#include "common/error.h"
#include "common/log.h"
#include "logbook/logbook.h"
#include "logbook/record_layout.h"
#include "totals/category_sums.h"
#include "totals/entries.h"
#include "totals/printing.h"
#include "totals/selection.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace korv::totals {

namespace records = logbook::records;
namespace column = logbook::records::column;
using logbook::Sheet;

namespace {

// The summary block: rows 7-16 of the category rows, 17 the grand totals.
constexpr int kSummaryFirst = records::kFirstRow;
constexpr int kSummaryLast = kSummaryFirst + 10;

// "Лист1" read in one block: columns A..U of every pair to the last used row.
QList<Entry> readEntries(Sheet& sheet1) {
    const int last = sheet1.lastUsedRow();
    if (last < records::kFirstRow)
        return {};
    return entriesFromBlock(sheet1.cells(records::kFirstRow, column::A, last + 1, records::kLastColumn).data());
}

// The thick rule down the right of column U that the sheet layout gives every row.
void ruleColumnU(Sheet& sheet, int firstRow, int lastRow) {
    logbook::Borders rule;
    rule.right = logbook::LineWeight::Thick;
    sheet.cells(firstRow, column::U, lastRow, column::U).setBorders(rule);
}

// "Лист2" as laid out: nothing below its header. A run keeps nothing there, but an earlier program's runs
// may have left records (with their merges and formats) that would meet a later run's cells.
void clearBelowHeader(Sheet& sheet) {
    const int last = sheet.lastUsedRow();
    if (last < records::kFirstRow)
        return;
    sheet.range(QStringLiteral("%1:%2").arg(records::kFirstRow + 1).arg(last + 2)).clear();
    ruleColumnU(sheet, records::kFirstRow, last + 1);
}

// BuildSummarySheet: the category block on "Лист4" (rows 7-16, font size 8, the look of the sheet's own
// cells below the header, as a block pasted from the selection sheet brings it), the number formats of the
// time and flight columns, zero sums in white, the caption and the grand totals of row 17. The selection
// sheet the described run passes the block through ends empty: only what the saved file shows is done.
void BuildSummarySheet(Sheet& sheet4, const CategoryBlock& block, const PeriodState& period) {
    sheet4.cells(kSummaryFirst, column::A, kSummaryLast, records::kLastColumn).clearContents();
    logbook::Range rows = sheet4.cells(kSummaryFirst, column::A, kSummaryLast - 1, records::kLastColumn);
    rows.clear();
    ruleColumnU(sheet4, kSummaryFirst, kSummaryLast - 1);
    rows.setData(summaryRows(block));
    logbook::CellFormat small;
    small.fontSize = 8;
    rows.apply(small);

    logbook::CellFormat time;
    time.numberFormat = QStringLiteral("[h]:mm");
    sheet4.range(QStringLiteral("G:J")).apply(time);
    logbook::CellFormat count;
    count.numberFormat = QStringLiteral("0");
    sheet4.range(QStringLiteral("F:F")).apply(count);

    logbook::ConditionalFormat zeroInWhite;
    zeroInWhite.op = logbook::ConditionOperator::Equal;
    zeroInWhite.formula1 = QStringLiteral("0");
    zeroInWhite.fontColor = 0xFFFFFF;
    for (const char* a1 : {"F7:J17", "O7:O17", "Q7:S17"}) {
        logbook::Range r = sheet4.range(QString::fromLatin1(a1));
        r.clearConditionalFormats();
        r.addConditionalFormat(zeroInWhite);
    }

    logbook::Range caption = sheet4.cell(kSummaryLast, column::E);
    caption.setText(summaryCaption(period));
    // "Всего с 01.11.26 по 30.11.26" is wider than the column the printed logbook gives it: the text
    // shrinks to the cell rather than the column growing.
    logbook::CellFormat fit;
    fit.wrap = false;
    fit.shrink = true;
    caption.apply(fit);
    for (const char* a1 : {"F17:J17", "O17", "Q17:S17"})
        sheet4.range(QString::fromLatin1(a1)).setFormulaR1C1(QStringLiteral("=SUM(R[-6]C,R[-1]C)"));
}

} // namespace

// The summary, saved in the logbook already, goes to the printer, or to the PDF asked for instead. What
// fails is said, never as a failed run; a summary that did not print is kept beside the logbook.
void TotalsRun::printSummary(const QString& rendered, const QString& realBookPath, Dialogs& dialogs,
                             TotalsOutcome& outcome) const {
    if (!pdfInsteadOfPrinter.isEmpty()) {
        if (keepPdf(rendered, pdfInsteadOfPrinter, realBookPath))
            outcome.pdf = pdfInsteadOfPrinter;
        else
            dialogs.message(text::kPrinterTitle,
                            QStringLiteral("Итог сохранён в лётной книжке, но файл ") + pdfInsteadOfPrinter +
                                QStringLiteral(" не записан."),
                            Dialogs::Icon::Warning);
        return;
    }
    const PrintOutcome printed = printPdf(rendered);
    outcome.printed = printed.printed;
    if (printed.printed)
        return;
    log::write(QStringLiteral("printing the summary failed: ") + printed.detail);
    const QString kept = summaryPdfPath(realBookPath);
    if (keepPdf(rendered, kept, realBookPath)) {
        outcome.pdf = kept;
        dialogs.message(text::kPrinterTitle,
                        QStringLiteral("Итог не отпечатан: принтер не настроен или не принял задание. Итог сохранён "
                                       "в файл ") +
                            kept + QStringLiteral(" — его можно отпечатать позже."),
                        Dialogs::Icon::Warning);
    } else {
        dialogs.message(text::kPrinterTitle,
                        QStringLiteral("Итог не отпечатан: принтер не настроен или не принял задание, и файл итога "
                                       "не записан в ") +
                            kept + u'.',
                        Dialogs::Icon::Warning);
    }
}

TotalsRun::TotalsRun(logbook::Office& host, QString bookPath) : host_(host), bookPath_(std::move(bookPath)) {}

QString text::typeQuestion(const QList<TypeCount>& types) {
    return QStringLiteral("В периоде записи на типах: ") + typesText(types) +
           QStringLiteral(". Подбить итоги по типу:");
}

TotalsOutcome TotalsRun::cmdItog_Click(PeriodOption option, const QDate& today, const QString& txtC,
                                       const QString& txtPo, TotalsProgress& progress, Dialogs& dialogs) {
    TotalsOutcome outcome;
    progress.status(QStringLiteral("Начнём'с..."));
    if (const auto refused = SetPeriod(period, option, today, txtC, txtPo)) {
        dialogs.message(kPeriodTitle, *refused, Dialogs::Icon::Warning);
        outcome.end = TotalsEnd::BadPeriod;
        return outcome;
    }
    QString type = aircraftType;
    try {
        for (;;) {
            logbook::BookChange change(host_, bookPath_, settings);
            Sheet sheet1 = change.sheet(logbook::kSheet1);
            const QList<Entry> entries = readEntries(sheet1);
            if (entries.isEmpty()) {
                progress.range(0, 2);
                change.discard(); // the file stays as it was
                dialogs.message(text::kEmptyTitle, text::kEmpty, Dialogs::Icon::Information);
                outcome.end = TotalsEnd::EmptyLogbook;
                return outcome;
            }
            QList<Entry> selected;
            for (int i : SelectEntries(entries, period, progress))
                selected << entries[i];
            const auto noRecords = [&](const QString& message) {
                progress.status(QStringLiteral("Облом..."));
                change.discard();
                dialogs.message(text::kNoRecordsTitle, message, Dialogs::Icon::Information);
                outcome.end = TotalsEnd::NoRecords;
                return outcome;
            };
            if (selected.isEmpty())
                return noRecords(text::kNoRecords);
            // What cannot be counted stops the run before the pilot is asked anything.
            for (const Entry& e : selected)
                recordValues(e);

            CheckAircraftType(selected, progress);
            const QList<TypeCount> types = countTypes(selected);
            if (types.size() > 1)
                outcome.types = types;
            if (type.isEmpty() && types.size() > 1) {
                // Asked with nothing held; the logbook is read again for the type chosen, as it may have
                // changed meanwhile.
                change.discard();
                QStringList names;
                for (const TypeCount& t : types)
                    names << t.type;
                const auto chosen = dialogs.choice(text::kTypeTitle, text::typeQuestion(types), names);
                if (!chosen) {
                    outcome.end = TotalsEnd::MixedTypes;
                    return outcome;
                }
                type = names[*chosen];
                continue;
            }
            if (!type.isEmpty()) {
                selected.removeIf([&](const Entry& e) { return cellText(e.B) != type; });
                if (selected.isEmpty())
                    return noRecords(QStringLiteral("В периоде нет записей на типе ") + type +
                                     QStringLiteral(": есть записи на типах ") + typesText(types) + u'.');
            }
            outcome.type = cellText(selected.front().B);
            const CategoryBlock block = RunCategoryPasses(selected, outcome.type, progress);

            Sheet sheet2 = change.sheet(logbook::kSheet2);
            Sheet sheet4 = change.sheet(logbook::kSheet4);
            clearBelowHeader(sheet2);
            BuildSummarySheet(sheet4, block, period);
            outcome.end = TotalsEnd::Summary;
            progress.status(QStringLiteral("Задание выполнено, сэр!"));

            // The summary is made printable and rendered, and the logbook saved, before the pilot is asked:
            // the logbook is not held, and no office waits, while he thinks it over. What prints is what
            // was saved.
            sheet4.setPageSetup(logbook::PageSetup{});
            sheet4.setPrintArea(QStringLiteral("$A$1:$U$17"));
            QTemporaryDir scratch;
            const QString rendered = scratch.filePath(QStringLiteral("summary.pdf"));
            change.book().exportPdf(rendered, sheet4.range(QStringLiteral("A1:U17")));
            if (const auto note = change.save())
                dialogs.message(text::kFailedTitle, *note, Dialogs::Icon::Warning);

            outcome.printAnswered = dialogs.question(text::kPrintTitle, text::kPrintQuestion);
            if (outcome.printAnswered) {
                dialogs.message(text::kPrinterTitle, text::kPrinterOn, Dialogs::Icon::Information);
                printSummary(rendered, change.realPath(), dialogs, outcome);
            }
            return outcome;
        }
    } catch (const Error& e) {
        log::error(QStringLiteral("Итоги"), e);
        dialogs.message(text::kFailedTitle,
                        QStringLiteral("Итоги не подбиты, лётная книжка не изменена.\n") + e.description(),
                        Dialogs::Icon::Critical);
        outcome.end = TotalsEnd::Failed;
        return outcome;
    }
}

} // namespace korv::totals
