#pragma once

// Printing a summary: the PDF that Calc renders of the printed range goes to the system's print service
// (CUPS `lp`, the default printer); when there is none or the job is refused, the PDF stays beside the
// logbook and the pilot is told where.

#include <QString>
#include <QStringList>

namespace korv::totals {

struct PrintOutcome {
    bool printed = false;
    QString detail; // the print service's own words when it refused
};

// Sends the PDF to the default printer, one copy, collated. KORV_LP names another program (tests).
PrintOutcome printPdf(const QString& pdfPath);

// Joins the PDFs `pages` (a page each) in their order into one PDF at `target`, through poppler's
// pdfunite (KORV_PDFUNITE names another program, for tests). Error::FileAccess when it cannot.
void joinPdfs(const QStringList& pages, const QString& target);

// Where the summary is kept when it could not be printed.
QString summaryPdfPath(const QString& bookPath);

// Why the summary's PDF may not be written at `pdfPath` beside the logbook at `bookPath`: the logbook itself
// (by any name or link), a file in its backups, a directory, or an existing file that is no PDF
// (files::outputTargetRefusal). Empty when it may.
QString pdfTargetRefusal(const QString& pdfPath, const QString& bookPath);

// Writes a copy of the rendered PDF at `path` through a temporary file and a rename, unless
// pdfTargetRefusal refuses it; false when nothing was written.
bool keepPdf(const QString& rendered, const QString& path, const QString& bookPath);

} // namespace korv::totals
