// The in-memory office held to what the logbook relies on in Calc: cells and blocks, SUM formulas, formats in
// layers, merges, rows, copies, files, and the failures tests ask of it.

#include "bookfiles/book_files.h"
#include "spreadsheet/measures.h"
#include "support/error_number.h"
#include "support/fake_office.h"
#include "support/files.h"
#include "support/qt_printing.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

using namespace korv;
using namespace korv::logbook;
using korv::test::FakeOffice;

namespace {

class FakeOfficeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& name) const { return dir.filePath(name); }
    Range at(const QString& a1) const { return sheet.range(a1); }
    int errorOf(const std::function<void()>& f) const { return errorNumberOf<Error>(f); }

    QTemporaryDir dir;
    FakeOffice office{dir.filePath(QStringLiteral("profile"))};
    Workbook book = office.addWorkbook();
    Sheet sheet = book.sheetAt(0);
};

CellFormat boldLook(bool bold) {
    CellFormat f;
    f.bold = bold;
    return f;
}

} // namespace

// ---- cells and blocks

TEST_F(FakeOfficeTest, BlocksStoreTextsAsTextsAndReadBackTyped) {
    at(QStringLiteral("A1:D1")).setData({{QDate(2024, 3, 1), QStringLiteral("3/1"), QStringLiteral("=1+1"), 5}});
    const QList<QVariantList> rows = at(QStringLiteral("A1:E1")).data();
    EXPECT_EQ(rows[0][0].typeId(), QMetaType::Double);
    EXPECT_DOUBLE_EQ(rows[0][0].toDouble(), 45352.0);
    EXPECT_EQ(rows[0][1], QVariant(QStringLiteral("3/1")));
    EXPECT_EQ(at(QStringLiteral("C1")).kind(), CellKind::Text);
    EXPECT_EQ(rows[0][3], QVariant(5.0));
    EXPECT_EQ(rows[0][4].typeId(), QMetaType::QString);
    EXPECT_TRUE(rows[0][4].toString().isEmpty());
    EXPECT_EQ(at(QStringLiteral("A1")).date(), QDate(2024, 3, 1));
    EXPECT_DOUBLE_EQ(at(QStringLiteral("B1")).value(), 0);

    at(QStringLiteral("A2")).setFormula(QStringLiteral("=FOO(A1)"));
    EXPECT_EQ(at(QStringLiteral("A2")).kind(), CellKind::Formula);
    EXPECT_FALSE(at(QStringLiteral("A2")).data()[0][0].isValid());

    at(QStringLiteral("A1:B1")).setData({{QVariant(), QString()}});
    EXPECT_EQ(at(QStringLiteral("A1")).kind(), CellKind::Empty);
    EXPECT_EQ(at(QStringLiteral("B1")).kind(), CellKind::Empty);
    EXPECT_EQ(errorOf([&] { at(QStringLiteral("A1:B1")).setData({{1}}); }), Error::Spreadsheet);
    EXPECT_EQ(errorOf([&] { sheet.range(QStringLiteral("A0")); }), Error::Spreadsheet);

    at(QStringLiteral("A3")).setValue(0.1 + 0.2);
    EXPECT_EQ(at(QStringLiteral("A3")).text(), QStringLiteral("0.3"));
    at(QStringLiteral("A4:D4"))
        .setFormulas(
            {{QStringLiteral("5"), QStringLiteral("1:25"), QStringLiteral("'7"), QStringLiteral("=SUM(A4,2)")}});
    EXPECT_EQ(at(QStringLiteral("A4")).kind(), CellKind::Value);
    EXPECT_DOUBLE_EQ(at(QStringLiteral("B4")).value(), 85 / 1440.0);
    EXPECT_EQ(at(QStringLiteral("C4")).text(), QStringLiteral("7"));
    EXPECT_EQ(at(QStringLiteral("C4")).kind(), CellKind::Text);
    EXPECT_DOUBLE_EQ(at(QStringLiteral("D4")).value(), 7);
}

