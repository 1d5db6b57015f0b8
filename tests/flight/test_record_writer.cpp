// Writing shifts into a real logbook through the program's own Calc (one office for the program).
#include "common/date_serial.h"
#include "common/error.h"
#include "flight/record_writer.h"
#include "logbook/logbook.h"
#include "logbook/newbook.h"
#include "logbook/record_slots.h"
#include "spreadsheet/uno/spreadsheet_host.h"
#include "support/worked_shift.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace korv;
using namespace korv::flight;
using logbook::Range;
using logbook::Sheet;
using logbook::SpreadsheetHost;

namespace {

// One office and one freshly created logbook for the whole program; each test copies the logbook.
class CalcEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        SpreadsheetHost::Options o;
        o.profileDir = dir.filePath("profile");
        host = new SpreadsheetHost(o);
        QDir().mkpath(dir.filePath("template"));
        logbook::NoProgress progress;
        RecordingDialogs dialogs;
        logbook::createNewLogbook(*host, dir.filePath("template"), progress, dialogs);
        templateBook = logbook::bookPath(dir.filePath("template"));
    }
    void TearDown() override {
        host->shutdown();
        delete host;
        host = nullptr;
    }

    static inline SpreadsheetHost* host = nullptr;
    static inline QString templateBook;
    QTemporaryDir dir;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new CalcEnvironment);

QString databasePath() { return QDir(qEnvironmentVariable("KORV_BIN_DIR")).filePath("FlightTables1.mdb"); }

QByteArray fileHash(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

class RecordWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        book = logbook::bookPath(dir.path());
        ASSERT_TRUE(QFile::copy(CalcEnvironment::templateBook, book));
        QFile::setPermissions(book, QFile::ReadOwner | QFile::WriteOwner);
        // The worked shift with landings and a take-off at minimum; the visibility left empty.
        InputForm& f = session.form;
        f = korv::test::withLandings(korv::test::workedShift());
        f.txtVidKm.clear();
        f.txtVzl = "1";
        session.RefreshInputState();
    }

    // "Считать" then "Записать".
    std::optional<WrittenRecord> write() {
        dialogs.messages.clear();
        session.cmdOK_Click(dialogs);
        EXPECT_TRUE(session.form.cmdWriteEnabled);
        return writer.cmdWrite_Click(session, dialogs);
    }

    // Reads back through the office, the logbook closed again afterwards.
    template <typename F>
    void inspect(F&& f) {
        logbook::Workbook wb = CalcEnvironment::host->openWorkbook(book);
        Sheet sheet = wb.sheet(logbook::kSheet1);
        f(sheet);
        wb.close(logbook::CloseMode::Discard);
    }

    QTemporaryDir dir;
    QString book;
    ReferenceDatabase database{databasePath()};
    ShiftSession session{database};
    ShiftWriter writer{*CalcEnvironment::host, database, logbook::bookPath(dir.path())};
    RecordingDialogs dialogs;
};

// Rows and columns by their sheet names: cell(sheet, "E7").
Range at(Sheet& sheet, const char* a1) { return sheet.range(QString::fromLatin1(a1)); }

} // namespace

TEST_F(RecordWriterTest, TheFirstRecordFollowsItsMonthHeading) {
    const auto w = write();
    ASSERT_TRUE(w) << (dialogs.messages.isEmpty() ? "" : dialogs.messages[0].text.toStdString());
    EXPECT_EQ(w->row, 9);
    EXPECT_EQ(w->heading, QStringLiteral("Сентябрь  2004 г."));
    // After the write: hood heights cleared, "Записать" disabled.
    EXPECT_FALSE(session.form.cmdWriteEnabled);

    inspect([](Sheet& s) {
        EXPECT_EQ(at(s, "E7").text(), "Сентябрь  2004 г.");
        const logbook::CellFormat heading = at(s, "E7").format();
        EXPECT_EQ(heading.bold, true);
        EXPECT_EQ(heading.fontSize, 12.0);
        EXPECT_EQ(at(s, "A9").date(), QDate(2004, 9, 5));
        EXPECT_EQ(at(s, "A9").format().numberFormat.value_or("").toLower(), "d"); // Calc reads codes back in capitals
        EXPECT_EQ(at(s, "B9").text(), "Л-39");
        EXPECT_EQ(at(s, "C9").text(), "Д");
        EXPECT_EQ(at(s, "D9").text(), "П");
        EXPECT_TRUE(at(s, "E9").text().startsWith("Упр.  7 ")) << at(s, "E9").text().toStdString();
        EXPECT_EQ(at(s, "E9").format().wrap, true);
        EXPECT_EQ(at(s, "F9").value(), 1);
        EXPECT_NEAR(at(s, "G9").value(), 85 / 1440.0, 1e-9);
        EXPECT_EQ(at(s, "G9").format().numberFormat.value_or("").toLower(), "[h]:mm");
        EXPECT_EQ(at(s, "K9").kind(), logbook::CellKind::Value);
        EXPECT_EQ(at(s, "K9").value(), 3);
        EXPECT_EQ(at(s, "L9").value(), 8);
        EXPECT_EQ(at(s, "M9").value(), 900);
        EXPECT_EQ(at(s, "M10").value(), 600);
        EXPECT_EQ(at(s, "N9").value(), 10);
        EXPECT_EQ(at(s, "P9").text(), "ОСП");
        EXPECT_EQ(at(s, "Q9").value(), 2);
        // The pair below is empty and formatted like the record slot.
        EXPECT_EQ(at(s, "E11").kind(), logbook::CellKind::Empty);
        EXPECT_TRUE(at(s, "E11:E12").isMerged());
        EXPECT_TRUE(at(s, "L11:L12").isMerged());
        EXPECT_FALSE(at(s, "M11:M12").isMerged());
        EXPECT_EQ(at(s, "G11").format().numberFormat.value_or("").toLower(), "[h]:mm");
        EXPECT_EQ(at(s, "M11").borders().bottom, logbook::LineWeight::Medium);
    });
}

