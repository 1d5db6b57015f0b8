#include "totals/logbook_pages.h"

#include "bookfiles/scratch_dir.h"
#include "common/error.h"
#include "logbook/book_names.h"
#include "logbook/book_reading.h"
#include "logbook/change_settings.h"
#include "logbook/record_layout.h"
#include "logbook/sheet_adapter.h"
#include "totals/entries.h"
#include "totals/printing.h"
#include "totals/record_export.h"

#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

namespace korv::totals {

namespace {
namespace records = logbook::records;
namespace column = logbook::records::column;

// The pairs the pages keep: the records taken and, above each, the month heading it stands under.
QSet<int> keptRows(const QList<Entry>& entries, const QList<Entry>& taken) {
    QSet<int> takenRows;
    for (const Entry& e : taken)
        takenRows << e.row;
    QSet<int> kept;
    int heading = -1;
    for (const Entry& e : entries) {
        if (e.isHeading()) {
            heading = e.row;
        } else if (takenRows.contains(e.row)) {
            kept << e.row;
            if (heading >= 0)
                kept << heading;
        }
    }
    return kept;
}

} // namespace

QString pagesFooterLeft() { return QStringLiteral("Лётная книжка — стр. #N из #M"); }

QString pagesPeriodText(const std::optional<PeriodState>& period) {
    if (!period)
        return QStringLiteral("вся лётная книжка");
    if (period->option == PeriodOption::FreePeriod)
        return QStringLiteral("с %1 по %2").arg(period->txtC, period->txtPo);
    return PeriodCaption(*period);
}

PagesOutcome writeLogbookPages(logbook::Office& office, const QString& bookPath,
                               const std::optional<PeriodState>& period, const QString& pdfPath) {
    const logbook::files::ScratchDir scratch;
    const QString copy = logbook::copyForReading(bookPath, scratch, QStringLiteral("Страницы лётной книжки.xls"));

    const auto operation = logbook::beginOperationOn(office, copy);
    logbook::Workbook book = office.openWorkbook(copy, logbook::Office::OpenMode::Hidden);
    PagesOutcome outcome;
    try {
        logbook::Sheet sheet = book.sheet(logbook::kSheet1);
        const logbook::Logbook model = logbook::readLogbook(sheet);
        if (model.outOfStepRow())
            throw Error(Error::BadEntry, model.outOfStepText());
        const QList<Entry>& entries = model.entries();
        const QList<Entry> taken = exportedRecords(entries, period);
        for (const Entry& e : taken)
            exportFields(e); // what the totals would refuse is refused before anything is laid out
        outcome.records = int(taken.size());
        if (entries.isEmpty()) {
            outcome.end = PagesEnd::EmptyLogbook;
        } else if (taken.isEmpty()) {
            outcome.end = PagesEnd::NoRecords;
        } else {
            // Rows hidden by hand or by a filter would be left out of the pages without a word: on the copy
            // every row of the logbook is shown.
            sheet.setRowsHidden(0, model.freeRow(), false);
            const QSet<int> kept = keptRows(entries, taken);
            // The pairs left out go, so that the kept ones stand together below the header.
            logbook::keepOnlyPairs(sheet, kept, model.freeRow());
            const int lastRow = records::kFirstRow + int(kept.size()) * records::kRowsPerRecord - 1;
            sheet.setPageLayout({1, records::kFirstRow, pagesFooterLeft(), pagesPeriodText(period)});
            const logbook::Range area = sheet.cells(0, column::A, lastRow, records::kLastColumn);
            sheet.setPrintArea(area.address());
            book.exportPdf(pdfPath, area);
            outcome.end = PagesEnd::Pages;
        }
    } catch (...) {
        book.close(logbook::CloseMode::Discard);
        throw;
    }
    book.close(logbook::CloseMode::Discard);
    return outcome;
}

PagesPrinted printPages(const QString& rendered, const QString& bookPath) {
    const PrintOutcome printed = printPdf(rendered);
    if (printed.printed)
        return {true, {}, {}};
    const QFileInfo b(bookPath);
    const QString kept = b.absolutePath() + u'/' + b.completeBaseName() + QStringLiteral("-страницы.pdf");
    return {false, keepPdf(rendered, kept, bookPath) ? kept : QString(), printed.detail};
}

} // namespace korv::totals
