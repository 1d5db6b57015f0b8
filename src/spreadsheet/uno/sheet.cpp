// Sheet: addressing, column widths and row heights, rows, the used area and the print area.

#include "spreadsheet/measures.h"
#include "spreadsheet/uno/handles.h"
#include "spreadsheet/uno/spreadsheet_host.h"

#include <QRegularExpression>

#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeMovement.hpp>
#include <com/sun/star/sheet/XHeaderFooterContent.hpp>
#include <com/sun/star/sheet/XPrintAreas.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/util/XProtectable.hpp>

using namespace com::sun::star;

namespace korv::logbook {

using namespace detail;

QString UnoSheet::name() const {
    return onSheet(d, QStringLiteral("чтение имени листа"),
                   [&] { return toQ(Reference<container::XNamed>(d->sheet, UNO_QUERY_THROW)->getName()); });
}

int UnoSheet::index() const {
    return onSheet(d, QStringLiteral("чтение номера листа"), [&] { return int(d->index()); });
}

Workbook UnoSheet::workbook() const { return unoWorkbook(d->book); }

Range UnoSheet::cells(int firstRow, int firstColumn, int lastRow, int lastColumn) const {
    return onSheet(d, QStringLiteral("диапазон ") + a1(firstRow, firstColumn) + u':' + a1(lastRow, lastColumn), [&] {
        if (firstRow < 0 || firstColumn < 0 || lastRow < firstRow || lastColumn < firstColumn)
            throw hostError(QStringLiteral("недопустимые границы диапазона"));
        auto r = std::make_shared<RangeRef>();
        r->sheet = d;
        r->range = d->sheet->getCellRangeByPosition(firstColumn, firstRow, lastColumn, lastRow);
        r->addr = table::CellRangeAddress(d->extent().Sheet, firstColumn, firstRow, lastColumn, lastRow);
        return unoRange(r);
    });
}

Range UnoSheet::range(const QString& text) const {
    const table::CellRangeAddress whole = onSheet(d, QStringLiteral("размеры листа"), [&] { return d->extent(); });
    const std::optional<CellBlock> b = parseA1(text, whole.EndRow, whole.EndColumn);
    if (!b)
        throw hostError(QStringLiteral("Недопустимый адрес диапазона «") + text + QStringLiteral("»"));
    return cells(b->firstRow, b->firstColumn, b->lastRow, b->lastColumn);
}

void UnoSheet::setColumnWidth(int column, double excelChars) {
    onSheet(d, QStringLiteral("ширина столбца ") + columnLetters(column), [&] {
        d->columnProps(column)->setPropertyValue("Width", Any(sal_Int32(measures::excelCharsToHmm(excelChars))));
    });
}

int UnoSheet::columnWidthHmm(int column) const {
    return onSheet(d, QStringLiteral("чтение ширины столбца ") + columnLetters(column), [&] {
        sal_Int32 w = 0;
        d->columnProps(column)->getPropertyValue("Width") >>= w;
        return int(w);
    });
}

void UnoSheet::setRowHeight(int row, double points) {
    onSheet(d, QStringLiteral("высота строки ") + QString::number(row + 1),
            [&] { d->rowProps(row)->setPropertyValue("Height", Any(sal_Int32(measures::pointsToHmm(points)))); });
}

double UnoSheet::rowHeight(int row) const {
    return onSheet(d, QStringLiteral("чтение высоты строки ") + QString::number(row + 1), [&] {
        sal_Int32 h = 0;
        d->rowProps(row)->getPropertyValue("Height") >>= h;
        return measures::hmmToPoints(h);
    });
}

bool UnoSheet::hasCustomRowHeight(int row) const {
    return onSheet(d, QStringLiteral("чтение высоты строки ") + QString::number(row + 1), [&] {
        bool optimal = true;
        d->rowProps(row)->getPropertyValue("OptimalHeight") >>= optimal;
        return !optimal;
    });
}

void UnoSheet::setRowsHidden(int firstRow, int lastRow, bool hidden) {
    onSheet(d, QStringLiteral("показ строк %1–%2").arg(firstRow + 1).arg(lastRow + 1), [&] {
        // One call for the whole run; rows a filter hid are hidden rows too.
        const Reference<table::XCellRange> rows(d->sheet, UNO_QUERY_THROW);
        const Reference<table::XColumnRowRange> range(rows->getCellRangeByPosition(0, firstRow, 0, lastRow),
                                                      UNO_QUERY_THROW);
        const Reference<beans::XPropertySet> props(range->getRows(), UNO_QUERY_THROW);
        props->setPropertyValue("IsVisible", Any(!hidden));
    });
}

bool UnoSheet::isRowHidden(int row) const {
    return onSheet(d, QStringLiteral("чтение строки ") + QString::number(row + 1), [&] {
        bool visible = true;
        d->rowProps(row)->getPropertyValue("IsVisible") >>= visible;
        return !visible;
    });
}

void UnoSheet::setProtected(bool on) {
    onSheet(d, QStringLiteral("защита листа"), [&] {
        const Reference<util::XProtectable> p(d->sheet, UNO_QUERY_THROW);
        if (on)
            p->protect(OUString());
        else
            p->unprotect(OUString());
    });
}

bool UnoSheet::isProtected() const {
    return onSheet(d, QStringLiteral("чтение защиты листа"),
                   [&] { return Reference<util::XProtectable>(d->sheet, UNO_QUERY_THROW)->isProtected() != 0; });
}

void UnoSheet::insertRows(int row, int count) {
    onSheet(d, QStringLiteral("вставка строк"), [&] {
        Reference<table::XColumnRowRange>(d->sheet, UNO_QUERY_THROW)->getRows()->insertByIndex(row, count);
    });
}

void UnoSheet::deleteRows(int row, int count) {
    onSheet(d, QStringLiteral("удаление строк"), [&] {
        Reference<table::XColumnRowRange>(d->sheet, UNO_QUERY_THROW)->getRows()->removeByIndex(row, count);
    });
}

void UnoSheet::copyRows(int firstRow, int count, int dstRow) {
    onSheet(d, QStringLiteral("копирование строк"), [&] {
        const table::CellRangeAddress& w = d->extent();
        const table::CellRangeAddress src(w.Sheet, 0, firstRow, w.EndColumn, firstRow + count - 1);
        Reference<sheet::XCellRangeMovement>(d->sheet, UNO_QUERY_THROW)
            ->copyRange(table::CellAddress(w.Sheet, 0, dstRow), src);
        // copyRange leaves row heights behind; a whole-row copy takes them along.
        for (int i = 0; i < count; ++i) {
            Reference<beans::XPropertySet> from = d->rowProps(firstRow + i);
            Reference<beans::XPropertySet> to = d->rowProps(dstRow + i);
            bool optimal = true;
            from->getPropertyValue("OptimalHeight") >>= optimal;
            if (optimal)
                to->setPropertyValue("OptimalHeight", Any(true));
            else
                to->setPropertyValue("Height", from->getPropertyValue("Height"));
        }
    });
}

int UnoSheet::lastUsedRow() const {
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

void UnoSheet::setPrintArea(const QString& text) {
    const Range r = range(text);
    onSheet(d, QStringLiteral("область печати"), [&] {
        const Sequence<table::CellRangeAddress> areas = seqOf({refOf(r)->addr});
        Reference<sheet::XPrintAreas>(d->sheet, UNO_QUERY_THROW)->setPrintAreas(areas);
    });
}

void UnoSheet::clearPrintArea() {
    onSheet(d, QStringLiteral("область печати"),
            [&] { Reference<sheet::XPrintAreas>(d->sheet, UNO_QUERY_THROW)->setPrintAreas({}); });
}

QString UnoSheet::printArea() const {
    return onSheet(d, QStringLiteral("чтение области печати"), [&] {
        const Sequence<table::CellRangeAddress> areas =
            Reference<sheet::XPrintAreas>(d->sheet, UNO_QUERY_THROW)->getPrintAreas();
        QStringList parts;
        for (const auto& a : areas)
            parts << a1(a.StartRow, a.StartColumn) + u':' + a1(a.EndRow, a.EndColumn);
        return parts.join(u',');
    });
}

namespace {

Reference<beans::XPropertySet> pageStyleOf(SheetRef& d) {
    OUString styleName;
    Reference<beans::XPropertySet>(d.sheet, UNO_QUERY_THROW)->getPropertyValue("PageStyle") >>= styleName;
    Reference<container::XNameAccess> styles(Reference<style::XStyleFamiliesSupplier>(d.book->doc, UNO_QUERY_THROW)
                                                 ->getStyleFamilies()
                                                 ->getByName("PageStyles"),
                                             UNO_QUERY_THROW);
    return Reference<beans::XPropertySet>(styles->getByName(styleName), UNO_QUERY_THROW);
}

} // namespace

void UnoSheet::setPageSetup(const PageSetup& setup) {
    onSheet(d, QStringLiteral("параметры страницы"), [&] {
        PropertyMap p;
        p["HeaderIsOn"] <<= setup.headerAndFooter;
        p["FooterIsOn"] <<= setup.headerAndFooter;
        p["ScaleToPagesX"] <<= sal_Int16(setup.fitPagesWide);
        p["ScaleToPagesY"] <<= sal_Int16(setup.fitPagesTall);
        setProperties(pageStyleOf(*d), p);
    });
}

namespace {

// Puts `text` into a footer part, "#N" and "#M" as the page number and page count fields.
void fillFooterPart(const Reference<lang::XMultiServiceFactory>& factory, const Reference<text::XText>& part,
                    const QString& text) {
    part->setString(OUString());
    const Reference<text::XTextCursor> cursor = part->createTextCursor();
    const Reference<text::XTextRange> at(cursor, UNO_QUERY_THROW);
    QString rest = text;
    while (!rest.isEmpty()) {
        const qsizetype field = rest.indexOf(QRegularExpression(QStringLiteral("#[NM]")));
        const QString plain = field < 0 ? rest : rest.left(field);
        if (!plain.isEmpty())
            part->insertString(at, toOU(plain), false);
        if (field < 0)
            break;
        const bool count = rest[field + 1] == u'M';
        const Reference<text::XTextContent> content(
            factory->createInstance(count ? OUString("com.sun.star.text.TextField.PageCount")
                                          : OUString("com.sun.star.text.TextField.PageNumber")),
            UNO_QUERY_THROW);
        part->insertTextContent(at, content, false);
        rest = rest.mid(field + 2);
    }
}

} // namespace

void UnoSheet::setPageLayout(const PageLayout& layout) {
    onSheet(d, QStringLiteral("страницы лётной книжки"), [&] {
        const Reference<beans::XPropertySet> style = pageStyleOf(*d);
        PropertyMap p;
        p["HeaderIsOn"] <<= false;
        p["FooterIsOn"] <<= true;
        p["FooterIsShared"] <<= true;
        p["IsLandscape"] <<= true;
        p["Size"] <<= awt::Size(29700, 21000); // A4 across, 1/100 mm
        p["LeftMargin"] <<= sal_Int32(1000);
        p["RightMargin"] <<= sal_Int32(1000);
        p["TopMargin"] <<= sal_Int32(1000);
        p["BottomMargin"] <<= sal_Int32(800);
        p["ScaleToPagesX"] <<= sal_Int16(layout.fitPagesWide);
        p["ScaleToPagesY"] <<= sal_Int16(0);
        setProperties(style, p);

        const Reference<lang::XMultiServiceFactory> factory(d->book->doc, UNO_QUERY_THROW);
        Reference<sheet::XHeaderFooterContent> footer;
        style->getPropertyValue("RightPageFooterContent") >>= footer;
        if (!footer.is())
            throw uno::RuntimeException("no footer content");
        fillFooterPart(factory, footer->getLeftText(), layout.footerLeft);
        fillFooterPart(factory, footer->getCenterText(), QString());
        fillFooterPart(factory, footer->getRightText(), layout.footerRight);
        style->setPropertyValue("RightPageFooterContent", Any(footer));
        style->setPropertyValue("LeftPageFooterContent", Any(footer));

        const Reference<sheet::XPrintAreas> areas(d->sheet, UNO_QUERY_THROW);
        areas->setPrintTitleColumns(false);
        areas->setPrintTitleRows(layout.repeatedRows > 0);
        if (layout.repeatedRows > 0) {
            table::CellRangeAddress rows;
            rows.Sheet = Reference<sheet::XCellRangeAddressable>(d->sheet, UNO_QUERY_THROW)->getRangeAddress().Sheet;
            rows.StartColumn = 0;
            rows.EndColumn = 0;
            rows.StartRow = 0;
            rows.EndRow = layout.repeatedRows - 1;
            areas->setTitleRows(rows);
        }
    });
}

PageSetup UnoSheet::pageSetup() const {
    return onSheet(d, QStringLiteral("чтение параметров страницы"), [&] {
        Reference<beans::XPropertySet> style = pageStyleOf(*d);
        PageSetup s;
        bool header = false, footer = false;
        sal_Int16 x = 0, y = 0;
        style->getPropertyValue("HeaderIsOn") >>= header;
        style->getPropertyValue("FooterIsOn") >>= footer;
        style->getPropertyValue("ScaleToPagesX") >>= x;
        style->getPropertyValue("ScaleToPagesY") >>= y;
        s.headerAndFooter = header || footer;
        s.fitPagesWide = x;
        s.fitPagesTall = y;
        return s;
    });
}

} // namespace korv::logbook
