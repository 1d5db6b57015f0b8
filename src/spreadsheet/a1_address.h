#pragma once

// A1 addresses of cells and ranges ("M7", "A1:U6", "$A$1", "G:G", "7:8") and their zero-based row and
// column numbers. No office needed: the host and the tests share it.

#include <QString>

#include <optional>

namespace korv::logbook {

// Zero-based bounds of a rectangular block of cells.
struct CellBlock {
    int firstRow = 0;
    int firstColumn = 0;
    int lastRow = 0;
    int lastColumn = 0;

    friend bool operator==(const CellBlock&, const CellBlock&) = default;
};

// "A", "Z", "AA", ... for 0, 25, 26, ...
QString columnLetters(int column);
// "M7" for row 6, column 12.
QString a1(int row, int column);
// "M7" for a single cell, "A1:U6" otherwise.
QString a1(const CellBlock& block);

// Parses an A1 address. A whole column ("G:G") or whole rows ("7:8") reach to lastRow / lastColumn, the
// sheet's last row and column. The corners may come in any order; the result is normalised. Nothing
// when the text is not an address.
std::optional<CellBlock> parseA1(const QString& text, int lastRow, int lastColumn);

} // namespace korv::logbook
