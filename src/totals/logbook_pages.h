#pragma once

// The logbook's own pages of a period: its records and their month headings laid out as the logbook's
// pages (A4 landscape, columns A..U on one page width, rows 1-6 on every page, a footer of the program's
// own), made from a scratch copy of the logbook, never by changing it.

#include "spreadsheet/office.h"
#include "totals/period.h"

#include <QString>

#include <optional>

namespace korv::totals {

enum class PagesEnd {
    Pages,        // the PDF written
    EmptyLogbook, // no entry at all
    NoRecords,    // nothing in the period
};

struct PagesOutcome {
    PagesEnd end = PagesEnd::NoRecords;
    int records = 0;
};

// The footer's texts: "Лётная книжка — стр. N из M" and the period ("Ноябрь  2026 г.", "2026 год",
// "с 01.11.26 по 30.11.26", "вся лётная книжка").
QString pagesFooterLeft();
QString pagesPeriodText(const std::optional<PeriodState>& period);

// Writes the pages of the records of `period` (every record when none) of the logbook at `bookPath` as a
// PDF at `pdfPath`. The logbook is copied into a temporary folder and only the copy is opened, laid out
// and closed unsaved: no lock of the logbook, no byte of it changed. What cannot be read is refused as
// the totals refuse it (Error::BadEntry naming the row); a missing logbook is Error::FileNotFound.
PagesOutcome writeLogbookPages(logbook::Office& office, const QString& bookPath,
                               const std::optional<PeriodState>& period, const QString& pdfPath);

struct PagesPrinted {
    bool printed = false;
    QString kept;   // where the pages were kept when not printed; empty when they could not be kept either
    QString detail; // the print service's own words when it refused
};

// Sends the pages rendered at `rendered` to the default printer; when the print service refuses them, they
// are kept beside the logbook at `bookPath` as "<logbook>-страницы.pdf", as an unprinted summary is.
PagesPrinted printPages(const QString& rendered, const QString& bookPath);

} // namespace korv::totals
