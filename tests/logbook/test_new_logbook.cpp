// A new logbook made in a temporary logbook folder, saved as .xls, reopened through the host and
// checked against the layout the logbook sheets must have; plus the logbook access operations.

#include "bookfiles/locks.h"
#include "logbook/book_names.h"
#include "logbook/book_view.h"
#include "logbook/newbook.h"
#include "logbook/record_slots.h"
#include "logbook/sheetlayout.h"
#include "spreadsheet/uno/office_process.h"
#include "support/office_env.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <cmath>

using namespace korv;
using namespace korv::logbook;
using korv::logbook::officetest::host;

static auto* const office = ::testing::AddGlobalTestEnvironment(new officetest::OfficeEnvironment);

namespace {

// Status texts and progress values in the one order they were reported.
class RecordedProgress : public CreationProgress {
public:
    void status(const QString& text) override { events << QStringLiteral("S:") + text; }
    void progress(int value) override { events << QStringLiteral("P:") + QString::number(value); }
    QStringList events;
};

QStringList expectedEvents(const QString& dir) {
    QStringList e;
    e << QStringLiteral("S:Создаётся новая пустая лётная книжка. Ждите!") << QStringLiteral("P:1");
    e << QStringLiteral("S:Заводится новая лётная книжка. Создаётся и форматируется Лист1  лётной книжки. Ждите.");
    int v = 1;
    for (int i = 0; i < 24; ++i)
        e << QStringLiteral("P:") + QString::number(++v);
    for (int sheet = 2; sheet <= 4; ++sheet) {
        e << QStringLiteral("S:Создаётся и форматируется Лист%1  лётной книжки.").arg(sheet);
        for (int i = 0; i < 12; ++i)
            e << QStringLiteral("P:") + QString::number(++v);
    }
    e << QStringLiteral("S:Лётная книжка размещается  в ") + dir + QStringLiteral("/Korvelanta.xls");
    // The storage message stays on the status line until the caller has told it and clears the line.
    e << QStringLiteral("P:100");
    return e;
}

// The logbook is created once and reopened from disk; every layout test reads that workbook.
class NewLogbook : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new QTemporaryDir();
        progress = new RecordedProgress();
        try {
            made = createNewLogbook(host(), dir->path(), *progress);
            book = new Workbook(host().openWorkbook(bookPath(dir->path())));
        } catch (const Error& e) {
            failure = QString::fromUtf8(e.what());
        }
    }
    static void TearDownTestSuite() {
        if (book) {
            try {
                book->close(CloseMode::Discard);
            } catch (...) {
            }
        }
        delete book;
        book = nullptr;
        delete progress;
        delete dir;
    }
    void SetUp() override { ASSERT_TRUE(book) << failure.toStdString(); }

    static Sheet sheet(const QString& name) { return book->sheet(name); }

    static inline QTemporaryDir* dir = nullptr;
    static inline RecordedProgress* progress = nullptr;
    static inline Workbook* book = nullptr;
    static inline NewBook made;
    static inline QString failure;
};

const QStringList kAllSheets = {kSheet1, kSheet2, kSheet3, kSheet4};

} // namespace

// ---- creation sequence

TEST_F(NewLogbook, ReportsStatusTextsAndProgressValuesInOrder) {
    EXPECT_TRUE(made.created);
    EXPECT_EQ(progress->events, expectedEvents(dir->path()));
}

TEST_F(NewLogbook, GivesTheStorageMessageWithTitleAndInformationIcon) {
    EXPECT_EQ(made.stored.title, QStringLiteral("Сохранение лётной книжки"));
    EXPECT_EQ(made.stored.text,
              QStringLiteral("Лётная книжка размещается  в ") + dir->path() + QStringLiteral("/Korvelanta.xls"));
    EXPECT_EQ(made.stored.icon, Notice::Icon::Information);
}

