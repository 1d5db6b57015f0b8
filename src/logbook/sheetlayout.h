#pragma once

// The printed-logbook page layout of a logbook sheet: the six header rows over columns A to U on every
// sheet, and on "Лист1" the first record slot (rows 7-8) and its copy (rows 9-10).

#include "logbook/progress.h"
#include "spreadsheet/document.h"

#include <QString>

#include <array>

namespace korv::logbook {

// Column widths A..U in Excel characters of the standard font.
inline constexpr std::array<double, 21> kColumnWidths = {
    2.29, 5.57, 2.14, 3.14, 22.29, 3.14, 4.14, 4.14, 4.14, 4.14, 4.86, 2, 4.43, 3.43, 2.43, 6, 2, 2.43, 3.14, 3, 2.43};
inline const QString kCaptionFont = QStringLiteral("Arial Cyr");
inline constexpr double kCaptionSize = 8;

struct HeaderCaption {
    const char* range; // merged range, or a single cell
    QString text;
    VAlign vAlign;
    bool wrap;
    bool vertical;
    bool merged;
};
// Every header caption with the look of its range, in the order they are written.
const std::array<HeaderCaption, 26>& headerCaptions();

// Lays out 'sheet' as logbook sheet number sheetNo (1..4; 1 adds the record slots). Advances
// progressValue by 24 for sheet 1 and by 12 for the others, reporting each step to 'progress'.
void FormatLogSheet(Sheet& sheet, int sheetNo, int& progressValue, CreationProgress& progress);

} // namespace korv::logbook
