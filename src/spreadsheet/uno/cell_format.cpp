// Cell formats, borders and conditional formats: the host's look types mapped to Calc's properties.
// Each mapping is one table, read one way to set a property and the other way to read it back.

#include "spreadsheet/uno/handles.h"
#include "spreadsheet/uno/spreadsheet_host.h"

#include <array>
#include <cmath>
#include <com/sun/star/awt/FontSlant.hpp>
#include <com/sun/star/awt/FontUnderline.hpp>
#include <com/sun/star/awt/FontWeight.hpp>
#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/ConditionOperator.hpp>
#include <com/sun/star/sheet/XCellFormatRangesSupplier.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRangeContainer.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XSheetConditionalEntries.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/table/BorderLine2.hpp>
#include <com/sun/star/table/BorderLineStyle.hpp>
#include <com/sun/star/table/CellHoriJustify.hpp>
#include <com/sun/star/table/CellOrientation.hpp>
#include <com/sun/star/table/CellVertJustify.hpp>
#include <com/sun/star/table/CellVertJustify2.hpp>
#include <com/sun/star/table/TableBorder2.hpp>
#include <utility>

using namespace com::sun::star;

namespace korv::logbook {

using namespace detail;

namespace {

// A two-way table: the first value of the pair found for one side gives the other side.
template <class Ours, class Theirs, size_t N>
struct Mapping {
    std::array<std::pair<Ours, Theirs>, N> pairs;

    Theirs theirs(Ours o) const {
        for (const auto& [a, b] : pairs)
            if (a == o)
                return b;
        return pairs.front().second;
    }
    Ours ours(Theirs t, Ours fallback) const {
        for (const auto& [a, b] : pairs)
            if (b == t)
                return a;
        return fallback;
    }
};

constexpr Mapping<HAlign, table::CellHoriJustify, 5> kHAlign{{{
    {HAlign::General, table::CellHoriJustify_STANDARD},
    {HAlign::Left, table::CellHoriJustify_LEFT},
    {HAlign::Center, table::CellHoriJustify_CENTER},
    {HAlign::Right, table::CellHoriJustify_RIGHT},
    {HAlign::Justify, table::CellHoriJustify_BLOCK},
}}};

// Bottom comes back from .xls as "standard", which is Excel's bottom as well: the fallback.
constexpr Mapping<VAlign, sal_Int32, 3> kVAlign{{{
    {VAlign::Bottom, table::CellVertJustify2::BOTTOM},
    {VAlign::Center, table::CellVertJustify2::CENTER},
    {VAlign::Top, table::CellVertJustify2::TOP},
}}};

struct Rotation {
    table::CellOrientation orientation;
    sal_Int32 angle; // 1/100 degree
    friend bool operator==(const Rotation&, const Rotation&) = default;
};
constexpr Mapping<TextOrientation, Rotation, 4> kOrientation{{{
    {TextOrientation::Horizontal, {table::CellOrientation_STANDARD, 0}},
    {TextOrientation::Upward, {table::CellOrientation_STANDARD, 9000}},
    {TextOrientation::Downward, {table::CellOrientation_STANDARD, 27000}},
    {TextOrientation::Stacked, {table::CellOrientation_STACKED, 0}},
}}};

constexpr Mapping<ConditionOperator, sheet::ConditionOperator, 8> kOperator{{{
    {ConditionOperator::Equal, sheet::ConditionOperator_EQUAL},
    {ConditionOperator::NotEqual, sheet::ConditionOperator_NOT_EQUAL},
    {ConditionOperator::Greater, sheet::ConditionOperator_GREATER},
    {ConditionOperator::GreaterEqual, sheet::ConditionOperator_GREATER_EQUAL},
    {ConditionOperator::Less, sheet::ConditionOperator_LESS},
    {ConditionOperator::LessEqual, sheet::ConditionOperator_LESS_EQUAL},
    {ConditionOperator::Between, sheet::ConditionOperator_BETWEEN},
    {ConditionOperator::NotBetween, sheet::ConditionOperator_NOT_BETWEEN},
}}};

// Line widths (1/100 mm) that the .xls export writes as the Excel weight and reads back unchanged, and
// the widest line that still counts as that weight when read.
struct LineWidth {
    LineWeight weight;
    sal_uInt32 written;
    sal_uInt32 widest;
};
constexpr std::array<LineWidth, 5> kLineWidths = {{
    {LineWeight::None, 0, 0},
    {LineWeight::Hair, 2, 25},
    {LineWeight::Thin, 26, 60},
    {LineWeight::Medium, 62, 87},
    {LineWeight::Thick, 88, 0xFFFFFFFF},
}};

table::BorderLine2 borderLine(LineWeight w) {
    table::BorderLine2 l;
    l.Color = 0;
    l.InnerLineWidth = l.OuterLineWidth = l.LineDistance = 0;
    l.LineStyle = w == LineWeight::None ? table::BorderLineStyle::NONE : table::BorderLineStyle::SOLID;
    for (const LineWidth& lw : kLineWidths)
        if (lw.weight == w)
            l.LineWidth = lw.written;
    if (w != LineWeight::None)
        l.OuterLineWidth = sal_Int16(l.LineWidth);
    return l;
}

LineWeight weightOf(const table::BorderLine2& l) {
    const sal_uInt32 w = l.LineWidth ? l.LineWidth : sal_uInt32(l.OuterLineWidth + l.InnerLineWidth + l.LineDistance);
    if (l.LineStyle == table::BorderLineStyle::NONE || w == 0)
        return LineWeight::None;
    for (const LineWidth& lw : kLineWidths)
        if (lw.weight != LineWeight::None && w <= lw.widest)
            return lw.weight;
    return LineWeight::Thick;
}

// One Excel indent level is 200 twips.
sal_Int16 indentHmm(int levels) { return sal_Int16(std::lround(levels * 200 * 127 / 72.0)); }
int indentLevels(sal_Int16 hmm) { return int(std::lround(hmm * 72 / 127.0 / 200)); }

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
    if (f.hAlign)
        p["HoriJustify"] <<= kHAlign.theirs(*f.hAlign);
    if (f.vAlign)
        p["VertJustify"] <<= kVAlign.theirs(*f.vAlign);
    if (f.wrap)
        p["IsTextWrapped"] <<= bool(*f.wrap);
    if (f.shrink)
        p["ShrinkToFit"] <<= bool(*f.shrink);
    if (f.orientation) {
        const Rotation r = kOrientation.theirs(*f.orientation);
        p["Orientation"] <<= r.orientation;
        p["RotateAngle"] <<= r.angle;
    }
    if (f.indent)
        p["ParaIndent"] <<= indentHmm(*f.indent);
    if (f.numberFormat)
        p["NumberFormat"] <<= book.formatKey(*f.numberFormat);
    return p;
}

} // namespace