TEST_F(NewLogbook, LeavesOnlyTheLogbookFileInTheDirectory) {
    // Calc's lock file belongs to the workbook this test holds open.
    QStringList entries = officetest::entriesOf(dir->path());
    entries.removeIf([](const QString& e) { return e.startsWith(QStringLiteral(".~lock.")); });
    EXPECT_EQ(entries, QStringList{QStringLiteral("Korvelanta.xls")});
    EXPECT_EQ(LocateBookFile(dir->path()), QStringLiteral("Korvelanta.xls"));
    EXPECT_EQ(book->name(), QStringLiteral("Korvelanta"));
}

TEST_F(NewLogbook, HasFourSheetsInTabOrderFourToOne) {
    EXPECT_EQ(book->sheetNames(), (QStringList{kSheet4, kSheet3, kSheet2, kSheet1}));
}

// ---- header, every sheet

TEST_F(NewLogbook, EveryHeaderCaptionSitsInItsRangeWithItsLook) {
    for (const QString& name : kAllSheets) {
        Sheet sh = sheet(name);
        for (const HeaderCaption& c : headerCaptions()) {
            SCOPED_TRACE(QString(name + u' ' + QString::fromLatin1(c.range)).toStdString());
            Range r = sh.range(QString::fromLatin1(c.range));
            EXPECT_EQ(sh.cell(r.firstRow(), r.firstColumn()).text(), c.text);
            EXPECT_EQ(r.isMerged(), c.merged);
            const CellFormat f = r.format();
            EXPECT_EQ(f.fontName.value_or(""), QStringLiteral("Arial Cyr"));
            EXPECT_DOUBLE_EQ(f.fontSize.value_or(0), 8.0);
            EXPECT_FALSE(f.bold.value_or(true));
            EXPECT_FALSE(f.italic.value_or(true));
            EXPECT_FALSE(f.underline.value_or(true));
            EXPECT_EQ(f.hAlign, HAlign::Center);
            EXPECT_EQ(f.vAlign, c.vAlign);
            EXPECT_EQ(f.wrap, c.wrap);
            EXPECT_EQ(f.orientation, c.vertical ? TextOrientation::Upward : TextOrientation::Horizontal);
            EXPECT_EQ(f.shrink, false);
            EXPECT_EQ(f.indent, 0);
        }
        // "в СМУ" over I2:J2, written apart from the other captions.
        Range smu = sh.range(QStringLiteral("I2:J2"));
        EXPECT_TRUE(smu.isMerged());
        EXPECT_EQ(sh.range(QStringLiteral("I2")).text(), QStringLiteral("в СМУ"));
        EXPECT_EQ(smu.format().orientation, TextOrientation::Horizontal);
        EXPECT_EQ(smu.format().fontName.value_or(""), QStringLiteral("Arial Cyr"));
    }
}

TEST_F(NewLogbook, CaptionTextsKeepTheirExactCharacters) {
    Sheet sh = sheet(kSheet1);
    EXPECT_EQ(sh.range(QStringLiteral("S3")).text(), QStringLiteral("в т.ч.при уст. миним. погоды"));
    EXPECT_EQ(sh.range(QStringLiteral("K1")).text(), QStringLiteral("Высота полёта, км (макс./мин.)"));
    const QString p2 = sh.range(QStringLiteral("P2")).text();
    EXPECT_EQ(p2, QStringLiteral("Наименование системы и способ упр. cамолётом"));
    EXPECT_EQ(p2.at(p2.lastIndexOf(u' ') + 1), QChar(u'c')); // Latin c
    EXPECT_EQ(sh.range(QStringLiteral("G6")).text(), QStringLiteral("ч.  м."));
    // L1:L6 was absorbed by L1:N6.
    EXPECT_TRUE(sh.range(QStringLiteral("L1:N6")).isMerged());
    EXPECT_EQ(sh.range(QStringLiteral("M1")).mergedArea().address(), QStringLiteral("L1:N6"));
}