TEST_F(FakeOfficeTest, SumFormulasFollowTheirCellsThroughCopiesAndRows) {
    for (int row = 6; row <= 11; ++row)
        sheet.cells(row, 5, row, 6).setData({{row - 5, 10 * (row - 5)}});
    at(QStringLiteral("F13:G13")).setFormulaR1C1(QStringLiteral("=SUM(R[-6]C,R[-1]C)"));
    EXPECT_EQ(at(QStringLiteral("F13")).formula(), QStringLiteral("=SUM(F7;F12)"));
    EXPECT_EQ(at(QStringLiteral("G13")).formula(), QStringLiteral("=SUM(G7;G12)"));
    EXPECT_DOUBLE_EQ(at(QStringLiteral("F13")).value(), 7);
    EXPECT_DOUBLE_EQ(at(QStringLiteral("G13")).value(), 70);
    at(QStringLiteral("F12")).setValue(100);
    EXPECT_EQ(at(QStringLiteral("F13:G13")).data(), (QList<QVariantList>{{101.0, 70.0}}));

    at(QStringLiteral("H1")).setFormula(QStringLiteral("=SUM(F7:F9,$A$1)"));
    EXPECT_EQ(at(QStringLiteral("H1")).formula(), QStringLiteral("=SUM(F7:F9;$A$1)"));
    EXPECT_DOUBLE_EQ(at(QStringLiteral("H1")).value(), 6);
    at(QStringLiteral("H1")).copyTo(at(QStringLiteral("I2")));
    EXPECT_EQ(at(QStringLiteral("I2")).formula(), QStringLiteral("=SUM(G8:G10;$A$1)"));

    sheet.insertRows(8, 2);
    EXPECT_EQ(at(QStringLiteral("H1")).formula(), QStringLiteral("=SUM(F7:F11;$A$1)"));
    EXPECT_EQ(at(QStringLiteral("F15")).formula(), QStringLiteral("=SUM(F7;F14)"));
    EXPECT_DOUBLE_EQ(at(QStringLiteral("F15")).value(), 101);
    sheet.deleteRows(6, 1);
    EXPECT_EQ(at(QStringLiteral("F14")).formula(), QStringLiteral("=SUM(#REF!;F13)"));
    EXPECT_FALSE(at(QStringLiteral("F14")).data()[0][0].isValid());
}

// ---- formats and borders

TEST_F(FakeOfficeTest, FormatsLayerColumnRowAndCellWithTheLatestWinning) {
    const CellFormat defaults = at(QStringLiteral("B2")).format();
    EXPECT_EQ(defaults.fontName, QStringLiteral("Liberation Sans"));
    EXPECT_EQ(defaults.fontSize, 10.0);
    EXPECT_EQ(defaults.hAlign, HAlign::General);
    EXPECT_EQ(defaults.vAlign, VAlign::Bottom);
    EXPECT_EQ(defaults.numberFormat, QStringLiteral("General"));

    at(QStringLiteral("A:A")).apply(boldLook(true));
    EXPECT_EQ(sheet.lastUsedRow(), -1); // the column's format made no cells
    EXPECT_TRUE(*at(QStringLiteral("A500")).format().bold);
    CellFormat plain = boldLook(false);
    plain.numberFormat = QStringLiteral("0.0");
    at(QStringLiteral("A5")).apply(plain);
    EXPECT_FALSE(*at(QStringLiteral("A5")).format().bold);
    EXPECT_EQ(sheet.lastUsedRow(), -1); // as in Calc, a font or a number format does not count into the used area
    EXPECT_EQ(at(QStringLiteral("A1:A10")).formatBlockCount(), 2);
    EXPECT_EQ(at(QStringLiteral("B1:C3")).formatBlockCount(), 1);
    at(QStringLiteral("A:A")).apply(boldLook(true));
    EXPECT_TRUE(*at(QStringLiteral("A5")).format().bold);
    EXPECT_EQ(at(QStringLiteral("A5")).format().numberFormat, QStringLiteral("0.0"));

    CellFormat italic;
    italic.italic = true;
    at(QStringLiteral("7:8")).apply(italic);
    EXPECT_TRUE(*at(QStringLiteral("Z8")).format().italic);
    at(QStringLiteral("7:7")).clear();
    EXPECT_FALSE(*at(QStringLiteral("Z7")).format().italic);
    EXPECT_FALSE(*at(QStringLiteral("A7")).format().bold); // the cleared row loses the column's format too
    EXPECT_TRUE(*at(QStringLiteral("Z8")).format().italic);

    at(QStringLiteral("C20:D20")).setText(QStringLiteral("x"));
    sheet.applyToEmptyCells({{19, 2, 19, 4}}, italic);
    EXPECT_FALSE(*at(QStringLiteral("C20")).format().italic);
    EXPECT_TRUE(*at(QStringLiteral("E20")).format().italic);
}