TEST_F(RecordWriterTest, HeadingsComeWithANewMonthOrYearOnly) {
    struct Shift {
        const char* date;
        int row;
        const char* heading;
    };
    const Shift shifts[] = {
        {"05.09.04", 9, "Сентябрь  2004 г."},
        {"20.09.04", 11, nullptr},
        {"01.10.04", 15, "Октябрь  2004 г."},
        {"01.10.2005", 19, "Октябрь  2005 г."},
        {"21.10.2005", 21, nullptr}, // a four-digit year is the same month as before
        {"03.10.05", 23, nullptr},
    };
    for (const Shift& s : shifts) {
        session.form.txtDate = s.date;
        const auto w = write();
        ASSERT_TRUE(w) << s.date;
        EXPECT_EQ(w->row, s.row) << s.date;
        EXPECT_EQ(w->heading.value_or(QString()), s.heading ? QString(s.heading) : QString()) << s.date;
    }
    inspect([](Sheet& s) {
        EXPECT_EQ(at(s, "E13").text(), "Октябрь  2004 г.");
        EXPECT_EQ(at(s, "A13").kind(), logbook::CellKind::Empty);
        EXPECT_EQ(at(s, "A19").date(), QDate(2005, 10, 1));
        EXPECT_EQ(at(s, "E25").kind(), logbook::CellKind::Empty);
    });
}

TEST_F(RecordWriterTest, CrewFlightsLeaveWeatherAndLandingColumnsEmpty) {
    session.form.optPrivate = false;
    session.form.optGavno = true;
    session.form.txtVidKm = "2"; // complex weather and landings at minimum on the form
    ASSERT_TRUE(write());
    inspect([](Sheet& s) {
        EXPECT_TRUE(at(s, "E9").text().startsWith("В сост. эк. ")) << at(s, "E9").text().toStdString();
        EXPECT_TRUE(at(s, "E9").text().endsWith(" по упр.7"));
        for (const char* c : {"I9", "J9", "O9", "P9", "Q9", "R9", "S9"})
            EXPECT_EQ(at(s, c).kind(), logbook::CellKind::Empty) << c;
        EXPECT_NE(at(s, "G9").kind(), logbook::CellKind::Empty);
    });
}

TEST_F(RecordWriterTest, AltitudeAndCloudColumns) {
    session.form.txtHmin = "500";
    session.form.txtHv.clear();
    ASSERT_TRUE(write());
    session.form.txtDate = "06.09.04";
    session.form.txtHmin.clear();
    session.form.txtHv = "900";
    session.form.txtHn.clear();
    ASSERT_TRUE(write());
    inspect([](Sheet& s) {
        EXPECT_EQ(at(s, "K9").kind(), logbook::CellKind::Text);
        EXPECT_EQ(at(s, "K9").text(), "3/0,5");
        EXPECT_EQ(at(s, "M9").text(), "---");
        EXPECT_EQ(at(s, "M10").value(), 600);
        EXPECT_EQ(at(s, "K11").value(), 3);
        EXPECT_EQ(at(s, "M11").value(), 900);
        EXPECT_EQ(at(s, "M12").text(), "---");
    });
}

