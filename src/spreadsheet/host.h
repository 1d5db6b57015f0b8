#pragma once

// The spreadsheet host: the program's own LibreOffice Calc, driven over UNO, seen through workbooks,
// sheets and ranges. No UNO type appears here; the handles keep their UNO references behind a pimpl.
//
// Every operation either succeeds or throws korv::Error (number Error::Spreadsheet, or
// Error::FileNotFound for a missing file) with a Russian description that names what failed. A Calc
// that died or was closed by hand shows up the same way, never as a crash.
//
// Addresses: A1 text ("M7", "A1:U6", "G:G", "7:8") or zero-based row and column numbers.

#include "bookfiles/atomic_file.h"
#include "bookfiles/locks.h"
#include "spreadsheet/a1_address.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <atomic>
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

class SpreadsheetHost;
class Workbook;
class Sheet;

namespace detail {
struct Session;
struct BookRef;
struct SheetRef;
struct RangeRef;
} // namespace detail

class Range {
public:
    // Made by the host only: the detail types are not visible outside it.
    explicit Range(std::shared_ptr<detail::RangeRef> ref);

    // Zero-based bounds.
    int firstRow() const;
    int firstColumn() const;
    int lastRow() const;
    int lastColumn() const;
    int rowCount() const { return lastRow() - firstRow() + 1; }
    int columnCount() const { return lastColumn() - firstColumn() + 1; }
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
    void clear();         // everything
    // Copies values, formats, borders and merges to the block whose top-left cell is destTopLeft
    // (any sheet of the same workbook). Row heights are not copied; see Sheet::copyRows.
    void copyTo(const Range& destTopLeft) const;

    void addConditionalFormat(const ConditionalFormat& cf);
    void clearConditionalFormats();
    int conditionalFormatCount() const;

    Range offset(int rows, int columns) const;

    // How many blocks of one cell format each the range falls into (1: every cell formatted alike).
    int formatBlockCount() const;

private:
    friend class Sheet;
    friend class Workbook;
    std::shared_ptr<detail::RangeRef> d;
};

class Sheet {
public:
    // Made by the host only: the detail types are not visible outside it.
    explicit Sheet(std::shared_ptr<detail::SheetRef> ref);

    QString name() const;
    int index() const;
    Workbook workbook() const;

    Range range(const QString& text) const;
    Range cell(int row, int column) const;
    Range cells(int firstRow, int firstColumn, int lastRow, int lastColumn) const;

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

private:
    friend class Workbook;
    friend class Range;
    std::shared_ptr<detail::SheetRef> d;
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
    // Made by the host only: the detail types are not visible outside it.
    explicit Workbook(std::shared_ptr<detail::BookRef> ref);

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

    // A visible Calc window in front. Prefer SpreadsheetHost::openWorkbook(..., OpenMode::Shown) for a
    // workbook that is to be seen: LibreOffice 7.4 (GTK) has been seen to crash when the window of a
    // workbook loaded hidden takes the focus.
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

private:
    friend class SpreadsheetHost;
    friend class Sheet;
    friend class Range;
    std::shared_ptr<detail::BookRef> d;
};

class SpreadsheetHost {
public:
    enum class DisplayMode { Auto, Headless, Invisible };
    struct Options {
        // The private LibreOffice profile; created and seeded on first use. Empty: defaultProfileDir().
        QString profileDir;
        // The pipe the office accepts UNO connections on. Empty: derived from the profile directory.
        QString pipeName;
        // Auto: --invisible when DISPLAY is set, --headless otherwise.
        DisplayMode display = DisplayMode::Auto;
        // The office's window toolkit when it runs with a display. "gen" (plain X11) realises windows
        // several times faster than GTK and has proved steadier for windows of hidden workbooks.
        // Empty: LibreOffice's own choice. A SAL_USE_VCLPLUGIN set in the environment wins.
        QString vclPlugin = QStringLiteral("gen");
        // How long the office may take to answer after it was started.
        int startTimeoutMs = 60000;
        // The office's guard (korvelanta-office-guard): attaches only to an office that runs, counts as
        // no client of it, starts no guard, and on destruction only detaches.
        bool guard = false;
    };

