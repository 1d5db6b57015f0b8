// The spreadsheet host's operations, each checked in Calc and, where the logbook depends on it, after
// a save as .xls and a reload.

#include "support/office_env.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

using namespace korv;
using namespace korv::logbook;
using korv::logbook::officetest::host;

static auto* const office = ::testing::AddGlobalTestEnvironment(new officetest::OfficeEnvironment);

namespace {

class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        try {
            book.emplace(host().addWorkbook());
            sheet.emplace(book->sheetAt(0));
        } catch (const Error& e) {
            FAIL() << e.what();
        }
    }
    void TearDown() override {
        for (Workbook* b : {book ? &*book : nullptr, reloaded ? &*reloaded : nullptr}) {
            if (b && b->isOpen())
                b->close(CloseMode::Discard);
        }
    }
    // Saves the workbook as .xls and opens the file again.
    Sheet saveAndReload() {
        const QString path = dir.path() + QStringLiteral("/book.xls");
        book->saveAs(path);
        const QString name = sheet->name();
        book->close(CloseMode::Discard);
        reloaded.emplace(host().openWorkbook(path));
        return reloaded->sheet(name);
    }
    Range at(const QString& a1) { return sheet->range(a1); }

    QTemporaryDir dir;
    std::optional<Workbook> book, reloaded;
    std::optional<Sheet> sheet;
};

} // namespace

// ---- cell content

TEST_F(HostTest, TextsStayTextsThroughXls) {
    const QStringList texts = {QStringLiteral("3/0,5"), QStringLiteral("---"), QStringLiteral("  5"),
                               QStringLiteral("=1+1"),  QStringLiteral("3/1"), QStringLiteral("упр. 12 «Ночь»")};
    for (int i = 0; i < texts.size(); ++i)
        sheet->cell(i, 4).setText(texts[i]);
    Sheet back = saveAndReload();
    for (int i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(back.cell(i, 4).kind(), CellKind::Text) << i;
        EXPECT_EQ(back.cell(i, 4).text(), texts[i]) << i;
    }
}

TEST_F(HostTest, DatesAreDateValuesShownAsTheDayOfTheMonth) {
    Range a7 = at(QStringLiteral("A7"));
    a7.setDate(QDate(2024, 3, 1));
    CellFormat f;
    f.numberFormat = QStringLiteral("d");
    a7.apply(f);
    EXPECT_DOUBLE_EQ(a7.value(), 45352.0);
    EXPECT_EQ(a7.text(), QStringLiteral("1"));
    Sheet back = saveAndReload();
    EXPECT_EQ(back.range(QStringLiteral("A7")).date(), QDate(2024, 3, 1));
    EXPECT_EQ(back.range(QStringLiteral("A7")).format().numberFormat->toLower(), QStringLiteral("d"));
    EXPECT_EQ(back.range(QStringLiteral("A7")).kind(), CellKind::Value);
}

TEST_F(HostTest, TimeTextsBecomeFractionsOfADay) {
    Range g7 = at(QStringLiteral("G7"));
    g7.setTimeText(QStringLiteral("1:25"));
    EXPECT_DOUBLE_EQ(g7.value(), 85 / 1440.0);
    CellFormat f;
    f.numberFormat = QStringLiteral("[h]:mm");
    g7.apply(f);
    EXPECT_EQ(g7.text(), QStringLiteral("1:25"));
    at(QStringLiteral("G8")).setTimeText(QStringLiteral("25:30"));
    EXPECT_DOUBLE_EQ(at(QStringLiteral("G8")).value(), 1.0625);
    at(QStringLiteral("G9")).setTime(5);
    EXPECT_DOUBLE_EQ(at(QStringLiteral("G9")).value(), 5 / 1440.0);
    for (const char* bad : {"1:75", "abc", "1.25", ""}) {
        EXPECT_THROW(at(QStringLiteral("G10")).setTimeText(QString::fromLatin1(bad)), Error) << bad;
    }
    Sheet back = saveAndReload();
    EXPECT_DOUBLE_EQ(back.range(QStringLiteral("G7")).value(), 85 / 1440.0);
    EXPECT_EQ(back.range(QStringLiteral("G7")).format().numberFormat->toLower(), QStringLiteral("[h]:mm"));
}

