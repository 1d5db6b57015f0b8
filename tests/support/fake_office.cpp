// The in-memory office of the tests. A workbook is plain state: sheets of sparse cells, formats in layers
// of column, row and cell, merged areas, pages. The handles' backends work on it as Calc works on its own
// documents, and a saved workbook is a file that begins with the OLE2 signature, then JSON.

#include "support/fake_office.h"

#include "bookfiles/atomic_file.h"
#include "bookfiles/locks.h"
#include "common/date_serial.h"
#include "common/minutes.h"
#include "spreadsheet/measures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

namespace korv::test {

using namespace korv::logbook;

namespace {

constexpr int kLastRow = FakeOffice::kLastRow;
constexpr int kLastColumn = FakeOffice::kLastColumn;
constexpr int kDefaultColumnWidthHmm = 2258;
constexpr double kDefaultRowHeight = 12.8;

const QByteArray kOle2Signature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
const QByteArray kFileHeader("korvelanta-fake-workbook 1\n");

bool inSheet(int row, int col) { return row >= 0 && row <= kLastRow && col >= 0 && col <= kLastColumn; }
bool wholeColumns(const CellBlock& b) { return b.firstRow == 0 && b.lastRow == kLastRow; }
bool wholeRows(const CellBlock& b) { return b.firstColumn == 0 && b.lastColumn == kLastColumn; }
bool holdsCell(const CellBlock& b, int row, int col) {
    return row >= b.firstRow && row <= b.lastRow && col >= b.firstColumn && col <= b.lastColumn;
}
bool liesIn(const CellBlock& b, const CellBlock& outer) {
    return b.firstRow >= outer.firstRow && b.lastRow <= outer.lastRow && b.firstColumn >= outer.firstColumn &&
           b.lastColumn <= outer.lastColumn;
}
bool intersects(const CellBlock& a, const CellBlock& b) {
    return a.firstRow <= b.lastRow && b.firstRow <= a.lastRow && a.firstColumn <= b.lastColumn &&
           b.firstColumn <= a.lastColumn;
}
CellBlock moved(CellBlock b, int rows, int cols) {
    return {b.firstRow + rows, b.firstColumn + cols, b.lastRow + rows, b.lastColumn + cols};
}
QString shortest(double v) { return QString::number(v, 'g', 15); }
Error spreadsheetError(const QString& text) { return Error(Error::Spreadsheet, text); }

// ---------------------------------------------------------------------------------------------------------
// Cell properties

// One slot per property a format or a border sets; the edges hold line weights.
enum Slot : int {
    FontName,
    FontSize,
    Bold,
    Italic,
    Underline,
    FontColor,
    HAlignSlot,
    VAlignSlot,
    Wrap,
    Shrink,
    OrientationSlot,
    Indent,
    NumberFormat,
    LeftEdge,
    TopEdge,
    RightEdge,
    BottomEdge,
    DiagonalDown,
    DiagonalUp,
    kSlotCount
};
constexpr int kFirstEdge = LeftEdge;
constexpr std::array<const char*, kSlotCount> kSlotNames = {
    "fontName", "fontSize", "bold",   "italic",       "underline", "fontColor",    "hAlign",
    "vAlign",   "wrap",     "shrink", "orientation",  "indent",    "numberFormat", "left",
    "top",      "right",    "bottom", "diagonalDown", "diagonalUp"};

// A property as set at one moment. Formatting a column or a row in Calc formats each of its cells, so of a
// cell's column, row and own setting the latest wins. An invalid value puts the default back (a cleared
// cell inside a formatted column).
struct Stamped {
    QVariant value;
    quint64 stamp = 0;
};
using Attrs = std::array<std::optional<Stamped>, kSlotCount>;
using SlotValues = std::vector<std::pair<int, QVariant>>;

QVariant typed(int slot, const QVariant& v) {
    if (!v.isValid() || v.isNull())
        return {};
    switch (slot) {
    case FontName:
    case NumberFormat:
        return v.toString();
    case FontSize:
        return v.toDouble();
    case Bold:
    case Italic:
    case Underline:
    case Wrap:
    case Shrink:
        return v.toBool();
    default:
        return v.toInt();
    }
}

bool hasAny(const Attrs& a) {
    return std::any_of(a.begin(), a.end(), [](const auto& s) { return s.has_value(); });
}

// Whether an empty cell counts into Calc's used area: a line drawn on it does (measured: a border on U11:U13
// makes 12 the last used row), unless its column draws the same line down to the sheet's end, which Calc
// does not count (the logbook's thick rule down column U, given again to a sheet's rows after they were
// cleared, leaves them unused); a font, a number format or a merge does not count.
bool shows(const Attrs& own, const Attrs& column) {
    for (int slot = kFirstEdge; slot < kSlotCount; ++slot) {
        if (!own[slot] || !own[slot]->value.isValid() || own[slot]->value.toInt() == int(LineWeight::None))
            continue;
        const auto& layer = column[slot];
        if (!layer || !layer->value.isValid() || layer->value.toInt() != own[slot]->value.toInt())
            return true;
    }
    return false;
}

SlotValues slotsOf(const CellFormat& f) {
    SlotValues v;
    if (f.fontName)
        v.emplace_back(FontName, *f.fontName);
    if (f.fontSize)
        v.emplace_back(FontSize, *f.fontSize);
    if (f.bold)
        v.emplace_back(Bold, *f.bold);
    if (f.italic)
        v.emplace_back(Italic, *f.italic);
    if (f.underline)
        v.emplace_back(Underline, *f.underline);
    if (f.fontColor)
        v.emplace_back(FontColor, *f.fontColor);
    if (f.hAlign)
        v.emplace_back(HAlignSlot, int(*f.hAlign));
    if (f.vAlign)
        v.emplace_back(VAlignSlot, int(*f.vAlign));
    if (f.wrap)
        v.emplace_back(Wrap, *f.wrap);
    if (f.shrink)
        v.emplace_back(Shrink, *f.shrink);
    if (f.orientation)
        v.emplace_back(OrientationSlot, int(*f.orientation));
    if (f.indent)
        v.emplace_back(Indent, *f.indent);
    if (f.numberFormat)
        v.emplace_back(NumberFormat, *f.numberFormat);
    return v;
}

// ---------------------------------------------------------------------------------------------------------
// Formulas: SUM over cells, ranges and numbers, the one function the logbook writes. References keep
// their sheet positions; the $ flags (or R1C1's absolute numbers) say what a copy leaves in place.

struct RefEnd {
    int row = 0;
    int col = 0;
    bool rowAbs = false;
    bool colAbs = false;
};

struct Term {
    enum class Kind { Number, Area, Broken };
    Kind kind = Kind::Broken;
    double number = 0;
    RefEnd first, last;
    bool range = false; // written "F7:F9" rather than "F7"
};

struct Formula {
    QString source; // as given: what formula() shows when it did not parse
    bool parsed = false;
    QString function;
    QList<Term> terms;
};

std::optional<RefEnd> parseRef(const QString& text, int row, int col, bool r1c1) {
    RefEnd e;
    if (!r1c1) {
        static const QRegularExpression a1Ref(QStringLiteral("^(\\$?)([A-Za-z]{1,3})(\\$?)(\\d{1,7})$"));
        const auto m = a1Ref.match(text);
        if (!m.hasMatch())
            return std::nullopt;
        int c = 0;
        for (const QChar ch : m.captured(2))
            c = c * 26 + (ch.toUpper().unicode() - u'A' + 1);
        e = {m.captured(4).toInt() - 1, c - 1, !m.captured(3).isEmpty(), !m.captured(1).isEmpty()};
    } else {
        static const QRegularExpression r1c1Ref(
            QStringLiteral("^[Rr](?:\\[([+-]?\\d{1,7})\\]|(\\d{1,7}))?[Cc](?:\\[([+-]?\\d{1,4})\\]|(\\d{1,4}))?$"));
        const auto m = r1c1Ref.match(text);
        if (!m.hasMatch())
            return std::nullopt;
        e.rowAbs = !m.captured(2).isEmpty();
        e.row = e.rowAbs ? m.captured(2).toInt() - 1 : row + m.captured(1).toInt();
        e.colAbs = !m.captured(4).isEmpty();
        e.col = e.colAbs ? m.captured(4).toInt() - 1 : col + m.captured(3).toInt();
    }
    if (!inSheet(e.row, e.col))
        return std::nullopt;
    return e;
}

// Excel's English grammar, "," or ";" between arguments; R1C1 references are relative to (row, col).
Formula parseFormula(const QString& text, int row, int col, bool r1c1) {
    Formula f;
    f.source = text;
    static const QRegularExpression call(QStringLiteral("^=\\s*([A-Za-z][A-Za-z0-9.]*)\\s*\\((.*)\\)\\s*$"));
    static const QRegularExpression separator(QStringLiteral("[,;]"));
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    const auto m = call.match(text.trimmed());
    if (!m.hasMatch() || m.captured(1).toUpper() != u"SUM")
        return f;
    QList<Term> terms;
    for (const QString& part : m.captured(2).split(separator)) {
        const QString arg = part.trimmed();
        Term t;
        if (arg == u"#REF!") {
            t.kind = Term::Kind::Broken;
        } else if (number.match(arg).hasMatch()) {
            t.kind = Term::Kind::Number;
            t.number = arg.toDouble();
        } else {
            const QStringList ends = arg.split(u':');
            if (ends.size() > 2)
                return f;
            const auto first = parseRef(ends.front(), row, col, r1c1);
            const auto last = parseRef(ends.back(), row, col, r1c1);
            if (!first || !last)
                return f;
            t.kind = Term::Kind::Area;
            t.range = ends.size() == 2;
            t.first = *first;
            t.last = *last;
            if (t.first.row > t.last.row) {
                std::swap(t.first.row, t.last.row);
                std::swap(t.first.rowAbs, t.last.rowAbs);
            }
            if (t.first.col > t.last.col) {
                std::swap(t.first.col, t.last.col);
                std::swap(t.first.colAbs, t.last.colAbs);
            }
        }
        terms << t;
    }
    f.function = QStringLiteral("SUM");
    f.terms = terms;
    f.parsed = true;
    return f;
}

QString refText(const RefEnd& e) {
    return (e.colAbs ? QStringLiteral("$") : QString()) + columnLetters(e.col) +
           (e.rowAbs ? QStringLiteral("$") : QString()) + QString::number(e.row + 1);
}

// As Calc's getFormula() gives it: A1 references, ";" between arguments.
QString formulaText(const Formula& f) {
    if (!f.parsed)
        return f.source;
    QStringList args;
    for (const Term& t : f.terms) {
        switch (t.kind) {
        case Term::Kind::Number:
            args << shortest(t.number);
            break;
        case Term::Kind::Broken:
            args << QStringLiteral("#REF!");
            break;
        case Term::Kind::Area:
            args << (t.range ? refText(t.first) + u':' + refText(t.last) : refText(t.first));
            break;
        }
    }
    return u'=' + f.function + u'(' + args.join(u';') + u')';
}

// The formula as it reads in a cell `rows` and `cols` away (a copy, or a formula entered over a range).
Formula shifted(Formula f, int rows, int cols) {
    if (!f.parsed || (rows == 0 && cols == 0))
        return f;
    for (Term& t : f.terms) {
        if (t.kind != Term::Kind::Area)
            continue;
        for (RefEnd* e : {&t.first, &t.last}) {
            e->row += e->rowAbs ? 0 : rows;
            e->col += e->colAbs ? 0 : cols;
            if (!inSheet(e->row, e->col))
                t.kind = Term::Kind::Broken;
        }
    }
    return f;
}

// A block after `n` rows were inserted at `at`: below, it moves down; across, it grows. Calc's references,
// merged areas and print ranges follow inserted rows so.
std::optional<CellBlock> afterInsert(CellBlock b, int at, int n) {
    if (b.firstRow >= at)
        b.firstRow += n;
    if (b.lastRow >= at)
        b.lastRow = std::min(b.lastRow + n, kLastRow);
    if (b.firstRow > kLastRow)
        return std::nullopt;
    return b;
}

// A block after rows at..at+n-1 were deleted: it shrinks by the rows it lost; nothing when it lost them all.
std::optional<CellBlock> afterDelete(CellBlock b, int at, int n) {
    const bool toEnd = b.lastRow == kLastRow; // a whole column stays one
    b.firstRow = b.firstRow < at ? b.firstRow : (b.firstRow >= at + n ? b.firstRow - n : at);
    b.lastRow = toEnd ? kLastRow : b.lastRow < at ? b.lastRow : (b.lastRow >= at + n ? b.lastRow - n : at - 1);
    if (b.firstRow > b.lastRow)
        return std::nullopt;
    return b;
}

void moveReferences(Formula& f, const std::function<std::optional<CellBlock>(const CellBlock&)>& move) {
    if (!f.parsed)
        return;
    for (Term& t : f.terms) {
        if (t.kind != Term::Kind::Area)
            continue;
        const auto b = move(CellBlock{t.first.row, t.first.col, t.last.row, t.last.col});
        if (!b) {
            t.kind = Term::Kind::Broken;
            continue;
        }
        t.first.row = b->firstRow;
        t.last.row = b->lastRow;
    }
}

// ---------------------------------------------------------------------------------------------------------
// Sheets and workbooks

struct Content {
    CellKind kind = CellKind::Empty;
    double number = 0;
    QString text;
    Formula formula;
};

struct Cell {
    Content content;
    Attrs attrs;
};

struct CellPos {
    int row = 0;
    int col = 0;
    // Row by row, as the map keeps them: a block's cells lie between its corners.
    friend bool operator<(const CellPos& a, const CellPos& b) {
        return std::tie(a.row, a.col) < std::tie(b.row, b.col);
    }
};

struct Condition {
    CellBlock block;
    ConditionalFormat format;
};

struct SheetState {
    QString name;
    std::map<CellPos, Cell> cells; // only cells holding something: a sheet has a million rows
    std::map<int, Attrs> columnAttrs, rowAttrs;
    QList<CellBlock> merges;
    std::map<int, int> columnWidths; // 1/100 mm, set ones
    std::map<int, int> rowHeights;   // 1/100 mm, custom ones
    std::map<int, int> hiddenRows;   // 1 for a hidden row
    bool protectedSheet = false;
    QList<Condition> conditions;
    std::optional<CellBlock> printArea;
    PageSetup pageSetup;
    std::optional<PageLayout> pageLayout;
    std::optional<std::pair<int, int>> frozen;
};

struct BookState;

} // namespace

struct FakeOfficeState {
    struct Failure {
        QString operation;
        int remaining;
        Error error;
    };
    QString profileDir;
    bool lost = false;
    quint64 life = 1; // a workbook of an earlier life died with the office
    int newBooks = 0;
    QHash<QString, int> calls;
    std::vector<Failure> failures;
    QList<std::shared_ptr<BookState>> books;
    int operationsHeld = 0;
    QStringList outsideOperations;