TEST_F(RecordWriterTest, AnInstructorFlightThenAnOwnOne) {
    session.form.optPrivate = false;
    session.form.optTeacher = true;
    ASSERT_TRUE(write());
    session.form.optTeacher = false;
    session.form.optPrivate = true;
    ASSERT_TRUE(write());
    inspect([](Sheet& s) {
        EXPECT_EQ(at(s, "D9").text(), "И");
        EXPECT_TRUE(at(s, "E9").text().startsWith("Инстр. по упр.7 "));
        EXPECT_EQ(at(s, "D11").text(), "П");
    });
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
            const logbook::Borders b = cell.borders();
            for (auto w : {b.left, b.top, b.right, b.bottom})
                line += QString::number(int(w.value_or(logbook::LineWeight::None)));
            if (area.firstRow() == r && area.firstColumn() == c) { // shown: its own look counts
                const logbook::CellFormat f = cell.format();
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

FlightRecord plainRecord(const QDate& date) {
    FlightRecord r;
    r.date = date;
    r.cells = {{'A', 0, CellValue::ofDate(date)},
               {'E', 0, CellValue::ofText("Упр.  7 КП. День. Полёт по кругу")},
               {'G', 0, CellValue::ofMinutes(85)}};
    return r;
}

} // namespace

TEST_F(RecordWriterTest, AnEarlierBuildsLogbookGetsItsCoveredCellsSharedOnceAndLooksTheSame) {
    // Earlier builds formatted every covered cell of a pair like its column.
    {
        logbook::Workbook wb = CalcEnvironment::host->openWorkbook(book);
        Sheet s = wb.sheet(logbook::kSheet1);
        for (int row : {7, 9})
            for (int c = 0; c <= 20; ++c)
                if (c != 12)
                    s.cell(row, c).apply(s.cell(row - 1, c).format());
        wb.close(logbook::CloseMode::Save);
    }
    for (int day : {1, 2, 3})
        WriteFlightRecord(*CalcEnvironment::host, book, plainRecord(QDate(2004, 8, day)), SlotUpkeep::LeaveAsFound);
    std::vector<std::string> before;
    inspect([&](Sheet& s) {
        EXPECT_FALSE(logbook::pairsShareFormats(s, {8, 10, 12, 14}));
        before = visibleState(s, 13);
    });

    const auto w = write(); // September: a heading, then the record
    ASSERT_TRUE(w);
    EXPECT_EQ(w->row, 17);
    inspect([&](Sheet& s) {
        for (int pair = 6; pair <= 18; pair += 2) {
            if (pair != 6 && pair != 14) { // month headings keep their font in the covered E cell
                EXPECT_TRUE(logbook::coveredCellsShareFormats(s, pair)) << pair + 1;
            }
            EXPECT_EQ(s.cell(pair + 1, 20).borders().right, logbook::LineWeight::Thick) << pair + 1;
        }
        EXPECT_TRUE(logbook::pairsShareFormats(s, {8, 10, 12, 16, 18})); // the next write leaves them alone
        const std::vector<std::string> after = visibleState(s, 13);
        ASSERT_EQ(after.size(), before.size());
        for (size_t i = 0; i < after.size(); ++i)
            EXPECT_EQ(after[i], before[i]);
    });
}

TEST_F(RecordWriterTest, RefusedAndFailedWritesLeaveTheFileAsItWas) {
    ASSERT_TRUE(write()); // something in the book already
    const QByteArray before = fileHash(book);
    auto refused = [&](const char* what) {
        session.cmdOK_Click(dialogs); // the calculation knows nothing of dates or exercise descriptions
        ASSERT_TRUE(session.form.cmdWriteEnabled) << what;
        dialogs.messages.clear();
        EXPECT_FALSE(writer.cmdWrite_Click(session, dialogs)) << what;
        ASSERT_EQ(dialogs.messages.size(), 1) << what;
        EXPECT_EQ(dialogs.messages[0].title, kWriteFailedTitle);
        EXPECT_EQ(fileHash(book), before) << what;
        EXPECT_TRUE(session.form.cmdWriteEnabled) << what;
        EXPECT_FALSE(CalcEnvironment::host->findWorkbook(logbook::kBookName)) << what;
    };
    session.form.txtDate = "31.02.04";
    refused("no such day");
    session.form.txtDate = "5.9.04";
    refused("not dd.mm.yy");
    session.form.txtDate = "06.09.04";
    session.form.txtUpr = "7a";
    refused("exercise not a number");
    session.form.txtUpr = "99";
    refused("exercise without description");
    session.form.txtUpr = "7";

    // A logbook without its record sheet: the write fails inside Calc.
    {
        logbook::Workbook wb = CalcEnvironment::host->openWorkbook(book);
        wb.renameSheet(logbook::kSheet1, "Другой");
        wb.close(logbook::CloseMode::Save);
    }
    const QByteArray renamed = fileHash(book);
    session.cmdOK_Click(dialogs);
    dialogs.messages.clear();
    EXPECT_FALSE(writer.cmdWrite_Click(session, dialogs));
    EXPECT_EQ(fileHash(book), renamed);
    EXPECT_FALSE(CalcEnvironment::host->findWorkbook(logbook::kBookName));

    // No logbook at all: nothing is created.
    QFile::remove(book);
    dialogs.messages.clear();
    EXPECT_FALSE(writer.cmdWrite_Click(session, dialogs));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_FALSE(QFile::exists(book));
}

TEST_F(RecordWriterTest, AnIndependentReaderSeesTheRecord) {
    ASSERT_TRUE(write());
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