TEST_F(NewLogbook, ColumnWidthsAndRowHeightsAreTheLogbookOnes) {
    for (const QString& name : kAllSheets) {
        Sheet sh = sheet(name);
        for (int c = 0; c < 21; ++c) {
            SCOPED_TRACE(QString(name + u' ' + QString::number(c)).toStdString());
            // .xls keeps widths in 1/256 characters and Calc loses up to 3/256 on a reload.
            EXPECT_NEAR(sh.columnWidth(c), kColumnWidths[size_t(c)], 0.03);
        }
        EXPECT_NEAR(sh.rowHeight(0), 19.5, 0.06);
        EXPECT_NEAR(sh.rowHeight(3), 19.5, 0.06);
        EXPECT_NEAR(sh.rowHeight(4), 19.5, 0.06);
        EXPECT_NEAR(sh.rowHeight(2), 21.0, 0.06);
        // Rows 2 and 6 keep the sheet's default height.
        EXPECT_NEAR(sh.rowHeight(1), sh.rowHeight(300), 0.06);
        EXPECT_NEAR(sh.rowHeight(5), sh.rowHeight(300), 0.06);
    }
}

TEST_F(NewLogbook, HeaderHasAThickRuleBelowAndColumnUAThickRuleRight) {
    for (const QString& name : kAllSheets) {
        SCOPED_TRACE(name.toStdString());
        Sheet sh = sheet(name);
        for (int c = 0; c < 21; ++c) {
            EXPECT_EQ(sh.cell(5, c).borders().bottom, LineWeight::Thick) << c;
            EXPECT_EQ(sh.cell(0, c).borders().top, LineWeight::None) << c;
        }
        for (int r : {0, 3, 5, 6, 40, 1000}) {
            const Borders u = sh.cell(r, 20).borders();
            EXPECT_EQ(u.right, LineWeight::Thick) << r;
            EXPECT_EQ(u.left, LineWeight::None) << r;
            EXPECT_EQ(u.diagonalDown, LineWeight::None) << r;
        }
        // The other cell lines are the grid's.
        const Borders e3 = sh.range(QStringLiteral("E3")).borders();
        EXPECT_EQ(e3.left, LineWeight::None);
        EXPECT_EQ(e3.right, LineWeight::None);
        EXPECT_EQ(sh.range(QStringLiteral("A1")).borders().left, LineWeight::None);
        EXPECT_EQ(sh.range(QStringLiteral("V3")).borders().right, LineWeight::None);
    }
}

TEST_F(NewLogbook, PanesAreFrozenAtM7OnEverySheet) {
    // View settings come from a shown workbook: a copy of the file is opened in a window.
    QTemporaryDir copyDir;
    const QString copy = copyDir.path() + QStringLiteral("/copy.xls");
    ASSERT_TRUE(QFile::copy(bookPath(dir->path()), copy));
    Workbook shown = host().openWorkbook(copy, SpreadsheetHost::OpenMode::Shown);
    for (const QString& name : kAllSheets) {
        const auto frozen = shown.sheet(name).frozenPanes();
        ASSERT_TRUE(frozen.has_value()) << name.toStdString();
        EXPECT_EQ(*frozen, std::pair(12, 6)) << name.toStdString();
    }
    // The last sheet laid out is the active one, its cursor on M7.
    EXPECT_EQ(shown.activeSheet().name(), kSheet4);
    EXPECT_EQ(shown.activeSheet().selection(), QStringLiteral("M7"));
    shown.close(CloseMode::Discard);
}

// ---- record slot of Лист1

namespace {

struct SlotExpectation {
    int column;
    const char* format;
    HAlign h;
};

const SlotExpectation kSlot[] = {
    {0, "dd", HAlign::Right},     {1, "@", HAlign::Left},       {2, "General", HAlign::Center},
    {3, "@", HAlign::Center},     {4, "@", HAlign::Left},       {5, "0", HAlign::Right},
    {6, "[h]:mm", HAlign::Right}, {7, "[h]:mm", HAlign::Right}, {8, "[h]:mm", HAlign::Right},
    {9, "[h]:mm", HAlign::Right}, {10, "0.0", HAlign::Right},   {11, "0", HAlign::Center},
    {12, "0", HAlign::Center},    {13, "0.0", HAlign::Center},  {14, "0", HAlign::Center},
    {15, "@", HAlign::Left},      {16, "0", HAlign::Center},    {17, "0", HAlign::Center},
    {18, "0", HAlign::Center},    {19, "0", HAlign::Center},    {20, "0", HAlign::Center},
};

bool sameFormatCode(const QString& actual, const char* expected) {
    const QString e = QString::fromLatin1(expected);
    if (e == u"General")
        return actual.compare(e, Qt::CaseInsensitive) == 0 || actual == u"Standard" || actual == u"Основной";
    return actual.compare(e, Qt::CaseInsensitive) == 0;
}

} // namespace

