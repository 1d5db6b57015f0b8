// Range: bounds, contents (single cells and blocks), formulas, merges, clearing and copying.

#include "common/date_serial.h"
#include "spreadsheet/uno/handles.h"
#include "spreadsheet/uno/spreadsheet_host.h"

#include <cmath>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangeFormula.hpp>
#include <com/sun/star/sheet/XCellRangeMovement.hpp>
#include <com/sun/star/sheet/XFormulaTokens.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSheetCellRange.hpp>
#include <com/sun/star/sheet/XSheetOperation.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/util/XMergeable.hpp>

using namespace com::sun::star;

namespace korv::logbook {

using namespace detail;

CellBlock UnoRange::block() const {
    return {int(d->addr.StartRow), int(d->addr.StartColumn), int(d->addr.EndRow), int(d->addr.EndColumn)};
}
Sheet UnoRange::sheet() const { return unoSheet(d->sheet); }

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

void UnoRange::setValue(double value) { fillAll(d, QStringLiteral("запись числа"), Any(value)); }

void UnoRange::setText(const QString& text) {
    // A block write stores a string as text and never parses it, so "3/0,5" or "---" stay texts.
    fillAll(d, QStringLiteral("запись текста"), Any(toOU(text)));
}

void UnoRange::setFormula(const QString& formula) {
    onRange(d, QStringLiteral("запись формулы «") + formula + QStringLiteral("»"),
            [&] { setTokens(d, formula, false); });
}

void UnoRange::setFormulaR1C1(const QString& formula) {
    onRange(d, QStringLiteral("запись формулы «") + formula + QStringLiteral("»"),
            [&] { setTokens(d, formula, true); });
}

double UnoRange::value() const {
    return onRange(d, QStringLiteral("чтение значения"), [&] { return d->topLeft()->getValue(); });
}

QString UnoRange::text() const {
    return onRange(d, QStringLiteral("чтение текста"), [&] {
        Reference<text::XTextRange> t(d->topLeft(), UNO_QUERY_THROW);
        return toQ(t->getString());
    });
}

QString UnoRange::formula() const {
    return onRange(d, QStringLiteral("чтение формулы"), [&] { return toQ(d->topLeft()->getFormula()); });
}

CellKind UnoRange::kind() const {
    return onRange(d, QStringLiteral("чтение ячейки"), [&] {
        switch (d->topLeft()->getType()) {
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

QList<QVariantList> UnoRange::data() const {
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

void UnoRange::setData(const QList<QVariantList>& rows) {
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
                    a <<= korv::dateSerial(v.toDate());
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

void UnoRange::setFormulas(const QList<QStringList>& rows) {
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

void UnoRange::merge() {
    onRange(d, QStringLiteral("объединение ячеек"),
            [&] { Reference<util::XMergeable>(d->range, UNO_QUERY_THROW)->merge(true); });
}

void UnoRange::unmerge() {
    onRange(d, QStringLiteral("разъединение ячеек"),
            [&] { Reference<util::XMergeable>(d->range, UNO_QUERY_THROW)->merge(false); });
}

namespace {

// The cells a cursor over `start` covers once grown to the merged areas it touches.
Range grownToMerges(const std::shared_ptr<RangeRef>& d, const Reference<sheet::XSheetCellRange>& start) {
    Reference<sheet::XSheetCellCursor> cur = d->sheet->sheet->createCursorByRange(start);
    cur->collapseToMergedArea();
    auto r = std::make_shared<RangeRef>();
    r->sheet = d->sheet;
    r->addr = Reference<sheet::XCellRangeAddressable>(cur, UNO_QUERY_THROW)->getRangeAddress();
    r->range = d->sheet->sheet->getCellRangeByPosition(r->addr.StartColumn, r->addr.StartRow, r->addr.EndColumn,
                                                       r->addr.EndRow);
    return unoRange(r);
}

} // namespace

Range UnoRange::mergedArea() const {
    return onRange(d, QStringLiteral("чтение объединения"), [&] {
        return grownToMerges(d, Reference<sheet::XSheetCellRange>(d->range->getCellByPosition(0, 0), UNO_QUERY_THROW));
    });
}

Range UnoRange::mergeSpan() const {
    return onRange(d, QStringLiteral("чтение объединений"),
                   [&] { return grownToMerges(d, Reference<sheet::XSheetCellRange>(d->range, UNO_QUERY_THROW)); });
}

void UnoRange::clearContents() {
    onRange(d, QStringLiteral("очистка ячеек"), [&] {
        Reference<sheet::XSheetOperation>(d->range, UNO_QUERY_THROW)
            ->clearContents(sheet::CellFlags::VALUE | sheet::CellFlags::DATETIME | sheet::CellFlags::STRING |
                            sheet::CellFlags::FORMULA);
    });
}

void UnoRange::clear() {
    onRange(d, QStringLiteral("очистка ячеек"), [&] {
        Reference<util::XMergeable>(d->range, UNO_QUERY_THROW)->merge(false);
        Reference<sheet::XSheetOperation>(d->range, UNO_QUERY_THROW)
            ->clearContents(sheet::CellFlags::VALUE | sheet::CellFlags::DATETIME | sheet::CellFlags::STRING |
                            sheet::CellFlags::ANNOTATION | sheet::CellFlags::FORMULA | sheet::CellFlags::HARDATTR |
                            sheet::CellFlags::STYLES | sheet::CellFlags::OBJECTS | sheet::CellFlags::EDITATTR |
                            sheet::CellFlags::FORMATTED);
    });
}

void UnoRange::copyTo(const Range& dest) const {
    const std::shared_ptr<RangeRef>& to = refOf(dest);
    onRange(d, QStringLiteral("копирование в ") + to->label(), [&] {
        if (to->sheet->book->doc != d->sheet->book->doc)
            throw hostError(QStringLiteral("копирование возможно только внутри одной книги"));
        const table::CellRangeAddress src = d->live();
        const table::CellRangeAddress dst = to->live();
        Reference<sheet::XCellRangeMovement>(to->sheet->sheet, UNO_QUERY_THROW)
            ->copyRange(table::CellAddress(dst.Sheet, dst.StartColumn, dst.StartRow), src);
    });
}

} // namespace korv::logbook
