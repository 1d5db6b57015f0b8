// Changes of the logbook's records on the in-memory office: each edit of the model laid out on "Лист1" and
// read back, the change saved once with one backup or left exactly as it was, and a lock the program cannot
// judge refused with the question the desktop program asks.

#include "bookfiles/backups.h"
#include "bookfiles/locks.h"
#include "common/error.h"
#include "logbook/book_check.h"
#include "logbook/book_names.h"
#include "logbook/book_reading.h"
#include "logbook/entry_faults.h"
#include "logbook/last_change.h"
#include "logbook/logbook_change.h"
#include "logbook/sheet_adapter.h"
#include "support/fake_office.h"
#include "support/files.h"
#include "support/flights.h"
#include "support/logbook_env.h"

#include <QDir>

#include <gtest/gtest.h>

#include <algorithm>

using namespace korv;
using namespace korv::logbook;
using korv::test::FakeOffice;
using testfiles::hashOf;
using testflights::Flight;
using testflights::recordOf;
namespace column = records::column;

namespace {

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(
    new korv::test::LogbookEnvironment([](const QString& profile) { return std::make_unique<FakeOffice>(profile); }));

FakeOffice& fake() { return static_cast<FakeOffice&>(korv::test::LogbookEnvironment::office()); }

PairCells flight(int y, int m, int d, const char* exercise = "Упр.  7 КП", int minutes = 60) {
    return recordOf(Flight{{y, m, d}, exercise, "Д", "П", 1, minutes});
}

class LogbookChangeTest : public korv::test::LogbookTest {
protected:
    // September (5th, 12th) and November (2nd), written one change each: headings at 7 and 13.
    void SetUp() override {
        LogbookTest::SetUp();
        LogbookChange change(office(), book);
        for (const PairCells& r : {flight(2004, 9, 5), flight(2004, 9, 12), flight(2004, 11, 2)})
            change.append(r);
        change.save();
        fake().resetCalls();
    }

    // "Лист1" as the model reads it back from the saved file.
    Logbook saved() {
        Logbook book;
        inspect([&](Workbook& wb) { book = readLogbook(wb.sheet(kSheet1)); });
        return book;
    }

    static QList<QDate> datesOf(const Logbook& b) {
        QList<QDate> d;
        for (const Entry& e : b.entries())
            if (e.isRecord())
                d << e.record.date;
        return d;
    }

    static QStringList captionsOf(const Logbook& b) {
        QStringList c;
        for (const Entry& e : b.entries())
            if (e.isHeading())
                c << e.caption().trimmed();
        return c;
    }
};

} // namespace

TEST_F(LogbookChangeTest, InsertRemoveAndReplaceAreLaidOutAsTheModelHasThemAndSavedOnce) {
    LogbookChange change(office(), book);
    change.insertInDateOrder({flight(2004, 9, 8), flight(2004, 10, 3), flight(2004, 8, 31)});
    change.remove(change.logbook().entryAt(records::pairRow(0) + 2)); // the 31st of August, first record
    const int nov = change.logbook().entryAt(change.logbook().entries().back().row);
    change.replace(nov, flight(2004, 11, 3, "Упр. 12 ПП"));
    const Logbook expected = change.logbook();
    change.save();
    EXPECT_EQ(fake().calls("openForChange"), 1);
    EXPECT_EQ(fake().calls("saveAs"), 1);
    EXPECT_EQ(backups::list(book).size(), 1);

    const Logbook b = saved();
    EXPECT_EQ(datesOf(b), (QList<QDate>{{2004, 9, 5}, {2004, 9, 8}, {2004, 9, 12}, {2004, 10, 3}, {2004, 11, 3}}));
    EXPECT_EQ(captionsOf(b), (QStringList{"Сентябрь  2004 г.", "Октябрь  2004 г.", "Ноябрь  2004 г."}));
    ASSERT_EQ(b.entries().size(), expected.entries().size());
    for (int i = 0; i < b.entries().size(); ++i) {
        EXPECT_EQ(b.entries()[i].row, expected.entries()[i].row) << i;
        EXPECT_EQ(b.entries()[i].kind, expected.entries()[i].kind) << i;
    }
    EXPECT_EQ(b.entries().back().record.exercise, "Упр. 12 ПП");
    EXPECT_EQ(b.freeRow(), expected.freeRow());
    inspect([&](Workbook& wb) {
        Sheet s = wb.sheet(kSheet1);
        for (const Entry& e : b.entries()) {
            // Every pair laid out as a record pair: merged but for M, a heading's caption large and bold.
            EXPECT_TRUE(s.cells(e.row, column::A, e.row + 1, column::A).isMerged()) << e.sheetRow();
            EXPECT_FALSE(s.cells(e.row, column::M, e.row + 1, column::M).isMerged()) << e.sheetRow();
            if (e.isHeading()) {
                EXPECT_EQ(s.cell(e.row, column::E).format().bold, true) << e.sheetRow();
                EXPECT_EQ(s.cell(e.row, column::E).format().fontSize, 12.0) << e.sheetRow();
            } else {
                EXPECT_EQ(s.cell(e.row, column::E).format().wrap, true) << e.sheetRow();
                EXPECT_EQ(s.cell(e.row, column::G).format().numberFormat.value_or("").toLower(), "[h]:mm");
            }
        }
        // The empty laid-out pair below the last record stays.
        EXPECT_TRUE(s.cells(b.freeRow(), column::E, b.freeRow() + 1, column::E).isMerged());
    });
}