TEST_F(FakeOfficeTest, BordersGoOnOuterAndInnerEdgesAndWholeColumnsMakeNoCells) {
    Borders u;
    u.left = u.top = u.bottom = LineWeight::None;
    u.right = LineWeight::Thick;
    at(QStringLiteral("U:U")).setBorders(u);
    EXPECT_EQ(sheet.lastUsedRow(), -1);
    EXPECT_EQ(at(QStringLiteral("U40")).borders().right, LineWeight::Thick);
    EXPECT_EQ(at(QStringLiteral("U40")).borders().left, LineWeight::None);

    Borders box;
    box.left = box.top = box.right = box.bottom = LineWeight::Thin;
    box.insideH = LineWeight::Medium;
    at(QStringLiteral("B2:C3")).setBorders(box);
    EXPECT_EQ(at(QStringLiteral("B2")).borders().bottom, LineWeight::Medium);
    EXPECT_EQ(at(QStringLiteral("B3")).borders().top, LineWeight::Medium);
    EXPECT_EQ(at(QStringLiteral("B3")).borders().bottom, LineWeight::Thin);
    EXPECT_EQ(at(QStringLiteral("C2")).borders().right, LineWeight::Thin);
    EXPECT_EQ(at(QStringLiteral("B2")).borders().right, LineWeight::None); // insideV left alone
    EXPECT_EQ(sheet.lastUsedRow(), 2);
}

// ---- merges

TEST_F(FakeOfficeTest, MergesAbsorbGrowIntoSpansAndGoOnlyWithClear) {
    at(QStringLiteral("A1:B2")).merge();
    EXPECT_TRUE(at(QStringLiteral("A1:B2")).isMerged());
    EXPECT_EQ(at(QStringLiteral("B2")).mergedArea().address(), QStringLiteral("A1:B2"));
    EXPECT_EQ(at(QStringLiteral("C3")).mergedArea().address(), QStringLiteral("C3"));
    at(QStringLiteral("A1:C2")).merge(); // absorbs A1:B2
    EXPECT_TRUE(at(QStringLiteral("A1:C2")).isMerged());
    EXPECT_FALSE(at(QStringLiteral("A1:B2")).isMerged());
    EXPECT_EQ(errorOf([&] { at(QStringLiteral("C2:D3")).merge(); }), Error::Spreadsheet);

    at(QStringLiteral("C3:D4")).merge();
    at(QStringLiteral("D5:E6")).merge();
    at(QStringLiteral("E7:E8")).merge();
    EXPECT_EQ(at(QStringLiteral("C2:C3")).mergeSpan().address(), QStringLiteral("A1:D4"));
    EXPECT_EQ(at(QStringLiteral("C4:D5")).mergeSpan().address(), QStringLiteral("C3:E6"));
    EXPECT_EQ(at(QStringLiteral("F1")).mergeSpan().address(), QStringLiteral("F1"));

    at(QStringLiteral("A1")).setText(QStringLiteral("x"));
    at(QStringLiteral("A1:E8")).clearContents();
    EXPECT_EQ(at(QStringLiteral("A1")).kind(), CellKind::Empty);
    EXPECT_TRUE(at(QStringLiteral("A1:C2")).isMerged());
    at(QStringLiteral("A1:D4")).clear();
    EXPECT_FALSE(at(QStringLiteral("A1:C2")).isMerged());
    EXPECT_FALSE(at(QStringLiteral("C3:D4")).isMerged());
    EXPECT_TRUE(at(QStringLiteral("D5:E6")).isMerged());
}

// ---- rows and copies

