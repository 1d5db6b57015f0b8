// What only the office does with the logbook's changes, in the program's own LibreOffice Calc: the sheet
// adapter's pairs laid out with Calc's merges, formats and rules and read back as written, the file saved as
// .xls and read by an independent office, the covered cells of an earlier build's logbook put into few
// format runs without a visible change, the summary sheet's formulas and zero sums, and the check reading a
// copy with no lock file left beside the logbook. The logic of these changes is tested on the in-memory
// office; here only what Calc itself keeps or draws is looked at.

#include "flight/record_writer.h"
#include "logbook/book_names.h"
#include "logbook/book_reading.h"
#include "logbook/logbook_change.h"
#include "logbook/record_slots.h"
#include "logbook/sheet_adapter.h"
#include "spreadsheet/uno/spreadsheet_host.h"
#include "support/files.h"
#include "support/flights.h"
#include "support/logbook_env.h"
#include "totals/totals_run.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace korv;
using namespace korv::logbook;
using testflights::Flight;
using testflights::recordOf;
namespace column = records::column;

namespace {

const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new korv::test::LogbookEnvironment([](const QString& profile) {
        SpreadsheetHost::Options o;
        o.profileDir = profile;
        return std::make_unique<SpreadsheetHost>(o);
    }));

PairCells shift(int y, int m, int d, const char* exercise = "Упр.  7 КП", int minutes = 60) {
    return recordOf(Flight{{y, m, d}, exercise, "Д", "П", 1, minutes});
}

Range at(Sheet& s, const char* a1) { return s.range(QString::fromLatin1(a1)); }

class LogbookOffice : public korv::test::LogbookTest {};

} // namespace

TEST_F(LogbookOffice, AppendedInsertedReplacedAndRemovedPairsLookAsCalcShowsRecords) {
    {
        LogbookChange change(office(), book);
        change.append(shift(2004, 9, 5));
        change.append(shift(2004, 9, 12));
        change.append(shift(2004, 11, 2, "Упр. 12 ПП", 85));
        change.save();
    }
    {
        LogbookChange change(office(), book);
        change.insertInDateOrder({shift(2004, 9, 8), shift(2004, 10, 3)});
        change.replace(change.logbook().entryAt(10), shift(2004, 9, 9, "Упр. 94 полёт", 70));
        change.remove(change.logbook().entryAt(8)); // the 5th
        change.save();
    }
    // Heading 7 Sep, 9 (the 9th), 11 (12th), heading 13 Oct, 15 (3rd), heading 17 Nov, 19 (2nd), free 21.
    inspect([](Workbook& wb) {
        Sheet s = wb.sheet(kSheet1);
        const Logbook b = readLogbook(s);
        ASSERT_EQ(b.entries().size(), 7);
        EXPECT_EQ(b.freeRow() + 1, 21);
        EXPECT_EQ(at(s, "E7").text(), "Сентябрь  2004 г.");
        EXPECT_EQ(at(s, "A9").date(), QDate(2004, 9, 9));
        EXPECT_EQ(at(s, "G9").text(), "1:10");
        EXPECT_EQ(at(s, "E13").text(), "Октябрь  2004 г.");
        EXPECT_EQ(at(s, "A15").date(), QDate(2004, 10, 3));
        EXPECT_EQ(at(s, "E17").text(), "Ноябрь  2004 г.");
        EXPECT_EQ(at(s, "G19").text(), "1:25");
        for (const Entry& e : b.entries()) {
            const int r = e.row;
            for (int c = column::A; c <= column::U; ++c) {
                if (c != column::M) {
                    EXPECT_TRUE(s.cells(r, c, r + 1, c).isMerged()) << e.sheetRow() << ' ' << c;
                }
            }
            EXPECT_FALSE(s.cells(r, column::M, r + 1, column::M).isMerged()) << e.sheetRow();
            EXPECT_EQ(s.cell(r, column::M).borders().bottom, LineWeight::Medium) << e.sheetRow();
            EXPECT_EQ(s.cell(r, column::U).borders().right, LineWeight::Thick) << e.sheetRow();
            const CellFormat exercise = s.cell(r, column::E).format();
            if (e.isHeading()) {
                EXPECT_EQ(exercise.bold, true) << e.sheetRow();
                EXPECT_EQ(exercise.fontSize, 12.0) << e.sheetRow();
                EXPECT_EQ(exercise.wrap, false) << e.sheetRow();
            } else {
                EXPECT_EQ(exercise.wrap, true) << e.sheetRow();
                EXPECT_EQ(exercise.fontSize, 8.0) << e.sheetRow();
                // Calc reads number codes back in capitals.
                EXPECT_EQ(s.cell(r, column::A).format().numberFormat.value_or("").toLower(), "d") << e.sheetRow();
                EXPECT_EQ(s.cell(r, column::G).format().numberFormat.value_or("").toLower(), "[h]:mm");
            }
        }
        // The empty laid-out pair below the last record.
        EXPECT_EQ(at(s, "E21").kind(), CellKind::Empty);
        EXPECT_TRUE(at(s, "E21:E22").isMerged());
        EXPECT_EQ(at(s, "M21").borders().bottom, LineWeight::Medium);
    });
}

