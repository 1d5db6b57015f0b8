#include "logbook/host.h"

#include "common/error.h"
#include "logbook/host_process.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <com/sun/star/awt/FontSlant.hpp>
#include <com/sun/star/awt/FontUnderline.hpp>
#include <com/sun/star/awt/FontWeight.hpp>
#include <com/sun/star/awt/PosSize.hpp>
#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/XViewDataSupplier.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XDispatchHelper.hpp>
#include <com/sun/star/frame/XDispatchProvider.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/AddressConvention.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/ConditionOperator.hpp>
#include <com/sun/star/sheet/FormulaLanguage.hpp>
#include <com/sun/star/sheet/FormulaMapGroup.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangeFormula.hpp>
#include <com/sun/star/sheet/XCellRangeMovement.hpp>
#include <com/sun/star/sheet/XFormulaOpCodeMapper.hpp>
#include <com/sun/star/sheet/XFormulaParser.hpp>
#include <com/sun/star/sheet/XFormulaTokens.hpp>
#include <com/sun/star/sheet/XPrintAreas.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSheetCellRange.hpp>
#include <com/sun/star/sheet/XSheetCellRangeContainer.hpp>
#include <com/sun/star/sheet/XSheetConditionalEntries.hpp>
#include <com/sun/star/sheet/XSheetOperation.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/sheet/XViewFreezable.hpp>
#include <com/sun/star/sheet/XViewSplitable.hpp>
#include <com/sun/star/style/XStyle.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/table/BorderLine2.hpp>
#include <com/sun/star/table/BorderLineStyle.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/CellHoriJustify.hpp>
#include <com/sun/star/table/CellOrientation.hpp>
#include <com/sun/star/table/CellVertJustify.hpp>
#include <com/sun/star/table/CellVertJustify2.hpp>
#include <com/sun/star/table/TableBorder2.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XMergeable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <com/sun/star/util/XNumberFormatTypes.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace com::sun::star;
using com::sun::star::uno::Any;
using com::sun::star::uno::Reference;
using com::sun::star::uno::Sequence;
using com::sun::star::uno::UNO_QUERY;
using com::sun::star::uno::UNO_QUERY_THROW;
using rtl::OUString;

namespace korv::logbook {

// ---------------------------------------------------------------------------------------------
// Small conversions

namespace {

OUString toOU(const QString& s) { return OUString(reinterpret_cast<const sal_Unicode*>(s.utf16()), s.size()); }
QString toQ(const OUString& s) { return QString(reinterpret_cast<const QChar*>(s.getStr()), s.getLength()); }

QString fileUrl(const QString& path) {
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
}
QString localPathOfUrl(const QString& url) {
    const QUrl u(url);
    return u.isLocalFile() ? QFileInfo(u.toLocalFile()).absoluteFilePath() : QString();
}

template <class T>
Sequence<T> seqOf(std::initializer_list<T> items) {
    Sequence<T> s(sal_Int32(items.size()));
    sal_Int32 i = 0;
    for (const T& t : items)
        s.getArray()[i++] = t;
    return s;
}

beans::PropertyValue prop(const char* name, const Any& value) {
    beans::PropertyValue p;
    p.Name = OUString::createFromAscii(name);
    p.Value = value;
    return p;
}

QString columnLetters(int column) {
    QString s;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        s.prepend(QChar(u'A' + (c - 1) % 26));
    return s;
}

QString a1(int row, int column) { return columnLetters(column) + QString::number(row + 1); }

QString a1(const table::CellRangeAddress& a) {
    if (a.StartColumn == a.EndColumn && a.StartRow == a.EndRow)
        return a1(a.StartRow, a.StartColumn);
    return a1(a.StartRow, a.StartColumn) + u':' + a1(a.EndRow, a.EndColumn);
}

constexpr double kHmmPerPoint = 2540.0 / 72.0;
// LibreOffice's digit width of the standard font (Arial / Arial Cyr / Liberation Sans 10 pt) in
// twips; the .xls export measures column widths in it.
constexpr int kDigitTwips = 111;

// The width Excel itself would store for 'chars' characters of a 7-pixel-digit standard font, turned
// into the smallest LibreOffice width that the .xls export writes back as that same value.
sal_Int32 excelCharsToHmm(double chars) {
    const long n = long(std::floor((chars * 7 + 5) / 7 * 256));
    const long twips = long(std::ceil(n * kDigitTwips / 256.0 - 0.5));
    return sal_Int32(std::lround(twips * 127.0 / 72.0));
}

double hmmToExcelChars(sal_Int32 hmm) {
    const long twips = std::lround(hmm * 72.0 / 127.0);
    const long n = long(std::floor((twips + 0.5) * 256 / kDigitTwips));
    const double chars = (n / 256.0 * 7 - 5) / 7;
    return std::round(chars * 100) / 100;
}

// Line widths (1/100 mm) that the .xls export writes as the Excel weight and reads back unchanged.
sal_uInt32 lineWidth(LineWeight w) {
    switch (w) {
    case LineWeight::None:
        return 0;
    case LineWeight::Hair:
        return 2;
    case LineWeight::Thin:
        return 26;
    case LineWeight::Medium:
        return 62;
    case LineWeight::Thick:
        return 88;
    }
    return 0;
}

table::BorderLine2 borderLine(LineWeight w) {
    table::BorderLine2 l;
    l.Color = 0;
    l.InnerLineWidth = l.OuterLineWidth = l.LineDistance = 0;
    l.LineStyle = w == LineWeight::None ? table::BorderLineStyle::NONE : table::BorderLineStyle::SOLID;
    l.LineWidth = lineWidth(w);
    if (w != LineWeight::None)
        l.OuterLineWidth = sal_Int16(l.LineWidth);
    return l;
}

LineWeight weightOf(const table::BorderLine2& l) {
    const sal_uInt32 w = l.LineWidth ? l.LineWidth : sal_uInt32(l.OuterLineWidth + l.InnerLineWidth + l.LineDistance);
    if (l.LineStyle == table::BorderLineStyle::NONE || w == 0)
        return LineWeight::None;
    if (w <= 25)
        return LineWeight::Hair;
    if (w <= 60)
        return LineWeight::Thin;
    if (w <= 87)
        return LineWeight::Medium;
    return LineWeight::Thick;
}

const QDate kNullDate(1899, 12, 30);

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

Reference<uno::XComponentContext> localContext() {
    // Bootstrapped once and deliberately never released: the local UNO runtime must outlive every
    // reference, including those destroyed during exit().
    static uno::XComponentContext* ctx = [] {
        ::setenv("URE_BOOTSTRAP", "vnd.sun.star.pathname:" KORV_LO_PROGRAM_DIR "/fundamentalrc", 1);
        Reference<uno::XComponentContext> c = cppu::defaultBootstrap_InitialComponentContext();
        c->acquire();
        return c.get();
    }();
    return ctx;
}

Error hostError(const QString& text) { return Error(Error::Spreadsheet, text); }

} // namespace

// ---------------------------------------------------------------------------------------------
// Shared state behind the handles

namespace detail {

struct Session {
    std::shared_ptr<OfficeProcess> process;
    Reference<uno::XComponentContext> remote;
    Reference<frame::XDesktop2> desktop;
    bool attached = false;
    bool lost = false;

    void require(const QString& what) const {
        if (lost)
            throw hostError(QStringLiteral("LibreOffice Calc завершился, связь с ним потеряна; не выполнено: ") + what);
        if (!attached)
            throw hostError(QStringLiteral("Нет связи с LibreOffice Calc; не выполнено: ") + what);
    }

    // Whether the office still answers; marks the session lost when it does not.
    bool responds() {
        if (lost || !attached)
            return false;
        if (process && process->started() && process->hasExited()) {
            markLost();
            return false;
        }
        try {
            desktop->getComponents();
            return true;
        } catch (const uno::Exception&) {
            markLost();
            return false;
        }
    }

    void markLost() {
        lost = true;
        attached = false;
        desktop.clear();
        remote.clear();
    }
};

struct BookRef {
    std::shared_ptr<Session> s;
    Reference<sheet::XSpreadsheetDocument> doc;
    QString name;
    QString path;
    bool closed = false;
    QHash<QString, sal_Int32> formatKeys;
    Reference<sheet::XFormulaParser> parserA1, parserR1C1;

    Reference<frame::XModel> model() const { return Reference<frame::XModel>(doc, UNO_QUERY_THROW); }
    Reference<frame::XController> controller() const { return model()->getCurrentController(); }
    Reference<awt::XWindow> window() const { return controller()->getFrame()->getContainerWindow(); }

    bool alive() {
        if (closed)
            return false;
        try {
            model()->getURL();
            return true;
        } catch (const uno::Exception&) {
            closed = true;
            return false;
        }
    }

    QString label() const { return QStringLiteral("«") + name + QStringLiteral("»"); }

    sal_Int32 formatKey(const QString& code) {
        if (auto it = formatKeys.constFind(code); it != formatKeys.constEnd())
            return *it;
        Reference<util::XNumberFormats> formats =
            Reference<util::XNumberFormatsSupplier>(doc, UNO_QUERY_THROW)->getNumberFormats();
        lang::Locale en;
        en.Language = "en";
        en.Country = "US";
        // Converted from en-US into the document's own language: the .xls then carries the plain
        // code ("0.0", "dd"), not an en-US-tagged one, whatever the office's locale.
        sal_Int32 key = 0;
        if (code.compare(QStringLiteral("General"), Qt::CaseInsensitive) == 0)
            key = Reference<util::XNumberFormatTypes>(formats, UNO_QUERY_THROW)->getStandardIndex(lang::Locale());
        else
            key = formats->addNewConverted(toOU(code), en, lang::Locale());
        formatKeys.insert(code, key);
        return key;
    }

    QString formatCode(sal_Int32 key) const {
        Reference<util::XNumberFormats> formats =
            Reference<util::XNumberFormatsSupplier>(doc, UNO_QUERY_THROW)->getNumberFormats();
        OUString code;
        formats->getByKey(key)->getPropertyValue("FormatString") >>= code;
        return toQ(code);
    }