    // Counts the call; the error to throw when the test asked this call to fail.
    std::optional<Error> count(const QString& operation) {
        ++calls[operation];
        std::optional<Error> due;
        for (auto it = failures.begin(); it != failures.end();) {
            if (it->operation == operation && --it->remaining <= 0) {
                if (!due)
                    due = it->error;
                it = failures.erase(it);
            } else {
                ++it;
            }
        }
        return due;
    }
    static Error lostError(const QString& operation) {
        return Error(Error::Spreadsheet, QStringLiteral("LibreOffice Calc закрыт или не отвечает"), operation);
    }
    // An operation of the office: counted, refused while it is lost, failed on demand.
    void enter(const QString& operation) {
        const std::optional<Error> due = count(operation);
        if (operationsHeld == 0)
            outsideOperations << operation;
        if (lost)
            throw lostError(operation);
        if (due)
            throw *due;
    }
};

namespace {

struct BookState {
    std::shared_ptr<FakeOfficeState> office;
    quint64 life = 0;
    QString name, path;
    QList<std::shared_ptr<SheetState>> sheets;
    std::shared_ptr<SheetState> active;
    CellBlock selection;
    QString fontName = QStringLiteral("Liberation Sans"); // the Default cell style's
    double fontSize = 10;
    bool modified = false;
    bool visible = false;
    bool closed = false;
    quint64 lastStamp = 0;
    std::vector<std::function<void()>> closedCallbacks;

