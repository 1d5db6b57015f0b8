// Writing shifts into a logbook through the writing code, on the in-memory office: where each record goes
// and what it holds, batches that open and save the logbook once, and writes that are refused or fail with
// the file as it was.
#include "common/error.h"
#include "flight/record_writer.h"
#include "logbook/book_names.h"
#include "logbook/sheet_adapter.h"
#include "support/fake_office.h"
#include "support/files.h"
#include "support/logbook_env.h"
#include "support/worked_shift.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace korv;
using namespace korv::flight;
using korv::test::FakeOffice;
using logbook::Range;
using logbook::Sheet;
using testfiles::hashOf;

namespace {

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(
    new korv::test::LogbookEnvironment([](const QString& profile) { return std::make_unique<FakeOffice>(profile); }));

FakeOffice& fake() { return static_cast<FakeOffice&>(korv::test::LogbookEnvironment::office()); }

QString databasePath() { return QDir(qEnvironmentVariable("KORV_BIN_DIR")).filePath("FlightTables1.mdb"); }

class RecordWriterTest : public korv::test::LogbookTest {
protected:
    void SetUp() override {
        LogbookTest::SetUp();
        // The worked shift with landings and a take-off at minimum; the visibility left empty.
        InputForm& f = session.form;
        f = korv::test::withLandings(korv::test::workedShift());
        f.txtVidKm.clear();
        f.txtVzl = "1";
        session.RefreshInputState();
        fake().resetCalls();
    }

    // "Считать" then "Записать".
    std::optional<WrittenRecord> write() {
        messages = session.cmdOK_Click();
        EXPECT_TRUE(session.form.cmdWriteEnabled);
        const WriteOutcome outcome = writer.cmdWrite_Click(session);
        messages << outcome.notices;
        return outcome.written;
    }

    // Reads "Лист1" back through the office, the logbook closed again afterwards.
    template <typename F>
    void inspectSheet(F&& f) {
        inspect([&](logbook::Workbook& wb) {
            Sheet sheet = wb.sheet(logbook::kSheet1);
            f(sheet);
        });
    }

    ReferenceDatabase database{databasePath()};
    ShiftSession session{database};
    ShiftWriter writer{office(), database, logbook::bookPath(dir.path())};
    Notices messages;
};

// Rows and columns by their sheet names: cell(sheet, "E7").
Range at(Sheet& sheet, const char* a1) { return sheet.range(QString::fromLatin1(a1)); }

} // namespace