TEST_F(LogbookOffice, AnIndependentOfficeReadsTheSavedRecord) {
    flight::WriteFlightRecord(office(), book, shift(2004, 9, 5, "Упр.  7 КП", 85));
    QTemporaryDir out;
    QProcess p;
    p.start("/usr/lib/libreoffice/program/soffice",
            {"-env:UserInstallation=file://" + out.filePath("profile"), "--headless", "--norestore",
             // Лист1 is the fourth tab.
             "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,4", "--outdir",
             out.path(), book});
    ASSERT_TRUE(p.waitForFinished(120000));
    const QStringList csv = QDir(out.path()).entryList({"*.csv"});
    ASSERT_EQ(csv.size(), 1) << p.readAllStandardError().toStdString();
    QFile f(QDir(out.path()).filePath(csv[0]));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n');
    ASSERT_GT(lines.size(), 9);
    EXPECT_TRUE(lines[6].contains("Сентябрь  2004 г.")) << lines[6].toStdString();
    EXPECT_TRUE(lines[8].contains("Л-39")) << lines[8].toStdString();
    EXPECT_TRUE(lines[8].contains("Упр.  7 ")) << lines[8].toStdString();
    EXPECT_TRUE(lines[8].contains("1:25")) << lines[8].toStdString();
}

namespace {

// What the pilot sees of the pairs from row 7 to lastRow: the shown cells' looks, every cell's borders and
// merged area, and the values.
std::vector<std::string> visibleState(Sheet& s, int lastRow) {
    std::vector<std::string> out;
    for (int r = 6; r <= lastRow; ++r) {
        for (int c = 0; c <= 21; ++c) {
            const Range cell = s.cell(r, c);
            const Range area = cell.mergedArea();
            QString line = cell.address() + " " + area.address();
            const Borders b = cell.borders();
            for (auto w : {b.left, b.top, b.right, b.bottom})
                line += QString::number(int(w.value_or(LineWeight::None)));
            if (area.firstRow() == r && area.firstColumn() == c) { // shown: its own look counts
                const CellFormat f = cell.format();
                line += " " + f.numberFormat.value_or("") + QString::number(int(*f.hAlign)) +
                        QString::number(int(*f.vAlign)) + f.fontName.value_or("") +
                        QString::number(f.fontSize.value_or(0)) + (f.bold.value_or(false) ? "b" : "") +
                        (f.wrap.value_or(false) ? "w" : "");
            }
            out.push_back(line.toStdString());
        }
    }
    for (const QVariantList& row : s.cells(6, 0, lastRow, 21).data())
        for (const QVariant& v : row)
            out.push_back(v.toString().toStdString());
    return out;
}

} // namespace

