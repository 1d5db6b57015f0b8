#include "logbook/record_slots.h"

#include "logbook/record_layout.h"

#include <algorithm>

namespace korv::logbook {

namespace column = records::column;

QList<CellBlock> coveredRuns(int pairRow) {
    const int covered = pairRow + 1;
    return {{covered, column::A, covered, column::L}, {covered, column::N, covered, column::T}};
}

namespace {

// Only what an empty cell never shows: number format, alignment, wrap, indent, orientation.
CellFormat coveredLook(const QString& numberFormat, HAlign hAlign) {
    CellFormat f;
    f.numberFormat = numberFormat;
    f.hAlign = hAlign;
    f.vAlign = VAlign::Center;
    f.wrap = false;
    f.shrink = false;
    f.indent = 0;
    f.orientation = TextOrientation::Horizontal;
    return f;
}

} // namespace

CellFormat coveredLookAToL() { return coveredLook(QStringLiteral("d"), HAlign::Right); }
CellFormat coveredLookNToT() { return coveredLook(QStringLiteral("0.0"), HAlign::Center); }

bool coveredCellsShareFormats(const Sheet& sheet, int pairRow) {
    for (const CellBlock& run : coveredRuns(pairRow)) {
        if (sheet.cells(run.firstRow, run.firstColumn, run.lastRow, run.lastColumn).formatBlockCount() != 1)
            return false;
    }
    return true;
}

bool pairsShareFormats(const Sheet& sheet, const QList<int>& pairRows) {
    return std::all_of(pairRows.begin(), pairRows.end(), [&](int row) { return coveredCellsShareFormats(sheet, row); });
}

void shareCoveredCellFormats(Sheet& sheet, int lastPairRow, int firstPairRow) {
    QList<CellBlock> aToL, nToT;
    for (int row = firstPairRow; row <= lastPairRow; row += records::kRowsPerRecord) {
        const QList<CellBlock> runs = coveredRuns(row);
        aToL << runs[0];
        nToT << runs[1];
    }
    sheet.applyToEmptyCells(aToL, coveredLookAToL());
    sheet.applyToEmptyCells(nToT, coveredLookNToT());
}

} // namespace korv::logbook
