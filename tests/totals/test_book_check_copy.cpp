// The check of a logbook the program wrote, read through the office: nothing wrong in it, nothing
// changed by the check, and what a pilot's hand edits in Calc leave is found at its row and column.

#include "common/error.h"
#include "flight/input_form.h"
#include "flight/reference_db.h"
#include "logbook/book_reading.h"
#include "support/files.h"
#include "totals/totals_fixture.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace totalstest;
using korv::logbook::Finding;
using korv::logbook::Severity;
using testfiles::entriesOf;
using testfiles::hashOf;

namespace {

// Headings at rows 7 and 11; records at 9, 13, 15.
const QList<Flight> kThree = {{{2008, 4, 2}, "Упр.  7 КП"}, {{2008, 5, 6}, "Упр.  7 КП"}, {{2008, 5, 7}, "Упр.  7 КП"}};

class BookCheckOffice : public TotalsRunTest {
protected:
    QList<Finding> check() {
        korv::logbook::CheckReference reference;
        reference.aircraftTypes = korv::flight::kAircraftTypes;
        korv::flight::ReferenceDatabase tables(
            QDir(qEnvironmentVariable("KORV_BIN_DIR")).filePath("FlightTables1.mdb"));
        reference.exercises = tables.exerciseNumbers();
        return korv::logbook::checkLogbook(office(), book, reference);
    }
    static std::optional<Severity> at(const QList<Finding>& f, int row, char column) {
        for (const Finding& x : f)
            if (x.row == row && x.column == column - 'A')
                return x.severity;
        return std::nullopt;
    }
    static std::string dump(const QList<Finding>& f) {
        QString s;
        for (const Finding& x : f)
            s += QString("%1%2 %3\n").arg(x.columnLetter()).arg(x.row).arg(x.text);
        return s.toStdString();
    }
};

} // namespace

TEST_F(BookCheckOffice, AWrittenLogbookHasNoErrorAndTheCheckChangesNothing) {
    write(kThree);
    const QByteArray bytes = hashOf(book);
    const QDateTime changed = QFileInfo(book).lastModified();
    const QStringList beside = entriesOf(dir.path());
    const auto f = check();
    for (const Finding& x : f)
        EXPECT_NE(x.severity, Severity::Error) << dump(f);
    EXPECT_EQ(hashOf(book), bytes);
    EXPECT_EQ(QFileInfo(book).lastModified(), changed);
    EXPECT_EQ(entriesOf(dir.path()), beside) << "no lock file or copy left beside the logbook";
}

TEST_F(BookCheckOffice, HandEditsAreFoundAtTheirCells) {
    write(kThree);
    edit([](lb::Sheet& s) {
        s.cell(12, 6).setText("abc");     // G13: no time
        s.cell(14, 6).setText("1:25");    // G15: a time typed as text
        s.cell(14, 16).setValue(1);       // Q15 one approach,
        s.cell(14, 17).setValue(2);       // R15 two landings
        s.cell(8, 12).setValue(500);      // M9 the top below
        s.cell(9, 12).setValue(900);      // M10 the base
        s.cell(10, 4).setText(QString()); // E11: the May heading cleared
        s.cell(0, 6).setText("Время");    // G1: a caption changed
    });
    const auto f = check();
    EXPECT_EQ(at(f, 13, 'G'), Severity::Error) << dump(f);
    EXPECT_EQ(at(f, 15, 'G'), Severity::Warning) << dump(f);
    EXPECT_EQ(at(f, 15, 'R'), Severity::Error) << dump(f);
    EXPECT_EQ(at(f, 9, 'M'), Severity::Error) << dump(f);
    EXPECT_EQ(at(f, 13, 'E'), Severity::Warning) << dump(f);
    EXPECT_EQ(at(f, 1, 'G'), Severity::Error) << dump(f);
}

TEST_F(BookCheckOffice, SplitCellsAreFound) {
    write(kThree);
    edit([](lb::Sheet& s) {
        s.range("A1:A6").unmerge(); // a header caption split
        s.range("F13:F14").unmerge();
        s.range("F14").setValue(2); // and a flight count typed into its lower cell
    });
    const auto f = check();
    EXPECT_EQ(at(f, 1, 'A'), Severity::Error) << dump(f);
    EXPECT_EQ(at(f, 14, 'F'), Severity::Warning) << dump(f);
}

TEST_F(BookCheckOffice, ARowInsertedByHandPutsThePairsOutOfStep) {
    write(kThree);
    edit([](lb::Sheet& s) { s.insertRows(12, 1); });
    const auto f = check();
    EXPECT_EQ(at(f, 14, 'A'), Severity::Error) << dump(f);
}

TEST_F(BookCheckOffice, AMissingLogbookIsSaidSo) {
    QFile::remove(book);
    try {
        check();
        FAIL() << "no error";
    } catch (const korv::Error& e) {
        EXPECT_EQ(e.number(), korv::Error::FileNotFound);
        EXPECT_TRUE(e.description().contains(book));
    }
}
