#include "totals/totals_run.h"

#include "bookfiles/scratch_dir.h"
#include "common/error.h"
#include "common/log.h"
#include "logbook/book_names.h"
#include "logbook/entry_faults.h"
#include "logbook/record_layout.h"
#include "logbook/sheet_adapter.h"
#include "totals/category_sums.h"
#include "totals/entries.h"
#include "totals/printing.h"
#include "totals/selection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <tuple>

namespace korv::totals {

namespace records = logbook::records;
namespace column = logbook::records::column;
using logbook::Sheet;

namespace {

// The summary block: rows 7-16 of the category rows, 17 the grand totals.
constexpr int kSummaryFirst = records::kFirstRow;
constexpr int kSummaryLast = kSummaryFirst + 10;
// Rows 18 and 19: the flying before the logbook and the logbook's own, in a run "с начала лётной работы".
constexpr int kPartsLast = kSummaryLast + 2;

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
// A block with flying before the logbook gets rows 18 and 19, the two parts of row 17.
void BuildSummarySheet(Sheet& sheet4, const SummaryBlock& summary, const PeriodState& period) {
    sheet4.cells(kSummaryFirst, column::A, kSummaryLast, records::kLastColumn).clearContents();
    // Rows 18-19 of an earlier summary "с начала лётной работы" go; a sheet without them is not touched.
    if (sheet4.lastUsedRow() > kSummaryLast) {
        logbook::Range parts = sheet4.cells(kSummaryLast + 1, column::A, kPartsLast, records::kLastColumn);
        parts.clear();
        parts.clearConditionalFormats();
        ruleColumnU(sheet4, kSummaryLast + 1, kPartsLast);
    }
    logbook::Range rows = sheet4.cells(kSummaryFirst, column::A, kSummaryLast - 1, records::kLastColumn);
    rows.clear();
    ruleColumnU(sheet4, kSummaryFirst, kSummaryLast - 1);
    rows.setData(summaryRows(summary.block));
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
    // A year's sums (999 approaches, 9999:59 hours, in the bold grand total) are wider than the printed
    // logbook's columns: the figures shrink to their cells, as the caption does, instead of showing "###".
    logbook::CellFormat whole;
    whole.shrink = true;
    for (const char* a1 : {"F7:J17", "O7:O17", "Q7:S17"})
        sheet4.range(QString::fromLatin1(a1)).apply(whole);

    if (!summary.carried)
        return;
    // Values, not formulas: what the run computed is what the pilot reads, and row 17's formulas show
    // that the two add up.
    logbook::Range parts = sheet4.cells(kSummaryLast + 1, column::A, kPartsLast, records::kLastColumn);
    parts.setData(partRows(summary));
    parts.apply(small);
    parts.apply(whole);
    sheet4.cells(kSummaryLast + 1, column::E, kPartsLast, column::E).apply(fit);
    for (const char* a1 : {"F18:J19", "O18:O19", "Q18:S19"}) {
        logbook::Range r = sheet4.range(QString::fromLatin1(a1));
        r.clearConditionalFormats();
        r.addConditionalFormat(zeroInWhite);
    }
}

// The blocks of the period: of the one type, or of each type and then of all together.
struct Selected {
    QList<Entry> entries;
    QList<RecordValues> values;
};

Selected ofType(const Selected& all, const QString& type) {
    Selected out;
    for (qsizetype i = 0; i < all.entries.size(); ++i) {
        if (all.entries[i].record.type == type) {
            out.entries << all.entries[i];
            out.values << all.values[i];
        }
    }
    return out;
}

// The flying before the logbook goes into the day's and the night's totals (rows 11 and 16): the file
// gives no categories, and row 17 adds those two rows.
void addCarried(CategoryBlock& block, const RecordValues& day, const RecordValues& night, const QString& type) {
    for (const auto& [row, part, isNight] :
         {std::tuple{kDayTotalRow, day, false}, std::tuple{kNightTotalRow, night, true}}) {
        if (part.isZero())
            continue;
        if (!block[row])
            block[row] = CategoryRow{totalCaption(isNight, type), {}};
        block[row]->sums += part;
    }
}

} // namespace

PrintedSummary printSummary(const TotalsOutcome& summary, const QString& pdfInsteadOfPrinter) {
    PrintedSummary out;
    logbook::files::ScratchDir scratch;
    const QString rendered = scratch.filePath(QStringLiteral("summary.pdf"));
    {
        QFile f(rendered);
        if (!f.open(QIODevice::WriteOnly) || f.write(summary.renderedPdf) != summary.renderedPdf.size()) {
            out.notices << Notice{text::kPrinterTitle,
                                  QStringLiteral("Итог сохранён в лётной книжке, но не передан на печать: нет места "
                                                 "для временного файла."),
                                  Notice::Icon::Warning};
            return out;
        }
    }
    if (!pdfInsteadOfPrinter.isEmpty()) {
        if (keepPdf(rendered, pdfInsteadOfPrinter, summary.bookPath))
            out.pdf = pdfInsteadOfPrinter;
        else
            out.notices << Notice{text::kPrinterTitle,
                                  QStringLiteral("Итог сохранён в лётной книжке, но файл ") + pdfInsteadOfPrinter +
                                      QStringLiteral(" не записан."),
                                  Notice::Icon::Warning};
        return out;
    }
    const PrintOutcome printed = printPdf(rendered);
    out.printed = printed.printed;
    if (printed.printed)
        return out;
    log::write(QStringLiteral("printing the summary failed: ") + printed.detail);
    const QString kept = summaryPdfPath(summary.bookPath);
    if (keepPdf(rendered, kept, summary.bookPath)) {
        out.pdf = kept;
        out.notices << Notice{text::kPrinterTitle,
                              QStringLiteral("Итог не отпечатан: принтер не настроен или не принял задание. Итог "
                                             "сохранён в файл ") +
                                  kept + QStringLiteral(" — его можно отпечатать позже."),
                              Notice::Icon::Warning};
    } else {
        out.notices << Notice{text::kPrinterTitle,
                              QStringLiteral("Итог не отпечатан: принтер не настроен или не принял задание, и файл "
                                             "итога не записан в ") +
                                  kept + u'.',
                              Notice::Icon::Warning};
    }
    return out;
}

TotalsRun::TotalsRun(logbook::Office& office, QString bookPath)
    : carriedFile(carriedPath(QFileInfo(bookPath).absolutePath())), office_(office), bookPath_(std::move(bookPath)) {}

QList<QVariantList> partRows(const SummaryBlock& summary) {
    QList<QVariantList> rows;
    const auto row = [&](const QString& caption, const RecordValues& sums) {
        QVariantList r(records::kLastColumn + 1, QString());
        r[column::E] = caption;
        const std::array<QVariant, 9> cells = sumCells(sums);
        for (size_t k = 0; k < kSumColumns.size(); ++k)
            r[kSumColumns[k]] = cells[k];
        rows << r;
    };
    row(text::kCarriedRow, summary.carried.value_or(RecordValues{}));
    row(text::kBookRow, summary.book);
    return rows;
}

QString text::typeQuestion(const QList<TypeCount>& types) {
    return QStringLiteral("В периоде записи на типах: ") + typesText(types) +
           QStringLiteral(". Подбить итоги по типу:");
}

TotalsOutcome TotalsRun::cmdItog_Click(PeriodOption option, const QDate& today, const QString& txtC,
                                       const QString& txtPo, TotalsProgress& progress) {
    TotalsOutcome outcome;
    progress.status(QStringLiteral("Начнём'с..."));
    if (const auto refused = SetPeriod(period, option, today, txtC, txtPo)) {
        outcome.notices << Notice{kPeriodTitle, *refused, Notice::Icon::Warning};
        outcome.end = TotalsEnd::BadPeriod;
        return outcome;
    }
    try {
        // Read before the logbook is opened: a damaged file refuses the run with nothing held.
        CarriedFlying carried;
        if (period.option == PeriodOption::SinceStart) {
            carried = readCarriedFlying(carriedFile);
            outcome.carriedFound = carried.found;
        }
        logbook::BookChange change(office_, bookPath_, settings);
        outcome.bookPath = change.realPath();
        Sheet sheet1 = change.sheet(logbook::kSheet1);
        const logbook::Logbook book = logbook::readLogbook(sheet1);
        if (book.outOfStepRow())
            throw Error(Error::BadEntry, book.outOfStepText());
        const QList<Entry>& entries = book.entries();
        if (entries.isEmpty()) {
            progress.range(0, 2);
            change.discard(); // the file stays as it was
            outcome.notices << Notice{text::kEmptyTitle, text::kEmpty, Notice::Icon::Information};
            outcome.end = TotalsEnd::EmptyLogbook;
            return outcome;
        }
        QList<Entry> selected;
        for (int i : SelectEntries(entries, period, progress))
            selected << entries[i];
        const auto noRecords = [&](const QString& message) {
            progress.status(QStringLiteral("Облом..."));
            change.discard();
            outcome.notices << Notice{text::kNoRecordsTitle, message, Notice::Icon::Information};
            outcome.end = TotalsEnd::NoRecords;
            return outcome;
        };
        if (selected.isEmpty())
            return noRecords(text::kNoRecords);
        // What cannot be counted stops the run before the pilot is asked anything; each record is read once.
        QList<RecordValues> values;
        values.reserve(selected.size());
        for (const Entry& e : selected)
            values << recordValues(e);

        CheckAircraftType(selected, progress);
        QList<TypeCount> types = countTypes(selected);
        // A type flown only before the logbook is a type of the period too.
        for (const CarriedType& t : carried.types)
            if (!t.isEmpty() &&
                std::none_of(types.begin(), types.end(), [&](const TypeCount& c) { return c.type == t.type; }))
                types.append({t.type, 0});
        if (types.size() > 1)
            outcome.types = types;
        const bool everyType = aircraftType.isEmpty() && allTypes && types.size() > 1;
        if (aircraftType.isEmpty() && types.size() > 1 && !everyType) {
            // The pilot chooses with nothing held; the logbook is read again for the type chosen, as it may
            // have changed meanwhile.
            change.discard();
            outcome.end = TotalsEnd::MixedTypes;
            return outcome;
        }
        const Selected all{selected, values};
        const auto carriedOf = [&](const QString& type) -> const CarriedType* {
            const CarriedType* t = carried.of(type);
            return t && !t->isEmpty() ? t : nullptr;
        };
        const auto blockOf = [&](const QString& type) {
            const Selected mine = ofType(all, type);
            SummaryBlock b{type, RunCategoryPasses(mine.entries, mine.values, type, progress), std::nullopt, {}};
            b.book = grandTotals(b.block);
            if (const CarriedType* t = carriedOf(type)) {
                addCarried(b.block, t->day(), t->night(), type);
                b.carried = t->day();
                *b.carried += t->night();
            }
            return b;
        };
        if (everyType) {
            for (const TypeCount& t : types)
                outcome.blocks << blockOf(t.type);
            SummaryBlock sum{
                text::kAllTypes, RunCategoryPassesOverAllTypes(selected, values, progress), std::nullopt, {}};
            sum.book = grandTotals(sum.block);
            RecordValues day, night;
            for (const CarriedType& t : carried.types) {
                day += t.day();
                night += t.night();
            }
            if (!(day.isZero() && night.isZero())) {
                addCarried(sum.block, day, night, kAllTypesCaption);
                sum.carried = day;
                *sum.carried += night;
            }
            outcome.blocks << sum;
            outcome.type = text::kAllTypes;
        } else {
            const QString type = !aircraftType.isEmpty() ? aircraftType : types.front().type;
            if (ofType(all, type).entries.isEmpty() && !carriedOf(type))
                return noRecords(QStringLiteral("В периоде нет записей на типе ") + aircraftType +
                                 QStringLiteral(": есть записи на типах ") + typesText(types) + u'.');
            outcome.blocks << blockOf(type);
            outcome.type = type;
        }
        outcome.block = outcome.blocks.back().block;
        outcome.caption = summaryCaption(period);
        if (period.option == PeriodOption::SinceStart) {
            if (!carried.found)
                outcome.notices << Notice{text::kCarriedTitle,
                                          QStringLiteral("Налёта до начала ведения книжки не учтено: файла %1 в папке "
                                                         "лётной книжки нет. Итоги — по записям книжки.")
                                              .arg(kCarriedFileName),
                                          Notice::Icon::Information};
            else if (!everyType && !outcome.blocks.back().carried)
                outcome.notices << Notice{text::kCarriedTitle,
                                          QStringLiteral("В файле %1 нет налёта на типе %2: итоги — по записям книжки.")
                                              .arg(kCarriedFileName, outcome.type),
                                          Notice::Icon::Information};
        }

        Sheet sheet2 = change.sheet(logbook::kSheet2);
        Sheet sheet4 = change.sheet(logbook::kSheet4);
        clearBelowHeader(sheet2);
        // Each block is laid out in turn on rows 7-19 and rendered as its own page; "Лист4" keeps the last,
        // which is the summary of all types when there are several.
        logbook::files::ScratchDir scratch;
        QStringList pages;
        for (const SummaryBlock& block : outcome.blocks) {
            BuildSummarySheet(sheet4, block, period);
            // The summary is made printable and rendered, and the logbook saved, before the pilot is asked:
            // the logbook is not held, and no office waits, while he thinks it over. What prints is what
            // was saved.
            const QString area = block.carried ? QStringLiteral("A1:U19") : QStringLiteral("A1:U17");
            sheet4.setPageSetup(logbook::PageSetup{});
            sheet4.setPrintArea(QStringLiteral("$A$1:$U$") + area.mid(area.indexOf(u'U') + 1));
            if (renderForPrint) {
                pages << scratch.filePath(QStringLiteral("summary-%1.pdf").arg(pages.size() + 1));
                change.book().exportPdf(pages.back(), sheet4.range(area));
            }
        }
        outcome.end = TotalsEnd::Summary;
        progress.status(QStringLiteral("Задание выполнено, сэр!"));
        if (renderForPrint) {
            QString rendered = pages.front();
            if (pages.size() > 1) {
                rendered = scratch.filePath(QStringLiteral("summary.pdf"));
                joinPdfs(pages, rendered);
            }
            QFile f(rendered);
            if (f.open(QIODevice::ReadOnly))
                outcome.renderedPdf = f.readAll();
        }
        change.describe(QStringLiteral("итоги"));
        if (const auto note = change.save())
            outcome.notices << Notice{text::kFailedTitle, *note, Notice::Icon::Warning};
        return outcome;
    } catch (const Error& e) {
        log::error(QStringLiteral("Итоги"), e);
        if (const auto* unsure = dynamic_cast<const logbook::UnsureLock*>(&e))
            outcome.unsureLock = *unsure;
        outcome.notices << Notice{text::kFailedTitle,
                                  QStringLiteral("Итоги не подбиты, лётная книжка не изменена.\n") + e.description(),
                                  Notice::Icon::Critical};
        outcome.end = TotalsEnd::Failed;
        return outcome;
    }
}

} // namespace korv::totals