TEST_F(HostTest, FormulasInA1AndR1C1WithCommas) {
    sheet->range(QStringLiteral("F7:F12")).setData({{1.0}, {2.0}, {3.0}, {4.0}, {5.0}, {6.0}});
    at(QStringLiteral("F13")).setFormula(QStringLiteral("=SUM(F7:F9)"));
    EXPECT_DOUBLE_EQ(at(QStringLiteral("F13")).value(), 6.0);
    at(QStringLiteral("F14")).setFormula(QStringLiteral("=IF(F7>0,10,20)"));
    EXPECT_DOUBLE_EQ(at(QStringLiteral("F14")).value(), 10.0);
    EXPECT_EQ(at(QStringLiteral("F14")).kind(), CellKind::Formula);

    // One R1C1 formula over a row: every cell sums its own column.
    sheet->range(QStringLiteral("G7:G12")).setData({{10.0}, {20.0}, {30.0}, {40.0}, {50.0}, {60.0}});
    sheet->range(QStringLiteral("F15:G15")).setFormulaR1C1(QStringLiteral("=SUM(R[-8]C:R[-3]C)"));
    EXPECT_EQ(at(QStringLiteral("F15")).formula(), QStringLiteral("=SUM(F7:F12)"));
    EXPECT_DOUBLE_EQ(at(QStringLiteral("F15")).value(), 21.0);
    EXPECT_DOUBLE_EQ(at(QStringLiteral("G15")).value(), 210.0);
    // An A1 formula over a range adjusts its relative references cell by cell.
    sheet->range(QStringLiteral("F16:G16")).setFormula(QStringLiteral("=SUM(F7:F12)"));
    EXPECT_EQ(at(QStringLiteral("G16")).formula(), QStringLiteral("=SUM(G7:G12)"));
    EXPECT_DOUBLE_EQ(at(QStringLiteral("G16")).value(), 210.0);
    sheet->range(QStringLiteral("F17:G17")).setFormula(QStringLiteral("=SUM($F$7:$F$8)"));
    EXPECT_DOUBLE_EQ(at(QStringLiteral("G17")).value(), 3.0);
    at(QStringLiteral("H15")).setFormulaR1C1(QStringLiteral("=SUM(RC[-2],RC[-1])"));
    EXPECT_DOUBLE_EQ(at(QStringLiteral("H15")).value(), 231.0);

    Sheet back = saveAndReload();
    EXPECT_DOUBLE_EQ(back.range(QStringLiteral("G15")).value(), 210.0);
    EXPECT_EQ(back.range(QStringLiteral("G15")).formula(), QStringLiteral("=SUM(G7:G12)"));
}

TEST_F(HostTest, BlocksAreReadAndWrittenInOneGo) {
    Range block = sheet->range(QStringLiteral("B7:D9"));
    block.setData({{1.5, QStringLiteral("x"), QString()},
                   {QVariant(QDate(2024, 3, 1)), QStringLiteral("3/0,5"), 7},
                   {QString(), QString(), QStringLiteral("---")}});
    const QList<QVariantList> d = block.data();
    ASSERT_EQ(d.size(), 3);
    EXPECT_DOUBLE_EQ(d[0][0].toDouble(), 1.5);
    EXPECT_EQ(d[0][1].toString(), QStringLiteral("x"));
    EXPECT_EQ(d[0][2].toString(), QString());
    EXPECT_DOUBLE_EQ(d[1][0].toDouble(), 45352.0);
    EXPECT_EQ(d[1][1].toString(), QStringLiteral("3/0,5"));
    EXPECT_DOUBLE_EQ(d[1][2].toDouble(), 7.0);
    EXPECT_EQ(at(QStringLiteral("B9")).kind(), CellKind::Empty);

    // Column E from row 7 down, as the record writer reads it to find the first free record.
    sheet->range(QStringLiteral("E7")).setText(QStringLiteral("упр. 1"));
    sheet->range(QStringLiteral("E9")).setText(QStringLiteral("упр. 2"));
    const QList<QVariantList> e = sheet->range(QStringLiteral("E7:E2000")).data();
    ASSERT_EQ(e.size(), 1994);
    EXPECT_EQ(e[0][0].toString(), QStringLiteral("упр. 1"));
    EXPECT_EQ(e[2][0].toString(), QStringLiteral("упр. 2"));
    EXPECT_EQ(e[4][0].toString(), QString());

    EXPECT_THROW(block.setData({{1.0}}), Error);
    EXPECT_THROW(block.setData({{1.0, 2.0}, {1.0, 2.0}, {1.0, 2.0}}), Error);
}