    quint64 stamp() { return ++lastStamp; }
    std::shared_ptr<SheetState> find(const QString& sheetName) const {
        for (const auto& s : sheets)
            if (s->name == sheetName)
                return s;
        return nullptr;
    }
    // Counts the call and refuses it as Calc would: the office gone, the workbook closed, a failure asked for.
    void enter(const QString& operation) const {
        const std::optional<Error> due = office->count(operation);
        if (office->lost || life != office->life)
            throw FakeOfficeState::lostError(operation);
        if (closed)
            throw spreadsheetError(QStringLiteral("Книга «") + name + QStringLiteral("» уже закрыта; не выполнено: ") +
                                   operation);
        if (due)
            throw *due;
    }
};

// By value: the caller's pointer may be the office's list item that this removes.
void closeBook(std::shared_ptr<BookState> b) { // NOLINT(performance-unnecessary-value-param)
    b->closed = true;
    b->office->books.removeAll(b);
    const auto callbacks = std::exchange(b->closedCallbacks, {});
    for (const auto& closed : callbacks)
        closed();
}

// ---------------------------------------------------------------------------------------------------------
// Cells

template <class Cells, class F>
void forEntries(Cells& cells, const CellBlock& k, F&& f) {
    for (auto it = cells.lower_bound(CellPos{k.firstRow, k.firstColumn});
         it != cells.end() && it->first.row <= k.lastRow; ++it) {
        if (it->first.col >= k.firstColumn && it->first.col <= k.lastColumn)
            f(it->first, it->second);
    }
}

std::vector<CellPos> entriesIn(const SheetState& s, const CellBlock& k) {
    std::vector<CellPos> out;
    forEntries(s.cells, k, [&](const CellPos& p, const Cell&) { out.push_back(p); });
    return out;
}

const Cell* cellAt(const SheetState& s, int row, int col) {
    const auto it = s.cells.find({row, col});
    return it == s.cells.end() ? nullptr : &it->second;
}

void tidy(SheetState& s, const CellPos& p) {
    const auto it = s.cells.find(p);
    if (it != s.cells.end() && it->second.content.kind == CellKind::Empty && !hasAny(it->second.attrs))
        s.cells.erase(it);
}

void putContent(SheetState& s, const CellPos& p, Content c) {
    if (c.kind != CellKind::Empty) {
        s.cells[p].content = std::move(c);
    } else if (const auto it = s.cells.find(p); it != s.cells.end()) {
        it->second.content = {};
        tidy(s, p);
    }
}

Content numberContent(double v) {
    Content c;
    c.kind = CellKind::Value;
    c.number = v;
    return c;
}

Content textContent(const QString& text) {
    Content c;
    if (!text.isEmpty()) {
        c.kind = CellKind::Text;
        c.text = text;
    }
    return c;
}

Content formulaContent(Formula f) {
    Content c;
    c.kind = CellKind::Formula;
    c.formula = std::move(f);
    return c;
}

// What setFormulas makes of a text typed into a cell, the en-US way.
Content typedContent(const QString& text, int row, int col) {
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\s*$"));
    static const QRegularExpression time(QStringLiteral("^\\s*(\\d{1,5}):([0-5]?\\d)\\s*$"));
    if (text.startsWith(u'='))
        return formulaContent(parseFormula(text, row, col, false));
    if (text.startsWith(u'\''))
        return textContent(text.mid(1));
    if (number.match(text).hasMatch())
        return numberContent(text.trimmed().toDouble());
    if (const auto m = time.match(text); m.hasMatch())
        return numberContent((m.captured(1).toInt() * 60 + m.captured(2).toInt()) / 1440.0);
    return textContent(text);
}

std::optional<double> evaluate(const SheetState& s, const Formula& f, std::set<CellPos>& visiting) {
    if (!f.parsed)
        return std::nullopt;
    double sum = 0;
    for (const Term& t : f.terms) {
        if (t.kind == Term::Kind::Broken)
            return std::nullopt;
        if (t.kind == Term::Kind::Number) {
            sum += t.number;
            continue;
        }
        bool failed = false;
        forEntries(s.cells, CellBlock{t.first.row, t.first.col, t.last.row, t.last.col},
                   [&](const CellPos& p, const Cell& c) {
                       if (failed)
                           return;
                       if (c.content.kind == CellKind::Value) {
                           sum += c.content.number;
                       } else if (c.content.kind == CellKind::Formula) {
                           if (!visiting.insert(p).second) { // a circular reference
                               failed = true;
                               return;
                           }
                           const std::optional<double> v = evaluate(s, c.content.formula, visiting);
                           visiting.erase(p);
                           failed = !v;
                           sum += v.value_or(0);
                       }
                   });
        if (failed)
            return std::nullopt;
    }
    return sum;
}

std::optional<double> formulaValue(const SheetState& s, const CellPos& p, const Formula& f) {
    std::set<CellPos> visiting{p};
    return evaluate(s, f, visiting);
}

// As a block read gives it: double, QString, an empty QString, or an invalid QVariant for an error.
QVariant blockValue(const SheetState& s, int row, int col) {
    const Cell* c = cellAt(s, row, col);
    if (!c)
        return QString();
    switch (c->content.kind) {
    case CellKind::Value:
        return c->content.number;
    case CellKind::Text:
        return c->content.text;
    case CellKind::Formula:
        if (const auto v = formulaValue(s, {row, col}, c->content.formula))
            return *v;
        return {};
    case CellKind::Empty:
        break;
    }
    return QString();
}

// The cell's text as shown; numbers in their shortest form, whatever their number format.
QString shownText(const SheetState& s, int row, int col) {
    const QVariant v = blockValue(s, row, col);
    if (!v.isValid()) {
        const Formula& f = cellAt(s, row, col)->content.formula;
        const bool broken =
            std::any_of(f.terms.begin(), f.terms.end(), [](const Term& t) { return t.kind == Term::Kind::Broken; });
        return !f.parsed ? QStringLiteral("#NAME?") : broken ? QStringLiteral("#REF!") : QStringLiteral("Err:522");
    }
    return v.typeId() == QMetaType::Double ? shortest(v.toDouble()) : v.toString();
}

// ---------------------------------------------------------------------------------------------------------
// Formats and borders

// ownToo false: what the column and row formats alone give the cell.
Attrs effective(const SheetState& s, int row, int col, bool ownToo = true) {
    std::array<const Attrs*, 3> layers{}; // column, row, cell: on a tie the later one wins
    if (const auto it = s.columnAttrs.find(col); it != s.columnAttrs.end())
        layers[0] = &it->second;
    if (const auto it = s.rowAttrs.find(row); it != s.rowAttrs.end())
        layers[1] = &it->second;
    if (const Cell* c = ownToo ? cellAt(s, row, col) : nullptr)
        layers[2] = &c->attrs;
    Attrs out;
    for (const Attrs* layer : layers) {
        if (!layer)
            continue;
        for (int slot = 0; slot < kSlotCount; ++slot) {
            const auto& a = (*layer)[slot];
            if (a && (!out[slot] || a->stamp >= out[slot]->stamp))
                out[slot] = a;
        }
    }
    return out;
}

QVariant slotValue(const Attrs& eff, int slot, const BookState& b) {
    if (eff[slot] && eff[slot]->value.isValid())
        return eff[slot]->value;
    switch (slot) {
    case FontName:
        return b.fontName;
    case FontSize:
        return b.fontSize;
    case NumberFormat:
        return QStringLiteral("General");
    case FontColor:
        return AutomaticColor;
    case Bold:
    case Italic:
    case Underline:
    case Wrap:
    case Shrink:
        return false;
    default:
        return 0; // HAlign::General, VAlign::Bottom, Horizontal, no indent, LineWeight::None
    }
}

CellFormat formatOf(const Attrs& eff, const BookState& b) {
    const auto v = [&](int slot) { return slotValue(eff, slot, b); };
    CellFormat f;
    f.fontName = v(FontName).toString();
    f.fontSize = v(FontSize).toDouble();
    f.bold = v(Bold).toBool();
    f.italic = v(Italic).toBool();
    f.underline = v(Underline).toBool();
    f.fontColor = v(FontColor).toInt();
    f.hAlign = HAlign(v(HAlignSlot).toInt());
    f.vAlign = VAlign(v(VAlignSlot).toInt());
    f.wrap = v(Wrap).toBool();
    f.shrink = v(Shrink).toBool();
    f.orientation = TextOrientation(v(OrientationSlot).toInt());
    f.indent = v(Indent).toInt();
    f.numberFormat = v(NumberFormat).toString();
    return f;
}

std::vector<QVariant> lookOf(const Attrs& eff, const BookState& b) {
    std::vector<QVariant> look;
    look.reserve(kSlotCount);
    for (int slot = 0; slot < kSlotCount; ++slot)
        look.push_back(slotValue(eff, slot, b));
    return look;
}

// Sets the values on every cell of the block: on whole columns and whole rows as their own formats, so that
// "G:J" makes no million cells. emptyOnly leaves cells holding a value or formula as they look now.
void applySlots(SheetState& s, BookState& b, const CellBlock& k, const SlotValues& values, bool emptyOnly) {
    if (values.empty())
        return;
    const quint64 stamp = b.stamp();
    const auto put = [&](Attrs& a) {
        for (const auto& [slot, v] : values)
            a[slot] = Stamped{typed(slot, v), stamp};
    };
    if (wholeColumns(k) || wholeRows(k)) {
        std::vector<std::pair<CellPos, Attrs>> keep;
        if (emptyOnly)
            forEntries(s.cells, k, [&](const CellPos& p, const Cell& c) {
                if (c.content.kind != CellKind::Empty)
                    keep.emplace_back(p, effective(s, p.row, p.col));
            });
        if (wholeColumns(k)) {
            for (int c = k.firstColumn; c <= k.lastColumn; ++c)
                put(s.columnAttrs[c]);
        } else {
            for (int r = k.firstRow; r <= k.lastRow; ++r)
                put(s.rowAttrs[r]);
        }
        const quint64 again = b.stamp();
        for (const auto& [p, before] : keep) {
            Attrs& a = s.cells[p].attrs;
            for (const auto& [slot, v] : values)
                a[slot] = Stamped{before[slot] ? before[slot]->value : QVariant(), again};
        }
        return;
    }
    for (int r = k.firstRow; r <= k.lastRow; ++r) {
        for (int c = k.firstColumn; c <= k.lastColumn; ++c) {
            const Cell* cell = cellAt(s, r, c);
            if (!emptyOnly || !cell || cell->content.kind == CellKind::Empty)
                put(s.cells[{r, c}].attrs);
        }
    }
}

void setLine(Attrs& a, int slot, const std::optional<LineWeight>& w, quint64 stamp) {
    if (w)
        a[slot] = Stamped{int(*w), stamp};
}

// Outer members on the block's outer edges, insideH/insideV between its cells; unset members leave lines
// as they are. Whole columns and rows keep their lines as column and row formats.
void setBorders(SheetState& s, BookState& b, const CellBlock& k, const Borders& w) {
    const bool columns = wholeColumns(k);
    const bool rows = !columns && wholeRows(k);
    if (!columns && !rows) {
        const quint64 stamp = b.stamp();
        for (int r = k.firstRow; r <= k.lastRow; ++r) {
            for (int c = k.firstColumn; c <= k.lastColumn; ++c) {
                Attrs& a = s.cells[{r, c}].attrs;
                setLine(a, LeftEdge, c == k.firstColumn ? w.left : w.insideV, stamp);
                setLine(a, RightEdge, c == k.lastColumn ? w.right : w.insideV, stamp);
                setLine(a, TopEdge, r == k.firstRow ? w.top : w.insideH, stamp);
                setLine(a, BottomEdge, r == k.lastRow ? w.bottom : w.insideH, stamp);
                setLine(a, DiagonalDown, w.diagonalDown, stamp);
                setLine(a, DiagonalUp, w.diagonalUp, stamp);
                tidy(s, {r, c});
            }
        }
        return;
    }
    // The layer sets the inner lines of every column (row); the sheet's first and last cells of each take
    // the outer line, or keep the line they had where only an inner one was given.
    const int from = columns ? k.firstColumn : k.firstRow;
    const int to = columns ? k.lastColumn : k.lastRow;
    const int innerLow = columns ? TopEdge : LeftEdge, innerHigh = columns ? BottomEdge : RightEdge;
    const int sideLow = columns ? LeftEdge : TopEdge, sideHigh = columns ? RightEdge : BottomEdge;
    const std::optional<LineWeight> inner = columns ? w.insideH : w.insideV, across = columns ? w.insideV : w.insideH;
    const std::optional<LineWeight> outerLow = columns ? w.top : w.left, outerHigh = columns ? w.bottom : w.right;
    const std::optional<LineWeight> low = columns ? w.left : w.top, high = columns ? w.right : w.bottom;
    const int last = columns ? kLastRow : kLastColumn;
    const auto at = [&](int i, int end) { return columns ? CellPos{end, i} : CellPos{i, end}; };
    std::vector<std::pair<std::optional<Stamped>, std::optional<Stamped>>> before;
    for (int i = from; i <= to; ++i)
        before.emplace_back(effective(s, at(i, 0).row, at(i, 0).col)[innerLow],
                            effective(s, at(i, last).row, at(i, last).col)[innerHigh]);
    const quint64 stamp = b.stamp();
    for (int i = from; i <= to; ++i) {
        Attrs& a = columns ? s.columnAttrs[i] : s.rowAttrs[i];
        setLine(a, sideLow, i == from ? low : across, stamp);
        setLine(a, sideHigh, i == to ? high : across, stamp);
        setLine(a, innerLow, inner, stamp);
        setLine(a, innerHigh, inner, stamp);
        setLine(a, DiagonalDown, w.diagonalDown, stamp);
        setLine(a, DiagonalUp, w.diagonalUp, stamp);
    }
    const quint64 ends = b.stamp();
    const auto end = [&](int i, int pos, int slot, const std::optional<LineWeight>& outer,
                         const std::optional<Stamped>& had) {
        if (!outer && !inner)
            return;
        const QVariant v = outer ? QVariant(int(*outer)) : had ? had->value : QVariant();
        s.cells[at(i, pos)].attrs[slot] = Stamped{v, ends};
    };
    for (int i = from; i <= to; ++i) {
        end(i, 0, innerLow, outerLow, before[size_t(i - from)].first);
        end(i, last, innerHigh, outerHigh, before[size_t(i - from)].second);
    }
}

Borders bordersOf(const SheetState& s, const CellBlock& k) {
    const Attrs eff = effective(s, k.firstRow, k.firstColumn);
    const auto line = [&](int slot) {
        return eff[slot] && eff[slot]->value.isValid() ? LineWeight(eff[slot]->value.toInt()) : LineWeight::None;
    };
    Borders b;
    b.left = line(LeftEdge);
    b.top = line(TopEdge);
    b.right = line(RightEdge);
    b.bottom = line(BottomEdge);
    b.diagonalDown = line(DiagonalDown);
    b.diagonalUp = line(DiagonalUp);
    b.insideH = k.lastRow > k.firstRow ? line(BottomEdge) : LineWeight::None;
    b.insideV = k.lastColumn > k.firstColumn ? line(RightEdge) : LineWeight::None;
    return b;
}

// An approximation of Calc's count of same-format blocks: the distinct looks among the cells. Beyond a size,
// the cells looked at are the ones set one by one and the crossings of column and row formats.
int formatBlockCount(const SheetState& s, const BookState& b, const CellBlock& k) {
    std::vector<std::vector<QVariant>> seen;
    const auto note = [&](int r, int c) {
        std::vector<QVariant> look = lookOf(effective(s, r, c), b);
        if (std::find(seen.begin(), seen.end(), look) == seen.end())
            seen.push_back(std::move(look));
    };
    if (qint64(k.lastRow - k.firstRow + 1) * (k.lastColumn - k.firstColumn + 1) <= 100000) {
        for (int r = k.firstRow; r <= k.lastRow; ++r)
            for (int c = k.firstColumn; c <= k.lastColumn; ++c)
                note(r, c);
        return int(seen.size());
    }
    const auto picks = [](const std::map<int, Attrs>& layers, int from, int to) {
        std::vector<int> out;
        for (auto it = layers.lower_bound(from); it != layers.end() && it->first <= to; ++it)
            out.push_back(it->first);
        for (int i = from; i <= to; ++i) {
            if (!layers.count(i)) {
                out.push_back(i);
                break;
            }
        }
        return out;
    };
    for (int r : picks(s.rowAttrs, k.firstRow, k.lastRow))
        for (int c : picks(s.columnAttrs, k.firstColumn, k.lastColumn))
            note(r, c);
    forEntries(s.cells, k, [&](const CellPos& p, const Cell&) { note(p.row, p.col); });
    return int(seen.size());
}

// ---------------------------------------------------------------------------------------------------------
// Merges, clearing, copying, rows

void mergeBlock(SheetState& s, const CellBlock& k) {
    if (k.firstRow == k.lastRow && k.firstColumn == k.lastColumn)
        return;
    for (const CellBlock& m : s.merges)
        if (intersects(m, k) && !liesIn(m, k))
            throw spreadsheetError(
                QStringLiteral("Объединение %1 пересекает объединённые ячейки %2").arg(a1(k), a1(m)));
    s.merges.removeIf([&](const CellBlock& m) { return liesIn(m, k); }); // absorbed, as Calc does
    s.merges << k;
}

CellBlock mergedAreaOf(const SheetState& s, int row, int col) {
    for (const CellBlock& m : s.merges)
        if (holdsCell(m, row, col))
            return m;
    return {row, col, row, col};
}

// Calc's cursor grows once, by the merged areas the range touches: an area the grown range reaches into in
// turn does not grow it further (measured: A53:V56 touching V52:V53, beside A51:A52, gives A52:V56).
CellBlock spanOf(const SheetState& s, const CellBlock& k) {
    CellBlock out = k;
    for (const CellBlock& m : s.merges) {
        if (!intersects(m, k))
            continue;
        out = {std::min(out.firstRow, m.firstRow), std::min(out.firstColumn, m.firstColumn),
               std::max(out.lastRow, m.lastRow), std::max(out.lastColumn, m.lastColumn)};
    }
    return out;
}

void clearContents(SheetState& s, const CellBlock& k) {
    for (const CellPos& p : entriesIn(s, k))
        putContent(s, p, {});
}

// Everything in the block goes. Calc keeps column and row formats as formats of each cell, so the cleared
// cells lose those too: whole columns (rows) are reset as such, other cells one by one where a column or
// row format reaches them.
void clearAll(SheetState& s, BookState& b, const CellBlock& k) {
    s.merges.removeIf([&](const CellBlock& m) { return liesIn(m, k); });
    s.conditions.removeIf([&](const Condition& c) { return liesIn(c.block, k); });
    for (const CellPos& p : entriesIn(s, k))
        s.cells.erase(p);
    const quint64 stamp = b.stamp();
    const auto reset = [&](Attrs& a, const Attrs* which) {
        for (int slot = 0; slot < kSlotCount; ++slot)
            if (!which || (*which)[slot])
                a[slot] = Stamped{QVariant(), stamp};
    };
    if (wholeColumns(k)) {
        for (int c = k.firstColumn; c <= k.lastColumn; ++c)
            reset(s.columnAttrs[c], nullptr);
        return;
    }
    if (wholeRows(k)) {
        for (int r = k.firstRow; r <= k.lastRow; ++r)
            reset(s.rowAttrs[r], nullptr);
        return;
    }
    const auto columnLayer = s.columnAttrs.lower_bound(k.firstColumn);
    const auto rowLayer = s.rowAttrs.lower_bound(k.firstRow);
    const bool reached = (columnLayer != s.columnAttrs.end() && columnLayer->first <= k.lastColumn) ||
                         (rowLayer != s.rowAttrs.end() && rowLayer->first <= k.lastRow);
    if (!reached)
        return;
    for (int r = k.firstRow; r <= k.lastRow; ++r) {
        for (int c = k.firstColumn; c <= k.lastColumn; ++c) {
            Attrs layers;
            for (const auto* map : {&s.columnAttrs, &s.rowAttrs})
                if (const auto it = map->find(map == &s.columnAttrs ? c : r); it != map->end())
                    for (int slot = 0; slot < kSlotCount; ++slot)
                        if (it->second[slot])
                            layers[slot] = it->second[slot];
            if (hasAny(layers))
                reset(s.cells[{r, c}].attrs, &layers);
        }
    }
}

// Calc's copyRange: values, formulas (relative references keep their offsets), formats, borders, merged
// areas and conditional formats lying in the source, over the block of the same size at (row, col).
void copyBlock(const SheetState& from, const CellBlock& k, SheetState& to, int row, int col, BookState& b) {
    const int dr = row - k.firstRow, dc = col - k.firstColumn;
    const CellBlock dest = moved(k, dr, dc);
    if (!inSheet(dest.firstRow, dest.firstColumn) || !inSheet(dest.lastRow, dest.lastColumn))
        throw spreadsheetError(QStringLiteral("Копия %1 не помещается на лист начиная с %2").arg(a1(k), a1(row, col)));
    const bool columns = wholeColumns(k), rows = !columns && wholeRows(k);
    const auto shiftedContent = [&](Content c) {
        if (c.kind == CellKind::Formula)
            c.formula = shifted(c.formula, dr, dc);
        return c;
    };
    // Everything is read before anything is written: the blocks may overlap.
    std::vector<std::pair<CellPos, Cell>> copied;
    std::map<int, Attrs> layers;
    if (columns || rows) {
        // Whole columns (rows) carry their own formats, and their cells as they are.
        const auto& source = columns ? from.columnAttrs : from.rowAttrs;
        const int first = columns ? k.firstColumn : k.firstRow, last = columns ? k.lastColumn : k.lastRow;
        for (auto it = source.lower_bound(first); it != source.end() && it->first <= last; ++it)
            layers[it->first + (columns ? dc : dr)] = it->second;
        forEntries(from.cells, k, [&](const CellPos& p, const Cell& c) {
            copied.emplace_back(CellPos{p.row + dr, p.col + dc}, Cell{shiftedContent(c.content), c.attrs});
        });
    } else {
        const quint64 stamp = b.stamp();
        for (int r = k.firstRow; r <= k.lastRow; ++r) {
            for (int c = k.firstColumn; c <= k.lastColumn; ++c) {
                const Cell* src = cellAt(from, r, c);
                Cell cell{src ? shiftedContent(src->content) : Content{}, {}};
                const Attrs eff = effective(from, r, c);
                const Attrs there = effective(to, r + dr, c + dc, false);
                for (int slot = 0; slot < kSlotCount; ++slot) {
                    if (eff[slot] && eff[slot]->value.isValid())
                        cell.attrs[slot] = Stamped{eff[slot]->value, stamp};
                    else if (there[slot])
                        cell.attrs[slot] = Stamped{QVariant(), stamp}; // the destination's formats give way
                }
                if (cell.content.kind != CellKind::Empty || hasAny(cell.attrs))
                    copied.emplace_back(CellPos{r + dr, c + dc}, std::move(cell));
            }
        }
    }
    QList<CellBlock> merges;
    for (const CellBlock& m : from.merges)
        if (liesIn(m, k))
            merges << moved(m, dr, dc);
    QList<Condition> conditions;
    for (const Condition& c : from.conditions)
        if (liesIn(c.block, k))
            conditions << Condition{moved(c.block, dr, dc), c.format};

    for (const CellPos& p : entriesIn(to, dest))
        to.cells.erase(p);
    if (columns || rows) {
        auto& target = columns ? to.columnAttrs : to.rowAttrs;
        const int first = columns ? dest.firstColumn : dest.firstRow, last = columns ? dest.lastColumn : dest.lastRow;
        target.erase(target.lower_bound(first), target.upper_bound(last));
        target.insert(layers.begin(), layers.end());
    }
    for (auto& [p, c] : copied)
        to.cells[p] = std::move(c);
    to.merges.removeIf([&](const CellBlock& m) { return liesIn(m, dest); });
    to.merges << merges;
    to.conditions << conditions;
}

template <class T>
void insertKeys(std::map<int, T>& m, int at, int n) {
    std::map<int, T> out;
    for (auto& [k, v] : m)
        if (const int key = k >= at ? k + n : k; key <= kLastRow)
            out.emplace(key, std::move(v));
    // The new rows take what the row above has, as Calc's inserted rows do.
    if (const auto above = out.find(at - 1); at > 0 && above != out.end()) {
        const T copy = above->second;
        for (int r = at; r < at + n && r <= kLastRow; ++r)
            out[r] = copy;
    }
    m = std::move(out);
}

template <class T>
void deleteKeys(std::map<int, T>& m, int at, int n) {
    std::map<int, T> out;
    for (auto& [k, v] : m) {
        if (k < at)
            out.emplace(k, std::move(v));
        else if (k >= at + n)
            out.emplace(k - n, std::move(v));
    }
    m = std::move(out);
}

void moveBlocks(SheetState& s, bool dropSingleMerges,
                const std::function<std::optional<CellBlock>(const CellBlock&)>& move) {
    QList<CellBlock> merges;
    for (const CellBlock& m : std::as_const(s.merges))
        if (const auto b = move(m);
            b && !(dropSingleMerges && b->firstRow == b->lastRow && b->firstColumn == b->lastColumn))
            merges << *b;
    s.merges = merges;
    QList<Condition> conditions;
    for (const Condition& c : std::as_const(s.conditions))
        if (const auto b = move(c.block))
            conditions << Condition{*b, c.format};
    s.conditions = conditions;
    if (s.printArea)
        s.printArea = move(*s.printArea);
    // Formulas refer to this sheet only; their references follow the rows as Calc's do.
    for (auto& [p, c] : s.cells)
        if (c.content.kind == CellKind::Formula)
            moveReferences(c.content.formula, move);
}

void insertRows(SheetState& s, int at, int n) {
    if (n < 1 || at < 0 || at > kLastRow)
        throw spreadsheetError(QStringLiteral("Недопустимая вставка %1 строк перед строкой %2").arg(n).arg(at + 1));
    // Calc pushes no content off the sheet's end; formats there just go.
    for (auto it = s.cells.lower_bound({kLastRow - n + 1, 0}); it != s.cells.end(); ++it)
        if (it->second.content.kind != CellKind::Empty)
            throw spreadsheetError(QStringLiteral("Вставка строк вытеснила бы данные за конец листа"));
    std::map<CellPos, Cell> cells;
    for (auto& [p, c] : s.cells)
        if (const CellPos q{p.row >= at ? p.row + n : p.row, p.col}; q.row <= kLastRow)
            cells.emplace_hint(cells.end(), q, std::move(c));
    // The new rows take the formats of the row above: not its values, not its merges.
    if (at > 0) {
        std::vector<std::pair<int, Attrs>> above;
        forEntries(cells, CellBlock{at - 1, 0, at - 1, kLastColumn}, [&](const CellPos& p, const Cell& c) {
            if (hasAny(c.attrs))
                above.emplace_back(p.col, c.attrs);
        });
        for (int r = at; r < at + n && r <= kLastRow; ++r)
            for (const auto& [col, a] : above)
                cells[{r, col}].attrs = a;
    }
    s.cells = std::move(cells);
    insertKeys(s.rowAttrs, at, n);
    insertKeys(s.rowHeights, at, n);
    insertKeys(s.hiddenRows, at, n);
    moveBlocks(s, false, [&](const CellBlock& b) { return afterInsert(b, at, n); });
}

void deleteRows(SheetState& s, int at, int n) {
    if (n < 1 || at < 0 || at + n - 1 > kLastRow)
        throw spreadsheetError(
            QStringLiteral("Недопустимое удаление %1 строк начиная со строки %2").arg(n).arg(at + 1));
    std::map<CellPos, Cell> cells;
    for (auto& [p, c] : s.cells) {
        if (p.row < at)
            cells.emplace_hint(cells.end(), p, std::move(c));
        else if (p.row >= at + n)
            cells.emplace_hint(cells.end(), CellPos{p.row - n, p.col}, std::move(c));
    }
    s.cells = std::move(cells);
    deleteKeys(s.rowAttrs, at, n);
    deleteKeys(s.rowHeights, at, n);
    deleteKeys(s.hiddenRows, at, n);
    moveBlocks(s, true, [&](const CellBlock& b) { return afterDelete(b, at, n); });
}

int lastUsedRow(const SheetState& s) {
    static const Attrs none;
    const auto last = std::find_if(s.cells.rbegin(), s.cells.rend(), [&](const auto& entry) {
        const auto column = s.columnAttrs.find(entry.first.col);
        return entry.second.content.kind != CellKind::Empty ||
               shows(entry.second.attrs, column == s.columnAttrs.end() ? none : column->second);
    });
    return last == s.cells.rend() ? -1 : last->first.row;
}

QString printAreaText(const SheetState& s) {
    // As the program's office reads it back: both corners, no $.
    return s.printArea ? a1(s.printArea->firstRow, s.printArea->firstColumn) + u':' +
                             a1(s.printArea->lastRow, s.printArea->lastColumn)
                       : QString();
}

// ---------------------------------------------------------------------------------------------------------
// Files

QJsonArray blockJson(const CellBlock& b) { return {b.firstRow, b.firstColumn, b.lastRow, b.lastColumn}; }
CellBlock blockFrom(const QJsonValue& v) {
    const QJsonArray a = v.toArray();
    return {a.at(0).toInt(), a.at(1).toInt(), a.at(2).toInt(), a.at(3).toInt()};
}

QJsonObject attrsJson(const Attrs& a) {
    QJsonObject o;
    for (int slot = 0; slot < kSlotCount; ++slot)
        if (a[slot])
            o.insert(QLatin1String(kSlotNames[size_t(slot)]),
                     QJsonArray{QJsonValue::fromVariant(a[slot]->value), double(a[slot]->stamp)});
    return o;
}

Attrs attrsFrom(const QJsonObject& o, BookState& b) {
    Attrs a;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const QJsonValue v = o.value(QLatin1String(kSlotNames[size_t(slot)]));
        if (!v.isArray())
            continue;
        const quint64 stamp = quint64(v.toArray().at(1).toDouble());
        a[slot] = Stamped{typed(slot, v.toArray().at(0).toVariant()), stamp};
        b.lastStamp = std::max(b.lastStamp, stamp);
    }
    return a;
}

template <class T, class F>
QJsonArray layersJson(const std::map<int, T>& m, F&& value) {
    QJsonArray out;
    for (const auto& [k, v] : m)
        out.append(QJsonArray{k, value(v)});
    return out;
}

QJsonObject sheetJson(const SheetState& s) {
    QJsonArray cells;
    for (const auto& [p, c] : s.cells) {
        QJsonObject o{{QStringLiteral("r"), p.row}, {QStringLiteral("c"), p.col}};
        if (c.content.kind == CellKind::Value)
            o.insert(QStringLiteral("n"), c.content.number);
        else if (c.content.kind == CellKind::Text)
            o.insert(QStringLiteral("t"), c.content.text);
        else if (c.content.kind == CellKind::Formula)
            o.insert(QStringLiteral("f"), formulaText(c.content.formula));
        if (hasAny(c.attrs))
            o.insert(QStringLiteral("a"), attrsJson(c.attrs));
        cells.append(o);
    }
    QJsonArray merges, conditions;
    for (const CellBlock& m : s.merges)
        merges.append(blockJson(m));
    for (const Condition& c : s.conditions) {
        QJsonObject o{{QStringLiteral("block"), blockJson(c.block)},
                      {QStringLiteral("op"), int(c.format.op)},
                      {QStringLiteral("formula1"), c.format.formula1},
                      {QStringLiteral("formula2"), c.format.formula2}};
        if (c.format.fontColor)
            o.insert(QStringLiteral("fontColor"), *c.format.fontColor);
        if (c.format.bold)
            o.insert(QStringLiteral("bold"), *c.format.bold);
        conditions.append(o);
    }
    const auto plain = [](int v) { return QJsonValue(v); };
    QJsonObject o{{QStringLiteral("name"), s.name},
                  {QStringLiteral("cells"), cells},
                  {QStringLiteral("columnFormats"), layersJson(s.columnAttrs, attrsJson)},
                  {QStringLiteral("rowFormats"), layersJson(s.rowAttrs, attrsJson)},
                  {QStringLiteral("merges"), merges},
                  {QStringLiteral("columnWidths"), layersJson(s.columnWidths, plain)},
                  {QStringLiteral("rowHeights"), layersJson(s.rowHeights, plain)},
                  {QStringLiteral("hiddenRows"), layersJson(s.hiddenRows, plain)},
                  {QStringLiteral("conditions"), conditions},
                  {QStringLiteral("pageSetup"),
                   QJsonArray{s.pageSetup.headerAndFooter, s.pageSetup.fitPagesWide, s.pageSetup.fitPagesTall}}};
    if (s.printArea)
        o.insert(QStringLiteral("printArea"), blockJson(*s.printArea));
    if (s.pageLayout)
        o.insert(QStringLiteral("pageLayout"), QJsonArray{s.pageLayout->fitPagesWide, s.pageLayout->repeatedRows,
                                                          s.pageLayout->footerLeft, s.pageLayout->footerRight});
    if (s.frozen)
        o.insert(QStringLiteral("frozen"), QJsonArray{s.frozen->first, s.frozen->second});
    if (s.protectedSheet)
        o.insert(QStringLiteral("protected"), true);
    return o;
}

std::shared_ptr<SheetState> sheetFrom(const QJsonObject& o, BookState& b) {
    auto s = std::make_shared<SheetState>();
    s->name = o.value(QStringLiteral("name")).toString();
    s->protectedSheet = o.value(QStringLiteral("protected")).toBool();
    for (const auto& v : o.value(QStringLiteral("cells")).toArray()) {
        const QJsonObject c = v.toObject();
        const CellPos p{c.value(QStringLiteral("r")).toInt(), c.value(QStringLiteral("c")).toInt()};
        Cell cell;
        if (c.contains(QStringLiteral("n")))
            cell.content = numberContent(c.value(QStringLiteral("n")).toDouble());
        else if (c.contains(QStringLiteral("t")))
            cell.content = textContent(c.value(QStringLiteral("t")).toString());
        else if (c.contains(QStringLiteral("f")))
            cell.content = formulaContent(parseFormula(c.value(QStringLiteral("f")).toString(), p.row, p.col, false));
        cell.attrs = attrsFrom(c.value(QStringLiteral("a")).toObject(), b);
        s->cells[p] = std::move(cell);
    }
    for (const auto& [key, layers] : {std::pair(QStringLiteral("columnFormats"), &s->columnAttrs),
                                      std::pair(QStringLiteral("rowFormats"), &s->rowAttrs)})
        for (const auto& v : o.value(key).toArray())
            (*layers)[v.toArray().at(0).toInt()] = attrsFrom(v.toArray().at(1).toObject(), b);
    for (const auto& [key, sizes] : {std::pair(QStringLiteral("columnWidths"), &s->columnWidths),
                                     std::pair(QStringLiteral("rowHeights"), &s->rowHeights),
                                     std::pair(QStringLiteral("hiddenRows"), &s->hiddenRows)})
        for (const auto& v : o.value(key).toArray())
            (*sizes)[v.toArray().at(0).toInt()] = v.toArray().at(1).toInt();
    for (const auto& v : o.value(QStringLiteral("merges")).toArray())
        s->merges << blockFrom(v);
    for (const auto& v : o.value(QStringLiteral("conditions")).toArray()) {
        const QJsonObject c = v.toObject();
        ConditionalFormat f;
        f.op = ConditionOperator(c.value(QStringLiteral("op")).toInt());
        f.formula1 = c.value(QStringLiteral("formula1")).toString();
        f.formula2 = c.value(QStringLiteral("formula2")).toString();
        if (c.contains(QStringLiteral("fontColor")))
            f.fontColor = c.value(QStringLiteral("fontColor")).toInt();
        if (c.contains(QStringLiteral("bold")))
            f.bold = c.value(QStringLiteral("bold")).toBool();
        s->conditions << Condition{blockFrom(c.value(QStringLiteral("block"))), f};
    }
    const QJsonArray setup = o.value(QStringLiteral("pageSetup")).toArray();
    s->pageSetup = {setup.at(0).toBool(), setup.at(1).toInt(), setup.at(2).toInt()};
    if (o.contains(QStringLiteral("printArea")))
        s->printArea = blockFrom(o.value(QStringLiteral("printArea")));
    if (const QJsonArray l = o.value(QStringLiteral("pageLayout")).toArray(); !l.isEmpty())
        s->pageLayout = PageLayout{l.at(0).toInt(), l.at(1).toInt(), l.at(2).toString(), l.at(3).toString()};
    if (const QJsonArray f = o.value(QStringLiteral("frozen")).toArray(); !f.isEmpty())
        s->frozen = std::pair(f.at(0).toInt(), f.at(1).toInt());
    return s;
}

QByteArray fileBytes(const BookState& b) {
    QJsonArray sheets;
    for (const auto& s : b.sheets)
        sheets.append(sheetJson(*s));
    const QJsonObject o{{QStringLiteral("sheets"), sheets},
                        {QStringLiteral("active"), int(b.sheets.indexOf(b.active))},
                        {QStringLiteral("selection"), blockJson(b.selection)},
                        {QStringLiteral("font"), QJsonArray{b.fontName, b.fontSize}}};
    return kOle2Signature + kFileHeader + QJsonDocument(o).toJson(QJsonDocument::Compact);
}

// The workbook in the file, not yet open in the office; nothing when the file is no fake workbook.
std::shared_ptr<BookState> readBook(const std::shared_ptr<FakeOfficeState>& office, const QString& abs) {
    QFile f(abs);
    if (!f.open(QIODevice::ReadOnly))
        return nullptr;
    const QByteArray bytes = f.readAll();
    const QByteArray prefix = kOle2Signature + kFileHeader;
    if (!bytes.startsWith(prefix))
        return nullptr;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes.mid(prefix.size()), &error);
    const QJsonArray sheets = doc.object().value(QStringLiteral("sheets")).toArray();
    if (error.error != QJsonParseError::NoError || !doc.isObject() || sheets.isEmpty())
        return nullptr;
    auto b = std::make_shared<BookState>();
    b->office = office;
    b->life = office->life;
    b->path = abs;
    b->name = QFileInfo(abs).completeBaseName();
    for (const auto& v : sheets) {
        if (!v.isObject() || v.toObject().value(QStringLiteral("name")).toString().isEmpty())
            return nullptr;
        b->sheets << sheetFrom(v.toObject(), *b);
    }
    const QJsonObject o = doc.object();
    b->active = b->sheets.value(o.value(QStringLiteral("active")).toInt(), b->sheets.front());
    b->selection = blockFrom(o.value(QStringLiteral("selection")));
    b->fontName = o.value(QStringLiteral("font")).toArray().at(0).toString(b->fontName);
    b->fontSize = o.value(QStringLiteral("font")).toArray().at(1).toDouble(b->fontSize);
    return b;
}