    // One operation of the program on the office. While it lives, no other operation of any program on
    // this profile uses the office: the office's state between two calls is this operation's alone (two
    // programs driving one office at once have been seen to lose a record and to hang for good). When the
    // operation runs past its deadline the office is ended: the calls in flight fail with
    // Error::Timeout instead of waiting for ever, nothing unsaved reaches the disk, and the next attach
    // starts a new office.
    class Operation {
    public:
        ~Operation();
        Operation(const Operation&) = delete;
        Operation& operator=(const Operation&) = delete;
        struct State;

    private:
        friend class SpreadsheetHost;
        explicit Operation(std::unique_ptr<State> state);
        std::unique_ptr<State> d;
    };
    // Waits up to waitMs for other operations on this office (calling `waiting` once if it has to),
    // then arms the deadline of timeoutMs.
    [[nodiscard]] std::unique_ptr<Operation> beginOperation(int timeoutMs, int waitMs,
                                                            const ExclusiveLock::Waiting& waiting = {});

    SpreadsheetHost();
    explicit SpreadsheetHost(Options options);
    // Detaches. The last program attached to the office ends it, unless a workbook is shown in it:
    // an office another program still uses stays.
    ~SpreadsheetHost();
    SpreadsheetHost(const SpreadsheetHost&) = delete;
    SpreadsheetHost& operator=(const SpreadsheetHost&) = delete;

    // Connects to the office on this host's pipe, starting it when none answers. Cheap when attached.
    void attach();
    bool isAttached() const;
    // Attached and the office still answers (it may have died or been closed by hand).
    bool isAlive();
    // Releases every reference the host holds; the office keeps running.
    void detach();
    // Detaches and ends the office: gently, then by force if it does not go.
    void shutdown();

    // The process id of the office this host started; 0 when it attached to one it did not start.
    qint64 officePid() const;
    QString profileDir() const;
    QString pipeName() const;

    enum class OpenMode { Hidden, Shown };
    // Opens the workbook file, or returns it when this office already has it open. Shown: in a
    // visible Calc window in front (for viewing).
    Workbook openWorkbook(const QString& path, OpenMode mode = OpenMode::Hidden);
    // A new hidden workbook with one sheet.
    Workbook addWorkbook();
    // The open workbook of that name ("Korvelanta" for Korvelanta.xls), if any; never starts an office.
    std::optional<Workbook> findWorkbook(const QString& name);
    // Whether a workbook is shown in a visible window.
    bool anyWorkbookShown();
    // Closes the Start Center Calc turns its last window into when the pilot closes it; returns how many.
    int closeStartCenter();

    // How this office holds the file at `path` now.
    enum class Holding { NotLoaded, Hidden, Shown };
    Holding holding(const QString& path);
    // Closes unsaved every workbook the office holds hidden. During an Operation no live operation owns
    // one, so they are what programs that died in the middle of a change left behind; their changes
    // must never reach the disk. Shown workbooks (the pilot's viewing) stay. Returns how many it closed.
    int closeHiddenWorkbooks();
    // Opens the file hidden for a change, always loading it anew (never a document the office already
    // holds), and refuses, naming the cause, a file the office opens read-only, one it does not read as
    // a spreadsheet, or a damaged one.
    Workbook openForChange(const QString& path);

    static QString defaultProfileDir();
    // The file whose shared lock every program attached to the profile's office holds (a killed one's
    // goes with it): the guard ends the office once nobody holds it.
    static QString clientsLockFile(const QString& profileDir);

private:
    // Starts the guard process over the office this host has just started.
    void startGuard(qint64 officePid);
    // Holds this host's shared lock of the clients' file, opening it first.
    void holdClientsLock();
    std::shared_ptr<detail::Session> session() const;
    // Whether another program is attached to this office (the clients' shared lock).
    bool othersAttached();
    Options options_;
    std::shared_ptr<detail::Session> s_;
    // Seconds of the deadline an operation ran past, 0 while none did; shared with the sessions, whose
    // errors then say that the office did not answer.
    std::shared_ptr<std::atomic<int>> expired_ = std::make_shared<std::atomic<int>>(0);
    int clientsFd_ = -1; // the shared lock this host holds while attached
};

} // namespace korv::logbook
