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

// The records taken, copied to "Лист2" from row 7 with their formats: each run of records that follow one
// another in the logbook in one copy. A record pair holds nothing right of V.
void copySelection(Sheet& from, Sheet& to, const QList<Entry>& entries, const QList<int>& taken) {
    int pasteRow = records::kFirstRow;
    for (int k = 0; k < taken.size();) {
        int last = k;
        while (last + 1 < taken.size() && taken[last + 1] == taken[last] + 1)
            ++last;
        const int firstRow = entries[taken[k]].row;
        const int lastRow = entries[taken[last]].row + records::kRowsPerRecord - 1;
        from.cells(firstRow, column::A, lastRow, records::kLastHeadingColumn).copyTo(to.cell(pasteRow, column::A));
        pasteRow += lastRow - firstRow + 1;
        k = last + 1;
    }
}

// The category block as values (captions and sums), columns A..U of ten rows.
QList<QVariantList> blockValues(const CategoryBlock& block) {
    QList<QVariantList> rows;
    for (const auto& row : block) {
        QVariantList r(records::kLastColumn + 1, QString());
        if (row) {
            r[column::E] = row->caption;
            for (size_t k = 0; k < kSumColumns.size(); ++k)
                r[kSumColumns[k]] = row->sums[k];
        }
        rows << r;
    }
    return rows;
}

// BuildSummarySheet: the category block pasted on "Лист4" (rows 7-16, font size 8), "Лист2" cleared below
// its header, the number formats of the time and flight columns, zero sums in white, the caption and the
// grand totals of row 17.
void BuildSummarySheet(Sheet& sheet2, Sheet& sheet4, int selectedRows, const CategoryBlock& block,
                       const PeriodState& period) {
    const int blockRow = records::kFirstRow + selectedRows;
    sheet2.cells(blockRow, column::A, blockRow + 9, records::kLastColumn).setData(blockValues(block));
    sheet2.cells(blockRow, column::A, blockRow + 9, records::kLastColumn).copyTo(sheet4.cell(kSummaryFirst, column::A));
    logbook::CellFormat small;
    small.fontSize = 8;
    sheet4.cells(kSummaryFirst, column::A, kSummaryLast - 1, records::kLastColumn).apply(small);
    sheet2.cells(records::kFirstRow, column::A, blockRow + 10, records::kLastColumn).clear();

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

    sheet4.cell(kSummaryLast, column::E).setText(summaryCaption(period));
    for (const char* a1 : {"F17:J17", "O17", "Q17:S17"})
        sheet4.range(QString::fromLatin1(a1)).setFormulaR1C1(QStringLiteral("=SUM(R[-6]C,R[-1]C)"));
}

// Keeps a copy of the rendered summary at `path`, replacing what was there.
bool keepCopy(const QString& rendered, const QString& path) {
    QFile::remove(path);
    return QFile::copy(rendered, path);
}

} // namespace

// The summary, saved in the logbook already, goes to the printer, or to the PDF asked for instead. What
// fails is said, never as a failed run; a summary that did not print is kept beside the logbook.
void TotalsRun::printSummary(const QString& rendered, const QString& realBookPath, Dialogs& dialogs,
                             TotalsOutcome& outcome) const {
    if (!pdfInsteadOfPrinter.isEmpty()) {
        if (keepCopy(rendered, pdfInsteadOfPrinter))
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
    if (keepCopy(rendered, kept)) {
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

TotalsRun::TotalsRun(logbook::SpreadsheetHost& host, QString bookPath) : host_(host), bookPath_(std::move(bookPath)) {}

TotalsOutcome TotalsRun::cmdItog_Click(PeriodOption option, const QDate& today, const QString& txtC,
                                       const QString& txtPo, TotalsProgress& progress, Dialogs& dialogs) {
    TotalsOutcome outcome;
    progress.status(QStringLiteral("Начнём'с..."));
    if (const auto refused = SetPeriod(period, option, today, txtC, txtPo)) {
        dialogs.message(kPeriodTitle, *refused, Dialogs::Icon::Warning);
        outcome.end = TotalsEnd::BadPeriod;
        return outcome;
    }
    try {
        logbook::BookChange change(host_, bookPath_, settings);
        Sheet sheet1 = change.sheet(logbook::kSheet1);
        Sheet sheet2 = change.sheet(logbook::kSheet2);
        Sheet sheet4 = change.sheet(logbook::kSheet4);
        sheet4.cells(kSummaryFirst, column::A, kSummaryLast, records::kLastColumn).clearContents();

        // "Лист1" in one block: columns A..S of every entry.
        const int last = sheet1.lastUsedRow();
        const QList<Entry> entries =
            last < records::kFirstRow
                ? QList<Entry>{}
                : entriesFromBlock(sheet1.cells(records::kFirstRow, column::A, last + 1, column::S).data());
        if (entries.isEmpty()) {
            progress.range(0, 2);
            change.discard(); // the file stays as it was
            dialogs.message(text::kEmptyTitle, text::kEmpty, Dialogs::Icon::Information);
            outcome.end = TotalsEnd::EmptyLogbook;
            return outcome;
        }
        const QList<int> taken = SelectEntries(entries, period, progress);
        if (taken.isEmpty()) {
            progress.status(QStringLiteral("Облом..."));
            change.discard();
            dialogs.message(text::kNoRecordsTitle, text::kNoRecords, Dialogs::Icon::Information);
            outcome.end = TotalsEnd::NoRecords;
            return outcome;
        }
        copySelection(sheet1, sheet2, entries, taken);
        QList<Entry> selected;
        for (int i : taken)
            selected << entries[i];

        const AircraftTypes types = CheckAircraftType(selected, progress);
        outcome.end = TotalsEnd::MixedTypes;
        if (!types.BookType.isEmpty() && types.OtherType.isEmpty()) {
            const CategoryBlock block = RunCategoryPasses(selected, types.BookType, progress);
            int withDate = 0;
            while (withDate < selected.size() && !isEmptyCell(selected[withDate].A))
                ++withDate;
            BuildSummarySheet(sheet2, sheet4, 2 * withDate, block, period);
            outcome.end = TotalsEnd::Summary;
        }
        progress.status(QStringLiteral("Задание выполнено, сэр!"));

        // The summary is made printable and rendered, and the logbook saved, before the pilot is asked:
        // the logbook is not held, and no office waits, while he thinks it over. What prints is what was
        // saved.
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