TEST_F(HostTest, SetValueAndSetTextFillEveryCellOfARange) {
    sheet->range(QStringLiteral("A1:B2")).setValue(3);
    EXPECT_DOUBLE_EQ(at(QStringLiteral("B2")).value(), 3.0);
    sheet->range(QStringLiteral("A1:B2")).setText(QStringLiteral("---"));
    EXPECT_EQ(at(QStringLiteral("B1")).text(), QStringLiteral("---"));
}

// ---- formats

TEST_F(HostTest, FontAlignmentWrapAndNumberFormatsSurviveXls) {
    CellFormat f;
    f.fontName = QStringLiteral("Arial Cyr");
    f.fontSize = 12;
    f.bold = true;
    f.hAlign = HAlign::Left;
    f.vAlign = VAlign::Center;
    f.wrap = true;
    f.indent = 1;
    f.numberFormat = QStringLiteral("0.0");
    at(QStringLiteral("E7")).apply(f);
    CellFormat g;
    g.orientation = TextOrientation::Upward;
    g.shrink = true;
    g.numberFormat = QStringLiteral("@");
    g.vAlign = VAlign::Top;
    at(QStringLiteral("K1")).apply(g);
    at(QStringLiteral("E7")).setValue(4.26);
    const QString shown = at(QStringLiteral("E7")).text();
    EXPECT_TRUE(shown == u"4.3" || shown == u"4,3") << shown.toStdString();

    Sheet back = saveAndReload();
    const CellFormat e7 = back.range(QStringLiteral("E7")).format();
    EXPECT_EQ(e7.fontName, QStringLiteral("Arial Cyr"));
    EXPECT_DOUBLE_EQ(e7.fontSize.value_or(0), 12.0);
    EXPECT_TRUE(e7.bold.value_or(false));
    EXPECT_EQ(e7.hAlign, HAlign::Left);
    EXPECT_EQ(e7.vAlign, VAlign::Center);
    EXPECT_TRUE(e7.wrap.value_or(false));
    EXPECT_EQ(e7.indent, 1);
    EXPECT_EQ(e7.numberFormat, QStringLiteral("0.0"));
    const CellFormat k1 = back.range(QStringLiteral("K1")).format();
    EXPECT_EQ(k1.orientation, TextOrientation::Upward);
    EXPECT_TRUE(k1.shrink.value_or(false));
    EXPECT_EQ(k1.numberFormat, QStringLiteral("@"));
    EXPECT_EQ(k1.vAlign, VAlign::Top);
}

TEST_F(HostTest, AWholeColumnTakesANumberFormatAndAFont) {
    CellFormat d;
    d.numberFormat = QStringLiteral("d");
    sheet->range(QStringLiteral("A:A")).apply(d);
    CellFormat big;
    big.fontSize = 12;
    big.bold = true;
    big.wrap = true;
    at(QStringLiteral("E7")).apply(big);
    at(QStringLiteral("A500")).setDate(QDate(2024, 9, 24));
    EXPECT_EQ(at(QStringLiteral("A500")).text(), QStringLiteral("24"));
    Sheet back = saveAndReload();
    EXPECT_EQ(back.range(QStringLiteral("A7")).format().numberFormat->toLower(), QStringLiteral("d"));
    EXPECT_EQ(back.range(QStringLiteral("A500")).date(), QDate(2024, 9, 24));
    const CellFormat e7 = back.range(QStringLiteral("E7")).format();
    EXPECT_DOUBLE_EQ(e7.fontSize.value_or(0), 12.0);
    EXPECT_TRUE(e7.bold.value_or(false));
    EXPECT_TRUE(e7.wrap.value_or(false));
}