void writeAtomically(const QString& path, ReplacePolicy policy, const QByteArray& bytes) {
    AtomicReplacement file(path, policy);
    QFile f(file.temporaryPath());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size() || !f.flush())
        throw Error(Error::FileAccess, QStringLiteral("Не удалось записать файл ") + file.targetPath(),
                    f.errorString());
    f.close();
    file.commit();
}

// ---------------------------------------------------------------------------------------------------------
// The backends

class FakeRange;
class FakeSheet;
class FakeWorkbook;

Range makeRange(const std::shared_ptr<BookState>& b, const std::shared_ptr<SheetState>& s, const CellBlock& k);
Sheet makeSheet(const std::shared_ptr<BookState>& b, const std::shared_ptr<SheetState>& s);
Workbook makeWorkbook(const std::shared_ptr<BookState>& b);

std::optional<CellBlock> blockOfText(const QString& text) {
    const std::optional<CellBlock> b = parseA1(text, kLastRow, kLastColumn);
    if (!b || !inSheet(b->lastRow, b->lastColumn))
        return std::nullopt;
    return b;
}

CellBlock requireBlock(const QString& text) {
    if (const auto b = blockOfText(text))
        return *b;
    throw spreadsheetError(QStringLiteral("Недопустимый адрес диапазона «") + text + QStringLiteral("»"));
}

