#pragma once

// The printed page of the progress through the course: a sheet of a scratch workbook filled with the table
// and exported through the office's PDF export, as the logbook's own pages are.

#include "spreadsheet/office.h"
#include "totals/course_progress.h"

#include <QString>

namespace korv::totals {

// The footer's left text: "Выполнение упражнений курса — стр. N из M".
QString coursePageFooterLeft();

// Writes the progress as a PDF at `pdfPath` (A4 landscape, one page wide, the heading rows on every page):
// a new hidden workbook of the office, filled, exported and closed unsaved. No logbook is opened.
void writeCoursePdf(logbook::Office& office, const CourseProgress& progress, const QString& periodText,
                    const QString& pdfPath);

// Sends the rendered PDF to the default printer; when the print service refuses it, it is kept beside the
// logbook at `bookPath` as "<logbook>-курс.pdf", as unprinted pages are.
struct CoursePrinted {
    bool printed = false;
    QString kept;   // where it was kept when not printed; empty when it could not be kept either
    QString detail; // the print service's own words when it refused
};
CoursePrinted printCourse(const QString& rendered, const QString& bookPath);

} // namespace korv::totals
