#pragma once

// The state behind the host's handles (SpreadsheetHost, Workbook, Sheet, Range) and the guard every
// operation runs in, which turns each UNO failure into a korv::Error that names what failed.

#include "common/error.h"
#include "spreadsheet/uno/convert.h"
#include "spreadsheet/uno/office_process.h"
#include "spreadsheet/uno/spreadsheet_host.h"

#include <QHash>
#include <QString>

#include <atomic>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XFormulaParser.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <map>
#include <memory>
#include <string>

namespace korv::logbook::detail {

namespace css = com::sun::star;
using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;

inline Error hostError(const QString& text) { return Error(Error::Spreadsheet, text); }
// What an operation ended by its watchdog reports: its deadline passed, or a stop was asked for and it did
// not end in the time given after it. `what` is what was not done.
Error expiredError(int seconds, const QString& what, const QString& detail = {});

// The lock that lets one operation at a time, of whichever program, use the office of a profile.
inline QString operationLockFile(const QString& profileDir) {
    return profileDir + QStringLiteral("/korvelanta-office.lock");
}

void sleepMs(int ms);

// The local UNO runtime, bootstrapped once and never released: it must outlive every reference,
// including those destroyed during exit().
Reference<css::uno::XComponentContext> localContext();

// One connection to the office.
struct Session {
    std::shared_ptr<OfficeProcess> process;
    Reference<css::uno::XComponentContext> remote;
    Reference<css::frame::XDesktop2> desktop;
    bool attached = false;
    bool lost = false;
    // Seconds of an operation's deadline the office ran past (it was ended then), 0 while none.
    std::shared_ptr<std::atomic<int>> expired;

    void require(const QString& what) const;
    // Whether the office still answers; marks the session lost when it does not.
    bool responds();
    void markLost();
};

struct BookRef {
    std::shared_ptr<Session> s;
    Reference<css::sheet::XSpreadsheetDocument> doc;
    QString name;
    QString path;
    bool closed = false;
    QHash<QString, sal_Int32> formatKeys;
    Reference<css::sheet::XFormulaParser> parserA1, parserR1C1;

    Reference<css::frame::XModel> model() const { return Reference<css::frame::XModel>(doc, UNO_QUERY_THROW); }
    Reference<css::frame::XController> controller() const { return model()->getCurrentController(); }
    Reference<css::awt::XWindow> window() const { return controller()->getFrame()->getContainerWindow(); }

    bool alive();
    QString label() const { return QStringLiteral("«") + name + QStringLiteral("»"); }
    // The document's key of an Excel-style number format code ("0.0", "dd", "General").
    sal_Int32 formatKey(const QString& code);
    QString formatCode(sal_Int32 key) const;
    // A formula parser with Excel's English grammar, A1 or R1C1.
    Reference<css::sheet::XFormulaParser> parser(bool r1c1);
};

struct SheetRef {
    std::shared_ptr<BookRef> book;
    Reference<css::sheet::XSpreadsheet> sheet;
    QString name;
    css::table::CellRangeAddress whole{}; // the sheet's full extent, for "G:G" and "7:8"
    bool wholeKnown = false;
    // Every remote call costs a round trip: the column and row collections are fetched once.
    Reference<css::table::XTableColumns> columns;
    Reference<css::table::XTableRows> rows;

    sal_Int16 index() const {
        return Reference<css::sheet::XCellRangeAddressable>(sheet, UNO_QUERY_THROW)->getRangeAddress().Sheet;
    }
    const css::table::CellRangeAddress& extent();
    Reference<css::beans::XPropertySet> columnProps(int column);
    Reference<css::beans::XPropertySet> rowProps(int row);
};

struct RangeRef {
    std::shared_ptr<SheetRef> sheet;
    Reference<css::table::XCellRange> range;
    css::table::CellRangeAddress addr{}; // as created; ranges follow inserted and deleted rows in Calc

    css::table::CellRangeAddress live() const {
        return Reference<css::sheet::XCellRangeAddressable>(range, UNO_QUERY_THROW)->getRangeAddress();
    }
    QString label() const { return sheet->name + u'!' + a1Of(addr); }
    Reference<css::table::XCell> topLeft() const { return range->getCellByPosition(0, 0); }
};

// Rethrows the exception in flight as a korv::Error that names 'what' and says whether the office or
// only the workbook went away.
[[noreturn]] void translate(Session& s, BookRef* book, const QString& what);

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

// The backends of the handles over UNO: each holds the state above and does the operations of
// document.h in the office.
class UnoRange final : public RangeBackend {
public:
    explicit UnoRange(std::shared_ptr<RangeRef> ref) : d(std::move(ref)) {}
    CellBlock block() const override;
    Sheet sheet() const override;
    void setValue(double value) override;
    void setText(const QString& text) override;
    void setFormula(const QString& formula) override;
    void setFormulaR1C1(const QString& formula) override;
    double value() const override;
    QString text() const override;
    QString formula() const override;
    CellKind kind() const override;
    QList<QVariantList> data() const override;
    void setData(const QList<QVariantList>& rows) override;
    void setFormulas(const QList<QStringList>& rows) override;
    void apply(const CellFormat& format) override;
    CellFormat format() const override;
    void setBorders(const Borders& borders) override;
    Borders borders() const override;
    void merge() override;
    void unmerge() override;
    Range mergedArea() const override;
    Range mergeSpan() const override;
    void clearContents() override;
    void clear() override;
    void copyTo(const Range& destTopLeft) const override;
    void addConditionalFormat(const ConditionalFormat& cf) override;
    void clearConditionalFormats() override;
    int conditionalFormatCount() const override;
    int formatBlockCount() const override;