TEST_F(NewLogbook, RecordSlotHasItsMergesFormatsAndAlignments) {
    Sheet sh = sheet(kSheet1);
    for (int first : {6, 8}) { // rows 7-8 and their copy in 9-10
        for (const SlotExpectation& s : kSlot) {
            SCOPED_TRACE(QStringLiteral("row %1 column %2").arg(first + 1).arg(s.column).toStdString());
            if (s.column == 12) {
                EXPECT_FALSE(sh.cell(first, 12).isMerged());
                EXPECT_EQ(sh.cell(first, 12).mergedArea().address(), sh.cell(first, 12).address());
                EXPECT_EQ(sh.cell(first, 12).format().vAlign, VAlign::Bottom);
                EXPECT_EQ(sh.cell(first + 1, 12).format().vAlign, VAlign::Top);
            } else {
                EXPECT_TRUE(sh.cells(first, s.column, first + 1, s.column).isMerged());
                EXPECT_EQ(sh.cell(first, s.column).format().vAlign, VAlign::Center);
            }
            for (int r = first; r <= first + 1; ++r) {
                const CellFormat f = sh.cell(r, s.column).format();
                if (r == first || s.column == 12) {
                    EXPECT_TRUE(sameFormatCode(f.numberFormat.value_or(""), s.format)) << f.numberFormat->toStdString();
                    EXPECT_EQ(f.hAlign, s.h);
                }
                EXPECT_EQ(f.fontName.value_or(""), QStringLiteral("Arial Cyr"));
                EXPECT_DOUBLE_EQ(f.fontSize.value_or(0), 8.0);
                EXPECT_FALSE(f.bold.value_or(true));
                EXPECT_FALSE(f.wrap.value_or(true));
                EXPECT_EQ(f.orientation, TextOrientation::Horizontal);
                EXPECT_EQ(f.indent, 0);
            }
        }
        // M: one value above the other, split by a medium rule; nothing else around it.
        const Borders m7 = sh.cell(first, 12).borders();
        const Borders m8 = sh.cell(first + 1, 12).borders();
        EXPECT_EQ(m7.bottom, LineWeight::Medium);
        EXPECT_EQ(m8.top, LineWeight::Medium);
        EXPECT_EQ(m7.top, LineWeight::None);
        EXPECT_EQ(m7.left, LineWeight::None);
        EXPECT_EQ(m7.right, LineWeight::None);
        EXPECT_EQ(m8.bottom, LineWeight::None);
        EXPECT_EQ(sh.cell(first, 11).borders().bottom, LineWeight::None);
    }
}

TEST_F(NewLogbook, CoveredCellsOfBothSlotsShareOneFormatPerRunAndUKeepsItsRule) {
    Sheet sh = sheet(kSheet1);
    for (int first : {6, 8}) {
        SCOPED_TRACE(first + 1);
        EXPECT_TRUE(coveredCellsShareFormats(sh, first));
        EXPECT_EQ(sh.cells(first + 1, 0, first + 1, 11).formatBlockCount(), 1);
        EXPECT_EQ(sh.cells(first + 1, 13, first + 1, 19).formatBlockCount(), 1);
        // U's covered cell is a run of its own: other programs draw the merged cell's rule from it.
        EXPECT_EQ(sh.cell(first + 1, 20).borders().right, LineWeight::Thick);
        EXPECT_EQ(sh.cells(first + 1, 13, first + 1, 20).formatBlockCount(), 2);
    }
}

