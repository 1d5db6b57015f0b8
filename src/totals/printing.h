#pragma once

// Printing a summary: the PDF that Calc renders of the printed range goes to the system's print service
// (CUPS `lp`, the default printer); when there is none or the job is refused, the PDF stays beside the
// logbook and the pilot is told where.

#include <QString>

#include <functional>

namespace korv::totals {

struct PrintOutcome {
    bool printed = false;
    QString detail; // the print service's own words when it refused
};

// Sends the PDF to the default printer, one copy, collated. KORV_LP names another program (tests).
PrintOutcome printPdf(const QString& pdfPath);

// Where the summary is kept when it could not be printed.
QString summaryPdfPath(const QString& bookPath);

} // namespace korv::totals