    Reference<sheet::XFormulaParser> parser(bool r1c1) {
        Reference<sheet::XFormulaParser>& p = r1c1 ? parserR1C1 : parserA1;
        if (p.is())
            return p;
        Reference<lang::XMultiServiceFactory> f(doc, UNO_QUERY_THROW);
        p.set(f->createInstance("com.sun.star.sheet.FormulaParser"), UNO_QUERY_THROW);
        Reference<beans::XPropertySet> pp(p, UNO_QUERY_THROW);
        pp->setPropertyValue("FormulaConvention",
                             Any(r1c1 ? sheet::AddressConvention::XL_R1C1 : sheet::AddressConvention::XL_A1));
        // Excel's English grammar: "," separates arguments, as the callers write formulas.
        Reference<sheet::XFormulaOpCodeMapper> m(f->createInstance("com.sun.star.sheet.FormulaOpCodeMapper"),
                                                 UNO_QUERY_THROW);
        pp->setPropertyValue("OpCodeMap", Any(m->getAvailableMappings(sheet::FormulaLanguage::XL_ENGLISH,
                                                                      sheet::FormulaMapGroup::ALL_EXCEPT_SPECIAL)));
        return p;
    }
};

struct SheetRef {
    std::shared_ptr<BookRef> book;
    Reference<sheet::XSpreadsheet> sheet;
    QString name;
    table::CellRangeAddress whole{}; // the sheet's full extent, for "G:G" and "7:8"
    bool wholeKnown = false;
    Reference<table::XTableColumns> columns;
    Reference<table::XTableRows> rows;

    sal_Int16 index() const {
        return Reference<sheet::XCellRangeAddressable>(sheet, UNO_QUERY_THROW)->getRangeAddress().Sheet;
    }
    const table::CellRangeAddress& extent() {
        if (!wholeKnown) {
            whole = Reference<sheet::XCellRangeAddressable>(sheet, UNO_QUERY_THROW)->getRangeAddress();
            wholeKnown = true;
        }
        return whole;
    }
};

struct RangeRef {
    std::shared_ptr<SheetRef> sheet;
    Reference<table::XCellRange> range;
    table::CellRangeAddress addr{}; // as created; ranges follow inserted and deleted rows in Calc

