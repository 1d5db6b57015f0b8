#include "totals/logbook_pages.h"

#include "logbook/book_reading.h"
#include "logbook/change_settings.h"
#include "logbook/logbook.h"
#include "logbook/record_layout.h"
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

PagesOutcome writeLogbookPages(logbook::Office& host, const QString& bookPath, const std::optional<PeriodState>& period,
                               const QString& pdfPath) {
    const QTemporaryDir scratch;
    const QString copy = logbook::copyForReading(bookPath, scratch, QStringLiteral("Страницы лётной книжки.xls"));

    const logbook::ChangeSettings settings;
    const auto operation = host.beginOperation(settings.timeoutMs, settings.officeWaitMs);
    host.attach();
    logbook::Workbook book = host.openWorkbook(copy, logbook::Office::OpenMode::Hidden);
    PagesOutcome outcome;
    try {
        logbook::Sheet sheet = book.sheet(logbook::kSheet1);
        const int last = sheet.lastUsedRow();
        const QList<QVariantList> block =
            last >= records::kFirstRow
                ? sheet.cells(records::kFirstRow, column::A, last + 1, records::kLastColumn).data()
                : QList<QVariantList>();
        const QList<Entry> entries = entriesFromBlock(block);
        const QList<Entry> taken = exportedRecords(entries, period);
        for (const Entry& e : taken)
            exportFields(e); // what the totals would refuse is refused before anything is laid out
        outcome.records = int(taken.size());
        if (entries.isEmpty()) {
            outcome.end = PagesEnd::EmptyLogbook;
        } else if (taken.isEmpty()) {
            outcome.end = PagesEnd::NoRecords;
        } else {
            const QSet<int> kept = keptRows(entries, taken);
            // The pairs left out, removed from the bottom up in runs, so that the rows above keep their
            // places; everything below the last pair goes too.
            const int end = records::pairRow(int(block.size() + 1) / records::kRowsPerRecord);
            for (int row = end - records::kRowsPerRecord; row >= records::kFirstRow;) {
                if (kept.contains(row)) {
                    row -= records::kRowsPerRecord;
                    continue;
                }
                int first = row;
                while (first - records::kRowsPerRecord >= records::kFirstRow &&
                       !kept.contains(first - records::kRowsPerRecord))
                    first -= records::kRowsPerRecord;
                sheet.deleteRows(first, row + records::kRowsPerRecord - first);
                row = first - records::kRowsPerRecord;
            }
            // The kept pairs now stand together below the header.
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
