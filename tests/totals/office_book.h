#pragma once

// What the totals tests on real logbooks share: one office for the test program with a new logbook made
// once, and a fixture that copies it, writes flights into it through the writing code, runs the totals
// and reads the file back.

#include "common/dialogs.h"
#include "flight/record_writer.h"
#include "logbook/logbook.h"
#include "logbook/newbook.h"
#include "spreadsheet/uno/spreadsheet_host.h"
#include "support/flights.h"
#include "totals/totals_run.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace totalstest {

namespace lb = korv::logbook;

class Office : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        lb::SpreadsheetHost::Options o;
        o.profileDir = dir.filePath("profile");
        host = new lb::SpreadsheetHost(o);
        QDir().mkpath(dir.filePath("template"));
        lb::NoProgress progress;
        korv::RecordingDialogs dialogs;
        lb::createNewLogbook(*host, dir.filePath("template"), progress, dialogs);
        templateBook = lb::bookPath(dir.filePath("template"));
    }
    void TearDown() override {
        delete host;
        host = nullptr;
    }
    static inline lb::SpreadsheetHost* host = nullptr;
    static inline QString templateBook;
    QTemporaryDir dir;
};

using testflights::Flight;
using testflights::recordOf;

class TotalsRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        book = lb::bookPath(dir.path());
        ASSERT_TRUE(QFile::copy(Office::templateBook, book));
        QFile::setPermissions(book, QFile::ReadOwner | QFile::WriteOwner);
    }
    void write(const QList<Flight>& flights) {
        for (const Flight& f : flights)
            korv::flight::WriteFlightRecord(*Office::host, book, recordOf(f));
    }
    korv::totals::TotalsOutcome run(korv::totals::PeriodOption option, const QDate& today, bool print = false,
                                    const QString& c = {}, const QString& po = {}) {
        dialogs.messages.clear();
        dialogs.answerYes = print;
        progress = korv::totals::RecordedStatus();
        return totals.cmdItog_Click(option, today, c, po, progress, dialogs);
    }
    // Reads the file back, the workbook closed again afterwards.
    template <typename F>
    void inspect(F&& f) {
        lb::Workbook wb = Office::host->openWorkbook(book);
        f(wb);
        wb.close(lb::CloseMode::Discard);
    }
    // Changes the file as the pilot does in Calc, saved.
    template <typename F>
    void edit(F&& f) {
        lb::Workbook wb = Office::host->openWorkbook(book);
        lb::Sheet s = wb.sheet(lb::kSheet1);
        f(s);
        wb.close(lb::CloseMode::Save);
    }

    QTemporaryDir dir;
    QString book;
    korv::totals::TotalsRun totals{*Office::host, lb::bookPath(dir.path())};
    korv::RecordingDialogs dialogs;
    korv::totals::RecordedStatus progress;
};

inline double minutesOf(const lb::Range& cell) { return std::round(cell.value() * 1440); }

} // namespace totalstest
