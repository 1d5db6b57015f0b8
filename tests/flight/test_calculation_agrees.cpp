// Generated shifts, each calculated with the real reference tables, written into a logbook on the in-memory
// office and checked: the check finds no error in a record the program wrote, nor after any sequence of
// writes, corrections and removals. KORV_PROPERTY_SHIFTS and KORV_PROPERTY_STEPS set how many (a quick size
// by default; `make stress` draws many more).
#include "flight/record_form.h"
#include "flight/record_writer.h"
#include "logbook/book_check.h"
#include "logbook/book_names.h"
#include "logbook/logbook_change.h"
#include "logbook/sheet_adapter.h"
#include "support/fake_office.h"
#include "support/logbook_env.h"
#include "support/worked_shift.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace korv;
using namespace korv::flight;

namespace {

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new korv::test::LogbookEnvironment(
    [](const QString& profile) { return std::make_unique<korv::test::FakeOffice>(profile); }));

QString databasePath() { return QDir(qEnvironmentVariable("KORV_BIN_DIR")).filePath("FlightTables1.mdb"); }

class Draw {
public:
    explicit Draw(unsigned seed) : rng_(seed) {}

    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    bool chance(int percent) { return between(1, 100) <= percent; }
    template <class T>
    const T& oneOf(const QList<T>& list) {
        return list[between(0, int(list.size()) - 1)];
    }
    QString number(int low, int high) { return QString::number(between(low, high)); }

private:
    std::mt19937 rng_;
};

// A shift as a pilot might enter it: any type, weather, hood and number of flights; cloud tops not below
// the base and landings with a system not above the approaches, as the form and the weather allow.
InputForm drawShift(Draw& d, const QDate& date, const QList<long long>& exercises) {
    InputForm f;
    f.cboTyp = d.oneOf(kAircraftTypes);
    f.txtDate = date.toString(QStringLiteral("dd.MM.yy"));
    (d.chance(70) ? f.optDSMU : f.optNSMU) = true;
    (d.chance(70) ? f.optForward : f.optBack) = true;
    const int kind = d.between(0, 2);
    (kind == 0 ? f.optPrivate : kind == 1 ? f.optTeacher : f.optGavno) = true;
    f.txtUpr = QString::number(d.oneOf(exercises));
    f.txtPol = d.chance(60) ? QStringLiteral("1") : d.number(2, 8);
    f.txtTpolChas = d.number(0, 3);
    f.txtTpolMin = d.number(f.txtTpolChas == u"0" ? 1 : 0, 59);
    f.txtBal = d.number(0, 10);
    const int base = d.between(0, 60) * 50;
    if (d.chance(90))
        f.txtHn = QString::number(base);
    if (d.chance(80))
        f.txtHv = QString::number(base + d.between(1, 60) * 50);
    if (d.chance(80))
        f.txtVidKm = d.number(0, 10);
    if (d.chance(40))
        f.txtVidSm = d.number(0, 9);
    f.txtHpol = QString::number(d.between(1, 120) * 100);
    if (d.chance(50)) {
        f.txtShtorkaZ = d.chance(90) ? QString::number(d.between(1, 60) * 25) : QStringLiteral("0");
        f.txtShtorkaO = d.chance(90) ? QString::number(d.between(1, 60) * 25) : QStringLiteral("0");
    }
    if (d.chance(60)) {
        f.cboSys = QStringLiteral("ОСП");
        f.txtZah = d.number(0, 12);
        f.txtPos = d.number(0, 12); // more landings than approaches are cut down by the calculation
        if (d.chance(30))
            f.txtVzl = d.number(0, 4);
    }
    return f;
}

QString inputsText(const InputForm& form) { return QString::fromUtf8(korv::test::formJson(form)); }

class CalculationAgreesTest : public korv::test::LogbookTest {};

} // namespace

