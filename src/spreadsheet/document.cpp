// The handles forward to their backend; what is composed of other operations is composed here once, so
// that every backend does it alike.

#include "spreadsheet/document.h"

#include "common/date_serial.h"
#include "common/error.h"
#include "spreadsheet/measures.h"

#include <QRegularExpression>

#include <cmath>

namespace korv::logbook {

Range::Range(std::shared_ptr<RangeBackend> backend) : d(std::move(backend)) {}

int Range::firstRow() const { return d->block().firstRow; }
int Range::firstColumn() const { return d->block().firstColumn; }
int Range::lastRow() const { return d->block().lastRow; }
int Range::lastColumn() const { return d->block().lastColumn; }
QString Range::address() const { return a1(d->block()); }
Sheet Range::sheet() const { return d->sheet(); }

void Range::setValue(double value) { d->setValue(value); }
void Range::setText(const QString& text) { d->setText(text); }

void Range::setDate(const QDate& date) {
    if (!date.isValid())
        throw Error::typeMismatch(QStringLiteral("недопустимая дата"));
    d->setValue(korv::dateSerial(date));
}

void Range::setTime(int minutes) { d->setValue(minutes / 1440.0); }

void Range::setTimeText(const QString& hmm) {
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d{1,5}):(\\d{1,2})\\s*$"));
    const auto m = re.match(hmm);
    if (!m.hasMatch() || m.captured(2).toInt() > 59)
        throw Error::typeMismatch(QStringLiteral("время «") + hmm + QStringLiteral("» не в виде ч:мм"));
    setTime(m.captured(1).toInt() * 60 + m.captured(2).toInt());
}

void Range::setFormula(const QString& formula) { d->setFormula(formula); }
void Range::setFormulaR1C1(const QString& formula) { d->setFormulaR1C1(formula); }
double Range::value() const { return d->value(); }
QString Range::text() const { return d->text(); }
QString Range::formula() const { return d->formula(); }
CellKind Range::kind() const { return d->kind(); }
QDate Range::date() const { return korv::kDayZero.addDays(qint64(std::floor(value()))); }
QList<QVariantList> Range::data() const { return d->data(); }
void Range::setData(const QList<QVariantList>& rows) { d->setData(rows); }
void Range::setFormulas(const QList<QStringList>& rows) { d->setFormulas(rows); }
void Range::apply(const CellFormat& format) { d->apply(format); }
CellFormat Range::format() const { return d->format(); }
void Range::setBorders(const Borders& borders) { d->setBorders(borders); }
Borders Range::borders() const { return d->borders(); }
void Range::merge() { d->merge(); }
void Range::unmerge() { d->unmerge(); }

bool Range::isMerged() const {
    const Range m = mergedArea();
    const bool single = m.firstRow() == m.lastRow() && m.firstColumn() == m.lastColumn();
    return !single && m.block() == block();
}

Range Range::mergedArea() const { return d->mergedArea(); }
Range Range::mergeSpan() const { return d->mergeSpan(); }
void Range::clearContents() { d->clearContents(); }
void Range::clear() { d->clear(); }
void Range::copyTo(const Range& destTopLeft) const { d->copyTo(destTopLeft); }
void Range::addConditionalFormat(const ConditionalFormat& cf) { d->addConditionalFormat(cf); }
void Range::clearConditionalFormats() { d->clearConditionalFormats(); }
int Range::conditionalFormatCount() const { return d->conditionalFormatCount(); }

Range Range::offset(int rows, int columns) const {
    const CellBlock b = d->block();
    return sheet().cells(b.firstRow + rows, b.firstColumn + columns, b.lastRow + rows, b.lastColumn + columns);
}

int Range::formatBlockCount() const { return d->formatBlockCount(); }

Sheet::Sheet(std::shared_ptr<SheetBackend> backend) : d(std::move(backend)) {}

QString Sheet::name() const { return d->name(); }
int Sheet::index() const { return d->index(); }
Workbook Sheet::workbook() const { return d->workbook(); }
Range Sheet::range(const QString& text) const { return d->range(text); }
Range Sheet::cell(int row, int column) const { return d->cells(row, column, row, column); }

Range Sheet::cells(int firstRow, int firstColumn, int lastRow, int lastColumn) const {
    return d->cells(firstRow, firstColumn, lastRow, lastColumn);
}

void Sheet::applyAll(const QStringList& ranges, const CellFormat& format) { d->applyAll(ranges, format); }

void Sheet::applyToEmptyCells(const QList<CellBlock>& blocks, const CellFormat& format) {
    d->applyToEmptyCells(blocks, format);
}

