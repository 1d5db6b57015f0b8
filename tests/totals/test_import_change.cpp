// An import as one change of the logbook, on the in-memory office: records placed before, between and after
// those there in date order under their month headings, with one backup and one save that the undo takes
// back; a refused line, or a logbook changed since the preview, leaves the file byte for byte as it was.

#include "bookfiles/backups.h"
#include "common/error.h"
#include "flight/record_writer.h"
#include "logbook/book_change.h"
#include "logbook/book_check.h"
#include "logbook/book_names.h"
#include "logbook/book_reading.h"
#include "logbook/last_change.h"
#include "logbook/sheet_adapter.h"
#include "support/files.h"
#include "support/flights.h"
#include "support/logbook_env.h"
#include "totals/record_transfer.h"

#include <gtest/gtest.h>

using namespace korv;
using namespace korv::totals;
using testfiles::hashOf;
using testflights::Flight;
using testflights::recordOf;

namespace {

const QString kHeader = QStringLiteral("Дата;Тип;Д/Н;Упражнение;Полётов;Налёт;Заходов;Посадок\n");

class ImportChange : public korv::test::LogbookTest {
protected:
    void write(const QList<Flight>& flights) {
        for (const Flight& f : flights)
            flight::WriteFlightRecord(office(), book, recordOf(f));
    }
    logbook::Logbook saved() {
        logbook::Logbook b;
        inspect([&](logbook::Workbook& wb) { b = logbook::readLogbook(wb.sheet(logbook::kSheet1)); });
        return b;
    }
    QList<logbook::PairCells> recordCells() {
        const logbook::Logbook b = saved();
        QList<logbook::PairCells> out;
        for (const logbook::Entry& e : b.entries())
            if (e.isRecord())
                out << e.cells;
        return out;
    }
    ImportOutcome import(const QString& lines, const std::optional<QList<logbook::PairCells>>& expected = {}) {
        table = readCsv((kHeader + lines).toUtf8());
        return importRecords(office(), book, table, guessMapping(table.header), {}, expected);
    }
    ImportTable table;
};

QStringList shape(const logbook::Logbook& b) {
    QStringList out;
    for (const logbook::Entry& e : b.entries())
        out << (e.isHeading() ? e.caption().trimmed() : e.record.date.toString(QStringLiteral("dd.MM")));
    return out;
}

} // namespace

TEST_F(ImportChange, RecordsGoBeforeBetweenAndAfterThoseThereAsOneUndoableChange) {
    write({Flight{{2004, 9, 6}, "Упр.  7 КП"}, Flight{{2004, 10, 10}, "Упр.  7 КП"}});
    const QByteArray before = hashOf(book);
    const int backupsBefore = int(logbook::backups::list(book).size());

    const ImportOutcome out = import("20.09.2004;Л-39;Д;Упр.  8 ПП;1;0.40;2;2\n"
                                     "05.11.2004;Л-39;Д;Упр.  8 ПП;1;0.40;2;2\n"
                                     "10.10.2004;Л-39;Д;Упр.  7 КП;1;1.00;2;2\n" // the record there
                                     "20.08.2004;Л-39;Н;Упр.  9 ПП;2;1.20;2;1\n");
    EXPECT_EQ(out.plan.count(Fate::Added), 3);
    EXPECT_EQ(out.plan.count(Fate::Same), 1);
    EXPECT_FALSE(out.note);

    const logbook::Logbook b = saved();
    EXPECT_EQ(shape(b), (QStringList{"Август  2004 г.", "20.08", "Сентябрь  2004 г.", "06.09", "20.09",
                                     "Октябрь  2004 г.", "10.10", "Ноябрь  2004 г.", "05.11"}));
    // Nothing the check calls an error, and no hole between the pairs.
    logbook::CheckReference reference;
    reference.captions = logbook::expectedCaptions();
    for (const logbook::Finding& f : logbook::checkBook(b, reference))
        EXPECT_NE(f.severity, logbook::Severity::Error) << f.row << ' ' << f.text.toStdString();
    for (int i = 0; i < b.entries().size(); ++i)
        EXPECT_EQ(b.entries()[i].row, logbook::records::pairRow(i));

    EXPECT_EQ(int(logbook::backups::list(book).size()), backupsBefore + 1);
    const logbook::Undone undone = logbook::undoLastChange(office(), book);
    EXPECT_EQ(undone.what, "перенос записей: 3");
    EXPECT_EQ(hashOf(book), before);
}

