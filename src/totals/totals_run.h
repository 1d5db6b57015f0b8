#pragma once

// "Считать" of the totals form on the logbook: the period's records read from the logbook's model, the ten
// category sums, the summary on "Лист4" with its caption and grand totals. The logbook is changed as one
// change (logbook/book_change.h): it is saved whole, or left byte for byte as it was. What the pilot is then
// asked (the type to total, whether to print) is the form's to ask: the run says what it needs.

#include "common/notice.h"
#include "logbook/book_change.h"
#include "spreadsheet/office.h"
#include "totals/carried_flying.h"
#include "totals/category_sums.h"
#include "totals/period.h"
#include "totals/progress.h"
#include "totals/selection.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace korv::totals {

enum class TotalsEnd {
    Summary,      // the summary built and saved
    EmptyLogbook, // no entry at all: nothing saved
    NoRecords,    // nothing in the period: nothing saved
    MixedTypes,   // records of more than one aircraft type and no type chosen: nothing saved
    BadPeriod,    // the free period's dates refused before anything was opened
    Failed        // the logbook could not be changed (its message among the notices); the file is as it was
};

// One summary as "Лист4" holds it: the category rows 7-16 of one aircraft type (or of all together) and, in
// a run "с начала лётной работы" with flying before the logbook, rows 18 and 19 that part the grand total
// of row 17 into what came from before the logbook and what from its records.
struct SummaryBlock {
    QString type; // the aircraft type, or text::kAllTypes
    // The category rows; the flying before the logbook is in the day's and the night's totals.
    CategoryBlock block;
    // The flying before the logbook (row 18), when there was any for the type.
    std::optional<RecordValues> carried;
    // The grand totals of the logbook's records alone (row 19).
    RecordValues book;
};

struct TotalsOutcome {
    TotalsEnd end = TotalsEnd::Failed;
    // What the pilot is told, in order (the print question is not among them: see cmdItog_Click).
    Notices notices;
    QList<TypeCount> types; // the aircraft types of the period, when it held more than one
    QString type;           // the aircraft type totalled, text::kAllTypes for a summary of every type
    // Summary: the category rows as "Лист4" holds them in rows 7-16, and the caption of row 17 (whose sums
    // are the day's and the night's totals, grandTotals).
    CategoryBlock block;
    QString caption;
    // Summary: every block in the order printed, one a page: of each type and then of all together when
    // every type was asked for (allTypes) and the period held several; else the one block above.
    QList<SummaryBlock> blocks;
    // A run "с начала лётной работы": whether the file of the flying before the logbook was there.
    bool carriedFound = false;
    // Summary: the summary as it prints (rendered before the logbook was saved), when asked for.
    QByteArray renderedPdf;
    // The logbook's real path.
    QString bookPath;
    // Failed because another program's lock cannot be judged from here: the desktop program asks the pilot
    // and runs again (ChangeSettings::closedElsewhere).
    std::optional<logbook::UnsureLock> unsureLock;
};

// What became of the summary sent to print.
struct PrintedSummary {
    bool printed = false; // sent to the printer
    QString pdf;          // where the summary was kept as a PDF, if it was
    Notices notices;
};

// Message texts of a totals run.
namespace text {
inline const QString kEmptyTitle = QStringLiteral("Проверка заполнения лётной книжки");
inline const QString kEmpty = QStringLiteral("Лётная книжка не заполнена. Подбивать нечего.");
inline const QString kNoRecordsTitle = QStringLiteral("Отсутствие подённого налёта");
inline const QString kNoRecords =
    QStringLiteral("Записи за указанный период отсутствуют. Проверьте заполнение подённого налёта.");
inline const QString kPrintTitle = QStringLiteral("Печать");
inline const QString kPrintQuestion = QStringLiteral("Отпечатать итог ?");
inline const QString kPrinterTitle = QStringLiteral("Распечатка");
inline const QString kPrinterOn = QStringLiteral("Включите принтер.");
inline const QString kFailedTitle = QStringLiteral("Подсчёт итогов");
inline const QString kTypeTitle = QStringLiteral("Тип самолёта");
// The choice beside the types: a summary of each type and one of them all.
inline const QString kAllTypes = QStringLiteral("все типы");
// Rows 18 and 19 of a summary "с начала лётной работы" with flying before the logbook.
inline const QString kCarriedRow = QStringLiteral("в т.ч. до начала ведения книжки");
inline const QString kBookRow = QStringLiteral("в т.ч. по лётной книжке");
inline const QString kCarriedTitle = QStringLiteral("Налёт до начала ведения книжки");
// "В периоде записи на типах: Л-39 — 5, Су-27 — 4. Подбить итоги по типу:"
QString typeQuestion(const QList<TypeCount>& types);
} // namespace text

class TotalsRun {
public:
    TotalsRun(logbook::Office& office, QString bookPath);

    // The period state of the form, kept from one run to the next.
    PeriodState period;
    // How the run waits for other programs and deals with their locks.
    logbook::ChangeSettings settings;
    // The aircraft type to total when the period holds records of several; empty: the run ends MixedTypes
    // with the types, for the pilot to choose one and run again. A type the period does not hold ends the
    // run without records.
    QString aircraftType;
    // With a period of several types: a summary of each type and a last one of all together, instead of
    // the end MixedTypes. A period of one type gives its one summary either way.
    bool allTypes = false;
    // The file of the flying before the logbook, read by a run "с начала лётной работы" (by default
    // kCarriedFileName beside the logbook).
    QString carriedFile;
    // Whether the summary is rendered for printing before the logbook is saved (the form asks after the
    // save whether to print, so it renders always; the CLI only when it prints).
    bool renderForPrint = true;

    // The run of "Считать" with `option` chosen, today being `today`. After the end Summary the form asks
    // "Отпечатать итог ?" (text::kPrintQuestion): Yes sends renderedPdf to printSummary, No shows "Лист4".
    TotalsOutcome cmdItog_Click(PeriodOption option, const QDate& today, const QString& txtC, const QString& txtPo,
                                TotalsProgress& progress);

private:
    logbook::Office& office_;
    QString bookPath_;
};

// Rows 18 and 19 of a block with flying before the logbook, columns A..U as "Лист4" holds them: the flying
// before the logbook and the logbook's own, whose sums add up to row 17.
QList<QVariantList> partRows(const SummaryBlock& summary);

// The summary of a run, saved in the logbook already, to the printer, or to the PDF `pdfInsteadOfPrinter` (the
// CLI's --pdf). What fails is said, never as a failed run; a summary that did not print is kept beside the
// logbook.
PrintedSummary printSummary(const TotalsOutcome& summary, const QString& pdfInsteadOfPrinter = {});

} // namespace korv::totals