void Sheet::activate() { d->activate(); }
void Sheet::select(const QString& a1) { d->select(a1); }
QString Sheet::selection() const { return d->selection(); }
void Sheet::setColumnWidth(int column, double excelChars) { d->setColumnWidth(column, excelChars); }
double Sheet::columnWidth(int column) const { return measures::hmmToExcelChars(d->columnWidthHmm(column)); }
int Sheet::columnWidthHmm(int column) const { return d->columnWidthHmm(column); }
void Sheet::setRowHeight(int row, double points) { d->setRowHeight(row, points); }
double Sheet::rowHeight(int row) const { return d->rowHeight(row); }
bool Sheet::hasCustomRowHeight(int row) const { return d->hasCustomRowHeight(row); }
void Sheet::setRowsHidden(int firstRow, int lastRow, bool hidden) { d->setRowsHidden(firstRow, lastRow, hidden); }
bool Sheet::isRowHidden(int row) const { return d->isRowHidden(row); }
void Sheet::setProtected(bool on) { d->setProtected(on); }
bool Sheet::isProtected() const { return d->isProtected(); }
void Sheet::insertRows(int row, int count) { d->insertRows(row, count); }
void Sheet::deleteRows(int row, int count) { d->deleteRows(row, count); }
void Sheet::copyRows(int firstRow, int count, int dstRow) { d->copyRows(firstRow, count, dstRow); }
int Sheet::lastUsedRow() const { return d->lastUsedRow(); }
void Sheet::setPrintArea(const QString& text) { d->setPrintArea(text); }
void Sheet::setPageSetup(const PageSetup& setup) { d->setPageSetup(setup); }
PageSetup Sheet::pageSetup() const { return d->pageSetup(); }
void Sheet::setPageLayout(const PageLayout& layout) { d->setPageLayout(layout); }
void Sheet::clearPrintArea() { d->clearPrintArea(); }
QString Sheet::printArea() const { return d->printArea(); }
void Sheet::freezePanes(int columns, int rows) { workbook().freezePanes({name()}, columns, rows); }
std::optional<std::pair<int, int>> Sheet::frozenPanes() const { return d->frozenPanes(); }

Workbook::Workbook(std::shared_ptr<WorkbookBackend> backend) : d(std::move(backend)) {}

bool Workbook::isOpen() const { return d->isOpen(); }
QString Workbook::name() const { return d->name(); }
QString Workbook::path() const { return d->path(); }
QStringList Workbook::sheetNames() const { return d->sheetNames(); }
int Workbook::sheetCount() const { return int(d->sheetNames().size()); }
Sheet Workbook::sheet(const QString& name) const { return d->sheet(name); }
Sheet Workbook::sheetAt(int index) const { return d->sheetAt(index); }
bool Workbook::hasSheet(const QString& name) const { return d->sheetNames().contains(name); }
Sheet Workbook::addSheet(const QString& name, int position) { return d->addSheet(name, position); }
void Workbook::renameSheet(const QString& oldName, const QString& newName) { d->renameSheet(oldName, newName); }
void Workbook::moveSheet(const QString& name, int position) { d->moveSheet(name, position); }
Sheet Workbook::activeSheet() const { return d->activeSheet(); }
void Workbook::activateSheet(const QString& name) { sheet(name).activate(); }
void Workbook::setStandardFont(const QString& name, double points) { d->setStandardFont(name, points); }
std::shared_ptr<void> Workbook::holdView() { return d->holdView(); }

void Workbook::freezePanes(const QStringList& sheets, int columns, int rows) { d->freezePanes(sheets, columns, rows); }

void Workbook::show() { d->show(); }
void Workbook::hide() { d->hide(); }
void Workbook::whenClosed(std::function<void()> closed) { d->whenClosed(std::move(closed)); }
bool Workbook::isVisible() const { return d->isVisible(); }
bool Workbook::isModified() const { return d->isModified(); }
void Workbook::setModified(bool modified) { d->setModified(modified); }
void Workbook::saveAs(const QString& path, ReplacePolicy policy) { d->saveAs(path, policy); }

void Workbook::save() {
    const QString own = path();
    if (own.isEmpty())
        throw Error(Error::Spreadsheet, QStringLiteral("Книга «") + name() + QStringLiteral("» ещё не имеет файла"));
    saveAs(own, ReplacePolicy::Replace);
}

void Workbook::exportTo(const QString& path, const QString& filterName) { d->exportTo(path, filterName); }
void Workbook::exportPdf(const QString& path, const Range& area) { d->exportPdf(path, area); }

void Workbook::close(CloseMode mode) {
    if (mode == CloseMode::Save) {
        save();
        mode = CloseMode::Discard; // what is in the workbook is on disk now
    }
    d->close(mode);
}

} // namespace korv::logbook