TEST_F(LogbookChangeTest, ARemovedLastRecordOfAMonthTakesItsHeadingAndLeavesNoHole) {
    LogbookChange change(office(), book);
    change.remove(change.logbook().entryAt(14)); // November's only record, its heading above it
    change.save();
    const Logbook b = saved();
    EXPECT_EQ(datesOf(b), (QList<QDate>{{2004, 9, 5}, {2004, 9, 12}}));
    EXPECT_EQ(captionsOf(b), QStringList{"Сентябрь  2004 г."});
    EXPECT_EQ(b.freeRow() + 1, 13);
    // A write after it goes right below, under a heading of its own.
    LogbookChange next(office(), book);
    const QList<PairEdit> e = next.append(flight(2004, 12, 1));
    EXPECT_EQ(e[0].row + 1, 13);
    EXPECT_EQ(e[0].heading, QStringLiteral("Декабрь  2004 г."));
    next.save();
}

TEST_F(LogbookChangeTest, WhatTheSheetDoesNotHoldAsTheModelSaysIsRefused) {
    // Laid out against a model that says otherwise: the read-back finds it.
    Workbook wb = office().openWorkbook(book);
    Sheet sheet = wb.sheet(kSheet1);
    Logbook wrong = readLogbook(sheet);
    const QList<PairEdit> edits = wrong.append(flight(2004, 11, 21));
    Logbook lying = wrong;
    lying.replace(lying.entryAt(edits[0].recordRow()), flight(2004, 11, 22));
    try {
        layOut(sheet, edits, lying);
        FAIL() << "what was written was not checked";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::Spreadsheet);
        EXPECT_TRUE(e.description().contains("не то, что должно там стоять")) << e.what();
    }
    wb.close(CloseMode::Discard);
}

TEST_F(LogbookChangeTest, ARefusalChangesNothingAndAFailureSpoilsTheChange) {
    const QByteArray before = hashOf(book);
    {
        LogbookChange change(office(), book);
        // The model refuses a record without its exercise: the change goes on.
        PairCells bad = flight(2004, 11, 20);
        bad.first[column::E] = QString();
        EXPECT_THROW(change.append(bad), Error);
        EXPECT_FALSE(change.changed());
        change.append(flight(2004, 11, 21));
        // The office fails in the middle of an edit: nothing more, and no save.
        fake().failOn(QStringLiteral("copyTo"));
        EXPECT_THROW(change.append(flight(2004, 11, 22)), Error);
        EXPECT_THROW(change.append(flight(2004, 11, 23)), Error);
        EXPECT_THROW(change.save(), Error);
    }
    EXPECT_EQ(hashOf(book), before);
    EXPECT_EQ(fake().openWorkbookCount(), 0);
}

TEST_F(LogbookChangeTest, AMergedAreaInTheWayRefusesTheRecordBeforeAnythingIsWritten) {
    edit([](Sheet& s) { s.range("V16:V17").merge(); }); // reaches into the pairs the next record takes
    const QByteArray before = hashOf(book);
    LogbookChange change(office(), book);
    try {
        change.append(flight(2004, 11, 20));
        FAIL() << "written over a merged area";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::BadEntry);
        EXPECT_TRUE(e.description().contains("объединённые ячейки")) << e.what();
    }
    // The change is still good for what the area is not in the way of, and the model is the sheet's.
    EXPECT_EQ(change.logbook().recordCount(), 3);
    change.remove(change.logbook().entryAt(8));
    change.save();
    EXPECT_NE(hashOf(book), before);
    EXPECT_EQ(saved().recordCount(), 2);
}

