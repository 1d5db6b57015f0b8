#pragma once

// A spreadsheet document as the program sees it: workbooks, sheets and ranges, with their values, formats,
// merges, rows and pages. No office appears here: the handles are values that forward to a backend, which
// is the program's LibreOffice Calc over UNO (spreadsheet/uno) or the in-memory fake of the tests.
//
// Every operation either succeeds or throws korv::Error (number Error::Spreadsheet, or
// Error::FileNotFound for a missing file) with a Russian description that names what failed. A Calc
// that died or was closed by hand shows up the same way, never as a crash.
//
// Addresses: A1 text ("M7", "A1:U6", "G:G", "7:8") or zero-based row and column numbers.

#include "bookfiles/atomic_file.h"
#include "spreadsheet/a1_address.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>

namespace korv::logbook {

enum class HAlign { General, Left, Center, Right, Justify };
enum class VAlign { Bottom, Center, Top };
enum class TextOrientation { Horizontal, Upward, Downward, Stacked };
// Line weights as Excel names them; each maps to the LibreOffice width that the .xls export keeps.
enum class LineWeight { None, Hair, Thin, Medium, Thick };

inline constexpr int AutomaticColor = -1;

// A set of cell properties applied in one call; unset members are left as they are. format() fills
// every member from the range's top-left cell.
struct CellFormat {
    std::optional<QString> fontName;
    std::optional<double> fontSize; // points
    std::optional<bool> bold;
    std::optional<bool> italic;
    std::optional<bool> underline;
    std::optional<int> fontColor; // 0xRRGGBB or AutomaticColor
    std::optional<HAlign> hAlign;
    std::optional<VAlign> vAlign;
    std::optional<bool> wrap;
    std::optional<bool> shrink;
    std::optional<TextOrientation> orientation;
    std::optional<int> indent; // Excel indent levels
    // Excel-style code with "." as decimal point ("0.0", "dd", "@", "[h]:mm", "General").
    std::optional<QString> numberFormat;
};

// Border lines of a range: left/top/right/bottom are the outer edges, insideH/insideV the lines between
// its cells. Unset members are left as they are; LineWeight::None removes a line. Colour is automatic.
struct Borders {
    std::optional<LineWeight> left, top, right, bottom, insideH, insideV, diagonalDown, diagonalUp;
};

enum class ConditionOperator { Equal, NotEqual, Greater, GreaterEqual, Less, LessEqual, Between, NotBetween };

struct ConditionalFormat {
    ConditionOperator op = ConditionOperator::Equal;
    QString formula1; // English A1 grammar, e.g. "0"
    QString formula2;
    std::optional<int> fontColor;
    std::optional<bool> bold;
};

enum class CellKind { Empty, Value, Text, Formula };

// What a sheet's page style prints besides the cells, and how it scales them.
struct PageSetup {
    bool headerAndFooter = false; // the office's own header ("Лист4") and footer ("Page 1")
    int fitPagesWide = 1;         // scaled to this many pages across; 0: not scaled
    int fitPagesTall = 0;         // and this many down; 0: as many as it takes

    friend bool operator==(const PageSetup&, const PageSetup&) = default;
};

// A sheet's printed pages of the program's own: A4 landscape, the top rows repeated on every page, and a
// footer of its own instead of the office's ("Page 1"). In the footer texts "#N" stands for the page's
// number and "#M" for the number of pages.
struct PageLayout {
    int fitPagesWide = 1; // scaled to this many pages across
    int repeatedRows = 0; // rows 1..N printed at the top of every page
    QString footerLeft;   // e.g. "Лётная книжка — стр. #N из #M"
    QString footerRight;  // e.g. the period
};

class Workbook;
class Sheet;
class Range;
class RangeBackend;
class SheetBackend;
class WorkbookBackend;

class Range {
public:
    explicit Range(std::shared_ptr<RangeBackend> backend);

    // Zero-based bounds.
    int firstRow() const;
    int firstColumn() const;
    int lastRow() const;
    int lastColumn() const;
    int rowCount() const { return lastRow() - firstRow() + 1; }
    int columnCount() const { return lastColumn() - firstColumn() + 1; }
    CellBlock block() const { return {firstRow(), firstColumn(), lastRow(), lastColumn()}; }
    QString address() const; // "A1:U6" or "M7"
    Sheet sheet() const;