class FakeRange final : public RangeBackend {
public:
    FakeRange(std::shared_ptr<BookState> book, std::shared_ptr<SheetState> sheet, const CellBlock& block)
        : book_(std::move(book)), sheet_(std::move(sheet)), block_(block) {}

    CellBlock block() const override { return block_; }
    Sheet sheet() const override { return makeSheet(book_, sheet_); }

    void setValue(double value) override {
        fill("setValue", [&](int, int) { return numberContent(value); });
    }
    void setText(const QString& text) override {
        fill("setText", [&](int, int) { return textContent(text); });
    }
    void setFormula(const QString& formula) override { setFormulaAs("setFormula", formula, false); }
    void setFormulaR1C1(const QString& formula) override { setFormulaAs("setFormulaR1C1", formula, true); }

    double value() const override {
        const SheetState& s = read("value");
        const QVariant v = blockValue(s, block_.firstRow, block_.firstColumn);
        return v.typeId() == QMetaType::Double ? v.toDouble() : 0;
    }
    QString text() const override {
        const SheetState& s = read("text");
        const QVariant v = blockValue(s, block_.firstRow, block_.firstColumn);
        // The number formats the logbook uses, shown as Calc shows them.
        if (v.typeId() == QMetaType::Double) {
            const QString code =
                slotValue(effective(s, block_.firstRow, block_.firstColumn), NumberFormat, *book_).toString().toLower();
            if (code == u"[h]:mm")
                return korv::hoursMinutesText(korv::Minutes::ofDays(v.toDouble()));
            if (code == u"0")
                return QString::number(std::llround(v.toDouble()));
        }
        return shownText(s, block_.firstRow, block_.firstColumn);
    }
    QString formula() const override {
        const SheetState& s = read("formula");
        const Cell* c = cellAt(s, block_.firstRow, block_.firstColumn);
        if (c && c->content.kind == CellKind::Formula)
            return formulaText(c->content.formula);
        return shownText(s, block_.firstRow, block_.firstColumn);
    }
    CellKind kind() const override {
        const Cell* c = cellAt(read("kind"), block_.firstRow, block_.firstColumn);
        return c ? c->content.kind : CellKind::Empty;
    }