TEST_F(LogbookChangeTest, ALockThatCannotBeJudgedIsRefusedWithTheQuestionAndTakenWhenThePilotSaysSo) {
    const QString lockPath = dir.filePath(".~lock.Korvelanta.xls#");
    testfiles::writeFile(lockPath, "Иван Петров,ivan,hangar-pc,07.12.2026 15:12,file:///home/ivan/.config/lo;");
    const QByteArray before = hashOf(book);
    ChangeSettings settings;
    try {
        LogbookChange change(office(), book, settings);
        FAIL() << "changed under another machine's lock";
    } catch (const UnsureLock& e) {
        EXPECT_EQ(e.lockPath(), lockPath);
        EXPECT_TRUE(e.question().endsWith("Если она там уже закрыта, запись можно продолжить. Продолжить?"));
        EXPECT_TRUE(e.question().contains("компьютер hangar-pc")) << e.question().toStdString();
        EXPECT_TRUE(e.description().contains("удалите файл " + lockPath)) << e.what();
    }
    EXPECT_EQ(hashOf(book), before);
    EXPECT_TRUE(QFile::exists(lockPath));

    settings.closedElsewhere << lockPath;
    LogbookChange change(office(), book, settings);
    change.append(flight(2004, 11, 20));
    change.save();
    EXPECT_FALSE(QFile::exists(lockPath));
    EXPECT_EQ(saved().recordCount(), 4);
}

TEST_F(LogbookChangeTest, PagesKeepOnlyThePairsAskedForInTheirOrder) {
    Workbook wb = office().openWorkbook(book);
    Sheet sheet = wb.sheet(kSheet1);
    const Logbook b = readLogbook(sheet);
    // November's heading and record only.
    keepOnlyPairs(sheet, {12, 14}, b.freeRow());
    const Logbook kept = readLogbook(sheet);
    ASSERT_EQ(kept.entries().size(), 2);
    EXPECT_EQ(kept.entries()[0].caption(), "Ноябрь  2004 г.");
    EXPECT_EQ(kept.entries()[1].record.date, QDate(2004, 11, 2));
    EXPECT_EQ(kept.entries()[1].sheetRow(), 9);
    wb.close(CloseMode::Discard);
}

// The last change undone: the logbook as it was before it, while the file is byte for byte what the change
// left; the undone state kept and noted, so that the undo itself can be undone.
TEST_F(LogbookChangeTest, TheLastChangeIsUndoneAndTheUndoItself) {
    const QByteArray beforeRemoval = hashOf(book);
    {
        LogbookChange change(office(), book);
        change.remove(change.logbook().entryAt(records::pairRow(0) + 2));
        change.save(QStringLiteral("удаление записи строки 9"));
    }
    const QByteArray afterRemoval = hashOf(book);
    ASSERT_NE(afterRemoval, beforeRemoval);
    const auto note = last_change::read(book);
    ASSERT_TRUE(note);
    EXPECT_EQ(note->what, QStringLiteral("удаление записи строки 9"));
    EXPECT_EQ(note->records.size(), 2);

    const Undone undone = undoLastChange(office(), book);
    EXPECT_EQ(undone.what, QStringLiteral("удаление записи строки 9"));
    EXPECT_EQ(hashOf(book), beforeRemoval);
    EXPECT_EQ(hashOf(undone.kept), afterRemoval) << "the undone state is kept as a backup";
    EXPECT_EQ(saved().recordCount(), 3);

    const Undone again = undoLastChange(office(), book);
    EXPECT_EQ(again.what, QStringLiteral("отмена: удаление записи строки 9"));
    EXPECT_EQ(hashOf(book), afterRemoval);
    EXPECT_EQ(saved().recordCount(), 2);
}

TEST_F(LogbookChangeTest, AnUndoAfterAHandEditIsRefusedNamingWhatChangedAndNothingIsChanged) {
    {
        LogbookChange change(office(), book);
        change.append(flight(2004, 11, 20, "Упр. 12 ПП", 45));
        change.save(QStringLiteral("запись смены"));
    }
    // The pilot changes the time of the 2nd of November by hand and deletes nothing.
    int row = 0;
    const Logbook written = saved();
    for (const Entry& e : written.entries())
        if (e.isRecord() && e.record.date == QDate(2004, 11, 2))
            row = e.row;
    ASSERT_GT(row, 0);
    edit([&](Sheet& s) { s.range(QStringLiteral("G%1").arg(row + 1)).setValue(Minutes(75).days()); });
    const QByteArray handEdited = hashOf(book);
    const int backups = int(backups::list(book).size());
    try {
        undoLastChange(office(), book);
        FAIL() << "undone over a hand edit";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::Changed);
        EXPECT_TRUE(e.description().contains(QStringLiteral("нет записи 02.11.2004, Л-39, Упр. 7 КП, налёт 1:00")))
            << e.description().toStdString();
        EXPECT_TRUE(e.description().contains(QStringLiteral("новая запись 02.11.2004, Л-39, Упр. 7 КП, налёт 1:15")))
            << e.description().toStdString();
    }
    EXPECT_EQ(hashOf(book), handEdited);
    EXPECT_EQ(backups::list(book).size(), backups) << "a refused undo keeps no backup";
}