    // Content. Writers fill every cell of the range; readers read the top-left cell.
    void setValue(double value);
    void setText(const QString& text);    // stays text, whatever it looks like
    void setDate(const QDate& date);      // a date value (serial number)
    void setTime(int minutes);            // a time of day value: minutes / 1440
    void setTimeText(const QString& hmm); // "1:25" -> 85/1440; throws on other text
    // Excel's English grammar ("," between arguments). Over a range, relative references follow each
    // cell, as when a formula is entered over a range in a spreadsheet.
    void setFormula(const QString& formula);     // "=SUM(F7:F9)"
    void setFormulaR1C1(const QString& formula); // "=SUM(R[-6]C,R[-1]C)"
    double value() const;
    QString text() const; // the cell's text as shown (string content)
    QString formula() const;
    CellKind kind() const;
    QDate date() const; // the value read as a date serial

    // Blocks: one call each way. Reading gives double for numbers, QString for texts, an empty
    // QString for empty cells and an invalid QVariant for error cells. Writing takes numbers (any
    // numeric QVariant), QDate (as a date value) and QString (kept as text; empty = empty cell).
    QList<QVariantList> data() const;
    void setData(const QList<QVariantList>& rows);
    // Formulas or plain values as typed, parsed like setFormula.
    void setFormulas(const QList<QStringList>& rows);

    void apply(const CellFormat& format);
    CellFormat format() const;
    void setBorders(const Borders& borders);
    Borders borders() const; // of the top-left cell

    void merge();
    void unmerge();
    bool isMerged() const;    // the range is exactly one merged area
    Range mergedArea() const; // the merged area holding the top-left cell, or the cell itself
    // The range grown until every merged area it touches lies wholly inside it: the range itself when
    // writing over it splits no merged cell.
    Range mergeSpan() const;

    void clearContents(); // values and formulas; formats stay
    void clear();         // everything, merges included
    // Copies values, formats, borders and merges to the block whose top-left cell is destTopLeft
    // (any sheet of the same workbook). Row heights are not copied; see Sheet::copyRows.
    void copyTo(const Range& destTopLeft) const;

    void addConditionalFormat(const ConditionalFormat& cf);
    void clearConditionalFormats();
    int conditionalFormatCount() const;

    Range offset(int rows, int columns) const;

    // How many blocks of one cell format each the range falls into (1: every cell formatted alike).
    int formatBlockCount() const;

    // The backend behind the handle, for the backend's own code (a copy between two ranges of one
    // document).
    RangeBackend& backend() const { return *d; }

private:
    std::shared_ptr<RangeBackend> d;
};

class Sheet {
public:
    explicit Sheet(std::shared_ptr<SheetBackend> backend);

    QString name() const;
    int index() const;
    Workbook workbook() const;

    Range range(const QString& text) const;
    Range cell(int row, int column) const;
    Range cells(int firstRow, int firstColumn, int lastRow, int lastColumn) const;
    Range cells(const CellBlock& block) const {
        return cells(block.firstRow, block.firstColumn, block.lastRow, block.lastColumn);
    }

    // The same format over several ranges ("A1:A6", "G6", ...) in one call.
    void applyAll(const QStringList& ranges, const CellFormat& format);
    // The same format over the empty cells of many blocks in one call; cells holding anything keep
    // their own.
    void applyToEmptyCells(const QList<CellBlock>& blocks, const CellFormat& format);

    void activate();
    // Makes this the active sheet and selects the range (the cell cursor for a single cell). Takes
    // effect in a shown workbook or while Workbook::holdView() holds the window.
    void select(const QString& a1);
    // The current selection of the workbook's view ("M7"), when it is a single range.
    QString selection() const;

    // Widths in Excel characters of the standard font; heights in points.
    void setColumnWidth(int column, double excelChars);
    double columnWidth(int column) const; // Excel characters, as the .xls keeps them
    int columnWidthHmm(int column) const; // LibreOffice's own value, 1/100 mm
    void setRowHeight(int row, double points);
    double rowHeight(int row) const; // points
    bool hasCustomRowHeight(int row) const;
    // Rows hidden by hand or by a filter are left out of a print and of a PDF export.
    void setRowsHidden(int firstRow, int lastRow, bool hidden);
    bool isRowHidden(int row) const;
    // A sheet protected against changes (without a password) refuses every write to its locked cells.
    void setProtected(bool on);
    bool isProtected() const;

    void insertRows(int row, int count); // new rows take the format of the row above
    void deleteRows(int row, int count);
    // Copies whole rows (content, formats, merges and heights) to dstRow.
    void copyRows(int firstRow, int count, int dstRow);