TEST_F(FakeOfficeTest, InsertedRowsTakeTheRowAbovesFormatNotItsValuesOrMerges) {
    at(QStringLiteral("A7:A8")).merge();
    at(QStringLiteral("C7:D7")).merge();
    at(QStringLiteral("C7")).setValue(5);
    at(QStringLiteral("C7")).apply(boldLook(true));
    at(QStringLiteral("B8")).setText(QStringLiteral("below"));

    sheet.insertRows(7, 1);
    EXPECT_EQ(at(QStringLiteral("A7")).mergedArea().address(), QStringLiteral("A7:A9")); // it crossed the row
    EXPECT_TRUE(at(QStringLiteral("C7:D7")).isMerged());
    EXPECT_TRUE(*at(QStringLiteral("C8")).format().bold);
    EXPECT_EQ(at(QStringLiteral("C8")).kind(), CellKind::Empty);
    EXPECT_EQ(at(QStringLiteral("C8")).mergedArea().address(), QStringLiteral("C8"));
    EXPECT_EQ(at(QStringLiteral("B9")).text(), QStringLiteral("below"));
    EXPECT_EQ(sheet.lastUsedRow(), 8);

    sheet.deleteRows(7, 1);
    EXPECT_TRUE(at(QStringLiteral("A7:A8")).isMerged());
    EXPECT_EQ(at(QStringLiteral("B8")).text(), QStringLiteral("below"));
    sheet.deleteRows(6, 1);
    EXPECT_FALSE(at(QStringLiteral("A7")).isMerged()); // shrunk to one cell
    EXPECT_EQ(at(QStringLiteral("B7")).text(), QStringLiteral("below"));
}

TEST_F(FakeOfficeTest, CopiesCarryValuesFormulasFormatsAndMergesButNotRowHeights) {
    at(QStringLiteral("A7:A8")).merge();
    at(QStringLiteral("A7")).setValue(3);
    at(QStringLiteral("B7")).setFormula(QStringLiteral("=SUM(A7)"));
    at(QStringLiteral("C:C")).apply(boldLook(true));
    sheet.setRowHeight(6, 25);

    at(QStringLiteral("A7:C8")).copyTo(at(QStringLiteral("A9")));
    EXPECT_DOUBLE_EQ(at(QStringLiteral("A9")).value(), 3);
    EXPECT_TRUE(at(QStringLiteral("A9:A10")).isMerged());
    EXPECT_EQ(at(QStringLiteral("B9")).formula(), QStringLiteral("=SUM(A9)"));
    EXPECT_FALSE(sheet.hasCustomRowHeight(8));

    Sheet other = book.addSheet(QStringLiteral("Лист2"), 1);
    at(QStringLiteral("A7:C8")).copyTo(other.range(QStringLiteral("B2")));
    EXPECT_TRUE(other.range(QStringLiteral("B2:B3")).isMerged());
    EXPECT_DOUBLE_EQ(other.range(QStringLiteral("C2")).value(), 3);
    EXPECT_TRUE(*other.range(QStringLiteral("D2")).format().bold); // the column's format came as the cell's
    EXPECT_FALSE(*other.range(QStringLiteral("D4")).format().bold);

    Workbook second = office.addWorkbook();
    EXPECT_EQ(errorOf([&] { at(QStringLiteral("A7")).copyTo(second.sheetAt(0).range(QStringLiteral("A1"))); }),
              Error::Spreadsheet);

    sheet.copyRows(6, 2, 20);
    EXPECT_TRUE(at(QStringLiteral("A21:A22")).isMerged());
    EXPECT_EQ(at(QStringLiteral("B21")).formula(), QStringLiteral("=SUM(A21)"));
    EXPECT_NEAR(sheet.rowHeight(20), 25, 0.01);
    EXPECT_FALSE(sheet.hasCustomRowHeight(21));
}

// ---- files