TEST_F(HostTest, BordersKeepTheirWeightsThroughXls) {
    Borders b;
    b.bottom = LineWeight::Thick;
    b.top = LineWeight::Medium;
    b.left = LineWeight::Thin;
    b.right = LineWeight::None;
    sheet->range(QStringLiteral("A6:U6")).setBorders(b);
    Borders m;
    m.insideH = LineWeight::Medium;
    sheet->range(QStringLiteral("M7:M8")).setBorders(m);
    Sheet back = saveAndReload();
    const Borders c6 = back.range(QStringLiteral("C6")).borders();
    EXPECT_EQ(c6.bottom, LineWeight::Thick);
    EXPECT_EQ(c6.top, LineWeight::Medium);
    EXPECT_EQ(back.range(QStringLiteral("A6")).borders().left, LineWeight::Thin);
    EXPECT_EQ(back.range(QStringLiteral("U6")).borders().right, LineWeight::None);
    EXPECT_EQ(back.range(QStringLiteral("M7")).borders().bottom, LineWeight::Medium);
    EXPECT_EQ(back.range(QStringLiteral("M7")).borders().top, LineWeight::None);
}

TEST_F(HostTest, ColumnWidthsInCharactersAndRowHeightsInPoints) {
    sheet->setColumnWidth(4, 22.29);
    sheet->setColumnWidth(0, 2.29);
    sheet->setRowHeight(0, 19.5);
    EXPECT_EQ(sheet->columnWidthHmm(4), 4503);
    EXPECT_EQ(sheet->columnWidthHmm(0), 587);
    EXPECT_NEAR(sheet->rowHeight(0), 19.5, 0.03);
    EXPECT_TRUE(sheet->hasCustomRowHeight(0));
    Sheet back = saveAndReload();
    EXPECT_NEAR(back.columnWidth(4), 22.29, 0.03);
    EXPECT_NEAR(back.columnWidth(0), 2.29, 0.03);
    EXPECT_NEAR(back.rowHeight(0), 19.5, 0.03);
}

TEST_F(HostTest, MergeUnmergeAndMergedArea) {
    Range a = at(QStringLiteral("A7:A8"));
    EXPECT_FALSE(a.isMerged());
    a.merge();
    EXPECT_TRUE(a.isMerged());
    EXPECT_EQ(at(QStringLiteral("A8")).mergedArea().address(), QStringLiteral("A7:A8"));
    a.unmerge();
    EXPECT_FALSE(a.isMerged());
    EXPECT_EQ(at(QStringLiteral("A8")).mergedArea().address(), QStringLiteral("A8"));
}

TEST_F(HostTest, CopyTakesValuesFormatsAndMergesAlong) {
    Range slot = at(QStringLiteral("A7:U8"));
    at(QStringLiteral("A7:A8")).merge();
    CellFormat f;
    f.numberFormat = QStringLiteral("dd");
    f.hAlign = HAlign::Right;
    at(QStringLiteral("A7:A8")).apply(f);
    at(QStringLiteral("A7")).setDate(QDate(2024, 9, 24));
    at(QStringLiteral("B7")).setText(QStringLiteral("Л-39"));
    sheet->setRowHeight(6, 30);
    slot.copyTo(at(QStringLiteral("A9")));
    EXPECT_TRUE(at(QStringLiteral("A9:A10")).isMerged());
    EXPECT_EQ(at(QStringLiteral("A9")).text(), QStringLiteral("24"));
    EXPECT_EQ(at(QStringLiteral("B9")).text(), QStringLiteral("Л-39"));
    EXPECT_EQ(at(QStringLiteral("A9")).format().hAlign, HAlign::Right);

    // Whole rows take their heights along.
    sheet->copyRows(6, 2, 20);
    EXPECT_TRUE(at(QStringLiteral("A21:A22")).isMerged());
    EXPECT_NEAR(sheet->rowHeight(20), 30.0, 0.05);
    EXPECT_EQ(at(QStringLiteral("B21")).text(), QStringLiteral("Л-39"));
}

TEST_F(HostTest, InsertDeleteAndClear) {
    at(QStringLiteral("A1")).setText(QStringLiteral("one"));
    at(QStringLiteral("A2")).setText(QStringLiteral("two"));
    at(QStringLiteral("A3")).setText(QStringLiteral("three"));
    sheet->deleteRows(1, 1);
    EXPECT_EQ(at(QStringLiteral("A2")).text(), QStringLiteral("three"));
    sheet->insertRows(1, 2);
    EXPECT_EQ(at(QStringLiteral("A4")).text(), QStringLiteral("three"));
    EXPECT_EQ(sheet->lastUsedRow(), 3);

    CellFormat f;
    f.bold = true;
    at(QStringLiteral("A4")).apply(f);
    at(QStringLiteral("A4")).clearContents();
    EXPECT_EQ(at(QStringLiteral("A4")).kind(), CellKind::Empty);
    EXPECT_TRUE(at(QStringLiteral("A4")).format().bold.value_or(false));
    at(QStringLiteral("A4")).clear();
    EXPECT_FALSE(at(QStringLiteral("A4")).format().bold.value_or(true));
    at(QStringLiteral("A1")).clearContents();
    EXPECT_EQ(sheet->lastUsedRow(), -1);
}