TEST_F(LogbookOffice, AnEarlierBuildsLogbookGetsItsCoveredCellsSharedOnceAndLooksTheSame) {
    // Earlier builds formatted every covered cell of a pair like its column.
    {
        Workbook wb = office().openWorkbook(book);
        Sheet s = wb.sheet(kSheet1);
        for (int row : {7, 9})
            for (int c = 0; c <= 20; ++c)
                if (c != 12)
                    s.cell(row, c).apply(s.cell(row - 1, c).format());
        wb.close(CloseMode::Save);
    }
    for (int day : {1, 2, 3})
        flight::WriteFlightRecord(office(), book, shift(2004, 8, day), SlotUpkeep::LeaveAsFound);
    std::vector<std::string> before;
    inspect([&](Workbook& wb) {
        Sheet s = wb.sheet(kSheet1);
        EXPECT_FALSE(pairsShareFormats(s, {8, 10, 12, 14}));
        before = visibleState(s, 13);
    });

    const flight::WrittenRecord w = flight::WriteFlightRecord(office(), book, shift(2004, 9, 5));
    EXPECT_EQ(w.row, 17); // September: a heading, then the record
    inspect([&](Workbook& wb) {
        Sheet s = wb.sheet(kSheet1);
        for (int pair = 6; pair <= 18; pair += 2) {
            if (pair != 6 && pair != 14) { // month headings keep their font in the covered E cell
                EXPECT_TRUE(coveredCellsShareFormats(s, pair)) << pair + 1;
            }
            EXPECT_EQ(s.cell(pair + 1, 20).borders().right, LineWeight::Thick) << pair + 1;
        }
        EXPECT_TRUE(pairsShareFormats(s, {8, 10, 12, 16, 18})); // the next write leaves them alone
        const std::vector<std::string> after = visibleState(s, 13);
        ASSERT_EQ(after.size(), before.size());
        for (size_t i = 0; i < after.size(); ++i)
            EXPECT_EQ(after[i], before[i]);
    });
}

TEST_F(LogbookOffice, TheSummarysFormulasZeroSumsAndPrintedRangeAreCalcs) {
    for (const PairCells& r : {shift(2004, 9, 1, "Упр. 94", 70), shift(2004, 9, 2, "Упр. 94", 120)})
        flight::WriteFlightRecord(office(), book, r);
    totals::TotalsRun run(office(), book);
    totals::NoTotalsProgress progress;
    const totals::TotalsOutcome out =
        run.cmdItog_Click(totals::PeriodOption::CurrentMonth, {2004, 9, 20}, {}, {}, progress);
    ASSERT_EQ(out.end, totals::TotalsEnd::Summary);
    EXPECT_TRUE(out.renderedPdf.startsWith("%PDF-"));
    inspect([](Workbook& wb) {
        Sheet s = wb.sheet(kSheet4);
        EXPECT_EQ(at(s, "G8").text(), "3:10");
        EXPECT_EQ(at(s, "F17").formula(), "=SUM(F11;F16)");
        EXPECT_EQ(at(s, "G17").text(), "3:10"); // computed by Calc from rows 11 and 16
        EXPECT_EQ(at(s, "O11").value(), 0);     // a zero sum is there, in white
        for (const char* cf : {"F7", "J17", "O11", "Q7", "S17"})
            EXPECT_EQ(at(s, cf).conditionalFormatCount(), 1) << cf;
        EXPECT_EQ(s.printArea(), "A1:U17");
        EXPECT_EQ(at(s, "G30").format().numberFormat.value_or("").toLower(), "[h]:mm");
    });
}