void UnoRange::apply(const CellFormat& f) {
    onRange(d, QStringLiteral("оформление ячеек"),
            [&] { setProperties(d->range, formatProperties(*d->sheet->book, f)); });
}

void UnoSheet::applyAll(const QStringList& ranges, const CellFormat& format) {
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
            addrs.getArray()[i] = refOf(list[i])->addr;
        all->addRangeAddresses(addrs, false);
        setProperties(all, formatProperties(*d->book, format));
    });
}

void UnoSheet::applyToEmptyCells(const QList<CellBlock>& blocks, const CellFormat& format) {
    if (blocks.isEmpty())
        return;
    onSheet(d, QStringLiteral("оформление пустых ячеек"), [&] {
        Reference<sheet::XSheetCellRangeContainer> all(
            Reference<lang::XMultiServiceFactory>(d->book->doc, UNO_QUERY_THROW)
                ->createInstance("com.sun.star.sheet.SheetCellRanges"),
            UNO_QUERY_THROW);
        const sal_Int16 sheetIndex = d->extent().Sheet;
        Sequence<table::CellRangeAddress> addrs(blocks.size());
        for (int i = 0; i < blocks.size(); ++i) {
            const CellBlock& b = blocks[i];
            addrs.getArray()[i] =
                table::CellRangeAddress(sheetIndex, b.firstColumn, b.firstRow, b.lastColumn, b.lastRow);
        }
        all->addRangeAddresses(addrs, false);
        Reference<sheet::XSheetCellRanges> empty =
            Reference<sheet::XCellRangesQuery>(all, UNO_QUERY_THROW)->queryEmptyCells();
        if (empty.is() && empty->getRangeAddresses().hasElements())
            setProperties(empty, formatProperties(*d->book, format));
    });
}

