#pragma once

// Where the records of a logbook sheet live: two rows a record from row 7 on (7-8, 9-10, ...), columns A
// to U laid out for it (V beside the first slot), every cell addressed from M7.
// The sheet layout, the record writer and the totals read this and nothing else.

namespace korv::logbook::records {

// The rows of a sheet (Calc's, and the .xls of Excel 2007 on): no pair may reach beyond them.
inline constexpr int kSheetRows = 1048576;

// Zero-based row of the first record row (sheet row 7) and the rows of one record.
inline constexpr int kFirstRow = 6;
inline constexpr int kRowsPerRecord = 2;

// Zero-based row of the first row of record pair `index` (0 for rows 7-8).
constexpr int pairRow(int index) { return kFirstRow + kRowsPerRecord * index; }

// Zero-based columns of a record, by letter.
namespace column {
inline constexpr int A = 0, B = 1, C = 2, D = 3, E = 4, F = 5, G = 6, H = 7, I = 8, J = 9, K = 10, L = 11, M = 12,
                     N = 13, O = 14, P = 15, Q = 16, R = 17, S = 18, T = 19, U = 20, V = 21;
} // namespace column

// The column of a letter 'A'..'V'.
constexpr int columnOf(char letter) { return letter - 'A'; }

// Every cell of a record is addressed from M7: row offset 2 per record, column offset from M (A -12,
// E -8, Q..S +4..+6).
inline constexpr int kAnchorRow = kFirstRow;
inline constexpr int kAnchorColumn = column::M;
constexpr int columnOffsetFromM(int column) { return column - kAnchorColumn; }

// The last column of the laid-out record pair, and of the pair a month heading copies (V stands beside
// the first slot).
inline constexpr int kLastColumn = column::U;
inline constexpr int kLastHeadingColumn = column::V;

} // namespace korv::logbook::records