TEST_F(HostTest, ConditionalFormatsAndPrintAreaSurviveXls) {
    ConditionalFormat cf;
    cf.op = ConditionOperator::Equal;
    cf.formula1 = QStringLiteral("0");
    cf.fontColor = 0xFFFFFF;
    sheet->range(QStringLiteral("F7:J17")).addConditionalFormat(cf);
    EXPECT_EQ(at(QStringLiteral("F7:J17")).conditionalFormatCount(), 1);
    sheet->setPrintArea(QStringLiteral("A1:U17"));
    EXPECT_EQ(sheet->printArea(), QStringLiteral("A1:U17"));
    Sheet back = saveAndReload();
    EXPECT_EQ(back.range(QStringLiteral("F7:J17")).conditionalFormatCount(), 1);
    EXPECT_EQ(back.printArea(), QStringLiteral("A1:U17"));
    back.range(QStringLiteral("F7:J17")).clearConditionalFormats();
    EXPECT_EQ(back.range(QStringLiteral("F7:J17")).conditionalFormatCount(), 0);
    back.clearPrintArea();
    EXPECT_EQ(back.printArea(), QString());
}

// ---- addresses and sheets

TEST_F(HostTest, AddressesInA1TextAndNumbers) {
    EXPECT_EQ(at(QStringLiteral("M7")).address(), QStringLiteral("M7"));
    EXPECT_EQ(at(QStringLiteral("$A$1:$U$6")).address(), QStringLiteral("A1:U6"));
    const Range g = at(QStringLiteral("G:G"));
    EXPECT_EQ(g.firstColumn(), 6);
    EXPECT_EQ(g.lastColumn(), 6);
    EXPECT_EQ(g.firstRow(), 0);
    EXPECT_GE(g.lastRow(), 65535);
    const Range rows = at(QStringLiteral("7:8"));
    EXPECT_EQ(rows.firstRow(), 6);
    EXPECT_EQ(rows.lastRow(), 7);
    EXPECT_EQ(rows.firstColumn(), 0);
    EXPECT_EQ(sheet->cell(6, 12).address(), QStringLiteral("M7"));
    EXPECT_EQ(sheet->cells(6, 0, 7, 20).address(), QStringLiteral("A7:U8"));
    EXPECT_EQ(at(QStringLiteral("M7")).offset(2, -12).address(), QStringLiteral("A9"));
    EXPECT_EQ(sheet->cell(0, 26).address(), QStringLiteral("AA1"));
    for (const char* bad : {"A0", "1A", "", "A1:B", "A1:B2:C3"})
        EXPECT_THROW(at(QString::fromLatin1(bad)), Error) << bad;
}

TEST_F(HostTest, SheetsByNameAddActivateAndOrder) {
    book->renameSheet(sheet->name(), QStringLiteral("Лист1"));
    book->addSheet(QStringLiteral("Лист2"), 0);
    book->addSheet(QStringLiteral("Лист3"), 0);
    EXPECT_EQ(book->sheetNames(),
              (QStringList{QStringLiteral("Лист3"), QStringLiteral("Лист2"), QStringLiteral("Лист1")}));
    book->moveSheet(QStringLiteral("Лист1"), 0);
    EXPECT_EQ(book->sheetNames().first(), QStringLiteral("Лист1"));
    EXPECT_TRUE(book->hasSheet(QStringLiteral("Лист2")));
    try {
        book->sheet(QStringLiteral("Лист9"));
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("Лист9"))) << e.what();
    }
    EXPECT_THROW(book->addSheet(QStringLiteral("Лист2"), 0), Error);
    EXPECT_THROW(book->renameSheet(QStringLiteral("Лист2"), QStringLiteral("bad:name")), Error);
    EXPECT_EQ(book->sheetCount(), 3);
}

// ---- saving, closing, finding