TEST_F(FakeOfficeTest, SavedWorkbookOpensWithEverythingKept) {
    Sheet second = book.addSheet(QStringLiteral("Лист4"), 0);
    book.renameSheet(QStringLiteral("Sheet1"), QStringLiteral("Лист1"));
    at(QStringLiteral("A1:C1")).setData({{1.5, QStringLiteral("упр. 12"), QDate(2024, 3, 1)}});
    at(QStringLiteral("D1")).setFormula(QStringLiteral("=SUM(A1,$C$1)"));
    at(QStringLiteral("G:G")).apply(boldLook(true));
    at(QStringLiteral("A5")).apply(boldLook(false));
    at(QStringLiteral("A7:A8")).merge();
    Borders b;
    b.bottom = LineWeight::Thick;
    at(QStringLiteral("A1:U6")).setBorders(b);
    sheet.setColumnWidth(2, 22.29);
    sheet.setRowHeight(0, 19.5);
    ConditionalFormat cf;
    cf.formula1 = QStringLiteral("0");
    cf.fontColor = 0xFFFFFF;
    at(QStringLiteral("F7:J17")).addConditionalFormat(cf);
    second.setPrintArea(QStringLiteral("$A$1:$U$17"));
    second.setPageSetup({true, 1, 2});
    book.freezePanes({QStringLiteral("Лист1")}, 12, 6);
    book.setStandardFont(QStringLiteral("Arial Cyr"), 10);
    sheet.activate();
    EXPECT_TRUE(book.isModified());

    const QString file = path(QStringLiteral("Korvelanta.xls"));
    book.saveAs(file);
    EXPECT_EQ(book.name(), QStringLiteral("Korvelanta"));
    EXPECT_EQ(book.path(), file);
    EXPECT_FALSE(book.isModified());
    EXPECT_TRUE(testfiles::contentOf(file).startsWith(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)));
    EXPECT_NO_THROW(files::requireChangeable(file));
    book.close();
    EXPECT_FALSE(book.isOpen());

    Workbook back = office.openWorkbook(file);
    const Workbook again = office.openWorkbook(file); // the open one, not a second
    EXPECT_EQ(office.openWorkbookCount(), 1);
    EXPECT_EQ(back.sheetNames(), (QStringList{QStringLiteral("Лист4"), QStringLiteral("Лист1")}));
    EXPECT_EQ(back.activeSheet().name(), QStringLiteral("Лист1"));
    Sheet s = back.sheet(QStringLiteral("Лист1"));
    EXPECT_EQ(s.range(QStringLiteral("A1:D1")).data(),
              (QList<QVariantList>{{1.5, QStringLiteral("упр. 12"), 45352.0, 45353.5}}));
    EXPECT_EQ(s.range(QStringLiteral("D1")).formula(), QStringLiteral("=SUM(A1;$C$1)"));
    EXPECT_TRUE(*s.range(QStringLiteral("G900")).format().bold);
    EXPECT_FALSE(*s.range(QStringLiteral("A5")).format().bold);
    EXPECT_EQ(s.range(QStringLiteral("A5")).format().fontName, QStringLiteral("Arial Cyr"));
    EXPECT_TRUE(s.range(QStringLiteral("A7:A8")).isMerged());
    EXPECT_EQ(s.range(QStringLiteral("K6")).borders().bottom, LineWeight::Thick);
    EXPECT_EQ(s.columnWidthHmm(2), measures::excelCharsToHmm(22.29));
    EXPECT_TRUE(s.hasCustomRowHeight(0));
    EXPECT_EQ(s.range(QStringLiteral("F7:J17")).conditionalFormatCount(), 1);
    EXPECT_EQ(s.frozenPanes(), std::optional(std::pair(12, 6)));
    EXPECT_EQ(s.lastUsedRow(), 5); // the border under row 6; merged empty cells count for nothing
    Sheet p = back.sheet(QStringLiteral("Лист4"));
    EXPECT_EQ(p.printArea(), QStringLiteral("A1:U17"));
    EXPECT_EQ(p.pageSetup(), (PageSetup{true, 1, 2}));

    const QString pdf = path(QStringLiteral("pages.pdf"));
    back.exportPdf(pdf, s.range(QStringLiteral("A1:B1")));
    EXPECT_TRUE(testfiles::contentOf(pdf).startsWith("%PDF-1.4\n1.5\tупр. 12\n"));
}

TEST_F(FakeOfficeTest, NeverReplaceLeavesAnExistingFileAlone) {
    const QString file = path(QStringLiteral("Korvelanta.xls"));
    testfiles::writeFile(file, "the pilot's own");
    const QByteArray before = testfiles::hashOf(file);
    EXPECT_EQ(errorOf([&] { book.saveAs(file, ReplacePolicy::NeverReplace); }), Error::FileAccess);
    EXPECT_EQ(testfiles::hashOf(file), before);
    EXPECT_EQ(book.path(), QString());
}