TEST_F(NewLogbook, RowsNineAndTenAreACopyOfSevenAndEight) {
    Sheet sh = sheet(kSheet1);
    for (int c = 0; c <= 20; ++c) {
        for (int r = 6; r <= 7; ++r) {
            SCOPED_TRACE(QStringLiteral("column %1 row %2").arg(c).arg(r + 1).toStdString());
            const CellFormat a = sh.cell(r, c).format(), b = sh.cell(r + 2, c).format();
            EXPECT_EQ(a.numberFormat, b.numberFormat);
            EXPECT_EQ(a.hAlign, b.hAlign);
            EXPECT_EQ(a.vAlign, b.vAlign);
            EXPECT_EQ(a.fontName, b.fontName);
            EXPECT_EQ(a.fontSize, b.fontSize);
            EXPECT_EQ(a.wrap, b.wrap);
            EXPECT_EQ(sh.cell(r, c).mergedArea().offset(2, 0).address(), sh.cell(r + 2, c).mergedArea().address());
            const Borders x = sh.cell(r, c).borders(), y = sh.cell(r + 2, c).borders();
            EXPECT_EQ(x.top, y.top);
            EXPECT_EQ(x.bottom, y.bottom);
        }
    }
}

TEST_F(NewLogbook, V7V8IsMergedWithDefaultFontAndV9V10IsNot) {
    Sheet sh = sheet(kSheet1);
    EXPECT_TRUE(sh.range(QStringLiteral("V7:V8")).isMerged());
    const CellFormat v = sh.range(QStringLiteral("V7")).format();
    EXPECT_EQ(v.hAlign, HAlign::Center);
    EXPECT_EQ(v.vAlign, VAlign::Bottom);
    EXPECT_DOUBLE_EQ(v.fontSize.value_or(0), 10.0); // the standard font, not the caption font
    EXPECT_FALSE(sh.range(QStringLiteral("V9:V10")).isMerged());
    EXPECT_EQ(sh.range(QStringLiteral("V9")).mergedArea().address(), QStringLiteral("V9"));
}

TEST_F(NewLogbook, RecordSlotsAreEmpty) {
    const QList<QVariantList> data = sheet(kSheet1).range(QStringLiteral("A7:V40")).data();
    for (const QVariantList& row : data)
        for (const QVariant& v : row)
            EXPECT_EQ(v.toString(), QString());
}

TEST_F(NewLogbook, SheetsTwoToFourHaveNothingBelowRowSix) {
    for (const QString& name : {kSheet2, kSheet3, kSheet4}) {
        SCOPED_TRACE(name.toStdString());
        Sheet sh = sheet(name);
        for (const QVariantList& row : sh.range(QStringLiteral("A7:V40")).data())
            for (const QVariant& v : row)
                EXPECT_EQ(v.toString(), QString());
        for (int r = 6; r <= 11; ++r) {
            for (int c = 0; c <= 21; ++c) {
                // A cell far below the header shows what an untouched cell of that column looks like.
                const CellFormat f = sh.cell(r, c).format(), pristine = sh.cell(500, c).format();
                EXPECT_FALSE(sh.cell(r, c).mergedArea().address() != sh.cell(r, c).address()) << r << ' ' << c;
                EXPECT_EQ(f.numberFormat, pristine.numberFormat) << r << ' ' << c;
                EXPECT_EQ(f.fontName, pristine.fontName) << r << ' ' << c;
                EXPECT_EQ(f.fontSize, pristine.fontSize) << r << ' ' << c;
                EXPECT_EQ(f.hAlign, pristine.hAlign) << r << ' ' << c;
                EXPECT_EQ(f.vAlign, pristine.vAlign) << r << ' ' << c;
                const Borders b = sh.cell(r, c).borders(), p = sh.cell(500, c).borders();
                if (r > 6) { // row 7's top is the header's bottom rule, kept by row 6 in the file
                    EXPECT_EQ(b.top, p.top) << r << ' ' << c;
                }
                EXPECT_EQ(b.bottom, p.bottom) << r << ' ' << c;
                EXPECT_EQ(b.right, p.right) << r << ' ' << c;
            }
        }
        EXPECT_EQ(sh.lastUsedRow(), 5);
    }
}

