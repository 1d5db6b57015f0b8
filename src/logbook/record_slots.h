#pragma once

// The covered cells of record pairs: the lower, hidden cells of a pair's merged two-row cells. Saving as
// .xls costs time for every horizontal run of covered cells that share one format, times the number of
// merged ranges before it, so a pair's covered cells are kept in as few runs as the look allows: A..L
// take one look and N..T another (M8 between them is an ordinary cell), U keeps its own because its
// thick right rule is drawn from the covered cell by other spreadsheet programs.
//
// What these cells look like is never seen: a merged cell shows its top-left cell's value, number format
// and alignment, and covered cells hold nothing. Their fonts and borders are left alone, since row
// heights and the borders other programs draw for merged cells depend on them.

#include "logbook/record_layout.h"
#include "spreadsheet/document.h"

#include <QList>

namespace korv::logbook {

// The runs of covered cells of the pair whose first row is pairRow (zero-based): A..L and N..T of the
// pair's second row.
QList<CellBlock> coveredRuns(int pairRow);

// The look the covered cells of each run take: that of A (the day format "d" column A gets with every
// record) and that of N.
CellFormat coveredLookAToL();
CellFormat coveredLookNToT();

// Whether the covered cells of the pair already fall into one format block per run.
bool coveredCellsShareFormats(const Sheet& sheet, int pairRow);

// Whether the covered cells of the given pairs share formats. The callers sample record pairs: a month
// heading's pair keeps the heading's font in its covered E cell (the .xls export gives covered cells
// the look of their merged cell), so it never falls into one run.
bool pairsShareFormats(const Sheet& sheet, const QList<int>& pairRows);

// Gives the covered cells of every pair from firstPairRow (row 7 when not given) to lastPairRow their run's
// look, in two calls.
void shareCoveredCellFormats(Sheet& sheet, int lastPairRow, int firstPairRow = records::kFirstRow);

} // namespace korv::logbook