    QList<QVariantList> data() const override {
        const SheetState& s = read("data");
        QList<QVariantList> out;
        for (int r = block_.firstRow; r <= block_.lastRow; ++r) {
            QVariantList row;
            for (int c = block_.firstColumn; c <= block_.lastColumn; ++c)
                row << blockValue(s, r, c);
            out << row;
        }
        return out;
    }

    void setData(const QList<QVariantList>& rows) override {
        SheetState& s = change("setData");
        requireShape(rows);
        // Converted whole before anything is written: a value of a wrong type writes nothing.
        std::vector<Content> contents;
        for (const QVariantList& row : rows) {
            for (const QVariant& v : row) {
                switch (v.typeId()) {
                case QMetaType::QString:
                    contents.push_back(textContent(v.toString()));
                    break;
                case QMetaType::QDate:
                    contents.push_back(numberContent(korv::dateSerial(v.toDate())));
                    break;
                case QMetaType::UnknownType:
                    contents.emplace_back();
                    break;
                default: {
                    bool ok = false;
                    const double x = v.toDouble(&ok);
                    if (!ok)
                        throw Error::typeMismatch(QStringLiteral("значение для ячейки блока"));
                    contents.push_back(numberContent(x));
                }
                }
            }
        }
        size_t i = 0;
        for (int r = block_.firstRow; r <= block_.lastRow; ++r)
            for (int c = block_.firstColumn; c <= block_.lastColumn; ++c)
                putContent(s, {r, c}, std::move(contents[i++]));
    }

    void setFormulas(const QList<QStringList>& rows) override {
        SheetState& s = change("setFormulas");
        requireShape(rows);
        for (int r = 0; r < int(rows.size()); ++r)
            for (int c = 0; c < int(rows[r].size()); ++c)
                putContent(s, {block_.firstRow + r, block_.firstColumn + c},
                           typedContent(rows[r][c], block_.firstRow + r, block_.firstColumn + c));
    }

    void apply(const CellFormat& format) override {
        applySlots(change("apply"), *book_, block_, slotsOf(format), false);
    }
    CellFormat format() const override {
        return formatOf(effective(read("format"), block_.firstRow, block_.firstColumn), *book_);
    }
    void setBorders(const Borders& borders) override {
        korv::test::setBorders(change("setBorders"), *book_, block_, borders);
    }
    Borders borders() const override { return bordersOf(read("borders"), block_); }

    void merge() override { mergeBlock(change("merge"), block_); }
    void unmerge() override {
        change("unmerge").merges.removeIf([&](const CellBlock& m) { return liesIn(m, block_); });
    }
    Range mergedArea() const override {
        return makeRange(book_, sheet_, mergedAreaOf(read("mergedArea"), block_.firstRow, block_.firstColumn));
    }
    Range mergeSpan() const override { return makeRange(book_, sheet_, spanOf(read("mergeSpan"), block_)); }

    void clearContents() override { korv::test::clearContents(change("clearContents"), block_); }
    void clear() override { clearAll(change("clear"), *book_, block_); }

    void copyTo(const Range& destTopLeft) const override {
        SheetState& s = change("copyTo");
        const auto* dest = dynamic_cast<const FakeRange*>(&destTopLeft.backend());
        if (!dest || dest->book_ != book_)
            throw spreadsheetError(QStringLiteral("копирование возможно только внутри одной книги"));
        copyBlock(s, block_, *dest->sheet_, dest->block_.firstRow, dest->block_.firstColumn, *book_);
    }

    void addConditionalFormat(const ConditionalFormat& cf) override {
        change("addConditionalFormat").conditions << Condition{block_, cf};
    }
    void clearConditionalFormats() override {
        change("clearConditionalFormats").conditions.removeIf([&](const Condition& c) {
            return intersects(c.block, block_);
        });
    }
    int conditionalFormatCount() const override {
        const auto& all = read("conditionalFormatCount").conditions;
        return int(
            std::count_if(all.begin(), all.end(), [&](const Condition& c) { return intersects(c.block, block_); }));
    }
    int formatBlockCount() const override {
        return korv::test::formatBlockCount(read("formatBlockCount"), *book_, block_);
    }

    const std::shared_ptr<BookState>& bookState() const { return book_; }
    const std::shared_ptr<SheetState>& sheetState() const { return sheet_; }

private:
    const SheetState& read(const QString& operation) const {
        book_->enter(operation);
        return *sheet_;
    }
    // The state to change; the workbook counts as modified from here on.
    SheetState& change(const QString& operation) const {
        book_->enter(operation);
        book_->modified = true;
        return *sheet_;
    }
    template <class F>
    void fill(const QString& operation, F&& content) {
        SheetState& s = change(operation);
        for (int r = block_.firstRow; r <= block_.lastRow; ++r)
            for (int c = block_.firstColumn; c <= block_.lastColumn; ++c)
                putContent(s, {r, c}, content(r, c));
    }
    // Parsed at the top-left cell and moved to every other: relative references follow each cell.
    void setFormulaAs(const QString& operation, const QString& text, bool r1c1) {
        const Formula f = parseFormula(text, block_.firstRow, block_.firstColumn, r1c1);
        fill(operation,
             [&](int r, int c) { return formulaContent(shifted(f, r - block_.firstRow, c - block_.firstColumn)); });
    }
    template <class Rows>
    void requireShape(const Rows& rows) const {
        const int nRows = block_.lastRow - block_.firstRow + 1, nCols = block_.lastColumn - block_.firstColumn + 1;
        const QString label = sheet_->name + u'!' + a1(block_);
        if (rows.size() != nRows)
            throw spreadsheetError(QStringLiteral("блок из %1 строк не помещается в %2 строк диапазона %3")
                                       .arg(rows.size())
                                       .arg(nRows)
                                       .arg(label));
        for (const auto& row : rows)
            if (row.size() != nCols)
                throw spreadsheetError(
                    QStringLiteral("строка блока из %1 значений не помещается в %2 столбцов диапазона %3")
                        .arg(row.size())
                        .arg(nCols)
                        .arg(label));
    }

    std::shared_ptr<BookState> book_;
    std::shared_ptr<SheetState> sheet_;
    CellBlock block_;
};

class FakeSheet final : public SheetBackend {
public:
    FakeSheet(std::shared_ptr<BookState> book, std::shared_ptr<SheetState> sheet)
        : book_(std::move(book)), sheet_(std::move(sheet)) {}