TEST_F(NewLogbook, SetsNoPrintAreaAndNoConditionalFormatsAndPrintsWithoutTheOfficesHeaderOnOnePageWidth) {
    for (const QString& name : kAllSheets) {
        EXPECT_EQ(sheet(name).printArea(), QString()) << name.toStdString();
        EXPECT_EQ(sheet(name).range(QStringLiteral("A1:V20")).conditionalFormatCount(), 0);
        // Read back from the .xls: no "Лист4" above, no "Page 1" below, the 21 columns on one page across.
        EXPECT_EQ(sheet(name).pageSetup(), PageSetup{}) << name.toStdString();
    }
}

TEST_F(NewLogbook, OpensInASecondIndependentOffice) {
    // A separate soffice with its own profile converts the file to CSV; the header caption comes back.
    QTemporaryDir work;
    const QString profile = work.path() + QStringLiteral("/profile");
    detail::seedProfile(profile);
    QProcess p;
    p.setWorkingDirectory(work.path());
    p.start(QStringLiteral("/usr/lib/libreoffice/program/soffice"),
            {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile).toString(QUrl::FullyEncoded),
             QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"),
             QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1"), QStringLiteral("--outdir"), work.path(),
             bookPath(dir->path())});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QFile csv(work.path() + QStringLiteral("/Korvelanta.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly)) << p.readAllStandardOutput().toStdString();
    const QString text = QString::fromUtf8(csv.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("Число месяца"))) << text.left(300).toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Номер упражнения и краткое содержание задания")));
}

// ---- an existing logbook and directories that cannot take one

TEST(NewLogbookGuards, AnExistingLogbookIsNeverReplaced) {
    QTemporaryDir dir;
    const QString path = bookPath(dir.path());
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a workbook, and must stay so");
    }
    const QByteArray before = officetest::fileHash(path);
    const QDateTime mtime = QFileInfo(path).lastModified();
    RecordedProgress progress;
    NewBook made{true, {}};
    KORV_NO_ERROR(made = createNewLogbook(host(), dir.path(), progress));
    EXPECT_FALSE(made.created);
    EXPECT_EQ(officetest::fileHash(path), before);
    EXPECT_EQ(QFileInfo(path).lastModified(), mtime);
    EXPECT_TRUE(progress.events.isEmpty());
    EXPECT_TRUE(made.stored.text.isEmpty());
}

TEST(NewLogbookGuards, AnUnwritableDirectoryGivesAClearErrorAndNoFile) {
    // Tests may run as root, whom permission bits do not stop: /proc refuses new files to everyone.
    RecordedProgress progress;
    try {
        createNewLogbook(host(), QStringLiteral("/proc"), progress);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("/proc"))) << e.what();
        EXPECT_TRUE(e.description().contains(QStringLiteral("Нет права записи"))) << e.what();
    }
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/proc/Korvelanta.xls")));
}

TEST(NewLogbookGuards, ADirectoryThatIsNotThereGivesAClearErrorAndNoFile) {
    QTemporaryDir dir;
    QFile plain(dir.path() + QStringLiteral("/file"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    RecordedProgress progress;
    const QString below = dir.path() + QStringLiteral("/file/sub");
    try {
        createNewLogbook(host(), below, progress);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::FileNotFound);
        EXPECT_TRUE(e.description().contains(below)) << e.what();
    }
    EXPECT_EQ(officetest::entriesOf(dir.path()), QStringList{QStringLiteral("file")});
}

// ---- logbook access

class LogbookAccess : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        RecordedProgress progress;
        KORV_NO_ERROR(createNewLogbook(host(), dir.path(), progress));
    }
    void TearDown() override {
        if (auto b = host().findWorkbook(kBookName))
            b->close(CloseMode::Discard);
    }
    QTemporaryDir dir;
};