    // The index of the last row holding anything, formatted empty cells included (the used area), or -1 for
    // an empty sheet.
    int lastUsedRow() const;

    void setPrintArea(const QString& text);
    // The page style of the sheet (shared by the sheets that use the same style).
    void setPageSetup(const PageSetup& setup);
    PageSetup pageSetup() const;
    // The program's own pages (PageLayout): no header, its footer, A4 landscape, repeated rows.
    void setPageLayout(const PageLayout& layout);
    void clearPrintArea();
    QString printArea() const; // "" when none

    // Frozen panes: 'columns' columns and 'rows' rows stay fixed (M7 -> 12, 6). Needs the window
    // realised once, which Workbook::freezePanes does for several sheets at a time.
    void freezePanes(int columns, int rows);
    // {columns, rows} of the frozen panes as the workbook was loaded, nothing when not frozen. Needs a
    // shown workbook: a hidden one has no view settings to give.
    std::optional<std::pair<int, int>> frozenPanes() const;

    SheetBackend& backend() const { return *d; }

private:
    std::shared_ptr<SheetBackend> d;
};

enum class CloseMode {
    AsOfficeDecides, // no argument: unsaved changes of a shown workbook are Calc's own question (the
                     // call returns when the pilot has answered it; after "Cancel" the workbook stays
                     // open); a hidden one, which nobody could answer for, is closed without saving
    Save,            // save to its own file first (atomically), then close
    Discard          // close, dropping any change
};

class Workbook {
public:
    explicit Workbook(std::shared_ptr<WorkbookBackend> backend);

    bool isOpen() const;
    QString name() const; // the file name without extension ("Korvelanta"), or the title of a new book
    QString path() const; // the file it was opened from or last saved to; "" for a new workbook

    QStringList sheetNames() const; // in tab order
    int sheetCount() const;
    Sheet sheet(const QString& name) const; // throws naming the missing sheet
    Sheet sheetAt(int index) const;
    bool hasSheet(const QString& name) const;
    // Inserts a new empty sheet at tab position 'position' (0 = leftmost).
    Sheet addSheet(const QString& name, int position);
    void renameSheet(const QString& oldName, const QString& newName);
    void moveSheet(const QString& name, int position);
    Sheet activeSheet() const;
    void activateSheet(const QString& name);

    // The font of the Default cell style; it becomes the .xls standard font that column widths are
    // measured in.
    void setStandardFont(const QString& name, double points);

    // Keeps a hidden workbook's window realised far off screen while the token lives, so that a series
    // of view operations (frozen panes on several sheets) pays for the realisation once.
    [[nodiscard]] std::shared_ptr<void> holdView();
    // Freezes the panes of several sheets in one go (one realisation of the hidden window).
    void freezePanes(const QStringList& sheets, int columns, int rows);

    // A visible Calc window in front. Prefer opening a workbook that is to be seen shown: LibreOffice 7.4
    // (GTK) has been seen to crash when the window of a workbook loaded hidden takes the focus.
    void show();
    void hide();
    // Calls `closed` once, on a thread of the office, when the workbook is closed: by the program, or by
    // the pilot in Calc's own window.
    void whenClosed(std::function<void()> closed);
    bool isVisible() const;

    bool isModified() const;
    void setModified(bool modified);

    // Saves as an Excel 97-2003 workbook: written to a temporary file in the target's directory,
    // flushed, then renamed over the target, so the target is either the old or the new file. With
    // NeverReplace an existing target is left alone and the call fails.
    void saveAs(const QString& path, ReplacePolicy policy = ReplacePolicy::Replace);
    void save(); // saveAs(path()), replacing
    // Converts to another format through a named filter (e.g. "Text - txt - csv (StarCalc)"), same
    // atomic write.
    void exportTo(const QString& path, const QString& filterName);
    // The range as a PDF document, laid out by its sheet's page style, written atomically.
    void exportPdf(const QString& path, const Range& area);

    void close(CloseMode mode = CloseMode::Discard);