    QString name() const override { return read("name").name; }
    int index() const override {
        read("index");
        return int(book_->sheets.indexOf(sheet_));
    }
    Workbook workbook() const override { return makeWorkbook(book_); }
    Range range(const QString& text) const override {
        read("range");
        return makeRange(book_, sheet_, requireBlock(text));
    }
    Range cells(int firstRow, int firstColumn, int lastRow, int lastColumn) const override {
        read("cells");
        if (!inSheet(firstRow, firstColumn) || !inSheet(lastRow, lastColumn) || lastRow < firstRow ||
            lastColumn < firstColumn)
            throw spreadsheetError(QStringLiteral("недопустимые границы диапазона ") + a1(firstRow, firstColumn) +
                                   u':' + a1(lastRow, lastColumn));
        return makeRange(book_, sheet_, {firstRow, firstColumn, lastRow, lastColumn});
    }
    void applyAll(const QStringList& ranges, const CellFormat& format) override {
        SheetState& s = change("applyAll");
        QList<CellBlock> blocks;
        for (const QString& r : ranges)
            blocks << requireBlock(r);
        for (const CellBlock& b : blocks)
            applySlots(s, *book_, b, slotsOf(format), false);
    }
    void applyToEmptyCells(const QList<CellBlock>& blocks, const CellFormat& format) override {
        SheetState& s = change("applyToEmptyCells");
        for (const CellBlock& b : blocks)
            if (!inSheet(b.firstRow, b.firstColumn) || !inSheet(b.lastRow, b.lastColumn))
                throw spreadsheetError(QStringLiteral("недопустимые границы диапазона ") + a1(b));
        for (const CellBlock& b : blocks)
            applySlots(s, *book_, b, slotsOf(format), true);
    }
    void activate() override {
        read("activate");
        book_->active = sheet_;
    }
    void select(const QString& a1Text) override {
        read("select");
        book_->selection = requireBlock(a1Text);
        book_->active = sheet_;
    }
    QString selection() const override {
        read("selection");
        return a1(book_->selection);
    }
    void setColumnWidth(int column, double excelChars) override {
        change("setColumnWidth").columnWidths[requireColumn(column)] = measures::excelCharsToHmm(excelChars);
    }
    int columnWidthHmm(int column) const override {
        const auto& widths = read("columnWidthHmm").columnWidths;
        const auto it = widths.find(requireColumn(column));
        return it == widths.end() ? kDefaultColumnWidthHmm : it->second;
    }
    void setRowHeight(int row, double points) override {
        change("setRowHeight").rowHeights[requireRow(row)] = measures::pointsToHmm(points);
    }
    double rowHeight(int row) const override {
        const auto& heights = read("rowHeight").rowHeights;
        const auto it = heights.find(requireRow(row));
        return it == heights.end() ? kDefaultRowHeight : measures::hmmToPoints(it->second);
    }
    bool hasCustomRowHeight(int row) const override {
        return read("hasCustomRowHeight").rowHeights.count(requireRow(row)) > 0;
    }
    void setRowsHidden(int firstRow, int lastRow, bool hidden) override {
        SheetState& s = change("setRowsHidden");
        for (int r = requireRow(firstRow); r <= requireRow(lastRow); ++r) {
            if (hidden)
                s.hiddenRows[r] = 1;
            else
                s.hiddenRows.erase(r);
        }
    }
    bool isRowHidden(int row) const override { return read("isRowHidden").hiddenRows.count(requireRow(row)) > 0; }
    void setProtected(bool on) override { change("setProtected").protectedSheet = on; }
    bool isProtected() const override { return read("isProtected").protectedSheet; }
    void insertRows(int row, int count) override { korv::test::insertRows(change("insertRows"), row, count); }
    void deleteRows(int row, int count) override { korv::test::deleteRows(change("deleteRows"), row, count); }
    void copyRows(int firstRow, int count, int dstRow) override {
        SheetState& s = change("copyRows");
        if (count < 1 || !inSheet(firstRow, 0) || !inSheet(firstRow + count - 1, 0))
            throw spreadsheetError(QStringLiteral("Недопустимое копирование %1 строк").arg(count));
        std::vector<std::optional<int>> heights;
        for (int i = 0; i < count; ++i) {
            const auto it = s.rowHeights.find(firstRow + i);
            heights.push_back(it == s.rowHeights.end() ? std::nullopt : std::optional(it->second));
        }
        copyBlock(s, CellBlock{firstRow, 0, firstRow + count - 1, kLastColumn}, s, dstRow, 0, *book_);
        // copyRange leaves row heights behind; a whole-row copy takes them along.
        for (int i = 0; i < count; ++i) {
            if (heights[size_t(i)])
                s.rowHeights[dstRow + i] = *heights[size_t(i)];
            else
                s.rowHeights.erase(dstRow + i);
        }
    }
    int lastUsedRow() const override { return korv::test::lastUsedRow(read("lastUsedRow")); }
    void setPrintArea(const QString& text) override { change("setPrintArea").printArea = requireBlock(text); }
    void setPageSetup(const PageSetup& setup) override { change("setPageSetup").pageSetup = setup; }
    PageSetup pageSetup() const override { return read("pageSetup").pageSetup; }
    void setPageLayout(const PageLayout& layout) override { change("setPageLayout").pageLayout = layout; }
    void clearPrintArea() override { change("clearPrintArea").printArea.reset(); }
    QString printArea() const override { return printAreaText(read("printArea")); }
    std::optional<std::pair<int, int>> frozenPanes() const override { return read("frozenPanes").frozen; }

private:
    const SheetState& read(const QString& operation) const {
        book_->enter(operation);
        return *sheet_;
    }
    SheetState& change(const QString& operation) const {
        book_->enter(operation);
        book_->modified = true;
        return *sheet_;
    }
    static int requireColumn(int column) {
        if (column < 0 || column > kLastColumn)
            throw spreadsheetError(QStringLiteral("Нет столбца номер %1").arg(column + 1));
        return column;
    }
    static int requireRow(int row) {
        if (row < 0 || row > kLastRow)
            throw spreadsheetError(QStringLiteral("Нет строки номер %1").arg(row + 1));
        return row;
    }

    std::shared_ptr<BookState> book_;
    std::shared_ptr<SheetState> sheet_;
};

bool validSheetName(const QString& name) {
    static const QRegularExpression bad(QStringLiteral("[\\[\\]*?:/\\\\]"));
    return !name.isEmpty() && !name.contains(bad) && !name.startsWith(u'\'') && !name.endsWith(u'\'');
}

class FakeWorkbook final : public WorkbookBackend {
public:
    explicit FakeWorkbook(std::shared_ptr<BookState> book) : book_(std::move(book)) {}

    bool isOpen() const override {
        return !book_->closed && !book_->office->lost && book_->life == book_->office->life;
    }
    QString name() const override { return book_->name; }
    QString path() const override { return book_->path; }
    QStringList sheetNames() const override {
        book_->enter(QStringLiteral("sheetNames"));
        QStringList names;
        for (const auto& s : book_->sheets)
            names << s->name;
        return names;
    }
    Sheet sheet(const QString& name) const override {
        book_->enter(QStringLiteral("sheet"));
        return makeSheet(book_, requireSheet(name));
    }
    Sheet sheetAt(int index) const override {
        book_->enter(QStringLiteral("sheetAt"));
        if (index < 0 || index >= book_->sheets.size())
            throw spreadsheetError(QStringLiteral("В книге «") + book_->name + QStringLiteral("» нет листа номер ") +
                                   QString::number(index + 1));
        return makeSheet(book_, book_->sheets[index]);
    }
    Sheet addSheet(const QString& name, int position) override {
        change("addSheet");
        if (book_->find(name))
            throw spreadsheetError(QStringLiteral("В книге «") + book_->name + QStringLiteral("» уже есть лист «") +
                                   name + u'»');
        if (!validSheetName(name))
            throw spreadsheetError(QStringLiteral("LibreOffice Calc не принял имя листа «") + name + u'»');
        auto s = std::make_shared<SheetState>();
        s->name = name;
        book_->sheets.insert(std::clamp<qsizetype>(position, 0, book_->sheets.size()), s);
        return makeSheet(book_, s);
    }
    void renameSheet(const QString& oldName, const QString& newName) override {
        change("renameSheet");
        const auto s = requireSheet(oldName);
        const auto other = book_->find(newName);
        if (!validSheetName(newName) || (other && other != s))
            throw spreadsheetError(QStringLiteral("LibreOffice Calc не принял имя листа «") + newName + u'»');
        s->name = newName;
    }
    void moveSheet(const QString& name, int position) override {
        change("moveSheet");
        const auto s = requireSheet(name);
        book_->sheets.removeAll(s);
        book_->sheets.insert(std::clamp<qsizetype>(position, 0, book_->sheets.size()), s);
    }
    Sheet activeSheet() const override {
        book_->enter(QStringLiteral("activeSheet"));
        return makeSheet(book_, book_->active ? book_->active : book_->sheets.front());
    }
    void setStandardFont(const QString& name, double points) override {
        change("setStandardFont");
        book_->fontName = name;
        book_->fontSize = points;
    }
    std::shared_ptr<void> holdView() override {
        book_->enter(QStringLiteral("holdView"));
        return std::make_shared<int>(0);
    }
    void freezePanes(const QStringList& sheets, int columns, int rows) override {
        book_->enter(QStringLiteral("freezePanes"));
        QList<std::shared_ptr<SheetState>> list;
        for (const QString& n : sheets)
            list << requireSheet(n);
        for (const auto& s : list)
            s->frozen = std::pair(columns, rows);
    }
    void show() override {
        book_->enter(QStringLiteral("show"));
        book_->visible = true;
    }
    void hide() override {
        book_->enter(QStringLiteral("hide"));
        book_->visible = false;
    }
    void whenClosed(std::function<void()> closed) override {
        book_->enter(QStringLiteral("whenClosed"));
        book_->closedCallbacks.push_back(std::move(closed));
    }
    bool isVisible() const override {
        book_->enter(QStringLiteral("isVisible"));
        return book_->visible;
    }
    bool isModified() const override {
        book_->enter(QStringLiteral("isModified"));
        return book_->modified;
    }
    void setModified(bool modified) override {
        book_->enter(QStringLiteral("setModified"));
        book_->modified = modified;
    }
    void saveAs(const QString& path, ReplacePolicy policy) override {
        book_->enter(QStringLiteral("saveAs"));
        writeAtomically(path, policy, fileBytes(*book_));
        book_->path = QFileInfo(path).absoluteFilePath();
        book_->name = QFileInfo(path).completeBaseName();
        book_->modified = false;
    }
    void exportTo(const QString& path, const QString& filterName) override {
        book_->enter(QStringLiteral("exportTo"));
        // The text filter's CSV of the first sheet, used area only.
        const SheetState& s = *book_->sheets.front();
        int lastRow = -1, lastCol = -1;
        for (const auto& [p, c] : s.cells) {
            if (c.content.kind != CellKind::Empty) {
                lastRow = std::max(lastRow, p.row);
                lastCol = std::max(lastCol, p.col);
            }
        }
        QString out;
        for (int r = 0; r <= lastRow; ++r) {
            QStringList fields;
            for (int c = 0; c <= lastCol; ++c) {
                QString t = shownText(s, r, c);
                if (t.contains(u',') || t.contains(u'"') || t.contains(u'\n'))
                    t = u'"' + t.replace(u'"', QStringLiteral("\"\"")) + u'"';
                fields << t;
            }
            out += fields.join(u',') + u'\n';
        }
        writeAtomically(path, ReplacePolicy::Replace, out.isEmpty() ? QByteArray("\n") : out.toUtf8());
        Q_UNUSED(filterName);
    }
    void exportPdf(const QString& path, const Range& area) override {
        book_->enter(QStringLiteral("exportPdf"));
        const auto* r = dynamic_cast<const FakeRange*>(&area.backend());
        if (!r || r->bookState() != book_)
            throw spreadsheetError(QStringLiteral("диапазон или лист другой книги, не открытой в LibreOffice Calc"));
        // Not a real PDF: the header, then what the pages would show and how they are laid out, for tests to read.
        const SheetState& s = *r->sheetState();
        const CellBlock k = r->block();
        QString out = QStringLiteral("%PDF-1.4\n");
        for (int row = k.firstRow; row <= k.lastRow; ++row) {
            QStringList texts;
            for (int c = k.firstColumn; c <= k.lastColumn; ++c)
                texts << shownText(s, row, c);
            out += texts.join(u'\t') + u'\n';
        }
        out += QStringLiteral("%% sheet: %1\n%% print area: %2\n").arg(s.name, printAreaText(s));
        out += QStringLiteral("%% page setup: headerAndFooter=%1 fitPagesWide=%2 fitPagesTall=%3\n")
                   .arg(int(s.pageSetup.headerAndFooter))
                   .arg(s.pageSetup.fitPagesWide)
                   .arg(s.pageSetup.fitPagesTall);
        if (s.pageLayout)
            out += QStringLiteral("%% page layout: fitPagesWide=%1 repeatedRows=%2 footerLeft=%3 footerRight=%4\n")
                       .arg(s.pageLayout->fitPagesWide)
                       .arg(s.pageLayout->repeatedRows)
                       .arg(s.pageLayout->footerLeft, s.pageLayout->footerRight);
        writeAtomically(path, ReplacePolicy::Replace, out.toUtf8());
    }
    // Whatever the mode, what is unsaved is gone: Workbook::close has saved for CloseMode::Save, and a shown
    // changed workbook is simply closed, as if the pilot had said not to save it.
    void close(CloseMode mode) override {
        book_->enter(QStringLiteral("close"));
        Q_UNUSED(mode);
        closeBook(book_);
    }

private:
    void change(const char* operation) {
        book_->enter(QLatin1String(operation));
        book_->modified = true;
    }
    std::shared_ptr<SheetState> requireSheet(const QString& name) const {
        if (auto s = book_->find(name))
            return s;
        throw spreadsheetError(QStringLiteral("В книге «") + book_->name + QStringLiteral("» нет листа «") + name +
                               u'»');
    }