TEST_F(CalculationAgreesTest, TheCheckFindsNoErrorInARecordTheProgramWrote) {
    const int shifts =
        qEnvironmentVariableIsSet("KORV_PROPERTY_SHIFTS") ? qEnvironmentVariableIntValue("KORV_PROPERTY_SHIFTS") : 1500;
    const int perBook = 500;
    ReferenceDatabase database(databasePath());
    QList<long long> exercises = database.exerciseNumbers().values();
    std::sort(exercises.begin(), exercises.end()); // the same draws on every run
    ASSERT_FALSE(exercises.isEmpty());
    const logbook::CheckReference reference{kAircraftTypes, database.exerciseNumbers(), {}};
    Draw d(20261209u);

    int written = 0;
    int refused = 0;
    for (int bookNo = 0; written + refused < shifts; ++bookNo) {
        const QString folder = dir.filePath(QString::number(bookNo));
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString path = logbook::bookPath(folder);
        ASSERT_TRUE(QFile::copy(book, path)); // the new logbook
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        ShiftWriter writer(office(), database, path);
        writer.beginBatch();
        QHash<int, QString> inputsAtRow; // what was entered for the record at each sheet row
        QDate date(2020, 1, 1);
        for (int i = 0; i < perBook && written + refused < shifts; ++i) {
            date = date.addDays(d.between(0, 2));
            ShiftSession session(database);
            session.form = drawShift(d, date, exercises);
            session.RefreshInputState();
            const QString inputs = inputsText(session.form);
            session.cmdOK_Click();
            if (!session.form.cmdWriteEnabled) {
                ++refused; // a key outside the tables is refused with its message: nothing to write
                continue;
            }
            const WriteOutcome outcome = writer.cmdWrite_Click(session);
            ASSERT_TRUE(outcome.written) << inputs.toStdString() << ' '
                                         << (outcome.notices.isEmpty() ? "" : outcome.notices[0].text.toStdString());
            inputsAtRow.insert(outcome.written->row, inputs);
            ++written;
        }
        ASSERT_FALSE(writer.finishBatch());

        logbook::Workbook wb = office().openWorkbook(path);
        const logbook::Logbook book = logbook::readLogbook(wb.sheet(logbook::kSheet1));
        for (const logbook::Finding& f : logbook::checkBook(book, reference)) {
            if (f.severity == logbook::Severity::Error)
                ADD_FAILURE() << "row " << f.row << ' ' << f.columnLetter().toStdString() << ": "
                              << f.text.toStdString() << "\n  entered: " << inputsAtRow.value(f.row).toStdString();
        }
        wb.close(logbook::CloseMode::Discard);
    }
    // Most drawn shifts are calculated; the rest fall outside a type's tables.
    EXPECT_GT(written, shifts * 3 / 4) << "refused " << refused;
}

// A record opened for its correction gives the form that wrote it: calculated again unchanged, it gives the
// same cells (the hood heights are never held; these shifts have none, and a seat the record does not tell is
// given again as the pilot would).
TEST_F(CalculationAgreesTest, ARecordOpenedForCorrectionAndCalculatedAgainIsTheSameRecord) {
    ReferenceDatabase database(databasePath());
    QList<long long> exercises = database.exerciseNumbers().values();
    std::sort(exercises.begin(), exercises.end());
    Draw d(20261210u);
    int compared = 0;
    for (int i = 0; i < 600; ++i) {
        ShiftSession original(database);
        original.form = drawShift(d, QDate(2026, 1, 1).addDays(d.between(0, 700)), exercises);
        original.form.txtShtorkaZ.clear();
        original.form.txtShtorkaO.clear();
        original.RefreshInputState();
        original.cmdOK_Click();
        if (!original.form.cmdWriteEnabled)
            continue;
        const QString description = database.exerciseDescription(original.form.txtUpr);
        const logbook::PairCells cells = buildFlightRecord(original, description);

        const RecordForm opened = formOfRecord(logbook::readRecord(cells), cells);
        ASSERT_TRUE(opened.unknown.contains(QStringLiteral("высоты шторки")));
        ShiftSession again(database);
        again.form = opened.form;
        if (opened.unknown.contains(QStringLiteral("сидение"))) {
            EXPECT_TRUE(original.form.optTeacher) << "only an instructor's record leaves the seat untold";
            again.form.optForward = original.form.optForward;
            again.form.optBack = original.form.optBack;
        }
        again.RefreshInputState();
        again.cmdOK_Click();
        ASSERT_TRUE(again.form.cmdWriteEnabled) << inputsText(original.form).toStdString();
        EXPECT_EQ(buildFlightRecord(again, description), cells)
            << "entered: " << inputsText(original.form).toStdString()
            << "\n opened: " << inputsText(opened.form).toStdString();
        ++compared;
    }
    EXPECT_GT(compared, 400);
}

