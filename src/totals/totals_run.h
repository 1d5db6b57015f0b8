#pragma once

// "Считать" of the totals form on the logbook: the period's records copied to "Лист2", the ten category
// sums, the summary on "Лист4" with its caption and grand totals, the print question and its two ends.
// The logbook is changed as one change (logbook/book_change.h): it is saved whole, or left byte for byte
// as it was.

#include "common/dialogs.h"
#include "logbook/book_change.h"
#include "spreadsheet/office.h"
#include "totals/period.h"
#include "totals/progress.h"
#include "totals/selection.h"

#include <QString>

namespace korv::totals {

enum class TotalsEnd {
    Summary,      // the summary built and saved
    EmptyLogbook, // no entry at all: nothing saved
    NoRecords,    // nothing in the period: nothing saved
    MixedTypes,   // records of more than one aircraft type and no type chosen: nothing saved
    BadPeriod,    // the free period's dates refused before anything was opened
    Failed        // the logbook could not be changed (its message shown); the file is as it was
};

struct TotalsOutcome {
    TotalsEnd end = TotalsEnd::Failed;
    bool printAnswered = false; // the pilot answered Yes to "Отпечатать итог ?"
    bool printed = false;       // sent to the printer
    QString pdf;                // where the summary was kept as a PDF, if it was
    QList<TypeCount> types;     // the aircraft types of the period, when it held more than one
    QString type;               // the aircraft type totalled
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
// "В периоде записи на типах: Л-39 — 5, Су-27 — 4. Подбить итоги по типу:"
QString typeQuestion(const QList<TypeCount>& types);
} // namespace text

class TotalsRun {
public:
    TotalsRun(logbook::Office& host, QString bookPath);

    // The period state of the form, kept from one run to the next.
    PeriodState period;
    // How the run waits for other programs and deals with their locks.
    logbook::ChangeSettings settings;
    // The aircraft type to total when the period holds records of several; empty: the pilot is asked (the
    // CLI's --type sets it). A type the period does not hold ends the run without records.
    QString aircraftType;
    // Where "Yes" to the print question sends the summary: empty for the printer; a file path (the
    // CLI's --pdf) writes the PDF there instead.
    QString pdfInsteadOfPrinter;

    // The run of "Считать" with `option` chosen, today being `today`. After the end Summary with the answer
    // No, the form shows "Лист4" for viewing. Records of several aircraft types in the period: the pilot
    // chooses one (Dialogs::choice) with nothing held meanwhile, and the logbook is read again for it;
    // without a choice the run ends MixedTypes and the file stays as it was.
    TotalsOutcome cmdItog_Click(PeriodOption option, const QDate& today, const QString& txtC, const QString& txtPo,
                                TotalsProgress& progress, Dialogs& dialogs);

private:
    void printSummary(const QString& rendered, const QString& realBookPath, Dialogs& dialogs,
                      TotalsOutcome& outcome) const;

    logbook::Office& host_;
    QString bookPath_;
};

} // namespace korv::totals