TEST_F(RecordWriterTest, TheFirstRecordFollowsItsMonthHeading) {
    const auto w = write();
    ASSERT_TRUE(w) << (messages.isEmpty() ? "" : messages[0].text.toStdString());
    EXPECT_EQ(w->row, 9);
    EXPECT_EQ(w->heading, QStringLiteral("Сентябрь  2004 г."));
    // After the write: hood heights cleared, "Записать" disabled.
    EXPECT_FALSE(session.form.cmdWriteEnabled);

    inspectSheet([](Sheet& s) {
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
    inspectSheet([](Sheet& s) {
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
    inspectSheet([](Sheet& s) {
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
    inspectSheet([](Sheet& s) {
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
    inspectSheet([](Sheet& s) {
        EXPECT_EQ(at(s, "D9").text(), "И");
        EXPECT_TRUE(at(s, "E9").text().startsWith("Инстр. по упр.7 "));
        EXPECT_EQ(at(s, "D11").text(), "П");
    });
}

TEST_F(RecordWriterTest, RefusedAndFailedWritesLeaveTheFileAsItWas) {
    ASSERT_TRUE(write()); // something in the book already
    const QByteArray before = hashOf(book);
    auto refused = [&](const char* what) {
        session.cmdOK_Click(); // the calculation knows nothing of dates or exercise descriptions
        ASSERT_TRUE(session.form.cmdWriteEnabled) << what;
        const WriteOutcome outcome = writer.cmdWrite_Click(session);
        EXPECT_FALSE(outcome.written) << what;
        ASSERT_EQ(outcome.notices.size(), 1) << what;
        EXPECT_EQ(outcome.notices[0].title, kWriteFailedTitle);
        EXPECT_EQ(hashOf(book), before) << what;
        EXPECT_TRUE(session.form.cmdWriteEnabled) << what;
        EXPECT_FALSE(office().findWorkbook(logbook::kBookName)) << what;
    };
    // A date that is no day of the calendar is refused at "Считать" already, naming its box: "Записать"
    // never sees it.
    for (const char* date : {"31.02.04", "31.11.26", "5.9.04"}) {
        session.form.txtDate = date;
        const Notices said = session.cmdOK_Click();
        EXPECT_FALSE(session.form.cmdWriteEnabled) << date;
        ASSERT_EQ(said.size(), 1) << date;
        EXPECT_EQ(said[0].title, "Дата полётов");
        EXPECT_TRUE(said[0].text.startsWith(QStringLiteral("«%1» — не дата полётов.").arg(date))) << date;
        EXPECT_TRUE(said[0].text.endsWith("(число)")) << said[0].text.toStdString();
        EXPECT_FALSE(writer.cmdWrite_Click(session).written) << date;
        EXPECT_EQ(hashOf(book), before) << date;
    }
    session.form.txtDate = "06.09.04";
    session.form.txtUpr = "7a";
    refused("exercise not a number");
    session.form.txtUpr = "99";
    refused("exercise without description");
    session.form.txtUpr = "7";

    // A logbook without its record sheet: the write fails inside Calc.
    {
        logbook::Workbook wb = office().openWorkbook(book);
        wb.renameSheet(logbook::kSheet1, "Другой");
        wb.close(logbook::CloseMode::Save);
    }
    const QByteArray renamed = hashOf(book);
    session.cmdOK_Click();
    EXPECT_FALSE(writer.cmdWrite_Click(session).written);
    EXPECT_EQ(hashOf(book), renamed);
    EXPECT_FALSE(office().findWorkbook(logbook::kBookName));

    // No logbook at all: nothing is created.
    QFile::remove(book);
    const WriteOutcome missing = writer.cmdWrite_Click(session);
    EXPECT_FALSE(missing.written);
    ASSERT_EQ(missing.notices.size(), 1);
    EXPECT_FALSE(QFile::exists(book));
}

TEST_F(RecordWriterTest, AFailureInTheOfficeBeforeTheSaveLeavesTheFileAndNoBackup) {
    ASSERT_TRUE(write());
    const QByteArray before = hashOf(book);
    // Nothing beside the logbook either (a backup folder made for the backup of a failed save may stay empty).
    const auto beside = [&] {
        QStringList e = testfiles::entriesOf(dir.path());
        e.removeAll(QStringLiteral("Backups"));
        return e;
    };
    const QStringList besideBefore = beside();
    const QStringList backups = testfiles::backupEntriesOf(dir.filePath("Backups"));
    // The logbook read, the slot copied, the values written, a format, the check of what was written, the
    // save: each failing in turn.
    const QList<std::pair<const char*, int>> steps = {{"data", 1},  {"copyTo", 1}, {"setData", 1},
                                                      {"apply", 1}, {"data", 2},   {"saveAs", 1}};
    for (const auto& [step, nth] : steps) {
        session.form.txtDate = "06.09.04";
        fake().failOn(QString::fromLatin1(step), nth);
        EXPECT_FALSE(write()) << step;
        ASSERT_FALSE(messages.isEmpty()) << step;
        EXPECT_TRUE(messages.back().text.startsWith("Смена не записана, лётная книжка не изменена.")) << step;
        EXPECT_EQ(hashOf(book), before) << step;
        EXPECT_EQ(testfiles::backupEntriesOf(dir.filePath("Backups")), backups) << step;
        EXPECT_EQ(beside(), besideBefore) << step;
        EXPECT_EQ(fake().openWorkbookCount(), 0) << step;
    }
    // And the next write goes through.
    const auto w = write();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->row, 11);
}

TEST_F(RecordWriterTest, ABatchOpensTheLogbookOnceAndSavesItOnceWithOneBackup) {
    ASSERT_TRUE(write()); // a record there already: the change keeps a backup
    const QByteArray before = hashOf(book);
    fake().resetCalls();
    writer.beginBatch();
    const struct {
        const char* date;
        const char* exercise;
        int row; // 0: refused
    } shifts[] = {{"06.09.04", "7", 11}, {"07.09.04", "99", 0}, {"01.10.04", "7", 15}, {"02.10.04", "7", 17}};
    int formatReads = -1;
    for (const auto& shift : shifts) {
        session.form.txtDate = shift.date;
        session.form.txtUpr = shift.exercise;
        const auto w = write();
        if (shift.row == 0) {
            EXPECT_FALSE(w) << shift.date; // an exercise the reference database does not describe
            continue;
        }
        ASSERT_TRUE(w) << shift.date;
        EXPECT_EQ(w->row, shift.row) << shift.date;
        // What the sheet's looks are (column A's day format, the covered cells' runs) is asked with the
        // first record of the change only.
        if (formatReads < 0)
            formatReads = fake().calls("format");
        EXPECT_EQ(fake().calls("format"), formatReads) << shift.date;
        // Nothing is on disk before the batch is saved.
        EXPECT_EQ(hashOf(book), before) << shift.date;
    }
    EXPECT_FALSE(writer.finishBatch());
    EXPECT_EQ(fake().calls("openForChange"), 1);
    EXPECT_EQ(fake().calls("saveAs"), 1);
    EXPECT_EQ(testfiles::backupEntriesOf(dir.filePath("Backups")).size(), 1);
    inspectSheet([](Sheet& s) {
        EXPECT_EQ(s.range("A11").date(), QDate(2004, 9, 6));
        EXPECT_EQ(s.range("E13").text(), "Октябрь  2004 г.");
        EXPECT_EQ(s.range("A17").date(), QDate(2004, 10, 2));
        EXPECT_EQ(s.range("E19").kind(), logbook::CellKind::Empty);
        EXPECT_TRUE(s.range("E19:E20").isMerged()); // the empty pair kept below the last
    });
}

TEST_F(RecordWriterTest, ABatchThatCannotBeSavedOrIsAbandonedLeavesTheFileAsItWas) {
    ASSERT_TRUE(write());
    const QByteArray before = hashOf(book);
    const QStringList backups = testfiles::backupEntriesOf(dir.filePath("Backups"));
    writer.beginBatch();
    for (const char* date : {"06.09.04", "07.09.04"}) {
        session.form.txtDate = date;
        ASSERT_TRUE(write()) << date;
    }
    fake().failOn(QStringLiteral("saveAs"));
    EXPECT_THROW(writer.finishBatch(), Error);
    EXPECT_EQ(hashOf(book), before);
    EXPECT_EQ(testfiles::backupEntriesOf(dir.filePath("Backups")), backups);
    EXPECT_EQ(fake().openWorkbookCount(), 0);

    writer.beginBatch();
    session.form.txtDate = "08.09.04";
    ASSERT_TRUE(write());
    writer.abandonBatch();
    EXPECT_EQ(hashOf(book), before);
    EXPECT_EQ(fake().openWorkbookCount(), 0);

    // A failure in the middle of a record spoils the batch: no later record, and the records before it are
    // not saved either.
    writer.beginBatch();
    session.form.txtDate = "09.09.04";
    ASSERT_TRUE(write());
    session.form.txtDate = "10.09.04";
    fake().failOn(QStringLiteral("setData"));
    EXPECT_FALSE(write());
    session.form.txtDate = "11.09.04";
    EXPECT_FALSE(write());
    EXPECT_THROW(writer.finishBatch(), Error);
    EXPECT_EQ(hashOf(book), before);
    EXPECT_EQ(fake().openWorkbookCount(), 0);
}

TEST_F(RecordWriterTest, ACorrectionReplacesItsRecordAndAFailedOneIsTriedAgainNotAppended) {
    ASSERT_TRUE(write()); // 05.09.04 at row 9
    session.form.txtDate = "20.09.04";
    ASSERT_TRUE(write()); // row 11
    const QByteArray before = hashOf(book);

    // A row that holds no record: refused, nothing changed, nothing appended.
    writer.correctRecordAt(7); // the month heading
    session.form.txtUpr = "12";
    EXPECT_FALSE(write());
    EXPECT_TRUE(messages.last().text.contains("нет записи смены")) << messages.last().text.toStdString();
    EXPECT_EQ(hashOf(book), before);

    // A save that fails keeps the correction waiting: the press again corrects, it does not append.
    writer.correctRecordAt(11);
    fake().failOn(QStringLiteral("saveAs"));
    EXPECT_FALSE(write());
    EXPECT_EQ(hashOf(book), before);
    const auto corrected = write();
    ASSERT_TRUE(corrected);
    EXPECT_EQ(corrected->row, 11);
    inspectSheet([](Sheet& s) {
        EXPECT_TRUE(at(s, "E11").text().startsWith("Упр. 12 ")) << at(s, "E11").text().toStdString();
        EXPECT_EQ(at(s, "E13").kind(), logbook::CellKind::Empty); // nothing appended
    });
    // Then "Записать" appends again.
    session.form.txtDate = "21.09.04";
    const auto next = write();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->row, 13);
}

// A correction from the records window names the record by its cells as the window read them: the pilot
// changed it by hand meanwhile, so it is refused, the file untouched and nothing appended; read again, it lands.
TEST_F(RecordWriterTest, ACorrectionOfARecordChangedByHandSinceItWasShownIsRefused) {
    ASSERT_TRUE(write()); // row 9
    const auto shownAt = [&](int row) {
        logbook::ShownRecord shown{row, {}};
        inspectSheet([&](Sheet& s) {
            const logbook::Logbook book = logbook::readLogbook(s);
            shown.cells = book.entries()[book.entryAt(row - 1)].cells;
        });
        return shown;
    };
    const logbook::ShownRecord shown = shownAt(9);
    edit([](Sheet& s) { s.range(QStringLiteral("F9")).setValue(2.0); }); // two flights, typed in Calc
    const QByteArray handEdited = hashOf(book);

    writer.correctShownRecord(shown);
    session.form.txtUpr = "12";
    EXPECT_FALSE(write());
    EXPECT_TRUE(messages.last().text.contains("уже не та")) << messages.last().text.toStdString();
    EXPECT_EQ(hashOf(book), handEdited);

    writer.correctShownRecord(shownAt(9));
    const auto corrected = write();
    ASSERT_TRUE(corrected);
    EXPECT_EQ(corrected->row, 9);
    inspectSheet([](Sheet& s) { EXPECT_EQ(at(s, "E11").kind(), logbook::CellKind::Empty); }); // nothing appended
}