int UnoRange::formatBlockCount() const {
    return onRange(d, QStringLiteral("чтение оформления"), [&] {
        return int(
            Reference<sheet::XCellFormatRangesSupplier>(d->range, UNO_QUERY_THROW)->getCellFormatRanges()->getCount());
    });
}

CellFormat UnoRange::format() const {
    return onRange(d, QStringLiteral("чтение оформления"), [&] {
        static const char* const names[] = {"CharColor",     "CharFontName", "CharHeight",  "CharPosture",
                                            "CharUnderline", "CharWeight",   "HoriJustify", "IsTextWrapped",
                                            "NumberFormat",  "Orientation",  "ParaIndent",  "RotateAngle",
                                            "ShrinkToFit",   "VertJustify"};
        Sequence<OUString> seq(std::size(names));
        for (size_t i = 0; i < std::size(names); ++i)
            seq.getArray()[i] = OUString::createFromAscii(names[i]);
        const Sequence<Any> v =
            Reference<beans::XMultiPropertySet>(d->topLeft(), UNO_QUERY_THROW)->getPropertyValues(seq);
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
        if (v[6] >>= h)
            f.hAlign = kHAlign.ours(h, HAlign::General);
        if (v[7] >>= b)
            f.wrap = b;
        if (v[8] >>= i32)
            f.numberFormat = d->sheet->book->formatCode(i32);
        table::CellOrientation o = table::CellOrientation_STANDARD;
        v[9] >>= o;
        if (v[10] >>= i16)
            f.indent = indentLevels(i16);
        sal_Int32 angle = 0;
        v[11] >>= angle;
        // Rotation comes back either as an orientation or as an angle.
        if (o == table::CellOrientation_BOTTOMTOP)
            angle = 9000;
        else if (o == table::CellOrientation_TOPBOTTOM)
            angle = 27000;
        f.orientation = o == table::CellOrientation_STACKED
                            ? TextOrientation::Stacked
                            : kOrientation.ours({table::CellOrientation_STANDARD, angle}, TextOrientation::Horizontal);
        if (v[12] >>= b)
            f.shrink = b;
        sal_Int32 vj = 0;
        if (!(v[13] >>= vj)) {
            table::CellVertJustify old = table::CellVertJustify_STANDARD;
            if (v[13] >>= old)
                vj = sal_Int32(old);
        }
        f.vAlign = kVAlign.ours(vj, VAlign::Bottom);
        return f;
    });
}

void UnoRange::setBorders(const Borders& b) {
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

Borders UnoRange::borders() const {
    return onRange(d, QStringLiteral("чтение границ"), [&] {
        Reference<beans::XPropertySet> cell(d->topLeft(), UNO_QUERY_THROW);
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

void UnoRange::addConditionalFormat(const ConditionalFormat& cf) {
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
            seqOf({prop("Operator", Any(kOperator.theirs(cf.op))), prop("Formula1", Any(toOU(cf.formula1))),
                   prop("Formula2", Any(toOU(cf.formula2))), prop("StyleName", Any(toOU(styleName)))});
        ce->addNew(entry);
        rp->setPropertyValue("ConditionalFormat", Any(ce)); // the entries are a copy: write them back
    });
}

void UnoRange::clearConditionalFormats() {
    onRange(d, QStringLiteral("удаление условного форматирования"), [&] {
        Reference<beans::XPropertySet> rp(d->range, UNO_QUERY_THROW);
        Reference<sheet::XSheetConditionalEntries> ce(rp->getPropertyValue("ConditionalFormat"), UNO_QUERY_THROW);
        ce->clear();
        rp->setPropertyValue("ConditionalFormat", Any(ce));
    });
}

int UnoRange::conditionalFormatCount() const {
    return onRange(d, QStringLiteral("чтение условного форматирования"), [&] {
        Reference<container::XIndexAccess> ce(
            Reference<beans::XPropertySet>(d->range, UNO_QUERY_THROW)->getPropertyValue("ConditionalFormat"),
            UNO_QUERY_THROW);
        return int(ce->getCount());
    });
}

} // namespace korv::logbook