TEST_F(LogbookAccess, PathIsTheLogbookFolderPlusTheFileName) {
    BookView lb(host(), dir.path());
    EXPECT_EQ(lb.path(), dir.path() + QStringLiteral("/Korvelanta.xls"));
}

TEST_F(LogbookAccess, AMissingLogbookGivesAnErrorNamingTheFile) {
    QTemporaryDir empty;
    BookView lb(host(), empty.path());
    lb.attach();
    try {
        lb.open();
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::FileNotFound);
        EXPECT_TRUE(e.description().contains(empty.path() + QStringLiteral("/Korvelanta.xls"))) << e.what();
    }
    EXPECT_TRUE(host().isAlive());
}

TEST_F(LogbookAccess, OpenActivateAndCloseWithAndWithoutSaving) {
    BookView lb(host(), dir.path());
    lb.attach();
    Workbook b = lb.open();
    EXPECT_EQ(b.name(), QStringLiteral("Korvelanta"));
    ASSERT_TRUE(host().findWorkbook(QStringLiteral("Korvelanta")).has_value());
    lb.activateSheet(kSheet1);
    lb.workbook().sheet(kSheet1).range(QStringLiteral("E7")).setText(QStringLiteral("упр. 1"));
    lb.close(CloseMode::Discard);
    EXPECT_FALSE(host().findWorkbook(kBookName).has_value());

    Workbook again = lb.open();
    EXPECT_EQ(again.sheet(kSheet1).range(QStringLiteral("E7")).text(), QString()); // not saved
    again.sheet(kSheet1).range(QStringLiteral("E7")).setText(QStringLiteral("упр. 2"));
    lb.close(CloseMode::Save);
    lb.detach();

    Workbook third = lb.open();
    EXPECT_EQ(third.sheet(kSheet1).range(QStringLiteral("E7")).text(), QStringLiteral("упр. 2"));
    EXPECT_EQ(third.sheetNames(), (QStringList{kSheet4, kSheet3, kSheet2, kSheet1}));
    lb.close();
}

TEST_F(LogbookAccess, ViewingShowsTheLogbookAndCloseBookClosesOnlyIt) {
    BookView lb(host(), dir.path());
    lb.OpenBookForView();
    lb.activateSheet(kSheet4);
    Workbook shown = lb.workbook();
    EXPECT_TRUE(shown.isVisible());
    EXPECT_EQ(shown.activeSheet().name(), kSheet4);
    EXPECT_TRUE(host().anyWorkbookShown());
    lb.CloseBook();
    EXPECT_FALSE(host().findWorkbook(kBookName).has_value());
    EXPECT_TRUE(host().isAlive()); // the office itself is never told to quit
}

TEST_F(LogbookAccess, CloseBookAfterThePilotClosedTheWorkbookSaysSoAndTheProgramGoesOn) {
    BookView lb(host(), dir.path());
    lb.OpenBookForView();
    lb.activateSheet(kSheet1);
    // The pilot closes the workbook in Calc: the same as a close that does not come from the logbook.
    host().findWorkbook(kBookName)->close(CloseMode::Discard);
    try {
        lb.CloseBook();
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::Spreadsheet);
        EXPECT_TRUE(e.description().contains(QStringLiteral("Korvelanta"))) << e.what();
    }
    // Nothing is broken: the logbook opens again.
    KORV_NO_ERROR(lb.open());
    KORV_NO_ERROR(lb.close(CloseMode::Discard));
}

TEST(NewLogbookMessage, ComesWithTheLogbookOnDiskAndNothingHeld) {
    QTemporaryDir dir;
    NoProgress progress;
    EXPECT_TRUE(createNewLogbook(host(), dir.path(), progress).created);
    // While the pilot reads the storage message: the logbook is there, and another program takes the
    // logbook and the office at once, without waiting.
    EXPECT_EQ(LocateBookFile(dir.path()), QStringLiteral("Korvelanta.xls"));
    EXPECT_NO_THROW(ExclusiveLock(logbookLockFile(bookPath(dir.path())), 0, QStringLiteral("занята")));
    EXPECT_NO_THROW(host().beginOperation(60000, 0, {}));
}