TEST_F(FakeOfficeTest, OpeningRefusesWhatCalcWouldRefuse) {
    EXPECT_EQ(errorOf([&] { office.openWorkbook(path(QStringLiteral("none.xls"))); }), Error::FileNotFound);
    const QString junk = path(QStringLiteral("junk.xls"));
    testfiles::writeFile(junk, "not a workbook");
    EXPECT_EQ(errorOf([&] { office.openWorkbook(junk); }), Error::BadWorkbook);
    EXPECT_EQ(errorOf([&] { office.openForChange(junk); }), Error::BadWorkbook);

    const QString file = path(QStringLiteral("Korvelanta.xls"));
    at(QStringLiteral("A1")).setValue(1);
    book.saveAs(file);
    book.close();
    Workbook leftover = office.openWorkbook(file);
    leftover.sheetAt(0).range(QStringLiteral("A1")).setValue(2);
    Workbook fresh = office.openForChange(file); // loaded anew, the leftover closed unsaved
    EXPECT_FALSE(leftover.isOpen());
    EXPECT_DOUBLE_EQ(fresh.sheetAt(0).range(QStringLiteral("A1")).value(), 1);
    fresh.close();

    office.addWorkbook();
    Workbook shown = office.openWorkbook(file, Office::OpenMode::Shown);
    EXPECT_TRUE(shown.isVisible());
    EXPECT_EQ(office.holding(file), Office::Holding::Shown);
    EXPECT_EQ(errorOf([&] { office.openForChange(file); }), Error::LogbookBusy);
    EXPECT_EQ(office.closeHiddenWorkbooks(), 1); // the new one; the shown one stays
    shown.close();
    EXPECT_EQ(office.holding(file), Office::Holding::NotLoaded);

    ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    EXPECT_EQ(errorOf([&] { office.openForChange(file); }), Error::FileAccess);
    EXPECT_NO_THROW(office.openWorkbook(file));
}

// ---- failures on demand

TEST_F(FakeOfficeTest, TheNthSaveFailsAndLeavesTheFileAsItWas) {
    const QString file = path(QStringLiteral("Korvelanta.xls"));
    book.saveAs(file);
    office.failOn(QStringLiteral("saveAs"), 2);
    at(QStringLiteral("A1")).setValue(1);
    book.save();
    const QByteArray saved = testfiles::hashOf(file);
    at(QStringLiteral("A1")).setValue(2);
    EXPECT_EQ(errorOf([&] { book.save(); }), Error::Spreadsheet);
    EXPECT_EQ(testfiles::hashOf(file), saved);
    EXPECT_EQ(testfiles::entriesOf(dir.path()),
              (QStringList{QStringLiteral("Korvelanta.xls"), QStringLiteral("profile")}));
    EXPECT_TRUE(book.isModified());
    book.save();
    EXPECT_NE(testfiles::hashOf(file), saved);
}

TEST_F(FakeOfficeTest, ALostOfficeRefusesEveryCallUntilAttached) {
    int closed = 0;
    book.whenClosed([&] { ++closed; });
    office.loseOffice();
    EXPECT_FALSE(office.isAlive());
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(book.isOpen());
    EXPECT_EQ(office.openWorkbookCount(), 0);
    EXPECT_EQ(errorOf([&] { sheet.range(QStringLiteral("A1")).setValue(1); }), Error::Spreadsheet);
    EXPECT_EQ(errorOf([&] { office.addWorkbook(); }), Error::Spreadsheet);
    EXPECT_FALSE(office.findWorkbook(book.name()).has_value());

    office.attach();
    EXPECT_TRUE(office.isAlive());
    EXPECT_NO_THROW(office.addWorkbook().sheetAt(0).range(QStringLiteral("A1")).setValue(1));
    EXPECT_EQ(errorOf([&] { sheet.range(QStringLiteral("A1")); }), Error::Spreadsheet); // died with the old one
}

TEST_F(FakeOfficeTest, CallsAreCountedAndOperationsExcludeEachOther) {
    office.resetCalls();
    at(QStringLiteral("A1:B2")).data();
    at(QStringLiteral("A1:B2")).data();
    book.saveAs(path(QStringLiteral("Korvelanta.xls")));
    EXPECT_EQ(office.calls(QStringLiteral("data")), 2);
    EXPECT_EQ(office.calls(QStringLiteral("range")), 2);
    EXPECT_EQ(office.calls(QStringLiteral("saveAs")), 1);
    office.resetCalls();
    EXPECT_EQ(office.calls(QStringLiteral("data")), 0);

    office.failOn(QStringLiteral("data"));
    EXPECT_EQ(errorOf([&] { at(QStringLiteral("A1")).data(); }), Error::Spreadsheet);
    EXPECT_NO_THROW(at(QStringLiteral("A1")).data());

    const auto operation = office.beginOperation(60000, 0);
    EXPECT_EQ(errorOf([&] { auto second = office.beginOperation(60000, 0); }), Error::LogbookBusy);
}