TEST_F(LogbookOffice, TheCheckReadsACopyAndLeavesNothingBesideTheLogbook) {
    flight::WriteFlightRecord(office(), book, shift(2004, 9, 1));
    const QByteArray bytes = testfiles::hashOf(book);
    const QStringList beside = testfiles::entriesOf(dir.path());
    const QList<Finding> f = checkLogbook(office(), book, CheckReference{{"Л-39"}, {}, {}});
    for (const Finding& x : f)
        EXPECT_NE(x.severity, Severity::Error) << x.text.toStdString();
    EXPECT_EQ(testfiles::hashOf(book), bytes);
    EXPECT_EQ(testfiles::entriesOf(dir.path()), beside) << "no lock file or copy left beside the logbook";
}

namespace {

// Every cell of "Лист1" from row 7 to the pair below the last entry as the pilot sees it: text, merge, wrap,
// bold, size, number format, alignment, and each row's height.
QStringList sheetLook(Office& office, const QString& path) {
    QStringList out;
    Workbook wb = office.openWorkbook(path);
    Sheet s = wb.sheet(kSheet1);
    const Logbook b = readLogbook(s);
    for (int row = records::kFirstRow; row <= b.freeRow() + 1; ++row) {
        for (int c = column::A; c <= records::kLastColumn; ++c) {
            const Range cell = s.cell(row, c);
            const CellFormat f = cell.format();
            out << QStringLiteral("%1%2 «%3» merged %4 wrap %5 bold %6 size %7 format %8 align %9")
                       .arg(QChar(u'A' + c))
                       .arg(row + 1)
                       .arg(cell.text())
                       .arg(cell.mergeSpan().address())
                       .arg(f.wrap.value_or(false))
                       .arg(f.bold.value_or(false))
                       .arg(f.fontSize.value_or(0))
                       .arg(f.numberFormat.value_or(QString()))
                       .arg(int(f.hAlign.value_or(HAlign::General)));
        }
        out << QStringLiteral("row %1 height %2").arg(row + 1).arg(s.rowHeight(row));
    }
    wb.close(CloseMode::Discard);
    return out;
}

} // namespace

TEST_F(LogbookOffice, RecordsLaidOutTogetherLookAsRecordsLaidOutOneByOne) {
    // The same records, each laid out by itself in one copy and all at once in another: appended after the
    // last record, and inserted before the first. The pairs laid out together must show what one by one
    // shows, cell for cell, merge for merge, look for look.
    const QList<PairCells> later{shift(2004, 8, 30), shift(2004, 9, 5), shift(2004, 9, 12, "Упр. 12 ПП", 85),
                                 shift(2004, 11, 2), shift(2005, 1, 3, "Упр. 94 полёт", 70)};
    const QList<PairCells> earlier{shift(2003, 11, 30), shift(2003, 12, 1, "Упр. 12 ПП", 85), shift(2003, 12, 2),
                                   shift(2004, 8, 1), shift(2004, 8, 29)};
    const QString together = dir.filePath("together.xls");
    ASSERT_TRUE(QFile::copy(book, together));
    {
        LogbookChange change(office(), book);
        for (const PairCells& r : later)
            change.append(r);
        change.save();
    }
    {
        LogbookChange change(office(), together);
        const QList<PairEdit> edits = change.insertInDateOrder(later);
        ASSERT_EQ(edits.size(), later.size());
        EXPECT_EQ(edits.back().op, PairEdit::Op::Append);
        change.save();
    }
    EXPECT_EQ(sheetLook(office(), book), sheetLook(office(), together));
    {
        LogbookChange change(office(), book);
        for (const PairCells& r : earlier)
            change.insertInDateOrder({r});
        change.save();
    }
    {
        LogbookChange change(office(), together);
        const QList<PairEdit> edits = change.insertInDateOrder(earlier);
        ASSERT_EQ(edits.size(), earlier.size());
        EXPECT_EQ(edits.back().op, PairEdit::Op::Insert);
        change.save();
    }
    const QStringList oneByOne = sheetLook(office(), book);
    const QStringList atOnce = sheetLook(office(), together);
    ASSERT_EQ(oneByOne.size(), atOnce.size());
    for (int i = 0; i < oneByOne.size(); ++i)
        EXPECT_EQ(oneByOne[i], atOnce[i]);
}