TEST_F(HostTest, SaveReplacesAtomicallyAndLeavesNoTemporaryFile) {
    const QString path = dir.path() + QStringLiteral("/Korvelanta.xls");
    at(QStringLiteral("A1")).setText(QStringLiteral("first"));
    book->saveAs(path);
    EXPECT_FALSE(book->isModified());
    const QByteArray first = officetest::fileHash(path);
    at(QStringLiteral("A1")).setText(QStringLiteral("second"));
    book->save();
    EXPECT_NE(officetest::fileHash(path), first);
    QStringList entries = officetest::entriesOf(dir.path());
    EXPECT_EQ(entries, QStringList{QStringLiteral("Korvelanta.xls")});
    // The file gets the usual permissions, not the private ones of a temporary file.
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
    EXPECT_EQ(book->name(), QStringLiteral("Korvelanta"));
}

TEST_F(HostTest, NeverReplaceLeavesAnExistingFileAlone) {
    const QString path = dir.path() + QStringLiteral("/Korvelanta.xls");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("keep me");
    f.close();
    EXPECT_THROW(book->saveAs(path, ReplacePolicy::NeverReplace), Error);
    EXPECT_EQ(officetest::entriesOf(dir.path()), QStringList{QStringLiteral("Korvelanta.xls")});
    QFile g(path);
    ASSERT_TRUE(g.open(QIODevice::ReadOnly));
    EXPECT_EQ(g.readAll(), QByteArray("keep me"));
}

TEST_F(HostTest, SavingWhereNothingCanBeWrittenFailsClearly) {
    try {
        book->saveAs(QStringLiteral("/proc/Korvelanta.xls"));
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("/proc"))) << e.what();
    }
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/proc/Korvelanta.xls")));
    EXPECT_THROW(book->saveAs(dir.path() + QStringLiteral("/missing/Korvelanta.xls")), Error);
    EXPECT_TRUE(officetest::entriesOf(dir.path()).isEmpty());
}

TEST_F(HostTest, CloseWithoutSavingLeavesTheFileUntouched) {
    const QString path = dir.path() + QStringLiteral("/Korvelanta.xls");
    at(QStringLiteral("A1")).setText(QStringLiteral("saved"));
    book->saveAs(path);
    book->close(CloseMode::Discard);
    const QByteArray before = officetest::fileHash(path);

    Workbook b = host().openWorkbook(path);
    b.sheetAt(0).range(QStringLiteral("A1")).setText(QStringLiteral("changed"));
    EXPECT_TRUE(b.isModified());
    b.close(CloseMode::Discard);
    EXPECT_FALSE(b.isOpen());
    EXPECT_EQ(officetest::fileHash(path), before);

    Workbook c = host().openWorkbook(path);
    EXPECT_EQ(c.sheetAt(0).range(QStringLiteral("A1")).text(), QStringLiteral("saved"));
    c.sheetAt(0).range(QStringLiteral("A1")).setText(QStringLiteral("again"));
    c.close(CloseMode::Save);
    Workbook d = host().openWorkbook(path);
    EXPECT_EQ(d.sheetAt(0).range(QStringLiteral("A1")).text(), QStringLiteral("again"));
    d.close();
}

TEST_F(HostTest, AnOpenWorkbookIsFoundByPathAndByName) {
    const QString path = dir.path() + QStringLiteral("/Korvelanta.xls");
    book->saveAs(path);
    book->close(CloseMode::Discard);
    Workbook a = host().openWorkbook(path);
    Workbook b = host().openWorkbook(path); // the same workbook, not a second copy
    a.sheetAt(0).range(QStringLiteral("B2")).setText(QStringLiteral("x"));
    EXPECT_EQ(b.sheetAt(0).range(QStringLiteral("B2")).text(), QStringLiteral("x"));
    auto found = host().findWorkbook(QStringLiteral("korvelanta"));
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->path(), path);
    EXPECT_FALSE(host().findWorkbook(QStringLiteral("Другая")).has_value());
    a.close(CloseMode::Discard);
    EXPECT_FALSE(host().findWorkbook(QStringLiteral("Korvelanta")).has_value());
}

TEST_F(HostTest, MissingAndForeignFilesGiveClearErrors) {
    try {
        host().openWorkbook(dir.path() + QStringLiteral("/nothing.xls"));
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::FileNotFound);
        EXPECT_TRUE(e.description().contains(QStringLiteral("nothing.xls"))) << e.what();
    }
    // A directory is no workbook either.
    EXPECT_THROW(host().openWorkbook(dir.path()), Error);
    EXPECT_TRUE(host().isAlive());
}