    WorkbookBackend& backend() const { return *d; }

private:
    std::shared_ptr<WorkbookBackend> d;
};

// What a backend implements: the handles' operations that are not composed of others. Each throws
// korv::Error as the handles promise.
class RangeBackend {
public:
    virtual ~RangeBackend() = default;
    virtual CellBlock block() const = 0;
    virtual Sheet sheet() const = 0;
    virtual void setValue(double value) = 0;
    virtual void setText(const QString& text) = 0;
    virtual void setFormula(const QString& formula) = 0;
    virtual void setFormulaR1C1(const QString& formula) = 0;
    virtual double value() const = 0;
    virtual QString text() const = 0;
    virtual QString formula() const = 0;
    virtual CellKind kind() const = 0;
    virtual QList<QVariantList> data() const = 0;
    virtual void setData(const QList<QVariantList>& rows) = 0;
    virtual void setFormulas(const QList<QStringList>& rows) = 0;
    virtual void apply(const CellFormat& format) = 0;
    virtual CellFormat format() const = 0;
    virtual void setBorders(const Borders& borders) = 0;
    virtual Borders borders() const = 0;
    virtual void merge() = 0;
    virtual void unmerge() = 0;
    virtual Range mergedArea() const = 0;
    virtual Range mergeSpan() const = 0;
    virtual void clearContents() = 0;
    virtual void clear() = 0;
    virtual void copyTo(const Range& destTopLeft) const = 0;
    virtual void addConditionalFormat(const ConditionalFormat& cf) = 0;
    virtual void clearConditionalFormats() = 0;
    virtual int conditionalFormatCount() const = 0;
    virtual int formatBlockCount() const = 0;
};

class SheetBackend {
public:
    virtual ~SheetBackend() = default;
    virtual QString name() const = 0;
    virtual int index() const = 0;
    virtual Workbook workbook() const = 0;
    virtual Range range(const QString& text) const = 0;
    virtual Range cells(int firstRow, int firstColumn, int lastRow, int lastColumn) const = 0;
    virtual void applyAll(const QStringList& ranges, const CellFormat& format) = 0;
    virtual void applyToEmptyCells(const QList<CellBlock>& blocks, const CellFormat& format) = 0;
    virtual void activate() = 0;
    virtual void select(const QString& a1) = 0;
    virtual QString selection() const = 0;
    virtual void setColumnWidth(int column, double excelChars) = 0;
    virtual int columnWidthHmm(int column) const = 0;
    virtual void setRowHeight(int row, double points) = 0;
    virtual double rowHeight(int row) const = 0;
    virtual bool hasCustomRowHeight(int row) const = 0;
    virtual void setRowsHidden(int firstRow, int lastRow, bool hidden) = 0;
    virtual void setProtected(bool on) = 0;
    virtual bool isProtected() const = 0;
    virtual bool isRowHidden(int row) const = 0;
    virtual void insertRows(int row, int count) = 0;
    virtual void deleteRows(int row, int count) = 0;
    virtual void copyRows(int firstRow, int count, int dstRow) = 0;
    virtual int lastUsedRow() const = 0;
    virtual void setPrintArea(const QString& text) = 0;
    virtual void setPageSetup(const PageSetup& setup) = 0;
    virtual PageSetup pageSetup() const = 0;
    virtual void setPageLayout(const PageLayout& layout) = 0;
    virtual void clearPrintArea() = 0;
    virtual QString printArea() const = 0;
    virtual std::optional<std::pair<int, int>> frozenPanes() const = 0;
};

class WorkbookBackend {
public:
    virtual ~WorkbookBackend() = default;
    virtual bool isOpen() const = 0;
    virtual QString name() const = 0;
    virtual QString path() const = 0;
    virtual QStringList sheetNames() const = 0;
    virtual Sheet sheet(const QString& name) const = 0;
    virtual Sheet sheetAt(int index) const = 0;
    virtual Sheet addSheet(const QString& name, int position) = 0;
    virtual void renameSheet(const QString& oldName, const QString& newName) = 0;
    virtual void moveSheet(const QString& name, int position) = 0;
    virtual Sheet activeSheet() const = 0;
    virtual void setStandardFont(const QString& name, double points) = 0;
    virtual std::shared_ptr<void> holdView() = 0;
    virtual void freezePanes(const QStringList& sheets, int columns, int rows) = 0;
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual void whenClosed(std::function<void()> closed) = 0;
    virtual bool isVisible() const = 0;
    virtual bool isModified() const = 0;
    virtual void setModified(bool modified) = 0;
    virtual void saveAs(const QString& path, ReplacePolicy policy) = 0;
    virtual void exportTo(const QString& path, const QString& filterName) = 0;
    virtual void exportPdf(const QString& path, const Range& area) = 0;
    virtual void close(CloseMode mode) = 0;
};

} // namespace korv::logbook