TEST_F(CalculationAgreesTest, EveryPassageThroughTheCloudsAtMinimumWeatherUnderTheHoodCounts) {
    // Л-39 by day at minimum weather: base 250 m, top 1500 m, visibility 3.5 km; the hood closed at 200 m and
    // opened at 150 m; 1 h 10 min up to 3000 m. One flight: 1 min below the hood height, 4 min in clouds.
    ReferenceDatabase database(databasePath());
    ShiftSession session(database);
    InputForm& f = session.form;
    f = korv::test::workedShift();
    f.txtHn = "250";
    f.txtHv = "1500";
    f.txtVidKm = "3";
    f.txtVidSm = "5";
    f.txtShtorkaZ = "200";
    f.txtShtorkaO = "150";
    f.txtTpolMin = "10";
    session.RefreshInputState();
    session.cmdOK_Click();
    EXPECT_EQ(f.txtZakKab.text, "1.05");
    EXPECT_EQ(f.txtSMU.text, "0.05");
    EXPECT_EQ(f.txtObl.text, "0.04");
    // Two flights pass the clouds twice: the second passage is complex weather too, and no hood time.
    f.txtPol = "2";
    session.cmdOK_Click();
    EXPECT_EQ(f.txtObl.text, "0.08");
    EXPECT_EQ(f.txtSMU.text, "0.09");
    EXPECT_EQ(f.txtZakKab.text, "1.01");
}

TEST_F(CalculationAgreesTest, TheCheckFindsNoErrorAfterAnySequenceOfWritesCorrectionsAndRemovals) {
    ReferenceDatabase database(databasePath());
    QList<long long> exercises = database.exerciseNumbers().values();
    std::sort(exercises.begin(), exercises.end());
    const logbook::CheckReference reference{kAircraftTypes, database.exerciseNumbers(), {}};
    Draw d(7u);
    ShiftWriter writer(office(), database, book);
    const auto model = [&] {
        logbook::Workbook wb = office().openWorkbook(book);
        logbook::Logbook m = logbook::readLogbook(wb.sheet(logbook::kSheet1));
        wb.close(logbook::CloseMode::Discard);
        return m;
    };
    const auto recordRows = [&](const logbook::Logbook& m) {
        QList<int> rows;
        for (const logbook::Entry& e : m.entries())
            if (e.isRecord())
                rows << e.sheetRow();
        return rows;
    };
    int records = 0;
    const int steps =
        qEnvironmentVariableIsSet("KORV_PROPERTY_STEPS") ? qEnvironmentVariableIntValue("KORV_PROPERTY_STEPS") : 40;
    for (int step = 0; step < steps; ++step) {
        const QList<int> rows = recordRows(model());
        ASSERT_EQ(rows.size(), records) << "step " << step;
        const int what = rows.isEmpty() ? 0 : d.between(0, 9);
        QString did;
        if (what <= 6) { // a new shift, or a record corrected with another
            ShiftSession session(database);
            session.form = drawShift(d, QDate(2024, 1, 1).addDays(d.between(0, 900)), exercises);
            session.RefreshInputState();
            session.cmdOK_Click();
            if (!session.form.cmdWriteEnabled)
                continue;
            const bool correct = what >= 4;
            if (correct)
                writer.correctRecordAt(rows[d.between(0, int(rows.size()) - 1)]);
            did = (correct ? QStringLiteral("correction ") : QStringLiteral("write ")) + inputsText(session.form);
            const WriteOutcome outcome = writer.cmdWrite_Click(session);
            ASSERT_TRUE(outcome.written) << did.toStdString() << ' '
                                         << (outcome.notices.isEmpty() ? "" : outcome.notices[0].text.toStdString());
            records += correct ? 0 : 1;
        } else { // a record removed
            const int row = rows[d.between(0, int(rows.size()) - 1)];
            did = QStringLiteral("removal of row %1").arg(row);
            logbook::LogbookChange change(office(), book);
            change.remove(change.logbook().entryAt(row - 1));
            change.save();
            --records;
        }
        const logbook::Logbook after = model();
        for (const logbook::Finding& f : logbook::checkBook(after, reference)) {
            // Appends and corrections keep the pilot's dates as typed: a record earlier than the one above is
            // a warning of the check, and so are the rest; only errors count here.
            if (f.severity == logbook::Severity::Error)
                ADD_FAILURE() << "after " << did.toStdString() << ": row " << f.row << ' '
                              << f.columnLetter().toStdString() << ": " << f.text.toStdString();
        }
        ASSERT_FALSE(after.outOfStepRow()) << did.toStdString();
    }
}