TEST_F(HostTest, AClosedWorkbookSaysSoInsteadOfCrashing) {
    Sheet s = *sheet;
    Range r = at(QStringLiteral("A1"));
    book->close(CloseMode::Discard);
    try {
        r.setText(QStringLiteral("late"));
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::Spreadsheet);
        EXPECT_TRUE(e.description().contains(QStringLiteral("закрыта"))) << e.what();
    }
    EXPECT_THROW(s.name(), Error);
    EXPECT_THROW(book->sheetNames(), Error);
    EXPECT_TRUE(host().isAlive());
}

TEST_F(HostTest, AShownWorkbookIsVisibleUntilClosed) {
    const QString path = dir.path() + QStringLiteral("/Korvelanta.xls");
    book->saveAs(path);
    book->close(CloseMode::Discard);
    Workbook b = host().openWorkbook(path, SpreadsheetHost::OpenMode::Shown);
    EXPECT_TRUE(b.isVisible());
    EXPECT_TRUE(host().anyWorkbookShown());
    b.activateSheet(b.sheetAt(0).name());
    b.hide();
    EXPECT_FALSE(b.isVisible());
    b.show();
    EXPECT_TRUE(b.isVisible());
    b.close(CloseMode::AsOfficeDecides); // unchanged: closes without a question
    EXPECT_FALSE(b.isOpen());
    EXPECT_FALSE(host().anyWorkbookShown());

    // A workbook already open hidden is shown when it is opened for viewing.
    Workbook hidden = host().openWorkbook(path);
    EXPECT_FALSE(hidden.isVisible());
    Workbook viewed = host().openWorkbook(path, SpreadsheetHost::OpenMode::Shown);
    EXPECT_TRUE(viewed.isVisible());
    EXPECT_TRUE(viewed.isOpen());
    viewed.close(CloseMode::Discard);
    EXPECT_FALSE(host().findWorkbook(QStringLiteral("Korvelanta")).has_value());
}

TEST_F(HostTest, CloseWithNoArgumentLeavesUnsavedChangesToCalcsOwnQuestion) {
    const QString path = dir.path() + QStringLiteral("/Korvelanta.xls");
    book->saveAs(path);
    book->close(CloseMode::Discard);
    const QByteArray before = officetest::fileHash(path);
    Workbook b = host().openWorkbook(path, SpreadsheetHost::OpenMode::Shown);
    b.sheetAt(0).range(QStringLiteral("A1")).setText(QStringLiteral("changed by hand"));
    // The pilot answers Calc's "Save Document?" with Cancel (Escape). Should the question never be
    // found, the workbook is closed from here instead, so that the test fails rather than hangs.
    std::thread pilot([&] {
        // The office speaks Russian: "Сохранить документ?". Focus and key again until the question has gone:
        // on a busy machine the first key can reach the window before it takes the focus, and a focus
        // waited for with --sync may never come.
        const int rc = std::system(
            "timeout 60 sh -c 'q=\"Save Document|Сохранить документ\"; while :; do "
            "w=$(xdotool search --name \"$q\" 2>/dev/null | head -n 1); "
            "if [ -n \"$w\" ]; then xdotool windowfocus \"$w\" key Escape; sleep 0.5; "
            "xdotool search --name \"$q\" >/dev/null 2>&1 || exit 0; else sleep 0.2; fi; done' >/dev/null 2>&1");
        // 124: timeout ran out (xdotool itself may end with an X error once the dialog has gone).
        if (WIFEXITED(rc) && WEXITSTATUS(rc) == 124) {
            try {
                if (auto w = host().findWorkbook(QStringLiteral("Korvelanta")))
                    w->close(CloseMode::Discard);
            } catch (const Error&) {
                // the test fails on its expectations below
            }
        }
    });
    b.close(CloseMode::AsOfficeDecides);
    pilot.join();
    EXPECT_TRUE(b.isOpen()); // Cancel keeps it open, with its change
    EXPECT_EQ(b.sheetAt(0).range(QStringLiteral("A1")).text(), QStringLiteral("changed by hand"));
    EXPECT_EQ(officetest::fileHash(path), before);
    b.close(CloseMode::Discard);
    EXPECT_FALSE(b.isOpen());
    EXPECT_EQ(officetest::fileHash(path), before);
}