    std::shared_ptr<BookState> book_;
};

Range makeRange(const std::shared_ptr<BookState>& b, const std::shared_ptr<SheetState>& s, const CellBlock& k) {
    return Range(std::make_shared<FakeRange>(b, s, k));
}
Sheet makeSheet(const std::shared_ptr<BookState>& b, const std::shared_ptr<SheetState>& s) {
    return Sheet(std::make_shared<FakeSheet>(b, s));
}
Workbook makeWorkbook(const std::shared_ptr<BookState>& b) { return Workbook(std::make_shared<FakeWorkbook>(b)); }

class FakeOperation final : public Office::Operation {
public:
    FakeOperation(std::unique_ptr<ExclusiveLock> lock, std::shared_ptr<FakeOfficeState> office)
        : lock_(std::move(lock)), office_(std::move(office)) {
        ++office_->operationsHeld;
    }
    ~FakeOperation() override { --office_->operationsHeld; }
    FakeOperation(const FakeOperation&) = delete;
    FakeOperation& operator=(const FakeOperation&) = delete;

private:
    std::unique_ptr<ExclusiveLock> lock_;
    std::shared_ptr<FakeOfficeState> office_;
};

// A file nobody may write is one Calc opens read-only; root's permission to write it anyway does not count.
bool readOnly(const QString& abs) {
    const QFileInfo f(abs);
    const auto writeBits = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return !f.isWritable() || !(f.permissions() & writeBits);
}

} // namespace

// ---------------------------------------------------------------------------------------------------------
// The office

FakeOffice::FakeOffice(const QString& profileDir) : d_(std::make_shared<FakeOfficeState>()) {
    d_->profileDir = QFileInfo(profileDir).absoluteFilePath();
    QDir().mkpath(d_->profileDir);
}

FakeOffice::~FakeOffice() {
    // Handles may outlive the office; they find their workbooks closed. Nobody is told: the callbacks may
    // reach objects that are gone by now.
    for (const auto& b : std::as_const(d_->books))
        b->closed = true;
    d_->books.clear();
}

std::unique_ptr<Office::Operation> FakeOffice::beginOperation(int timeoutMs, int waitMs,
                                                              const ExclusiveLock::Waiting& waiting) {
    Q_UNUSED(timeoutMs);
    if (const auto due = d_->count(QStringLiteral("beginOperation")))
        throw *due;
    QDir().mkpath(d_->profileDir);
    return std::make_unique<FakeOperation>(
        std::make_unique<ExclusiveLock>(d_->profileDir + QStringLiteral("/korvelanta-office.lock"), waitMs,
                                        QStringLiteral("LibreOffice Calc занят другой операцией программы Korvelanta"),
                                        waiting),
        d_);
}

void FakeOffice::attach() {
    if (const auto due = d_->count(QStringLiteral("attach")))
        throw *due;
    d_->lost = false;
}

bool FakeOffice::isAlive() {
    d_->count(QStringLiteral("isAlive"));
    return !d_->lost;
}

QString FakeOffice::profileDir() const { return d_->profileDir; }

Workbook FakeOffice::openWorkbook(const QString& path, OpenMode mode) {
    d_->enter(QStringLiteral("openWorkbook"));
    const QString abs = QFileInfo(path).absoluteFilePath();
    if (!QFileInfo(abs).isFile())
        throw Error(Error::FileNotFound, QStringLiteral("Файл не найден: ") + abs);
    for (const auto& b : QList(d_->books)) {
        if (b->path != abs)
            continue;
        if (mode == OpenMode::Hidden || b->visible)
            return makeWorkbook(b);
        if (b->modified) { // its changes must not be lost: shown as it is
            b->visible = true;
            return makeWorkbook(b);
        }
        closeBook(b); // open hidden and unchanged: loaded again, shown
        break;
    }
    const auto b = readBook(d_, abs);
    if (!b)
        throw Error(Error::BadWorkbook, QStringLiteral("Файл не является книгой электронной таблицы: ") + abs);
    b->visible = mode == OpenMode::Shown;
    d_->books << b;
    return makeWorkbook(b);
}

Workbook FakeOffice::addWorkbook() {
    d_->enter(QStringLiteral("addWorkbook"));
    auto b = std::make_shared<BookState>();
    b->office = d_;
    b->life = d_->life;
    b->name = QStringLiteral("Книга") + QString::number(++d_->newBooks);
    auto s = std::make_shared<SheetState>();
    s->name = QStringLiteral("Sheet1");
    b->sheets << s;
    b->active = s;
    d_->books << b;
    return makeWorkbook(b);
}

std::optional<Workbook> FakeOffice::findWorkbook(const QString& name) {
    if (const auto due = d_->count(QStringLiteral("findWorkbook")))
        throw *due;
    if (d_->lost) // never starts an office
        return std::nullopt;
    for (const auto& b : std::as_const(d_->books))
        if (b->name.compare(name, Qt::CaseInsensitive) == 0)
            return makeWorkbook(b);
    return std::nullopt;
}

Office::Holding FakeOffice::holding(const QString& path) {
    d_->enter(QStringLiteral("holding"));
    const QString abs = QFileInfo(path).absoluteFilePath();
    Holding h = Holding::NotLoaded;
    for (const auto& b : std::as_const(d_->books))
        if (b->path == abs)
            h = b->visible ? Holding::Shown : (h == Holding::NotLoaded ? Holding::Hidden : h);
    return h;
}

int FakeOffice::closeHiddenWorkbooks() {
    d_->enter(QStringLiteral("closeHiddenWorkbooks"));
    int n = 0;
    for (const auto& b : QList(d_->books)) {
        if (!b->visible) {
            closeBook(b);
            ++n;
        }
    }
    return n;
}

Workbook FakeOffice::openForChange(const QString& path) {
    d_->enter(QStringLiteral("openForChange"));
    const QString abs = QFileInfo(path).absoluteFilePath();
    for (const auto& b : QList(d_->books)) {
        if (b->path != abs)
            continue;
        if (b->visible)
            throw Error(Error::LogbookBusy,
                        QStringLiteral("Лётная книжка открыта для просмотра в окне LibreOffice Calc: ") + abs +
                            QStringLiteral(". Закройте просмотр и повторите."));
        closeBook(b); // a leftover: loading would hand it back, changes and all
    }
    if (!QFileInfo(abs).isFile())
        throw Error(Error::BadWorkbook,
                    QStringLiteral("Файл повреждён или не является книгой электронной таблицы: ") + abs);
    const auto b = readBook(d_, abs);
    if (!b)
        throw Error(Error::BadWorkbook, QStringLiteral("Файл не является книгой электронной таблицы: ") + abs);
    if (readOnly(abs))
        throw Error(Error::FileAccess,
                    QStringLiteral("LibreOffice Calc открывает лётную книжку только для чтения: ") + abs +
                        QStringLiteral(". Её держит открытой другая программа, или нет права записи."));
    d_->books << b;
    return makeWorkbook(b);
}

void FakeOffice::failOn(const QString& operation, int nth, Error error) {
    d_->failures.push_back({operation, std::max(nth, 1), std::move(error)});
}

void FakeOffice::loseOffice() {
    d_->lost = true;
    ++d_->life;
    // Calc's close listeners hear of a dying office too.
    for (const auto& b : QList(d_->books))
        closeBook(b);
}

int FakeOffice::calls(const QString& operation) const { return d_->calls.value(operation); }

void FakeOffice::resetCalls() {
    d_->calls.clear();
    d_->outsideOperations.clear();
}

QStringList FakeOffice::callsOutsideOperations() const { return d_->outsideOperations; }

int FakeOffice::openWorkbookCount() const { return int(d_->books.size()); }

} // namespace korv::test