TEST_F(LogbookChangeTest, NothingToUndoIsSaidAndANoteNamingAForeignFileIsNotFollowed) {
    QFile::remove(backups::lastChangeNotePath(book));
    EXPECT_THROW(undoLastChange(office(), book), Error);
    // A note that names something other than a backup of the list (edited by hand, or another logbook's).
    {
        LogbookChange change(office(), book);
        change.append(flight(2004, 11, 20));
        change.save(QStringLiteral("запись смены"));
    }
    const QString notePath = backups::lastChangeNotePath(book);
    QFile f(notePath);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray json = f.readAll();
    f.close();
    const QString backupName = last_change::read(book)->backup.section(u'/', -1);
    QFile::copy(QDir(backups::directoryOf(book)).filePath(backupName), QDir(dir.path()).filePath("other.xls"));
    json.replace(backupName.toUtf8(), "../other.xls");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(json);
    f.close();
    const QByteArray now = hashOf(book);
    EXPECT_THROW(undoLastChange(office(), book), Error);
    json.replace("../other.xls", "Korvelanta-2000-01-01-000000.xls");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(json);
    f.close();
    EXPECT_THROW(undoLastChange(office(), book), Error);
    EXPECT_EQ(hashOf(book), now);
}

// Two programs at once on one office: a restore started while another program's operation holds the office
// waits for it before it opens anything there, its backup included (opened beside another operation, the
// backup was closed as a leftover, or both hung); the backups' record counts take an operation too.
TEST_F(LogbookChangeTest, ARestoreBesideAnotherOperationWaitsAndUsesTheOfficeOnlyInItsOwn) {
    {
        LogbookChange change(office(), book);
        change.append(flight(2004, 11, 20));
        change.save(QStringLiteral("запись смены"));
    }
    const QList<backups::Backup> kept = backups::list(book);
    ASSERT_EQ(kept.size(), 1);
    const QByteArray backupHash = hashOf(kept.front().path);
    fake().resetCalls();

    auto other = std::make_unique<ExclusiveLock>(office().profileDir() + QStringLiteral("/korvelanta-office.lock"), 0,
                                                 QStringLiteral("занят"));
    ChangeSettings settings;
    settings.officeWaitMs = 10000;
    int usedWhileWaiting = -1;
    settings.waiting = [&](const QString&) {
        if (!other)
            return;
        usedWhileWaiting = fake().calls(QStringLiteral("openWorkbook")) + fake().calls(QStringLiteral("holding")) +
                           fake().calls(QStringLiteral("closeHiddenWorkbooks"));
        other.reset(); // the other program's operation ends
    };
    restoreBackup(office(), book, kept.front().path, settings);
    EXPECT_EQ(usedWhileWaiting, 0);
    EXPECT_EQ(hashOf(book), backupHash);
    EXPECT_EQ(recordCount(office(), kept.front().path), 3);
    EXPECT_EQ(fake().callsOutsideOperations(), QStringList());
}

// A column inserted by hand between G and H (every cell from H on moved one to the right): a change of the
// records is refused with the words the check uses for the header, before anything is written; the check
// finds the same.
TEST_F(LogbookChangeTest, AColumnInsertedByHandRefusesEveryChangeOfTheRecords) {
    edit([](Sheet& s) {
        const int last = s.lastUsedRow();
        QList<QVariantList> rows = s.cells(0, 0, last, column::V).data();
        for (QVariantList& row : rows) {
            row.insert(column::H, QString());
            row.resize(column::V + 2);
        }
        s.cells(0, 0, last, column::V + 1).setData(rows);
    });
    const QByteArray moved = hashOf(book);
    try {
        LogbookChange change(office(), book);
        FAIL() << "a change of a sheet with a column inserted";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::BadEntry);
        EXPECT_TRUE(e.description().startsWith("Шапка листа «Лист1» не такая, какой её кладёт программа (заголовок "
                                               "лётной книжки изменён: в H"))
            << e.description().toStdString();
    }
    EXPECT_EQ(hashOf(book), moved);
    const QList<Finding> found = checkBook(saved(), CheckReference{{}, {}, expectedCaptions()});
    EXPECT_TRUE(std::any_of(found.begin(), found.end(), [](const Finding& f) {
        return f.text.startsWith("заголовок лётной книжки изменён: в H");
    }));
}

TEST_F(LogbookChangeTest, AProtectedRecordSheetIsRefusedInThePilotsWords) {
    edit([](Sheet& s) { s.setProtected(true); });
    const QByteArray protectedBook = hashOf(book);
    try {
        LogbookChange change(office(), book);
        FAIL() << "a change of a protected sheet";
    } catch (const Error& e) {
        EXPECT_TRUE(e.description().startsWith("Лист «Лист1» лётной книжки защищён от изменений"))
            << e.description().toStdString();
    }
    EXPECT_EQ(hashOf(book), protectedBook);
}