TEST_F(ImportChange, OneRefusedLineOrALogbookChangedSinceThePreviewChangesNothing) {
    write({Flight{{2004, 9, 6}, "Упр.  7 КП"}});
    const QByteArray before = hashOf(book);
    const int backupsBefore = int(logbook::backups::list(book).size());
    try {
        import("20.09.2004;Л-39;Д;Упр.  8 ПП;1;0.40;2;2\n"
               "21.09.2004;Л-39;Д;Упр.  8 ПП;1;0.40;1;2\n"); // more landings than approaches
        ADD_FAILURE() << "imported";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::BadEntry);
        EXPECT_TRUE(e.description().contains("строка 3: отказ")) << e.description().toStdString();
    }
    EXPECT_EQ(hashOf(book), before);
    EXPECT_EQ(int(logbook::backups::list(book).size()), backupsBefore);

    // The preview showed one record; the logbook has since been given it by another program.
    const ImportTable t = readCsv((kHeader + "20.09.2004;Л-39;Д;Упр.  8 ПП;1;0.40;2;2\n").toUtf8());
    const logbook::Logbook shown = logbook::readLogbookCopy(office(), book).book;
    const QList<logbook::PairCells> expected = planImport(t, guessMapping(t.header), shown).records();
    ASSERT_EQ(expected.size(), 1);
    write({Flight{{2004, 9, 20}, "Упр.  8 ПП", "Д", "П", 1, 40}});
    const QByteArray changed = hashOf(book);
    try {
        importRecords(office(), book, t, guessMapping(t.header), {}, expected);
        ADD_FAILURE() << "imported";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::Changed) << e.description().toStdString();
    }
    EXPECT_EQ(hashOf(book), changed);
}

TEST_F(ImportChange, AnImportIntoANewLogbookCanBeUndoneToo) {
    const QByteArray empty = hashOf(book);
    const ImportOutcome out = import("20.09.2004;Л-39;Д;Упр.  8 ПП;1;0.40;2;2\n"
                                     "21.09.2004;Л-39;Д;Упр.  8 ПП;1;0.40;2;2\n");
    EXPECT_EQ(out.plan.count(Fate::Added), 2);
    EXPECT_EQ(shape(saved()), (QStringList{"Сентябрь  2004 г.", "20.09", "21.09"}));
    // A first write into a new logbook keeps no backup; the import does, so the undo finds one.
    ASSERT_EQ(logbook::backups::list(book).size(), 1);
    logbook::undoLastChange(office(), book);
    EXPECT_EQ(hashOf(book), empty);

    // Nothing to add: no change at all.
    const QByteArray now = hashOf(book);
    import("");
    EXPECT_EQ(hashOf(book), now);
}

TEST_F(ImportChange, YearsBeforeTheFirstRecordGoInAsOneRunOfPairs) {
    // The common case: the pilot's past, all of it older than what he has written with the program. The
    // pairs are inserted together above the first record, month headings among them, nothing out of step.
    write({Flight{{2004, 10, 10}, "Упр.  7 КП"}});
    const ImportOutcome out = import("30.08.2004;Л-39;Д;Упр.  8 ПП;1;0.40;2;2\n"
                                     "01.09.2004;Л-39;Д;Упр.  8 ПП;1;0.40;2;2\n"
                                     "02.09.2004;Л-39;Н;Упр.  9 ПП;2;1.20;2;1\n"
                                     "28.09.2004;Л-39;Д;Упр.  8 ПП;1;0.40;2;2\n");
    EXPECT_EQ(out.plan.count(Fate::Added), 4);
    const logbook::Logbook b = saved();
    EXPECT_EQ(shape(b), (QStringList{"Август  2004 г.", "30.08", "Сентябрь  2004 г.", "01.09", "02.09", "28.09",
                                     "Октябрь  2004 г.", "10.10"}));
    for (int i = 0; i < b.entries().size(); ++i)
        EXPECT_EQ(b.entries()[i].row, logbook::records::pairRow(i));
    EXPECT_FALSE(b.outOfStepRow());
    EXPECT_EQ(b.entries()[3].record.dayNight, "Д");
    EXPECT_EQ(b.entries()[4].record.dayNight, "Н");
    EXPECT_EQ(b.entries()[4].record.total.minutes.count, 80);
}

TEST_F(ImportChange, ALogbookEditedByHandKeepsEveryRecordAsItWas) {
    // The pilot typed a time as text and cleared a month heading in Calc before bringing his past in.
    write({Flight{{2004, 9, 6}, "Упр.  7 КП"}, Flight{{2004, 10, 10}, "Упр.  7 КП"}});
    edit([](logbook::Sheet& s) {
        s.cell(logbook::records::pairRow(1), logbook::records::column::G).setText(QStringLiteral("1:00"));
        s.cell(logbook::records::pairRow(2), logbook::records::column::E).setText(QString());
    });
    const QList<logbook::PairCells> before = recordCells();
    ASSERT_EQ(before.size(), 2);

    // The record whose time is text is the same flight; the others come in around the records there.
    const ImportOutcome out = import("06.09.2004;Л-39;Д;Упр.  7 КП;1;1.00;2;2\n"
                                     "20.08.2004;Л-39;Д;Упр.  8 ПП;1;0.40;2;2\n"
                                     "15.10.2004;Л-39;Д;Упр.  8 ПП;1;0.40;2;2\n");
    EXPECT_EQ(out.plan.count(Fate::Same), 1);
    EXPECT_EQ(out.plan.count(Fate::Added), 2);
    const QList<logbook::PairCells> after = recordCells();
    ASSERT_EQ(after.size(), 4);
    EXPECT_EQ(after[1], before[0]) << "the record with its time typed as text, cell for cell";
    EXPECT_EQ(after[2], before[1]);
}