    table::CellRangeAddress live() const {
        return Reference<sheet::XCellRangeAddressable>(range, UNO_QUERY_THROW)->getRangeAddress();
    }
    QString label() const { return sheet->name + u'!' + a1(addr); }
};

} // namespace detail

using detail::BookRef;
using detail::OfficeProcess;
using detail::RangeRef;
using detail::Session;
using detail::SheetRef;

// ---------------------------------------------------------------------------------------------
// Turning every UNO failure into a korv::Error that names what failed

namespace {

[[noreturn]] void translate(Session& s, BookRef* book, const QString& what) {
    try {
        throw;
    } catch (const Error&) {
        throw;
    } catch (const uno::Exception& e) {
        if (!s.responds())
            throw hostError(QStringLiteral("LibreOffice Calc завершился или был закрыт; не выполнено: ") + what);
        if (book && !book->alive())
            throw hostError(QStringLiteral("Книга ") + book->label() +
                            QStringLiteral(" закрыта в LibreOffice Calc; не выполнено: ") + what);
        QString detail = toQ(e.Message).trimmed();
        if (detail.isEmpty())
            detail = QStringLiteral("ошибка без описания");
        throw hostError(QStringLiteral("LibreOffice Calc не выполнил операцию: ") + what + QStringLiteral(" (") +
                        detail + u')');
    } catch (const std::exception& e) {
        throw hostError(QStringLiteral("Ошибка при работе с LibreOffice Calc: ") + what + QStringLiteral(" (") +
                        QString::fromLocal8Bit(e.what()) + u')');
    }
}

template <class F>
auto guarded(Session& s, BookRef* book, const QString& what, F&& f) -> decltype(f()) {
    s.require(what);
    if (book && book->closed)
        throw hostError(QStringLiteral("Книга ") + book->label() + QStringLiteral(" уже закрыта; не выполнено: ") +
                        what);
    try {
        return f();
    } catch (...) {
        translate(s, book, what);
    }
}

template <class F>
auto onRange(const std::shared_ptr<RangeRef>& d, const QString& what, F&& f) -> decltype(f()) {
    return guarded(*d->sheet->book->s, d->sheet->book.get(), what + QStringLiteral(" (") + d->label() + u')', f);
}

template <class F>
auto onSheet(const std::shared_ptr<SheetRef>& d, const QString& what, F&& f) -> decltype(f()) {
    return guarded(*d->book->s, d->book.get(), what + QStringLiteral(" (лист «") + d->name + QStringLiteral("»)"), f);
}

template <class F>
auto onBook(const std::shared_ptr<BookRef>& d, const QString& what, F&& f) -> decltype(f()) {
    return guarded(*d->s, d.get(), what + QStringLiteral(" (книга ") + d->label() + u')', f);
}

// Sorted property names are what XMultiPropertySet asks for; std::map keeps them so.
using PropertyMap = std::map<std::string, Any>;

void setProperties(const Reference<uno::XInterface>& obj, const PropertyMap& props) {
    if (props.empty())
        return;
    Sequence<OUString> names(sal_Int32(props.size()));
    Sequence<Any> values(sal_Int32(props.size()));
    sal_Int32 i = 0;
    for (const auto& [n, v] : props) {
        names.getArray()[i] = OUString::createFromAscii(n.c_str());
        values.getArray()[i] = v;
        ++i;
    }
    Reference<beans::XMultiPropertySet>(obj, UNO_QUERY_THROW)->setPropertyValues(names, values);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Range

Range::Range(std::shared_ptr<RangeRef> ref) : d(std::move(ref)) {}

int Range::firstRow() const { return d->addr.StartRow; }
int Range::firstColumn() const { return d->addr.StartColumn; }
int Range::lastRow() const { return d->addr.EndRow; }
int Range::lastColumn() const { return d->addr.EndColumn; }
QString Range::address() const { return a1(d->addr); }
Sheet Range::sheet() const { return Sheet(d->sheet); }

namespace {

void fillAll(const std::shared_ptr<RangeRef>& d, const QString& what, const Any& value) {
    onRange(d, what, [&] {
        const sal_Int32 rows = d->addr.EndRow - d->addr.StartRow + 1;
        const sal_Int32 cols = d->addr.EndColumn - d->addr.StartColumn + 1;
        Sequence<Any> row(cols);
        for (sal_Int32 c = 0; c < cols; ++c)
            row.getArray()[c] = value;
        Sequence<Sequence<Any>> block(rows);
        for (sal_Int32 r = 0; r < rows; ++r)
            block.getArray()[r] = row;
        Reference<sheet::XCellRangeData>(d->range, UNO_QUERY_THROW)->setDataArray(block);
    });
}

Reference<table::XCell> topLeft(const std::shared_ptr<RangeRef>& d) { return d->range->getCellByPosition(0, 0); }

} // namespace

void Range::setValue(double value) { fillAll(d, QStringLiteral("запись числа"), Any(value)); }

void Range::setText(const QString& text) {
    // A block write stores a string as text and never parses it, so "3/0,5" or "---" stay texts.
    fillAll(d, QStringLiteral("запись текста"), Any(toOU(text)));
}

void Range::setDate(const QDate& date) {
    if (!date.isValid())
        throw Error::typeMismatch(QStringLiteral("недопустимая дата"));
    fillAll(d, QStringLiteral("запись даты"), Any(double(kNullDate.daysTo(date))));
}

void Range::setTime(int minutes) { fillAll(d, QStringLiteral("запись времени"), Any(minutes / 1440.0)); }

void Range::setTimeText(const QString& hmm) {
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d{1,5}):(\\d{1,2})\\s*$"));
    const auto m = re.match(hmm);
    if (!m.hasMatch() || m.captured(2).toInt() > 59)
        throw Error::typeMismatch(QStringLiteral("время «") + hmm + QStringLiteral("» не в виде ч:мм"));
    setTime(m.captured(1).toInt() * 60 + m.captured(2).toInt());
}

namespace {

void setTokens(const std::shared_ptr<RangeRef>& d, const QString& formula, bool r1c1) {
    // Parsed once at the top-left cell and given to every cell of the range: the tokens keep relative
    // references as offsets, so each cell refers to its own neighbours, as when a formula is entered
    // over a range ("=SUM(F7:F12)" over F13:G13 gives G13 "=SUM(G7:G12)").
    Reference<sheet::XFormulaParser> p = d->sheet->book->parser(r1c1);
    const table::CellAddress origin(d->sheet->index(), d->addr.StartColumn, d->addr.StartRow);
    const Sequence<sheet::FormulaToken> tokens = p->parseFormula(toOU(formula), origin);
    for (sal_Int32 r = 0; r <= d->addr.EndRow - d->addr.StartRow; ++r) {
        for (sal_Int32 c = 0; c <= d->addr.EndColumn - d->addr.StartColumn; ++c)
            Reference<sheet::XFormulaTokens>(d->range->getCellByPosition(c, r), UNO_QUERY_THROW)->setTokens(tokens);
    }
}

} // namespace

void Range::setFormula(const QString& formula) {
    onRange(d, QStringLiteral("запись формулы «") + formula + QStringLiteral("»"),
            [&] { setTokens(d, formula, false); });
}

void Range::setFormulaR1C1(const QString& formula) {
    onRange(d, QStringLiteral("запись формулы «") + formula + QStringLiteral("»"),
            [&] { setTokens(d, formula, true); });
}

double Range::value() const {
    return onRange(d, QStringLiteral("чтение значения"), [&] { return topLeft(d)->getValue(); });
}

QString Range::text() const {
    return onRange(d, QStringLiteral("чтение текста"), [&] {
        Reference<text::XTextRange> t(topLeft(d), UNO_QUERY_THROW);
        return toQ(t->getString());
    });
}

QString Range::formula() const {
    return onRange(d, QStringLiteral("чтение формулы"), [&] { return toQ(topLeft(d)->getFormula()); });
}

CellKind Range::kind() const {
    return onRange(d, QStringLiteral("чтение ячейки"), [&] {
        switch (topLeft(d)->getType()) {
        case table::CellContentType_VALUE:
            return CellKind::Value;
        case table::CellContentType_TEXT:
            return CellKind::Text;
        case table::CellContentType_FORMULA:
            return CellKind::Formula;
        default:
            return CellKind::Empty;
        }
    });
}

QDate Range::date() const { return kNullDate.addDays(qint64(std::floor(value()))); }

QList<QVariantList> Range::data() const {
    return onRange(d, QStringLiteral("чтение блока ячеек"), [&] {
        const Sequence<Sequence<Any>> block =
            Reference<sheet::XCellRangeData>(d->range, UNO_QUERY_THROW)->getDataArray();
        QList<QVariantList> out;
        out.reserve(block.getLength());
        for (const auto& row : block) {
            QVariantList r;
            r.reserve(row.getLength());
            for (const Any& a : row) {
                double v;
                OUString s;
                if (a >>= v)
                    r.append(v);
                else if (a >>= s)
                    r.append(toQ(s));
                else
                    r.append(QVariant());
            }
            out.append(r);
        }
        return out;
    });
}

void Range::setData(const QList<QVariantList>& rows) {
    onRange(d, QStringLiteral("запись блока ячеек"), [&] {
        const int nRows = d->addr.EndRow - d->addr.StartRow + 1;
        const int nCols = d->addr.EndColumn - d->addr.StartColumn + 1;
        if (rows.size() != nRows)
            throw hostError(QStringLiteral("блок из %1 строк не помещается в %2 строк диапазона %3")
                                .arg(rows.size())
                                .arg(nRows)
                                .arg(d->label()));
        Sequence<Sequence<Any>> block(nRows);
        for (int r = 0; r < nRows; ++r) {
            if (rows[r].size() != nCols)
                throw hostError(QStringLiteral("строка блока из %1 значений не помещается в %2 столбцов диапазона %3")
                                    .arg(rows[r].size())
                                    .arg(nCols)
                                    .arg(d->label()));
            Sequence<Any> row(nCols);
            for (int c = 0; c < nCols; ++c) {
                const QVariant& v = rows[r][c];
                Any& a = row.getArray()[c];
                switch (v.typeId()) {
                case QMetaType::QString:
                    a <<= toOU(v.toString());
                    break;
                case QMetaType::QDate:
                    a <<= double(kNullDate.daysTo(v.toDate()));
                    break;
                case QMetaType::UnknownType:
                    a <<= OUString();
                    break; // a void Any would become #N/A
                default:
                    bool ok = false;
                    const double x = v.toDouble(&ok);
                    if (!ok)
                        throw Error::typeMismatch(QStringLiteral("значение для ячейки блока"));
                    a <<= x;
                }
            }
            block.getArray()[r] = row;
        }
        Reference<sheet::XCellRangeData>(d->range, UNO_QUERY_THROW)->setDataArray(block);
    });
}

void Range::setFormulas(const QList<QStringList>& rows) {
    onRange(d, QStringLiteral("запись формул"), [&] {
        const int nRows = d->addr.EndRow - d->addr.StartRow + 1;
        const int nCols = d->addr.EndColumn - d->addr.StartColumn + 1;
        if (rows.size() != nRows)
            throw hostError(QStringLiteral("число строк блока не совпадает с диапазоном ") + d->label());
        Sequence<Sequence<OUString>> block(nRows);
        for (int r = 0; r < nRows; ++r) {
            if (rows[r].size() != nCols)
                throw hostError(QStringLiteral("число столбцов блока не совпадает с диапазоном ") + d->label());
            Sequence<OUString> row(nCols);
            for (int c = 0; c < nCols; ++c)
                row.getArray()[c] = toOU(rows[r][c]);
            block.getArray()[r] = row;
        }
        Reference<sheet::XCellRangeFormula>(d->range, UNO_QUERY_THROW)->setFormulaArray(block);
    });
}

namespace {

PropertyMap formatProperties(BookRef& book, const CellFormat& f) {
    PropertyMap p;
    if (f.fontName)
        p["CharFontName"] <<= toOU(*f.fontName);
    if (f.fontSize)
        p["CharHeight"] <<= float(*f.fontSize);
    if (f.bold)
        p["CharWeight"] <<= float(*f.bold ? awt::FontWeight::BOLD : awt::FontWeight::NORMAL);
    if (f.italic)
        p["CharPosture"] <<= (*f.italic ? awt::FontSlant_ITALIC : awt::FontSlant_NONE);
    if (f.underline)
        p["CharUnderline"] <<= sal_Int16(*f.underline ? awt::FontUnderline::SINGLE : awt::FontUnderline::NONE);
    if (f.fontColor)
        p["CharColor"] <<= sal_Int32(*f.fontColor);
    if (f.hAlign) {
        table::CellHoriJustify h = table::CellHoriJustify_STANDARD;
        switch (*f.hAlign) {
        case HAlign::General:
            h = table::CellHoriJustify_STANDARD;
            break;
        case HAlign::Left:
            h = table::CellHoriJustify_LEFT;
            break;
        case HAlign::Center:
            h = table::CellHoriJustify_CENTER;
            break;
        case HAlign::Right:
            h = table::CellHoriJustify_RIGHT;
            break;
        case HAlign::Justify:
            h = table::CellHoriJustify_BLOCK;
            break;
        }
        p["HoriJustify"] <<= h;
    }
    if (f.vAlign) {
        sal_Int32 v = table::CellVertJustify2::BOTTOM;
        if (*f.vAlign == VAlign::Center)
            v = table::CellVertJustify2::CENTER;
        else if (*f.vAlign == VAlign::Top)
            v = table::CellVertJustify2::TOP;
        p["VertJustify"] <<= v;
    }
    if (f.wrap)
        p["IsTextWrapped"] <<= bool(*f.wrap);
    if (f.shrink)
        p["ShrinkToFit"] <<= bool(*f.shrink);
    if (f.orientation) {
        const bool stacked = *f.orientation == TextOrientation::Stacked;
        p["Orientation"] <<= (stacked ? table::CellOrientation_STACKED : table::CellOrientation_STANDARD);
        sal_Int32 angle = 0;
        if (*f.orientation == TextOrientation::Upward)
            angle = 9000;
        else if (*f.orientation == TextOrientation::Downward)
            angle = 27000;
        p["RotateAngle"] <<= angle;
    }
    if (f.indent) // one Excel indent level is 200 twips
        p["ParaIndent"] <<= sal_Int16(std::lround(*f.indent * 200 * 127 / 72.0));
    if (f.numberFormat)
        p["NumberFormat"] <<= book.formatKey(*f.numberFormat);
    return p;
}

} // namespace

void Range::apply(const CellFormat& f) {
    onRange(d, QStringLiteral("оформление ячеек"),
            [&] { setProperties(d->range, formatProperties(*d->sheet->book, f)); });
}

CellFormat Range::format() const {
    return onRange(d, QStringLiteral("чтение оформления"), [&] {
        static const char* const names[] = {"CharColor",     "CharFontName", "CharHeight",  "CharPosture",
                                            "CharUnderline", "CharWeight",   "HoriJustify", "IsTextWrapped",
                                            "NumberFormat",  "Orientation",  "ParaIndent",  "RotateAngle",
                                            "ShrinkToFit",   "VertJustify"};
        Sequence<OUString> seq(std::size(names));
        for (size_t i = 0; i < std::size(names); ++i)
            seq.getArray()[i] = OUString::createFromAscii(names[i]);
        const Sequence<Any> v =
            Reference<beans::XMultiPropertySet>(topLeft(d), UNO_QUERY_THROW)->getPropertyValues(seq);
        CellFormat f;
        sal_Int32 i32 = 0;
        sal_Int16 i16 = 0;
        float fl = 0;
        OUString s;
        bool b = false;
        if (v[0] >>= i32)
            f.fontColor = i32;
        if (v[1] >>= s)
            f.fontName = toQ(s);
        if (v[2] >>= fl)
            f.fontSize = fl;
        awt::FontSlant slant = awt::FontSlant_NONE;
        if (v[3] >>= slant)
            f.italic = slant == awt::FontSlant_ITALIC || slant == awt::FontSlant_OBLIQUE;
        if (v[4] >>= i16)
            f.underline = i16 != awt::FontUnderline::NONE;
        if (v[5] >>= fl)
            f.bold = fl > awt::FontWeight::SEMIBOLD - 1;
        table::CellHoriJustify h = table::CellHoriJustify_STANDARD;
        if (v[6] >>= h) {
            switch (h) {
            case table::CellHoriJustify_LEFT:
                f.hAlign = HAlign::Left;
                break;
            case table::CellHoriJustify_CENTER:
                f.hAlign = HAlign::Center;
                break;
            case table::CellHoriJustify_RIGHT:
                f.hAlign = HAlign::Right;
                break;
            case table::CellHoriJustify_BLOCK:
                f.hAlign = HAlign::Justify;
                break;
            default:
                f.hAlign = HAlign::General;
            }
        }
        if (v[7] >>= b)
            f.wrap = b;
        if (v[8] >>= i32)
            f.numberFormat = d->sheet->book->formatCode(i32);
        table::CellOrientation o = table::CellOrientation_STANDARD;
        v[9] >>= o;
        if (v[10] >>= i16)
            f.indent = int(std::lround(i16 * 72 / 127.0 / 200));
        sal_Int32 angle = 0;
        v[11] >>= angle;
        if (o == table::CellOrientation_STACKED)
            f.orientation = TextOrientation::Stacked;
        else if (o == table::CellOrientation_BOTTOMTOP || angle == 9000)
            f.orientation = TextOrientation::Upward;
        else if (o == table::CellOrientation_TOPBOTTOM || angle == 27000)
            f.orientation = TextOrientation::Downward;
        else
            f.orientation = TextOrientation::Horizontal;
        if (v[12] >>= b)
            f.shrink = b;
        // Bottom comes back from .xls as "standard", which is Excel's bottom as well.
        sal_Int32 vj = 0;
        if (!(v[13] >>= vj)) {
            table::CellVertJustify old = table::CellVertJustify_STANDARD;
            if (v[13] >>= old)
                vj = sal_Int32(old);
        }
        f.vAlign = vj == table::CellVertJustify2::TOP      ? VAlign::Top
                   : vj == table::CellVertJustify2::CENTER ? VAlign::Center
                                                           : VAlign::Bottom;
        return f;
    });
}

void Range::setBorders(const Borders& b) {
    onRange(d, QStringLiteral("границы ячеек"), [&] {
        table::TableBorder2 t{};
        auto set = [](const std::optional<LineWeight>& w, table::BorderLine2& line, sal_Bool& valid) {
            valid = bool(w);
            if (w)
                line = borderLine(*w);
        };
        set(b.top, t.TopLine, t.IsTopLineValid);
        set(b.bottom, t.BottomLine, t.IsBottomLineValid);
        set(b.left, t.LeftLine, t.IsLeftLineValid);
        set(b.right, t.RightLine, t.IsRightLineValid);
        set(b.insideH, t.HorizontalLine, t.IsHorizontalLineValid);
        set(b.insideV, t.VerticalLine, t.IsVerticalLineValid);
        t.IsDistanceValid = false;
        PropertyMap p;
        if (t.IsTopLineValid || t.IsBottomLineValid || t.IsLeftLineValid || t.IsRightLineValid ||
            t.IsHorizontalLineValid || t.IsVerticalLineValid)
            p["TableBorder2"] <<= t;
        if (b.diagonalDown)
            p["DiagonalTLBR2"] <<= borderLine(*b.diagonalDown);
        if (b.diagonalUp)
            p["DiagonalBLTR2"] <<= borderLine(*b.diagonalUp);
        setProperties(d->range, p);
    });
}

Borders Range::borders() const {
    return onRange(d, QStringLiteral("чтение границ"), [&] {
        Reference<beans::XPropertySet> cell(topLeft(d), UNO_QUERY_THROW);
        auto get = [&](const char* name) {
            table::BorderLine2 l;
            cell->getPropertyValue(OUString::createFromAscii(name)) >>= l;
            return weightOf(l);
        };
        Borders b;
        b.top = get("TopBorder2");
        b.bottom = get("BottomBorder2");
        b.left = get("LeftBorder2");
        b.right = get("RightBorder2");
        b.diagonalDown = get("DiagonalTLBR2");
        b.diagonalUp = get("DiagonalBLTR2");
        table::TableBorder2 t;
        if (Reference<beans::XPropertySet>(d->range, UNO_QUERY_THROW)->getPropertyValue("TableBorder2") >>= t) {
            b.insideH = t.IsHorizontalLineValid ? weightOf(t.HorizontalLine) : LineWeight::None;
            b.insideV = t.IsVerticalLineValid ? weightOf(t.VerticalLine) : LineWeight::None;
        }
        return b;
    });
}

void Range::merge() {
    onRange(d, QStringLiteral("объединение ячеек"),
            [&] { Reference<util::XMergeable>(d->range, UNO_QUERY_THROW)->merge(true); });
}

void Range::unmerge() {
    onRange(d, QStringLiteral("разъединение ячеек"),
            [&] { Reference<util::XMergeable>(d->range, UNO_QUERY_THROW)->merge(false); });
}

Range Range::mergedArea() const {
    return onRange(d, QStringLiteral("чтение объединения"), [&] {
        Reference<sheet::XSheetCellCursor> cur = d->sheet->sheet->createCursorByRange(
            Reference<sheet::XSheetCellRange>(d->range->getCellByPosition(0, 0), UNO_QUERY_THROW));
        cur->collapseToMergedArea();
        auto r = std::make_shared<RangeRef>();
        r->sheet = d->sheet;
        r->addr = Reference<sheet::XCellRangeAddressable>(cur, UNO_QUERY_THROW)->getRangeAddress();
        r->range = d->sheet->sheet->getCellRangeByPosition(r->addr.StartColumn, r->addr.StartRow, r->addr.EndColumn,
                                                           r->addr.EndRow);
        return Range(r);
    });
}

bool Range::isMerged() const {
    const Range m = mergedArea();
    const bool single = m.firstRow() == m.lastRow() && m.firstColumn() == m.lastColumn();
    return !single && m.firstRow() == firstRow() && m.lastRow() == lastRow() && m.firstColumn() == firstColumn() &&
           m.lastColumn() == lastColumn();
}

void Range::clearContents() {
    onRange(d, QStringLiteral("очистка ячеек"), [&] {
        Reference<sheet::XSheetOperation>(d->range, UNO_QUERY_THROW)
            ->clearContents(sheet::CellFlags::VALUE | sheet::CellFlags::DATETIME | sheet::CellFlags::STRING |
                            sheet::CellFlags::FORMULA);
    });
}

void Range::clear() {
    onRange(d, QStringLiteral("очистка ячеек"), [&] {
        Reference<util::XMergeable>(d->range, UNO_QUERY_THROW)->merge(false);
        Reference<sheet::XSheetOperation>(d->range, UNO_QUERY_THROW)
            ->clearContents(sheet::CellFlags::VALUE | sheet::CellFlags::DATETIME | sheet::CellFlags::STRING |
                            sheet::CellFlags::ANNOTATION | sheet::CellFlags::FORMULA | sheet::CellFlags::HARDATTR |
                            sheet::CellFlags::STYLES | sheet::CellFlags::OBJECTS | sheet::CellFlags::EDITATTR |
                            sheet::CellFlags::FORMATTED);
    });
}

void Range::copyTo(const Range& dest) const {
    onRange(d, QStringLiteral("копирование в ") + dest.d->label(), [&] {
        if (dest.d->sheet->book->doc != d->sheet->book->doc)
            throw hostError(QStringLiteral("копирование возможно только внутри одной книги"));
        const table::CellRangeAddress src = d->live();
        const table::CellRangeAddress dst = dest.d->live();
        Reference<sheet::XCellRangeMovement>(dest.d->sheet->sheet, UNO_QUERY_THROW)
            ->copyRange(table::CellAddress(dst.Sheet, dst.StartColumn, dst.StartRow), src);
    });
}

namespace {

sheet::ConditionOperator unoOperator(ConditionOperator op) {
    switch (op) {
    case ConditionOperator::Equal:
        return sheet::ConditionOperator_EQUAL;
    case ConditionOperator::NotEqual:
        return sheet::ConditionOperator_NOT_EQUAL;
    case ConditionOperator::Greater:
        return sheet::ConditionOperator_GREATER;
    case ConditionOperator::GreaterEqual:
        return sheet::ConditionOperator_GREATER_EQUAL;
    case ConditionOperator::Less:
        return sheet::ConditionOperator_LESS;
    case ConditionOperator::LessEqual:
        return sheet::ConditionOperator_LESS_EQUAL;
    case ConditionOperator::Between:
        return sheet::ConditionOperator_BETWEEN;
    case ConditionOperator::NotBetween:
        return sheet::ConditionOperator_NOT_BETWEEN;
    }
    return sheet::ConditionOperator_EQUAL;
}

} // namespace

void Range::addConditionalFormat(const ConditionalFormat& cf) {
    onRange(d, QStringLiteral("условное форматирование"), [&] {
        Reference<sheet::XSpreadsheetDocument> doc = d->sheet->book->doc;
        // The condition's look is a cell style of its own, named after what it sets.
        const QString styleName = QStringLiteral("KorvCondition_%1_%2")
                                      .arg(cf.fontColor ? QString::number(*cf.fontColor, 16) : QStringLiteral("auto"))
                                      .arg(cf.bold ? (*cf.bold ? u"b" : u"n") : u"x");
        Reference<container::XNameContainer> styles(
            Reference<style::XStyleFamiliesSupplier>(doc, UNO_QUERY_THROW)->getStyleFamilies()->getByName("CellStyles"),
            UNO_QUERY_THROW);
        if (!styles->hasByName(toOU(styleName))) {
            Reference<uno::XInterface> st = Reference<lang::XMultiServiceFactory>(doc, UNO_QUERY_THROW)
                                                ->createInstance("com.sun.star.style.CellStyle");
            styles->insertByName(toOU(styleName), Any(st)); // inserted first: properties stick only then
            PropertyMap p;
            if (cf.fontColor)
                p["CharColor"] <<= sal_Int32(*cf.fontColor);
            if (cf.bold)
                p["CharWeight"] <<= float(*cf.bold ? awt::FontWeight::BOLD : awt::FontWeight::NORMAL);
            setProperties(st, p);
        }
        Reference<beans::XPropertySet> rp(d->range, UNO_QUERY_THROW);
        Reference<sheet::XSheetConditionalEntries> ce(rp->getPropertyValue("ConditionalFormat"), UNO_QUERY_THROW);
        const Sequence<beans::PropertyValue> entry =
            seqOf({prop("Operator", Any(unoOperator(cf.op))), prop("Formula1", Any(toOU(cf.formula1))),
                   prop("Formula2", Any(toOU(cf.formula2))), prop("StyleName", Any(toOU(styleName)))});
        ce->addNew(entry);
        rp->setPropertyValue("ConditionalFormat", Any(ce)); // the entries are a copy: write them back
    });
}

void Range::clearConditionalFormats() {
    onRange(d, QStringLiteral("удаление условного форматирования"), [&] {
        Reference<beans::XPropertySet> rp(d->range, UNO_QUERY_THROW);
        Reference<sheet::XSheetConditionalEntries> ce(rp->getPropertyValue("ConditionalFormat"), UNO_QUERY_THROW);
        ce->clear();
        rp->setPropertyValue("ConditionalFormat", Any(ce));
    });
}

int Range::conditionalFormatCount() const {
    return onRange(d, QStringLiteral("чтение условного форматирования"), [&] {
        Reference<container::XIndexAccess> ce(
            Reference<beans::XPropertySet>(d->range, UNO_QUERY_THROW)->getPropertyValue("ConditionalFormat"),
            UNO_QUERY_THROW);
        return int(ce->getCount());
    });
}

Range Range::offset(int rows, int columns) const {
    return Sheet(d->sheet).cells(d->addr.StartRow + rows, d->addr.StartColumn + columns, d->addr.EndRow + rows,
                                 d->addr.EndColumn + columns);
}

// ---------------------------------------------------------------------------------------------
// Sheet

Sheet::Sheet(std::shared_ptr<SheetRef> ref) : d(std::move(ref)) {}

QString Sheet::name() const {
    return onSheet(d, QStringLiteral("чтение имени листа"),
                   [&] { return toQ(Reference<container::XNamed>(d->sheet, UNO_QUERY_THROW)->getName()); });
}

int Sheet::index() const {
    return onSheet(d, QStringLiteral("чтение номера листа"), [&] { return int(d->index()); });
}

Workbook Sheet::workbook() const { return Workbook(d->book); }

Range Sheet::cells(int firstRow, int firstColumn, int lastRow, int lastColumn) const {
    return onSheet(d, QStringLiteral("диапазон ") + a1(firstRow, firstColumn) + u':' + a1(lastRow, lastColumn), [&] {
        if (firstRow < 0 || firstColumn < 0 || lastRow < firstRow || lastColumn < firstColumn)
            throw hostError(QStringLiteral("недопустимые границы диапазона"));
        auto r = std::make_shared<RangeRef>();
        r->sheet = d;
        r->range = d->sheet->getCellRangeByPosition(firstColumn, firstRow, lastColumn, lastRow);
        r->addr = table::CellRangeAddress(d->extent().Sheet, firstColumn, firstRow, lastColumn, lastRow);
        return Range(r);
    });
}

Range Sheet::cell(int row, int column) const { return cells(row, column, row, column); }

Range Sheet::range(const QString& text) const {
    // "M7", "A1:U6", "$A$1", whole columns "G:G" and whole rows "7:8".
    static const QRegularExpression re(
        QStringLiteral("^\\$?([A-Za-z]{0,3})\\$?(\\d{0,7})(?::\\$?([A-Za-z]{0,3})\\$?(\\d{0,7}))?$"));
    const auto m = re.match(text.trimmed());
    auto col = [](const QString& letters) {
        int c = 0;
        for (QChar ch : letters)
            c = c * 26 + (ch.toUpper().unicode() - u'A' + 1);
        return c - 1;
    };
    const bool ok = m.hasMatch() && (!m.captured(1).isEmpty() || !m.captured(2).isEmpty());
    if (!ok)
        throw hostError(QStringLiteral("Недопустимый адрес диапазона «") + text + QStringLiteral("»"));
    const bool second = !m.captured(3).isEmpty() || !m.captured(4).isEmpty();
    const QString c1 = m.captured(1), r1 = m.captured(2);
    const QString c2 = second ? m.captured(3) : c1, r2 = second ? m.captured(4) : r1;
    if ((c1.isEmpty() != c2.isEmpty()) || (r1.isEmpty() != r2.isEmpty()) || (r1 == u"0") || (r2 == u"0"))
        throw hostError(QStringLiteral("Недопустимый адрес диапазона «") + text + QStringLiteral("»"));
    const table::CellRangeAddress whole = onSheet(d, QStringLiteral("размеры листа"), [&] { return d->extent(); });
    const int fc = c1.isEmpty() ? 0 : col(c1);
    const int lc = c2.isEmpty() ? whole.EndColumn : col(c2);
    const int fr = r1.isEmpty() ? 0 : r1.toInt() - 1;
    const int lr = r2.isEmpty() ? whole.EndRow : r2.toInt() - 1;
    return cells(std::min(fr, lr), std::min(fc, lc), std::max(fr, lr), std::max(fc, lc));
}

namespace {

Reference<sheet::XSpreadsheetView> spreadsheetView(BookRef& b) {
    return Reference<sheet::XSpreadsheetView>(b.controller(), UNO_QUERY_THROW);
}

} // namespace

void Sheet::applyAll(const QStringList& ranges, const CellFormat& format) {
    QList<Range> list;
    for (const QString& r : ranges)
        list << range(r);
    onSheet(d, QStringLiteral("оформление диапазонов ") + ranges.join(u','), [&] {
        // One property call for all the ranges instead of one per range.
        Reference<sheet::XSheetCellRangeContainer> all(
            Reference<lang::XMultiServiceFactory>(d->book->doc, UNO_QUERY_THROW)
                ->createInstance("com.sun.star.sheet.SheetCellRanges"),
            UNO_QUERY_THROW);
        Sequence<table::CellRangeAddress> addrs(list.size());
        for (int i = 0; i < list.size(); ++i)
            addrs.getArray()[i] = list[i].d->addr;
        all->addRangeAddresses(addrs, false);
        setProperties(all, formatProperties(*d->book, format));
    });
}

void Sheet::activate() {
    onSheet(d, QStringLiteral("переход на лист"), [&] { spreadsheetView(*d->book)->setActiveSheet(d->sheet); });
}

namespace {

// Every remote call costs a round trip: the sheet's column and row collections are fetched once.
Reference<beans::XPropertySet> columnProps(SheetRef& s, int column) {
    if (!s.columns.is())
        s.columns = Reference<table::XColumnRowRange>(s.sheet, UNO_QUERY_THROW)->getColumns();
    return Reference<beans::XPropertySet>(s.columns->getByIndex(column), UNO_QUERY_THROW);
}
Reference<beans::XPropertySet> rowProps(SheetRef& s, int row) {
    if (!s.rows.is())
        s.rows = Reference<table::XColumnRowRange>(s.sheet, UNO_QUERY_THROW)->getRows();
    return Reference<beans::XPropertySet>(s.rows->getByIndex(row), UNO_QUERY_THROW);
}

} // namespace

void Sheet::setColumnWidth(int column, double excelChars) {
    onSheet(d, QStringLiteral("ширина столбца ") + columnLetters(column),
            [&] { columnProps(*d, column)->setPropertyValue("Width", Any(excelCharsToHmm(excelChars))); });
}

int Sheet::columnWidthHmm(int column) const {
    return onSheet(d, QStringLiteral("чтение ширины столбца ") + columnLetters(column), [&] {
        sal_Int32 w = 0;
        columnProps(*d, column)->getPropertyValue("Width") >>= w;
        return int(w);
    });
}

double Sheet::columnWidth(int column) const { return hmmToExcelChars(columnWidthHmm(column)); }

void Sheet::setRowHeight(int row, double points) {
    onSheet(d, QStringLiteral("высота строки ") + QString::number(row + 1),
            [&] { rowProps(*d, row)->setPropertyValue("Height", Any(sal_Int32(std::lround(points * kHmmPerPoint)))); });
}

double Sheet::rowHeight(int row) const {
    return onSheet(d, QStringLiteral("чтение высоты строки ") + QString::number(row + 1), [&] {
        sal_Int32 h = 0;
        rowProps(*d, row)->getPropertyValue("Height") >>= h;
        return h / kHmmPerPoint;
    });
}

bool Sheet::hasCustomRowHeight(int row) const {
    return onSheet(d, QStringLiteral("чтение высоты строки ") + QString::number(row + 1), [&] {
        bool optimal = true;
        rowProps(*d, row)->getPropertyValue("OptimalHeight") >>= optimal;
        return !optimal;
    });
}

void Sheet::insertRows(int row, int count) {
    onSheet(d, QStringLiteral("вставка строк"), [&] {
        Reference<table::XColumnRowRange>(d->sheet, UNO_QUERY_THROW)->getRows()->insertByIndex(row, count);
    });
}

void Sheet::deleteRows(int row, int count) {
    onSheet(d, QStringLiteral("удаление строк"), [&] {
        Reference<table::XColumnRowRange>(d->sheet, UNO_QUERY_THROW)->getRows()->removeByIndex(row, count);
    });
}

void Sheet::copyRows(int firstRow, int count, int dstRow) {
    onSheet(d, QStringLiteral("копирование строк"), [&] {
        const table::CellRangeAddress& w = d->extent();
        const table::CellRangeAddress src(w.Sheet, 0, firstRow, w.EndColumn, firstRow + count - 1);
        Reference<sheet::XCellRangeMovement>(d->sheet, UNO_QUERY_THROW)
            ->copyRange(table::CellAddress(w.Sheet, 0, dstRow), src);
        // copyRange leaves row heights behind; a whole-row copy takes them along.
        for (int i = 0; i < count; ++i) {
            Reference<beans::XPropertySet> from = rowProps(*d, firstRow + i);
            Reference<beans::XPropertySet> to = rowProps(*d, dstRow + i);
            bool optimal = true;
            from->getPropertyValue("OptimalHeight") >>= optimal;
            if (optimal)
                to->setPropertyValue("OptimalHeight", Any(true));
            else
                to->setPropertyValue("Height", from->getPropertyValue("Height"));
        }
    });
}

int Sheet::lastUsedRow() const {
    return onSheet(d, QStringLiteral("поиск последней строки"), [&] {
        Reference<sheet::XSheetCellCursor> cur = d->sheet->createCursor();
        Reference<sheet::XUsedAreaCursor>(cur, UNO_QUERY_THROW)->gotoEndOfUsedArea(false);
        const table::CellRangeAddress a =
            Reference<sheet::XCellRangeAddressable>(cur, UNO_QUERY_THROW)->getRangeAddress();
        if (a.EndRow == 0 && a.EndColumn == 0 &&
            d->sheet->getCellByPosition(0, 0)->getType() == table::CellContentType_EMPTY)
            return -1;
        return int(a.EndRow);
    });
}

void Sheet::setPrintArea(const QString& text) {
    const Range r = range(text);
    onSheet(d, QStringLiteral("область печати"), [&] {
        const Sequence<table::CellRangeAddress> areas = seqOf({r.d->addr});
        Reference<sheet::XPrintAreas>(d->sheet, UNO_QUERY_THROW)->setPrintAreas(areas);
    });
}

void Sheet::clearPrintArea() {
    onSheet(d, QStringLiteral("область печати"),
            [&] { Reference<sheet::XPrintAreas>(d->sheet, UNO_QUERY_THROW)->setPrintAreas({}); });
}

QString Sheet::printArea() const {
    return onSheet(d, QStringLiteral("чтение области печати"), [&] {
        const Sequence<table::CellRangeAddress> areas =
            Reference<sheet::XPrintAreas>(d->sheet, UNO_QUERY_THROW)->getPrintAreas();
        QStringList parts;
        for (const auto& a : areas)
            parts << a1(a.StartRow, a.StartColumn) + u':' + a1(a.EndRow, a.EndColumn);
        return parts.join(u',');
    });
}

void Sheet::select(const QString& a1Text) {
    const Range r = range(a1Text);
    onSheet(d, QStringLiteral("выделение ") + a1Text, [&] {
        Reference<frame::XController> ctl = d->book->controller();
        Reference<sheet::XSpreadsheetView> view(ctl, UNO_QUERY_THROW);
        if (toQ(Reference<container::XNamed>(view->getActiveSheet(), UNO_QUERY_THROW)->getName()) != d->name)
            view->setActiveSheet(d->sheet);
        Reference<view::XSelectionSupplier>(ctl, UNO_QUERY_THROW)->select(Any(r.d->range));
    });
}

QString Sheet::selection() const {
    return onSheet(d, QStringLiteral("чтение выделения"), [&] {
        Reference<sheet::XCellRangeAddressable> sel(
            Reference<view::XSelectionSupplier>(d->book->controller(), UNO_QUERY_THROW)->getSelection(), UNO_QUERY);
        return sel.is() ? a1(sel->getRangeAddress()) : QString();
    });
}

void Sheet::freezePanes(int columns, int rows) { Workbook(d->book).freezePanes({name()}, columns, rows); }

namespace {

// View operations (frozen panes, the active sheet) take effect only in a realised window. A hidden
// workbook's window is shown far off screen for the moment they need and hidden again.
class RealisedView {
public:
    explicit RealisedView(BookRef& b) : win_(b.window()) {
        Reference<awt::XWindow2> w2(win_, UNO_QUERY);
        wasVisible_ = w2.is() && w2->isVisible();
        if (!wasVisible_)
            place();
    }
    // A window shown for the first time may come up with a size of its own (24x1 under GTK): the
    // size is set again once it is visible, and again whenever it has shrunk.
    void place() {
        win_->setPosSize(-3000, -3000, 1200, 900, awt::PosSize::POSSIZE);
        win_->setVisible(true);
        win_->setPosSize(-3000, -3000, 1200, 900, awt::PosSize::POSSIZE);
    }
    void ensureSize() {
        const awt::Rectangle r = win_->getPosSize();
        if (r.Width < 600 || r.Height < 400)
            win_->setPosSize(r.X, r.Y, 1200, 900, awt::PosSize::SIZE);
    }
    void reshow() {
        if (wasVisible_)
            return;
        win_->setVisible(false);
        place();
    }
    ~RealisedView() {
        if (!wasVisible_) {
            try {
                win_->setVisible(false);
            } catch (const uno::Exception&) {
                // the office went away; the caller reports that
            }
        }
    }

private:
    Reference<awt::XWindow> win_;
    bool wasVisible_ = false;
};

// The frozen split of a sheet from the document's view settings: exact column and row numbers, unlike
// XViewSplitable, which derives them from pixel positions. The model computes these settings once
// and keeps them, so they describe the workbook as it was loaded (or first asked).
std::optional<std::pair<int, int>> frozenSplit(BookRef& b, const QString& sheetName) {
    Reference<container::XIndexAccess> views =
        Reference<document::XViewDataSupplier>(b.doc, UNO_QUERY_THROW)->getViewData();
    if (!views.is() || views->getCount() == 0)
        return std::nullopt;
    Sequence<beans::PropertyValue> view;
    views->getByIndex(0) >>= view;
    for (const beans::PropertyValue& p : std::as_const(view)) {
        if (p.Name != "Tables")
            continue;
        Reference<container::XNameAccess> tables(p.Value, UNO_QUERY_THROW);
        if (!tables->hasByName(toOU(sheetName)))
            return std::nullopt;
        Sequence<beans::PropertyValue> t;
        tables->getByName(toOU(sheetName)) >>= t;
        sal_Int16 hMode = 0, vMode = 0;
        sal_Int32 hPos = 0, vPos = 0;
        for (const beans::PropertyValue& q : std::as_const(t)) {
            if (q.Name == "HorizontalSplitMode")
                q.Value >>= hMode;
            else if (q.Name == "VerticalSplitMode")
                q.Value >>= vMode;
            else if (q.Name == "HorizontalSplitPosition")
                q.Value >>= hPos;
            else if (q.Name == "VerticalSplitPosition")
                q.Value >>= vPos;
        }
        constexpr sal_Int16 kFixed = 2; // frozen, as opposed to a movable split
        if (hMode != kFixed && vMode != kFixed)
            return std::nullopt;
        return std::pair(hMode == kFixed ? int(hPos) : 0, vMode == kFixed ? int(vPos) : 0);
    }
    return std::nullopt;
}

} // namespace

std::optional<std::pair<int, int>> Sheet::frozenPanes() const {
    return onSheet(d, QStringLiteral("чтение закрепления областей"), [&] { return frozenSplit(*d->book, d->name); });
}

// ---------------------------------------------------------------------------------------------
// Workbook

Workbook::Workbook(std::shared_ptr<BookRef> ref) : d(std::move(ref)) {}

bool Workbook::isOpen() const {
    if (d->closed || d->s->lost || !d->s->attached)
        return false;
    return d->alive();
}

QString Workbook::name() const { return d->name; }
QString Workbook::path() const { return d->path; }

namespace {

Reference<sheet::XSpreadsheets> sheetsOf(BookRef& b) {
    Reference<sheet::XSpreadsheets> s = b.doc->getSheets();
    if (!s.is())
        throw lang::DisposedException("document closed", nullptr);
    return s;
}

Sheet makeSheet(const std::shared_ptr<BookRef>& b, const Reference<sheet::XSpreadsheet>& sh);

} // namespace

QStringList Workbook::sheetNames() const {
    return onBook(d, QStringLiteral("чтение списка листов"), [&] {
        QStringList names;
        for (const OUString& n : sheetsOf(*d)->getElementNames())
            names << toQ(n);
        return names;
    });
}

int Workbook::sheetCount() const { return int(sheetNames().size()); }

bool Workbook::hasSheet(const QString& name) const {
    return onBook(d, QStringLiteral("поиск листа"), [&] { return bool(sheetsOf(*d)->hasByName(toOU(name))); });
}

namespace {

Sheet makeSheet(const std::shared_ptr<BookRef>& b, const Reference<sheet::XSpreadsheet>& sh) {
    auto r = std::make_shared<SheetRef>();
    r->book = b;
    r->sheet = sh;
    r->name = toQ(Reference<container::XNamed>(sh, UNO_QUERY_THROW)->getName());
    return Sheet(r);
}

} // namespace

Sheet Workbook::sheet(const QString& name) const {
    return onBook(d, QStringLiteral("лист «") + name + QStringLiteral("»"), [&] {
        Reference<sheet::XSpreadsheets> s = sheetsOf(*d);
        if (!s->hasByName(toOU(name)))
            throw hostError(QStringLiteral("В книге ") + d->label() + QStringLiteral(" нет листа «") + name +
                            QStringLiteral("»"));
        return makeSheet(d, Reference<sheet::XSpreadsheet>(s->getByName(toOU(name)), UNO_QUERY_THROW));
    });
}

Sheet Workbook::sheetAt(int index) const {
    return onBook(d, QStringLiteral("лист номер ") + QString::number(index + 1), [&] {
        Reference<container::XIndexAccess> s(sheetsOf(*d), UNO_QUERY_THROW);
        if (index < 0 || index >= s->getCount())
            throw hostError(QStringLiteral("В книге ") + d->label() + QStringLiteral(" нет листа номер ") +
                            QString::number(index + 1));
        return makeSheet(d, Reference<sheet::XSpreadsheet>(s->getByIndex(index), UNO_QUERY_THROW));
    });
}

Sheet Workbook::addSheet(const QString& name, int position) {
    return onBook(d, QStringLiteral("добавление листа «") + name + QStringLiteral("»"), [&] {
        Reference<sheet::XSpreadsheets> s = sheetsOf(*d);
        if (s->hasByName(toOU(name)))
            throw hostError(QStringLiteral("В книге ") + d->label() + QStringLiteral(" уже есть лист «") + name +
                            QStringLiteral("»"));
        s->insertNewByName(toOU(name), sal_Int16(position));
        return makeSheet(d, Reference<sheet::XSpreadsheet>(s->getByName(toOU(name)), UNO_QUERY_THROW));
    });
}

void Workbook::renameSheet(const QString& oldName, const QString& newName) {
    Sheet sh = sheet(oldName);
    onBook(d, QStringLiteral("переименование листа «") + oldName + QStringLiteral("»"), [&] {
        Reference<container::XNamed> n(sh.d->sheet, UNO_QUERY_THROW);
        n->setName(toOU(newName));
        // An invalid name is ignored without a word; only reading it back tells.
        if (toQ(n->getName()) != newName)
            throw hostError(QStringLiteral("LibreOffice Calc не принял имя листа «") + newName + QStringLiteral("»"));
    });
}

void Workbook::moveSheet(const QString& name, int position) {
    onBook(d, QStringLiteral("перемещение листа «") + name + QStringLiteral("»"),
           [&] { sheetsOf(*d)->moveByName(toOU(name), sal_Int16(position)); });
}

Sheet Workbook::activeSheet() const {
    return onBook(d, QStringLiteral("чтение активного листа"),
                  [&] { return makeSheet(d, spreadsheetView(*d)->getActiveSheet()); });
}

void Workbook::activateSheet(const QString& name) { sheet(name).activate(); }

void Workbook::setStandardFont(const QString& name, double points) {
    onBook(d, QStringLiteral("шрифт стиля «Базовый»"), [&] {
        Reference<container::XNameAccess> styles(Reference<style::XStyleFamiliesSupplier>(d->doc, UNO_QUERY_THROW)
                                                     ->getStyleFamilies()
                                                     ->getByName("CellStyles"),
                                                 UNO_QUERY_THROW);
        Reference<uno::XInterface> def(styles->getByName("Default"), UNO_QUERY_THROW);
        PropertyMap p;
        p["CharFontName"] <<= toOU(name);
        p["CharHeight"] <<= float(points);
        setProperties(def, p);
    });
}

void Workbook::freezePanes(const QStringList& sheets, int columns, int rows) {
    QList<Sheet> list;
    for (const QString& n : sheets)
        list << sheet(n);
    onBook(d, QStringLiteral("закрепление областей"), [&] {
        Reference<frame::XController> ctl = d->controller();
        Reference<sheet::XSpreadsheetView> view(ctl, UNO_QUERY_THROW);
        Reference<sheet::XViewFreezable> fz(ctl, UNO_QUERY_THROW);
        RealisedView shown(*d);
        for (const Sheet& sh : list) {
            // The realised window needs a moment before a new active sheet or a split sticks; with
            // the GTK plugin a freshly shown window now and then ignores every freeze until it is
            // shown anew.
            bool done = false;
            for (int i = 0; i < 120 && !done; ++i) {
                if (toQ(Reference<container::XNamed>(view->getActiveSheet(), UNO_QUERY_THROW)->getName()) !=
                    sh.d->name) {
                    view->setActiveSheet(sh.d->sheet);
                } else {
                    if (!fz->hasFrozenPanes())
                        fz->freezeAtPosition(columns, rows);
                    done = fz->hasFrozenPanes();
                }
                if (!done && i % 20 == 19)
                    shown.reshow();
                else if (!done)
                    shown.ensureSize();
                if (!done)
                    sleepMs(i < 10 ? 5 : 50);
            }
            if (!done)
                throw hostError(QStringLiteral("LibreOffice Calc не закрепил области листа «") + sh.d->name +
                                QStringLiteral("»"));
        }
    });
}

std::shared_ptr<void> Workbook::holdView() {
    return onBook(d, QStringLiteral("подготовка окна книги"),
                  [&] { return std::shared_ptr<void>(std::make_shared<RealisedView>(*d)); });
}

void Workbook::show() {
    onBook(d, QStringLiteral("показ книги"), [&] {
        Reference<frame::XFrame> frame = d->controller()->getFrame();
        Reference<awt::XWindow> w = frame->getContainerWindow();
        w->setPosSize(0, 0, 1200, 900, awt::PosSize::POSSIZE);
        w->setVisible(true);
        if (Reference<awt::XTopWindow> top{w, UNO_QUERY}; top.is())
            top->toFront();
        frame->activate();
    });
}

void Workbook::hide() {
    onBook(d, QStringLiteral("скрытие книги"), [&] { d->window()->setVisible(false); });
}

bool Workbook::isVisible() const {
    return onBook(d, QStringLiteral("чтение видимости книги"), [&] {
        Reference<awt::XWindow2> w(d->window(), UNO_QUERY);
        return w.is() && w->isVisible();
    });
}

bool Workbook::isModified() const {
    return onBook(d, QStringLiteral("чтение признака изменений"),
                  [&] { return bool(Reference<util::XModifiable>(d->doc, UNO_QUERY_THROW)->isModified()); });
}

void Workbook::setModified(bool modified) {
    onBook(d, QStringLiteral("признак изменений"),
           [&] { Reference<util::XModifiable>(d->doc, UNO_QUERY_THROW)->setModified(modified); });
}

namespace {

void syncFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// rename() that never replaces: renameat2(RENAME_NOREPLACE), or link()+unlink() where the file
// system lacks it. Either way an existing target is left alone.
int renameNoReplace(const QByteArray& from, const QByteArray& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
#endif
    if (::link(from.constData(), to.constData()) != 0)
        return -1;
    ::unlink(from.constData());
    return 0;
}

void storeAtomically(const std::shared_ptr<BookRef>& d, const QString& path, const QString& filter,
                     ReplacePolicy policy) {
    const QFileInfo target(path);
    const QString targetPath = target.absoluteFilePath();
    const QString dir = target.absolutePath();
    if (!QFileInfo(dir).isDir())
        throw Error(Error::FileNotFound, QStringLiteral("Каталог не найден: ") + dir);
    if (policy == ReplacePolicy::NeverReplace && QFileInfo::exists(targetPath))
        throw hostError(QStringLiteral("Файл уже существует и не будет заменён: ") + targetPath);
    // The temporary file lives beside the target, so that the final rename stays on one file system
    // and is atomic.
    QTemporaryFile tmp(dir + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX.tmp"));
    if (!tmp.open())
        throw hostError(QStringLiteral("Нет права записи в каталог ") + dir + QStringLiteral(": ") + tmp.errorString());
    const QString tmpPath = tmp.fileName();
    tmp.close();
    onBook(d, QStringLiteral("сохранение в ") + targetPath, [&] {
        const Sequence<beans::PropertyValue> args =
            seqOf({prop("FilterName", Any(toOU(filter))), prop("Overwrite", Any(true))});
        Reference<frame::XStorable>(d->doc, UNO_QUERY_THROW)->storeToURL(toOU(fileUrl(tmpPath)), args);
    });
    if (QFileInfo(tmpPath).size() == 0)
        throw hostError(QStringLiteral("LibreOffice Calc записал пустой файл; книга не сохранена в ") + targetPath);
    // The temporary file was made private (0600); the logbook gets the permissions of the file it
    // replaces, or the usual ones for a new file.
    {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        struct stat old {};
        const mode_t mode =
            ::stat(QFile::encodeName(targetPath).constData(), &old) == 0 ? (old.st_mode & 07777) : (0666 & ~mask);
        ::chmod(QFile::encodeName(tmpPath).constData(), mode);
    }
    syncFile(tmpPath);
    const QByteArray from = QFile::encodeName(tmpPath), to = QFile::encodeName(targetPath);
    const int rc = policy == ReplacePolicy::NeverReplace ? renameNoReplace(from, to) : ::rename(from, to);
    if (rc != 0) {
        const int err = errno;
        throw hostError((err == EEXIST ? QStringLiteral("Файл уже существует и не будет заменён: ")
                                       : QStringLiteral("Не удалось записать файл ")) +
                        targetPath + QStringLiteral(" (") + QString::fromLocal8Bit(std::strerror(err)) + u')');
    }
    syncFile(dir);
}

} // namespace

void Workbook::saveAs(const QString& path, ReplacePolicy policy) {
    storeAtomically(d, path, QStringLiteral("MS Excel 97"), policy);
    d->path = QFileInfo(path).absoluteFilePath();
    d->name = QFileInfo(path).completeBaseName();
    // What is on disk now equals the workbook: a shown window must not ask about saving it again.
    onBook(d, QStringLiteral("признак изменений"),
           [&] { Reference<util::XModifiable>(d->doc, UNO_QUERY_THROW)->setModified(false); });
}

void Workbook::save() {
    if (d->path.isEmpty())
        throw hostError(QStringLiteral("Книга ") + d->label() + QStringLiteral(" ещё не имеет файла"));
    saveAs(d->path, ReplacePolicy::Replace);
}

void Workbook::exportTo(const QString& path, const QString& filterName) {
    storeAtomically(d, path, filterName, ReplacePolicy::Replace);
}

void Workbook::close(CloseMode mode) {
    if (mode == CloseMode::Save)
        save();
    onBook(d, QStringLiteral("закрытие книги"), [&] {
        Reference<util::XModifiable> mod(d->doc, UNO_QUERY_THROW);
        Reference<awt::XWindow2> w(d->window(), UNO_QUERY);
        if (mode == CloseMode::AsOfficeDecides && mod->isModified() && w.is() && w->isVisible()) {
            // A shown workbook changed by hand: Calc asks the pilot itself, as its own close does.
            Reference<frame::XDispatchHelper> helper(
                Reference<lang::XMultiServiceFactory>(d->s->remote->getServiceManager(), UNO_QUERY_THROW)
                    ->createInstance("com.sun.star.frame.DispatchHelper"),
                UNO_QUERY_THROW);
            Reference<frame::XDispatchProvider> frame(d->controller()->getFrame(), UNO_QUERY_THROW);
            // Returns once the pilot has answered; "Cancel" keeps the workbook open.
            helper->executeDispatch(frame, ".uno:CloseDoc", "_self", 0, {});
            return;
        }
        Reference<util::XCloseable>(d->doc, UNO_QUERY_THROW)->close(true);
        d->closed = true;
    });
    if (d->closed || !d->alive()) {
        d->doc.clear();
        d->parserA1.clear();
        d->parserR1C1.clear();
    }
}

// ---------------------------------------------------------------------------------------------
// SpreadsheetHost

SpreadsheetHost::SpreadsheetHost() : SpreadsheetHost(Options{}) {}

SpreadsheetHost::SpreadsheetHost(Options options) : options_(std::move(options)) {
    if (options_.profileDir.isEmpty())
        options_.profileDir = defaultProfileDir();
    options_.profileDir = QFileInfo(options_.profileDir).absoluteFilePath();
    if (options_.pipeName.isEmpty()) {
        // One pipe per profile: two programs on the same profile share its office, as they must.
        const QByteArray h =
            QCryptographicHash::hash(options_.profileDir.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
        options_.pipeName = QStringLiteral("korvelanta-%1-%2").arg(::getuid()).arg(QString::fromLatin1(h));
    }
}

SpreadsheetHost::~SpreadsheetHost() {
    try {
        // The office stays when the pilot is looking at a workbook in it, and when this host only
        // joined an office that another program of this profile started.
        if (s_ && s_->attached && !s_->lost && (anyWorkbookShown() || officePid() == 0))
            detach();
        else
            shutdown();
    } catch (...) {
        // nothing may escape a destructor; the office is left to itself at worst
    }
}

QString SpreadsheetHost::defaultProfileDir() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.cache");
    return base + QStringLiteral("/korvelanta/office-profile");
}

QString SpreadsheetHost::profileDir() const { return options_.profileDir; }
QString SpreadsheetHost::pipeName() const { return options_.pipeName; }

qint64 SpreadsheetHost::officePid() const {
    return s_ && s_->process && s_->process->started() ? qint64(s_->process->pid()) : 0;
}

bool SpreadsheetHost::isAttached() const { return s_ && s_->attached && !s_->lost; }

bool SpreadsheetHost::isAlive() { return s_ && s_->responds(); }

std::shared_ptr<Session> SpreadsheetHost::session() const {
    if (!s_ || !s_->attached || s_->lost)
        throw hostError(QStringLiteral("Нет связи с LibreOffice Calc"));
    return s_;
}

void SpreadsheetHost::attach() {
    if (s_ && s_->attached && !s_->lost) {
        if (s_->responds())
            return;
    }
    // A write into the pipe of an office that just died must be an error, not the end of the program.
    struct sigaction sa {};
    if (::sigaction(SIGPIPE, nullptr, &sa) == 0 && sa.sa_handler == SIG_DFL)
        std::signal(SIGPIPE, SIG_IGN);

    std::shared_ptr<OfficeProcess> process = s_ && s_->process ? s_->process : std::make_shared<OfficeProcess>();
    if (process->started() && process->hasExited())
        process->reset();
    auto s = std::make_shared<Session>();
    s->process = process;

    Reference<bridge::XUnoUrlResolver> resolver;
    try {
        resolver = bridge::UnoUrlResolver::create(localContext());
    } catch (const uno::Exception& e) {
        throw hostError(QStringLiteral("Не удалось загрузить среду UNO LibreOffice: ") + toQ(e.Message));
    }
    const OUString url =
        toOU(QStringLiteral("uno:pipe,name=") + options_.pipeName + QStringLiteral(";urp;StarOffice.ComponentContext"));
    auto tryConnect = [&]() -> bool {
        try {
            s->remote.set(resolver->resolve(url), UNO_QUERY_THROW);
            return true;
        } catch (const connection::NoConnectException&) {
            return false;
        } catch (const uno::Exception&) {
            return false;
        }
    };

    // An office of this profile may still run, e.g. one left showing the logbook to the pilot.
    if (!tryConnect()) {
        bool headless = true;
        switch (options_.display) {
        case DisplayMode::Headless:
            headless = true;
            break;
        case DisplayMode::Invisible:
            headless = false;
            break;
        case DisplayMode::Auto:
            headless = qEnvironmentVariableIsEmpty("DISPLAY");
            break;
        }
        QDir().mkpath(options_.profileDir);
        process->start(options_.profileDir, options_.pipeName, headless, options_.vclPlugin);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(options_.startTimeoutMs);
        bool handedOver = false;
        while (!tryConnect()) {
            if (!handedOver && process->hasExited()) {
                const int code = process->exitCode();
                if (code == 81) { // first start of a fresh profile: LibreOffice asks to be restarted
                    process->restart();
                } else if (code == 0) {
                    // Another office on this profile took our arguments and now listens on our pipe.
                    handedOver = true;
                } else {
                    throw hostError(QStringLiteral("LibreOffice Calc не запустился (код завершения %1); журнал: %2")
                                        .arg(code)
                                        .arg(options_.profileDir + QStringLiteral("/soffice.log")));
                }
            }
            if (std::chrono::steady_clock::now() > deadline) {
                process->kill();
                throw hostError(QStringLiteral("LibreOffice Calc не ответил за %1 с после запуска")
                                    .arg(options_.startTimeoutMs / 1000));
            }
            sleepMs(50);
        }
    }
    try {
        s->desktop = frame::Desktop::create(s->remote);
    } catch (const uno::Exception& e) {
        throw hostError(QStringLiteral("LibreOffice Calc не отдал свой рабочий стол: ") + toQ(e.Message));
    }
    s->attached = true;
    s_ = s;
}

void SpreadsheetHost::detach() {
    if (!s_)
        return;
    s_->attached = false;
    s_->desktop.clear();
    s_->remote.clear();
    auto process = s_->process;
    s_ = std::make_shared<Session>(); // handles keep the old, detached session
    s_->process = process;
}

void SpreadsheetHost::shutdown() {
    std::shared_ptr<OfficeProcess> process = s_ ? s_->process : nullptr;
    if (s_ && s_->attached && !s_->lost) {
        try {
            // A shown, modified workbook would make terminate() wait on Calc's own question forever.
            Reference<container::XEnumeration> e = s_->desktop->getComponents()->createEnumeration();
            while (e->hasMoreElements()) {
                Reference<util::XCloseable> c(e->nextElement(), UNO_QUERY);
                if (c.is()) {
                    try {
                        c->close(true);
                    } catch (const uno::Exception&) {
                    }
                }
            }
            s_->desktop->terminate();
        } catch (const uno::Exception&) {
            // a dying office may drop the bridge in the middle of terminate()
        }
    }
    if (s_) {
        s_->attached = false;
        s_->desktop.clear();
        s_->remote.clear();
    }
    if (process && process->started() && !process->waitForExit(10000))
        process->kill();
    s_.reset();
}

namespace {

QString bookNameOf(const Reference<frame::XModel>& model) {
    const QString path = localPathOfUrl(toQ(model->getURL()));
    if (!path.isEmpty())
        return QFileInfo(path).completeBaseName();
    Reference<frame::XTitle> t(model, UNO_QUERY);
    return t.is() ? toQ(t->getTitle()) : QString();
}

template <class F>
void forEachSpreadsheet(Session& s, F&& f) {
    Reference<container::XEnumeration> e = s.desktop->getComponents()->createEnumeration();
    while (e->hasMoreElements()) {
        Reference<sheet::XSpreadsheetDocument> doc(e->nextElement(), UNO_QUERY);
        if (doc.is() && f(doc))
            return;
    }
}

std::shared_ptr<BookRef> makeBook(const std::shared_ptr<Session>& s, const Reference<sheet::XSpreadsheetDocument>& doc,
                                  const QString& path) {
    auto b = std::make_shared<BookRef>();
    b->s = s;
    b->doc = doc;
    b->path = path;
    b->name = bookNameOf(Reference<frame::XModel>(doc, UNO_QUERY_THROW));
    return b;
}

} // namespace

Workbook SpreadsheetHost::openWorkbook(const QString& path, OpenMode mode) {
    attach();
    auto s = session();
    const QString abs = QFileInfo(path).absoluteFilePath();
    if (!QFileInfo(abs).isFile())
        throw Error(Error::FileNotFound, QStringLiteral("Файл не найден: ") + abs);
    return guarded(*s, nullptr, QStringLiteral("открытие книги ") + abs, [&] {
        Reference<sheet::XSpreadsheetDocument> found;
        forEachSpreadsheet(*s, [&](const Reference<sheet::XSpreadsheetDocument>& doc) {
            Reference<frame::XModel> m(doc, UNO_QUERY);
            if (m.is() && localPathOfUrl(toQ(m->getURL())) == abs) {
                found = doc;
                return true;
            }
            return false;
        });
        if (found.is()) {
            Workbook b(makeBook(s, found, abs));
            if (mode == OpenMode::Hidden || b.isVisible())
                return b;
            if (b.isModified()) {
                b.show(); // its changes must not be lost: shown as it is
                return b;
            }
            // Open hidden and unchanged: loaded again, shown (see below).
            b.close(CloseMode::Discard);
        }
        // A workbook to be shown is loaded shown: showing a hidden-loaded one later can bring
        // LibreOffice 7.4 down (its menu bar is missing when the window first takes the focus).
        const Sequence<beans::PropertyValue> args = seqOf({prop("Hidden", Any(mode == OpenMode::Hidden))});
        Reference<lang::XComponent> c = s->desktop->loadComponentFromURL(toOU(fileUrl(abs)), "_blank", 0, args);
        Reference<sheet::XSpreadsheetDocument> doc(c, UNO_QUERY);
        if (!doc.is()) {
            if (Reference<util::XCloseable> cl{c, UNO_QUERY}; cl.is())
                cl->close(true);
            throw hostError(QStringLiteral("Файл не является книгой электронной таблицы: ") + abs);
        }
        Workbook b(makeBook(s, doc, abs));
        if (mode == OpenMode::Shown)
            b.show();
        return b;
    });
}

Workbook SpreadsheetHost::addWorkbook() {
    attach();
    auto s = session();
    return guarded(*s, nullptr, QStringLiteral("создание новой книги"), [&] {
        const Sequence<beans::PropertyValue> args = seqOf({prop("Hidden", Any(true))});
        Reference<sheet::XSpreadsheetDocument> doc(
            s->desktop->loadComponentFromURL("private:factory/scalc", "_blank", 0, args), UNO_QUERY_THROW);
        // A new workbook has exactly one sheet, whatever the office's own setting says.
        Reference<sheet::XSpreadsheets> sheets = doc->getSheets();
        Reference<container::XIndexAccess> ia(sheets, UNO_QUERY_THROW);
        while (ia->getCount() > 1)
            sheets->removeByName(
                Reference<container::XNamed>(ia->getByIndex(ia->getCount() - 1), UNO_QUERY_THROW)->getName());
        return Workbook(makeBook(s, doc, QString()));
    });
}

std::optional<Workbook> SpreadsheetHost::findWorkbook(const QString& name) {
    if (!isAlive())
        return std::nullopt;
    auto s = session();
    return guarded(*s, nullptr, QStringLiteral("поиск книги «") + name + QStringLiteral("»"),
                   [&]() -> std::optional<Workbook> {
                       std::optional<Workbook> result;
                       forEachSpreadsheet(*s, [&](const Reference<sheet::XSpreadsheetDocument>& doc) {
                           Reference<frame::XModel> m(doc, UNO_QUERY);
                           if (!m.is())
                               return false;
                           if (bookNameOf(m).compare(name, Qt::CaseInsensitive) != 0)
                               return false;
                           result = Workbook(makeBook(s, doc, localPathOfUrl(toQ(m->getURL()))));
                           return true;
                       });
                       return result;
                   });
}

bool SpreadsheetHost::anyWorkbookShown() {
    if (!isAttached())
        return false;
    auto s = s_;
    try {
        bool shown = false;
        forEachSpreadsheet(*s, [&](const Reference<sheet::XSpreadsheetDocument>& doc) {
            Reference<frame::XModel> m(doc, UNO_QUERY);
            if (!m.is() || !m->getCurrentController().is())
                return false;
            Reference<awt::XWindow2> w(m->getCurrentController()->getFrame()->getContainerWindow(), UNO_QUERY);
            shown = w.is() && w->isVisible();
            return shown;
        });
        return shown;
    } catch (const uno::Exception&) {
        return false;
    }
}

} // namespace korv::logbook