    std::shared_ptr<RangeRef> d;
};

class UnoSheet final : public SheetBackend {
public:
    explicit UnoSheet(std::shared_ptr<SheetRef> ref) : d(std::move(ref)) {}
    QString name() const override;
    int index() const override;
    Workbook workbook() const override;
    Range range(const QString& text) const override;
    Range cells(int firstRow, int firstColumn, int lastRow, int lastColumn) const override;
    void applyAll(const QStringList& ranges, const CellFormat& format) override;
    void applyToEmptyCells(const QList<CellBlock>& blocks, const CellFormat& format) override;
    void activate() override;
    void select(const QString& a1Text) override;
    QString selection() const override;
    void setColumnWidth(int column, double excelChars) override;
    int columnWidthHmm(int column) const override;
    void setRowHeight(int row, double points) override;
    double rowHeight(int row) const override;
    bool hasCustomRowHeight(int row) const override;
    void setRowsHidden(int firstRow, int lastRow, bool hidden) override;
    bool isRowHidden(int row) const override;
    void setProtected(bool on) override;
    bool isProtected() const override;
    void insertRows(int row, int count) override;
    void deleteRows(int row, int count) override;
    void copyRows(int firstRow, int count, int dstRow) override;
    int lastUsedRow() const override;
    void setPrintArea(const QString& text) override;
    void setPageSetup(const PageSetup& setup) override;
    PageSetup pageSetup() const override;
    void setPageLayout(const PageLayout& layout) override;
    void clearPrintArea() override;
    QString printArea() const override;
    std::optional<std::pair<int, int>> frozenPanes() const override;

    std::shared_ptr<SheetRef> d;
};

class UnoWorkbook final : public WorkbookBackend {
public:
    explicit UnoWorkbook(std::shared_ptr<BookRef> ref) : d(std::move(ref)) {}
    bool isOpen() const override;
    QString name() const override;
    QString path() const override;
    QStringList sheetNames() const override;
    Sheet sheet(const QString& name) const override;
    Sheet sheetAt(int index) const override;
    Sheet addSheet(const QString& name, int position) override;
    void renameSheet(const QString& oldName, const QString& newName) override;
    void moveSheet(const QString& name, int position) override;
    Sheet activeSheet() const override;
    void setStandardFont(const QString& name, double points) override;
    std::shared_ptr<void> holdView() override;
    void freezePanes(const QStringList& sheets, int columns, int rows) override;
    void show() override;
    void hide() override;
    void whenClosed(std::function<void()> closed) override;
    bool isVisible() const override;
    bool isModified() const override;
    void setModified(bool modified) override;
    void saveAs(const QString& path, ReplacePolicy policy) override;
    void exportTo(const QString& path, const QString& filterName) override;
    void exportPdf(const QString& path, const Range& area) override;
    void close(CloseMode mode) override;

    std::shared_ptr<BookRef> d;
};

inline Range unoRange(std::shared_ptr<RangeRef> ref) { return Range(std::make_shared<UnoRange>(std::move(ref))); }
inline Sheet unoSheet(std::shared_ptr<SheetRef> ref) { return Sheet(std::make_shared<UnoSheet>(std::move(ref))); }
inline Workbook unoWorkbook(std::shared_ptr<BookRef> ref) {
    return Workbook(std::make_shared<UnoWorkbook>(std::move(ref)));
}
// The UNO state behind a handle of this office; a handle of another backend is refused.
const std::shared_ptr<RangeRef>& refOf(const Range& range);
const std::shared_ptr<SheetRef>& refOf(const Sheet& sheet);
const std::shared_ptr<BookRef>& refOf(const Workbook& book);

// A handle on a sheet of the workbook.
Sheet makeSheet(const std::shared_ptr<BookRef>& book, const Reference<css::sheet::XSpreadsheet>& sheet);
// A handle on a document of the session; 'path' is the file it was loaded from, if any.
std::shared_ptr<BookRef> makeBook(const std::shared_ptr<Session>& s,
                                  const Reference<css::sheet::XSpreadsheetDocument>& doc, const QString& path);

// Calls f for every document the office holds that offers Interface, until f returns true.
template <class Interface, class F>
void forEachDocument(Session& s, F&& f) {
    Reference<css::container::XEnumeration> e = s.desktop->getComponents()->createEnumeration();
    while (e->hasMoreElements()) {
        Reference<Interface> doc(e->nextElement(), UNO_QUERY);
        if (doc.is() && f(doc))
            return;
    }
}

// Whether the document has a window of its own on the screen.
bool isShown(const Reference<css::frame::XModel>& model);

// The name a workbook goes by: its file name without extension, or the title of a new one.
QString bookNameOf(const Reference<css::frame::XModel>& model);

// Property names sorted, as XMultiPropertySet asks for them; std::map keeps them so.
using PropertyMap = std::map<std::string, Any>;
void setProperties(const Reference<css::uno::XInterface>& obj, const PropertyMap& props);

} // namespace korv::logbook::detail
