// End to end on the virtual display, against a Calc of the test's own (a private profile under the build
// tree): a new logbook, a shift filled in, calculated and written, the logbook viewed in Calc and the
// viewing ended, the month totalled and its summary viewed and printed; the totals of an empty logbook
// and of a period without records, and of two aircraft types; a missing logbook and a Calc closed by hand are said and
// the program goes on.

#include "app/frmbackups.h"
#include "app/frmbreaks.h"
#include "app/frmcheck.h"
#include "app/frmcourse.h"
#include "app/frmexcel.h"
#include "app/frmglavnaja.h"
#include "app/frmimport.h"
#include "app/frmpages.h"
#include "app/frmrecords.h"
#include "app/frmresume.h"
#include "app/frmsmu.h"
#include "app_test_support.h"
#include "bookfiles/backups.h"
#include "bookfiles/file_system.h"
#include "flight/record_writer.h"
#include "logbook/book_names.h"
#include "logbook/book_reading.h"
#include "logbook/logbook_change.h"
#include "logbook/record_layout.h"
#include "spreadsheet/uno/spreadsheet_host.h"
#include "support/flights.h"
#include "support/worked_shift.h"
#include "totals/record_export.h"
#include "totals/record_list.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <csignal>
#include <mutex>
#include <thread>

using namespace korv::app;
using apptest::child;
using apptest::fillShift;
namespace lb = korv::logbook;

namespace {

QString profile() { return QStringLiteral(KORV_TEST_PROFILES "/" KORV_TEST_NAME); }

// The offices the programs of the tests attach to, kept warm by the test program: the program's own and the
// headless one it makes new logbooks in. A program that finds them running starts none of its own.
class WarmOffices : public ::testing::Environment {
public:
    void SetUp() override { attach(); }
    void TearDown() override {
        for (auto* h : {&shown(), &headless()}) {
            if (*h) {
                (*h)->shutdown();
                h->reset();
            }
        }
    }
    static void attach() {
        if (!shown()) {
            lb::SpreadsheetHost::Options o;
            o.profileDir = profile();
            shown() = std::make_unique<lb::SpreadsheetHost>(o);
            o.profileDir = profile() + QStringLiteral("-headless");
            o.display = lb::SpreadsheetHost::DisplayMode::Headless;
            headless() = std::make_unique<lb::SpreadsheetHost>(o);
        }
        shown()->attach();
        headless()->attach();
    }
    static std::unique_ptr<lb::SpreadsheetHost>& shown() {
        static std::unique_ptr<lb::SpreadsheetHost> h;
        return h;
    }
    static std::unique_ptr<lb::SpreadsheetHost>& headless() {
        static std::unique_ptr<lb::SpreadsheetHost> h;
        return h;
    }
};

const auto* const kOffices = ::testing::AddGlobalTestEnvironment(new WarmOffices);

// Calc draws its window in its own time; give it a moment before the screen is photographed.
void saveScreen(const QString& name) {
    for (int i = 0; i < 15; ++i)
        QTest::qWait(200);
    QScreen* screen = QGuiApplication::primaryScreen();
    QDir().mkpath(apptest::screenshotDir());
    screen->grabWindow(0).save(apptest::screenshotDir() + QLatin1Char('/') + name + QStringLiteral("_") +
                               QString::number(apptest::testDpi()) + QStringLiteral("dpi.png"));
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A print program in place of the system's `lp`: it keeps its arguments and the first bytes of the file
// it was given, and prints nothing.
struct FakeLp {
    FakeLp() {
        script = dir.filePath("lp");
        QFile f(script);
        f.open(QIODevice::WriteOnly);
        f.write("#!/bin/sh\n"
                "printf '%s\\n' \"$*\" > \"$(dirname \"$0\")/args\"\n"
                "for last; do :; done\n"
                "head -c 5 \"$last\" > \"$(dirname \"$0\")/head\"\n");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("KORV_LP", script.toLocal8Bit());
    }
    ~FakeLp() { qunsetenv("KORV_LP"); }
    QString args() const { return QString::fromUtf8(fileBytes(dir.filePath("args"))).trimmed(); }
    QByteArray head() const { return fileBytes(dir.filePath("head")); }

    QTemporaryDir dir;
    QString script;
};

// "Считать" on the totals form, with a picture of the form taken in the middle of the scan (the run
// answers the desktop between its steps, so a timer gets its turn).
void runTotals(frmResume* resume, const QString& screenshot = {}) {
    QTimer watch;
    bool taken = screenshot.isEmpty();
    QObject::connect(&watch, &QTimer::timeout, [&] {
        korv::host::Control* bar = resume->TarvixProgress1();
        if (taken || bar == nullptr ||
            !child<QLabel>(resume, "lblCurOperation")->text().startsWith(QStringLiteral("Выборка за ")))
            return;
        const int value = bar->getByName("Value").toInt();
        if (value > bar->getByName("Min").toInt() && value < bar->getByName("Max").toInt()) {
            apptest::saveScreenshot(resume, screenshot);
            taken = true;
        }
    });
    watch.start(0);
    child<QPushButton>(resume, "cmdItog")->click();
    watch.stop();
}

// The names of the office's windows mapped on the display, watched in a thread of its own while the
// program works (it answers no events meanwhile).
class OfficeWindowWatch {
public:
    OfficeWindowWatch()
        : thread_([this] {
              while (!stop_) {
                  const QStringList now = officeWindows();
                  const std::lock_guard lock(mutex_);
                  for (const QString& w : now)
                      if (!seen_.contains(w))
                          seen_ << w;
                  std::this_thread::sleep_for(std::chrono::milliseconds(30));
              }
          }) {}
    ~OfficeWindowWatch() { stopped(); }
    QStringList stopped() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        const std::lock_guard lock(mutex_);
        return seen_;
    }
    static QStringList officeWindows() {
        QProcess p;
        p.start("sh", {"-c", "for w in $(xdotool search --onlyvisible --class 'libreoffice|soffice' 2>/dev/null); do "
                             "xdotool getwindowname $w; done"});
        p.waitForFinished(5000);
        return QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }

private:
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    QStringList seen_;
    std::thread thread_;
};

// "Заполнение" with no logbook makes one (every question answered Yes); then back to the main form.
void makeLogbook(apptest::TestProgram& t, frmGlavnaja& main) {
    main.mnuFillBookItem_Click();
    ASSERT_TRUE(QFileInfo::exists(t.program->bookPath()));
    t.program->loadedShiftForm()->hide();
    main.show();
}

} // namespace

TEST(EndToEnd, ANewLogbookAShiftWrittenAndViewedInCalc) {
    apptest::TestProgram t(QDate(2026, 12, 7), profile());
    frmGlavnaja& main = t.program->mainForm();
    main.show();

    // "Заполнение" with no logbook: one is made, the pilot told where it lives, then the input form. No
    // window of the office shows meanwhile.
    OfficeWindowWatch watch;
    main.mnuFillBookItem_Click();
    EXPECT_EQ(watch.stopped(), QStringList{});
    const QString book = t.program->bookPath();
    ASSERT_TRUE(QFileInfo::exists(book)) << t.dialogs.titles().join("|").toStdString();
    ASSERT_GE(t.dialogs.boxes.size(), 2);
    EXPECT_EQ(t.dialogs.boxes[0].title, "Сохранение лётной книжки");
    EXPECT_EQ(t.dialogs.boxes[0].text, "Лётная книжка размещается  в " + book);
    EXPECT_EQ(t.dialogs.boxes[1].title, "Дата полётов");
    EXPECT_TRUE(child<QLabel>(&main, "lblGlav")->text().isEmpty());
    ASSERT_NE(main.TarvixProgress1(), nullptr);
    EXPECT_EQ(main.TarvixProgress1()->getByName("Value").toInt(), 100);
    EXPECT_FALSE(main.isVisible());
    frmSMU* smu = t.program->loadedShiftForm();
    ASSERT_NE(smu, nullptr);
    ASSERT_TRUE(smu->isVisible());

    // The shift: "Считать", then "Записать".
    fillShift(smu);
    child<QPushButton>(smu, "cmdOK")->click();
    ASSERT_TRUE(child<QPushButton>(smu, "cmdWrite")->isEnabled()) << t.dialogs.titles().join("|").toStdString();
    const qsizetype boxesBefore = t.dialogs.boxes.size();
    child<QPushButton>(smu, "cmdWrite")->click();
    EXPECT_EQ(t.dialogs.boxes.size(), boxesBefore) << t.dialogs.boxes.last().text.toStdString();
    EXPECT_FALSE(child<QPushButton>(smu, "cmdWrite")->isEnabled());
    // The status line says what went where, until the next input.
    auto* status = child<QLabel>(smu, "lblOgid");
    EXPECT_TRUE(status->isVisible());
    EXPECT_EQ(status->text(), "Записано: 07.12.26, упр. 7, строки 9–10");
    apptest::saveScreenshot(smu, QStringLiteral("frmSMU_written"));
    EXPECT_FALSE(smu->holdsUnwrittenShift()); // "Выход" asks nothing now
    EXPECT_TRUE(child<QLineEdit>(smu, "txtShtorkaZ")->text().isEmpty());
    EXPECT_TRUE(child<QLineEdit>(smu, "txtShtorkaO")->text().isEmpty());
    EXPECT_EQ(child<QLineEdit>(smu, "txtHpol")->text(), "5000");
    EXPECT_TRUE(smu->tmrAlarm().isActive());

    // The record is in the logbook: the month heading, then the shift.
    {
        lb::Workbook wb = t.program->host().openWorkbook(book);
        lb::Sheet sheet = wb.sheet(lb::kSheet1);
        EXPECT_EQ(sheet.range("E7").text(), "Декабрь  2026 г.");
        EXPECT_TRUE(sheet.range("E9").text().startsWith("Упр.  7 ")) << sheet.range("E9").text().toStdString();
        EXPECT_EQ(sheet.range("A9").date(), QDate(2026, 12, 7));
        wb.close(lb::CloseMode::Discard);
    }

    // "Просмотр": Calc shows the logbook on Лист1, frmExcel above it; the input form goes.
    child<QPushButton>(smu, "cmdShow")->click();
    frmExcel* excel = t.program->loadedViewForm();
    ASSERT_NE(excel, nullptr) << t.dialogs.boxes.last().text.toStdString();
    EXPECT_TRUE(excel->isVisible());
    EXPECT_FALSE(smu->isVisible());
    EXPECT_TRUE(t.program->host().anyWorkbookShown());
    const auto shown = t.program->host().findWorkbook(lb::kBookName);
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->activeSheet().name(), lb::kSheet1);
    saveScreen(QStringLiteral("viewing_calc"));

    // "Закрыть": the logbook closed, Calc still there, the main form back (not the input form).
    child<QPushButton>(excel, "cmdCloseExcel")->click();
    EXPECT_FALSE(excel->isVisible());
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(smu->isVisible());
    EXPECT_FALSE(t.program->host().findWorkbook(lb::kBookName).has_value());
    EXPECT_FALSE(t.program->hasEnded());

    // "Подбить итоги за...", the current month preset; "Отпечатать итог ?" answered No: the summary in
    // Calc on Лист4, frmExcel above it.
    main.mnuSummaryBookItem_Click();
    frmResume* resume = t.program->loadedResumeForm();
    ASSERT_NE(resume, nullptr);
    ASSERT_TRUE(resume->isVisible());
    EXPECT_FALSE(main.isVisible());
    t.dialogs.boxes.clear();
    t.dialogs.answers = {false};
    t.dialogs.onQuestion = [&] {
        EXPECT_EQ(child<QLabel>(resume, "lblCurOperation")->text(), "Задание выполнено, сэр!");
        apptest::saveScreenshot(resume, QStringLiteral("frmResume_done"));
    };
    runTotals(resume, QStringLiteral("frmResume_scan"));
    t.dialogs.onQuestion = nullptr;
    ASSERT_EQ(t.dialogs.boxes.size(), 1) << t.dialogs.boxes.last().text.toStdString();
    EXPECT_EQ(t.dialogs.boxes[0].kind, "question");
    EXPECT_EQ(t.dialogs.boxes[0].title, "Печать");
    EXPECT_EQ(t.dialogs.boxes[0].text, "Отпечатать итог ?");
    EXPECT_EQ(resume->lastOutcome().end, korv::totals::TotalsEnd::Summary);
    EXPECT_FALSE(resume->isVisible());
    EXPECT_FALSE(main.isVisible());
    ASSERT_TRUE(excel->isVisible());
    const auto summary = t.program->host().findWorkbook(lb::kBookName);
    ASSERT_TRUE(summary.has_value());
    EXPECT_EQ(summary->activeSheet().name(), lb::kSheet4);
    saveScreen(QStringLiteral("summary_calc"));
    child<QPushButton>(excel, "cmdCloseExcel")->click();
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(resume->isVisible());

    // The summary as the file keeps it: the control flights by day, the day's total, the month's total,
    // each the one shift of the month (exercise 7 by day, 1:25).
    {
        lb::Workbook wb = t.program->host().openWorkbook(book);
        lb::Sheet sheet = wb.sheet(lb::kSheet4);
        lb::Sheet records = wb.sheet(lb::kSheet1);
        EXPECT_EQ(sheet.range("E7").text().simplified(), "Контрольный День");
        EXPECT_EQ(sheet.range("E11").text(), "Итого Л-39     День");
        EXPECT_EQ(sheet.range("E17").text(), "Всего за Декабрь  2026 г.");
        for (const char* row : {"7", "11", "17"}) {
            EXPECT_DOUBLE_EQ(sheet.range(QStringLiteral("F") + row).value(), 1) << row;
            EXPECT_NEAR(sheet.range(QStringLiteral("G") + row).value() * 1440, 85, 1e-6) << row;
            for (const char* col : {"H", "I", "J", "O", "Q", "R", "S"})
                EXPECT_NEAR(sheet.range(col + QString::fromLatin1(row)).value(),
                            records.range(col + QStringLiteral("9")).value(), 1e-9)
                    << col << row;
        }
        EXPECT_EQ(sheet.range("G17").text(), "1:25");
        for (const char* cell : {"E8", "E9", "E10", "E12", "E16"})
            EXPECT_TRUE(sheet.range(cell).text().isEmpty()) << cell;
        EXPECT_DOUBLE_EQ(sheet.range("F16").value(), 0);
        wb.close(lb::CloseMode::Discard);
    }

    // Again, answered Yes: "Включите принтер.", the summary to the printer, the main form back.
    {
        FakeLp lp;
        main.mnuSummaryBookItem_Click();
        t.dialogs.boxes.clear();
        t.dialogs.answers = {true};
        runTotals(resume);
        ASSERT_EQ(t.dialogs.boxes.size(), 2) << t.dialogs.boxes.last().text.toStdString();
        EXPECT_EQ(t.dialogs.boxes[0].title, "Печать");
        EXPECT_EQ(t.dialogs.boxes[1].title, "Распечатка");
        EXPECT_EQ(t.dialogs.boxes[1].text, "Включите принтер.");
        EXPECT_TRUE(resume->printAnswered());
        EXPECT_TRUE(resume->lastPrint().printed);
        EXPECT_TRUE(lp.args().startsWith("-n 1 -o collate=true ")) << lp.args().toStdString();
        EXPECT_EQ(lp.head(), "%PDF-");
        EXPECT_TRUE(main.isVisible());
        EXPECT_FALSE(resume->isVisible());
        EXPECT_FALSE(excel->isVisible());
        EXPECT_FALSE(t.program->host().findWorkbook(lb::kBookName).has_value());
    }

    // The month before holds nothing: "Облом...", the main form back, the file untouched.
    const QByteArray before = fileBytes(book);
    main.mnuSummaryBookItem_Click();
    child<QRadioButton>(resume, "optLastMonth")->click();
    t.dialogs.boxes.clear();
    QString statusAtMessage;
    t.dialogs.onMessage = [&] { statusAtMessage = child<QLabel>(resume, "lblCurOperation")->text(); };
    runTotals(resume);
    t.dialogs.onMessage = nullptr;
    ASSERT_EQ(t.dialogs.boxes.size(), 1);
    EXPECT_EQ(t.dialogs.boxes[0].title, "Отсутствие подённого налёта");
    EXPECT_EQ(t.dialogs.boxes[0].text,
              "Записи за указанный период отсутствуют. Проверьте заполнение подённого налёта.");
    EXPECT_EQ(statusAtMessage, "Облом...");
    EXPECT_EQ(resume->lastOutcome().end, korv::totals::TotalsEnd::NoRecords);
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(resume->isVisible());
    EXPECT_EQ(fileBytes(book), before);
    // The choice stays for the next time.
    main.mnuSummaryBookItem_Click();
    EXPECT_TRUE(child<QRadioButton>(resume, "optLastMonth")->isChecked());
    EXPECT_EQ(child<QLabel>(resume, "lblCurOperation")->text(), "Жду Ваших указаний, сэр!");
    EXPECT_FALSE(t.program->hasEnded());
}

TEST(EndToEnd, TheTotalsOfAnEmptyLogbookLeaveItAsItWas) {
    apptest::TestProgram t(QDate(2026, 12, 7), profile());
    frmGlavnaja& main = t.program->mainForm();
    main.show();
    ASSERT_NO_FATAL_FAILURE(makeLogbook(t, main));
    const QByteArray before = fileBytes(t.program->bookPath());

    main.mnuSummaryBookItem_Click();
    frmResume* resume = t.program->loadedResumeForm();
    ASSERT_NE(resume, nullptr);
    t.dialogs.boxes.clear();
    runTotals(resume);
    ASSERT_EQ(t.dialogs.boxes.size(), 1);
    EXPECT_EQ(t.dialogs.boxes[0].title, "Проверка заполнения лётной книжки");
    EXPECT_EQ(t.dialogs.boxes[0].text, "Лётная книжка не заполнена. Подбивать нечего.");
    EXPECT_EQ(resume->lastOutcome().end, korv::totals::TotalsEnd::EmptyLogbook);
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(resume->isVisible());
    EXPECT_EQ(fileBytes(t.program->bookPath()), before);
    EXPECT_FALSE(t.program->host().findWorkbook(lb::kBookName).has_value());
}

TEST(EndToEnd, TheLastSummaryIsShownOnList4) {
    apptest::TestProgram t(QDate(2026, 12, 7), profile());
    frmGlavnaja& main = t.program->mainForm();
    main.show();
    ASSERT_NO_FATAL_FAILURE(makeLogbook(t, main));

    main.mnuLastSummary_Click();
    ASSERT_NE(t.program->loadedViewForm(), nullptr);
    EXPECT_TRUE(t.program->loadedViewForm()->isVisible());
    EXPECT_FALSE(main.isVisible());
    const auto shown = t.program->host().findWorkbook(lb::kBookName);
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->activeSheet().name(), lb::kSheet4);
    t.program->loadedViewForm()->cmdCloseExcel_Click();
    EXPECT_TRUE(main.isVisible());
}

TEST(EndToEnd, AMissingLogbookIsSaidAndTheMainFormStays) {
    apptest::TestProgram t(QDate(2026, 12, 7), profile());
    frmGlavnaja& main = t.program->mainForm();
    main.show();
    main.mnuFlightShift_Click();
    ASSERT_EQ(t.dialogs.boxes.size(), 1);
    EXPECT_EQ(t.dialogs.boxes[0].title, "Просмотр лётной книжки");
    EXPECT_TRUE(t.dialogs.boxes[0].text.contains("Korvelanta.xls")) << t.dialogs.boxes[0].text.toStdString();
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(t.program->loadedViewForm() == nullptr || !t.program->loadedViewForm()->isVisible());
    EXPECT_FALSE(t.program->hasEnded());
}

TEST(EndToEnd, CalcClosedByHandDuringViewingIsSaidAndTheProgramGoesOn) {
    apptest::TestProgram t(QDate(2026, 12, 7), profile());
    frmGlavnaja& main = t.program->mainForm();
    main.show();
    ASSERT_NO_FATAL_FAILURE(makeLogbook(t, main));

    // The pilot closes the logbook's window in Calc by hand.
    main.mnuFlightShift_Click();
    ASSERT_NE(t.program->loadedViewForm(), nullptr);
    t.program->host().findWorkbook(lb::kBookName)->close(lb::CloseMode::Discard);
    t.dialogs.boxes.clear();
    t.program->loadedViewForm()->cmdCloseExcel_Click();
    ASSERT_EQ(t.dialogs.boxes.size(), 1);
    EXPECT_EQ(t.dialogs.boxes[0].title, "Просмотр лётной книжки");
    EXPECT_TRUE(main.isVisible());

    // And then the whole of Calc.
    main.mnuFlightShift_Click();
    ASSERT_TRUE(t.program->loadedViewForm()->isVisible());
    // The office the program attached to: the warm one, or its own.
    const qint64 pid =
        t.program->host().officePid() > 0 ? t.program->host().officePid() : WarmOffices::shown()->officePid();
    ASSERT_GT(pid, 0);
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    for (int i = 0; i < 50 && t.program->host().isAlive(); ++i)
        QTest::qWait(100);
    t.dialogs.boxes.clear();
    t.program->loadedViewForm()->cmdCloseExcel_Click();
    ASSERT_EQ(t.dialogs.boxes.size(), 1);
    EXPECT_EQ(t.dialogs.boxes[0].title, "Просмотр лётной книжки");
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(t.program->hasEnded());

    // The next viewing starts a new Calc.
    main.mnuFlightShift_Click();
    EXPECT_TRUE(t.program->loadedViewForm()->isVisible());
    t.program->loadedViewForm()->cmdCloseExcel_Click();
    EXPECT_TRUE(main.isVisible());
    WarmOffices::attach(); // warm again for the tests after this one
}

TEST(EndToEnd, CalcClosedByItsOwnWindowEndsTheViewingAsCloseDoes) {
    apptest::TestProgram t(QDate(2026, 12, 7), profile());
    frmGlavnaja& main = t.program->mainForm();
    main.show();
    ASSERT_NO_FATAL_FAILURE(makeLogbook(t, main));
    main.mnuFlightShift_Click();
    ASSERT_TRUE(t.program->loadedViewForm()->isVisible());
    QTest::qWait(1000);
    t.dialogs.boxes.clear();
    // The pilot closes the logbook's window with Calc's own means (its window button does the same).
    ASSERT_FALSE(OfficeWindowWatch::officeWindows().isEmpty()); // the watch sees Calc's windows
    QProcess xdotool;
    xdotool.start("xdotool", {"search", "--onlyvisible", "--name", "Korvelanta", "windowfocus", "--sync", "key",
                              "--clearmodifiers", "ctrl+w"});
    ASSERT_TRUE(xdotool.waitForFinished(10000));
    ASSERT_EQ(xdotool.exitCode(), 0) << xdotool.readAllStandardError().toStdString();
    for (int i = 0; i < 100 && t.program->loadedViewForm()->isVisible(); ++i)
        QTest::qWait(100);
    EXPECT_FALSE(t.program->loadedViewForm()->isVisible());
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(t.dialogs.boxes.isEmpty()) << t.dialogs.titles().join("|").toStdString();
    // Nor is Calc's Start Center left in its place.
    QStringList left;
    for (int i = 0; i < 30; ++i) {
        QTest::qWait(100);
        if ((left = OfficeWindowWatch::officeWindows()).isEmpty())
            break;
    }
    EXPECT_EQ(left, QStringList{});
    saveScreen(QStringLiteral("viewing_closed_in_calc"));
    // The next viewing works as ever.
    main.mnuFlightShift_Click();
    EXPECT_TRUE(t.program->loadedViewForm()->isVisible());
    t.program->loadedViewForm()->cmdCloseExcel_Click();
    EXPECT_TRUE(main.isVisible());
}

TEST(EndToEnd, TheTotalsOfTwoAircraftTypesAskWhichTypeToTotal) {
    apptest::TestProgram t(QDate(2026, 12, 7), profile());
    frmGlavnaja& main = t.program->mainForm();
    main.show();
    ASSERT_NO_FATAL_FAILURE(makeLogbook(t, main));
    for (const testflights::Flight& f :
         {testflights::Flight{{2026, 12, 1}, "Упр. 94 полёт", "Д", "П", 1, 50},
          testflights::Flight{{2026, 12, 2}, "Упр. 94 полёт", "Д", "П", 1, 60, 0, 2, "Су-27"}})
        korv::flight::WriteFlightRecord(t.program->host(), t.program->bookPath(), testflights::recordOf(f));
    const QByteArray before = fileBytes(t.program->bookPath());

    main.mnuSummaryBookItem_Click();
    frmResume* resume = t.program->loadedResumeForm();
    ASSERT_NE(resume, nullptr);
    // Cancelled: nothing is totalled, the form waits with the logbook as it was.
    t.dialogs.boxes.clear();
    t.dialogs.choices = {std::nullopt};
    runTotals(resume);
    ASSERT_EQ(t.dialogs.boxes.size(), 1);
    EXPECT_EQ(t.dialogs.boxes[0].kind, "choice");
    EXPECT_EQ(t.dialogs.boxes[0].text, "В периоде записи на типах: Л-39 — 1, Су-27 — 1. Подбить итоги по типу:");
    EXPECT_EQ(t.dialogs.offered.back(), (QStringList{"Л-39", "Су-27", "все типы"}));
    EXPECT_EQ(resume->lastOutcome().end, korv::totals::TotalsEnd::MixedTypes);
    EXPECT_TRUE(resume->isVisible());
    EXPECT_TRUE(child<QPushButton>(resume, "cmdItog")->isEnabled());
    EXPECT_EQ(child<QLabel>(resume, "lblCurOperation")->text(), "Жду Ваших указаний, сэр!");
    EXPECT_EQ(fileBytes(t.program->bookPath()), before);

    // Су-27 chosen, then printed: its summary alone.
    FakeLp lp;
    t.dialogs.boxes.clear();
    t.dialogs.choices = {1};
    t.dialogs.answers = {true};
    runTotals(resume);
    EXPECT_EQ(resume->lastOutcome().end, korv::totals::TotalsEnd::Summary);
    EXPECT_EQ(resume->lastOutcome().type, "Су-27");
    EXPECT_TRUE(main.isVisible());
    lb::Workbook wb = t.program->host().openWorkbook(t.program->bookPath());
    EXPECT_EQ(wb.sheet(lb::kSheet4).range("E11").text(), "Итого Су-27     День");
    EXPECT_EQ(wb.sheet(lb::kSheet4).range("F17").value(), 1);
    wb.close(lb::CloseMode::Discard);
}

TEST(EndToEnd, TheCheckListsWhatItFoundAndShowsItsCellInCalc) {
    apptest::TestProgram t(QDate(2026, 12, 7), profile());
    frmGlavnaja& main = t.program->mainForm();
    main.show();
    ASSERT_NO_FATAL_FAILURE(makeLogbook(t, main));
    for (const testflights::Flight& f : {testflights::Flight{{2026, 12, 1}, "Упр.  7 КП", "Д", "П", 1, 50},
                                         testflights::Flight{{2026, 12, 2}, "Упр.  7 КП", "Д", "П", 1, 60}})
        korv::flight::WriteFlightRecord(t.program->host(), t.program->bookPath(), testflights::recordOf(f));
    {
        // The pilot types a time as a word in Calc.
        lb::Workbook wb = t.program->host().openWorkbook(t.program->bookPath());
        wb.sheet(lb::kSheet1).range("G11").setText("час");
        wb.close(lb::CloseMode::Save);
    }
    const QByteArray before = fileBytes(t.program->bookPath());

    main.findChild<QAction*>("mnuCheckBookItem")->trigger();
    frmCheck* check = t.program->loadedCheckForm();
    ASSERT_NE(check, nullptr);
    EXPECT_TRUE(check->isVisible());
    EXPECT_EQ(check->windowTitle(), "Проверка лётной книжки");
    check->runCheck();
    int errorAt = -1;
    for (int i = 0; i < check->findings().size(); ++i)
        if (check->findings()[i].severity == korv::logbook::Severity::Error)
            errorAt = errorAt < 0 ? i : -2;
    ASSERT_GE(errorAt, 0) << "one error";
    EXPECT_EQ(check->findings()[errorAt].row, 11);
    EXPECT_EQ(check->findings()[errorAt].columnLetter(), "G");
    auto* table = child<QTableWidget>(check, "tblFindings");
    EXPECT_EQ(table->rowCount(), check->findings().size());
    EXPECT_EQ(table->item(errorAt, 0)->text(), "11");
    EXPECT_TRUE(child<QLabel>(check, "lblCounts")->text().startsWith("Ошибок: 1, предупреждений: "));
    EXPECT_EQ(fileBytes(t.program->bookPath()), before) << "the check changes nothing";
    apptest::saveScreenshot(check, QStringLiteral("frmCheck"));

    // A double-click shows the logbook in Calc at that cell.
    check->showFinding(errorAt);
    ASSERT_NE(t.program->loadedViewForm(), nullptr);
    EXPECT_TRUE(t.program->loadedViewForm()->isVisible());
    EXPECT_FALSE(check->isVisible());
    const auto shown = t.program->host().findWorkbook(lb::kBookName);
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->activeSheet().name(), lb::kSheet1);
    EXPECT_EQ(shown->activeSheet().selection(), "G11");
    t.program->loadedViewForm()->cmdCloseExcel_Click();
    EXPECT_TRUE(main.isVisible());
}

// A pilot who sorted "Лист1" in Calc and saved it is offered the backup made before, in the backups window.
TEST(EndToEnd, TheCheckOfASortedSheetOffersTheBackupFromBeforeTheSorting) {
    apptest::TestProgram t(QDate(2026, 12, 7), profile());
    frmGlavnaja& main = t.program->mainForm();
    main.show();
    ASSERT_NO_FATAL_FAILURE(makeLogbook(t, main));
    for (int day : {1, 2, 3, 4})
        korv::flight::WriteFlightRecord(t.program->host(), t.program->bookPath(),
                                        testflights::recordOf({{2026, 11, day}, "Упр.  7 КП", "Д", "П", 1, 50}));
    const QList<korv::logbook::backups::Backup> kept =
        korv::logbook::backups::list(korv::logbook::files::realPath(t.program->bookPath()));
    ASSERT_FALSE(kept.isEmpty());
    QThread::msleep(1100); // the sorting is saved after the newest backup, as a pilot's is
    {
        // Sorted by column A: the records' first rows together, every other row after them.
        lb::Workbook wb = t.program->host().openWorkbook(t.program->bookPath());
        lb::Sheet s = wb.sheet(lb::kSheet1);
        const int last = s.lastUsedRow();
        lb::Range block = s.cells(korv::logbook::records::kFirstRow, 0, last, 20);
        QList<QVariantList> rows = block.data(), sorted;
        for (const QVariantList& r : rows)
            if (r[0].typeId() == QMetaType::Double)
                sorted << r;
        for (const QVariantList& r : rows)
            if (r[0].typeId() != QMetaType::Double)
                sorted << r;
        block.setData(sorted);
        wb.close(lb::CloseMode::Save);
    }
    frmCheck& check = t.program->checkForm();
    check.showAndCheck();
    check.runCheck();
    ASSERT_FALSE(check.findings().isEmpty());
    EXPECT_TRUE(check.findings().front().sortedSheet);
    EXPECT_EQ(check.offeredBackup(), kept.front().name);
    auto* offer = child<QPushButton>(&check, "cmdRestoreBefore");
    EXPECT_TRUE(offer->isVisible());
    EXPECT_TRUE(child<QLabel>(&check, "lblStatus")->text().contains("сохранён отсортированным"));
    apptest::saveScreenshot(&check, QStringLiteral("frmCheck_sorted"));

    offer->click();
    frmBackups* backups = t.program->loadedBackupsForm();
    ASSERT_NE(backups, nullptr);
    QCoreApplication::processEvents();
    EXPECT_TRUE(backups->isVisible());
    auto* table = child<QTableWidget>(backups, "tblBackups");
    ASSERT_GE(table->currentRow(), 0);
    EXPECT_EQ(backups->backups()[table->currentRow()].name, kept.front().name);
    EXPECT_TRUE(child<QLabel>(backups, "lblStatus")->text().contains("сохранён отсортированным"));
    apptest::saveScreenshot(backups, QStringLiteral("frmBackups_offered"));
    backups->hide();
}

TEST(EndToEnd, TheCheckOfAMissingLogbookSaysSo) {
    apptest::TestProgram t(QDate(2026, 12, 7), profile());
    frmCheck& check = t.program->checkForm();
    check.show();
    check.runCheck();
    EXPECT_TRUE(child<QLabel>(&check, "lblStatus")->text().startsWith("Лётная книжка не проверена: "));
    EXPECT_TRUE(check.findings().isEmpty());
    EXPECT_TRUE(child<QPushButton>(&check, "cmdAgain")->isEnabled());
}

TEST(EndToEnd, TheBreaksWindowAndTheCoverWarningFromThePilotsLimits) {
    apptest::TestProgram t(QDate(2026, 12, 8), profile());
    frmGlavnaja& main = t.program->mainForm();
    main.show();
    ASSERT_NO_FATAL_FAILURE(makeLogbook(t, main));
    namespace column = korv::logbook::records::column;
    auto smu = testflights::recordOf({{2026, 10, 1}, "Упр.  7 КП", "Д", "П", 1, 85});
    smu.first[column::I] = korv::logbook::timeCell(korv::Minutes(40));
    auto night = testflights::recordOf({{2026, 11, 20}, "Упр.102 ночь", "Н", "П", 1, 60});
    night.first[column::S] = 1.0;
    const auto other = testflights::recordOf({{2026, 12, 3}, "Упр.  7 КП", "Д", "П", 1, 50, 0, 2, "Су-25"});
    for (const auto& r : {smu, night, other})
        korv::flight::WriteFlightRecord(t.program->host(), t.program->bookPath(), r);

    // Without a limits file the cover says nothing and reads nothing.
    main.warnOfBreaks();
    EXPECT_FALSE(child<QLabel>(&main, "lblBreaks")->isVisible());

    QFile limits(t.program->bookDir() + "/Korvelanta-перерывы.ini");
    ASSERT_TRUE(limits.open(QIODevice::WriteOnly));
    limits.write("любой полёт = 30\nночью = 20\n[Л-39]\nв СМУ днём = 60\n");
    limits.close();
    const QByteArray before = fileBytes(t.program->bookPath());
    main.warnOfBreaks();
    auto* warning = child<QLabel>(&main, "lblBreaks");
    EXPECT_TRUE(warning->isVisible());
    EXPECT_EQ(warning->text(), "Перерыв в полётах превышен: Л-39 в СМУ днём (на 8 дн.). Перерыв скоро истекает: все "
                               "типы ночью (до 10.12.2026). Подробнее — «Просмотр», «Перерывы и налёт».");
    apptest::saveScreenshot(&main, QStringLiteral("frmGlavnaja_breaks"));

    main.findChild<QAction*>("mnuBreaksItem")->trigger();
    frmBreaks* breaks = t.program->loadedBreaksForm();
    ASSERT_NE(breaks, nullptr);
    EXPECT_TRUE(breaks->isVisible());
    EXPECT_EQ(breaks->windowTitle(), "Перерывы в полётах и налёт");
    breaks->readBook();
    auto* table = child<QTableWidget>(breaks, "tblBreaks");
    ASSERT_EQ(table->rowCount(), 3 * 9); // all types, Л-39, Су-25
    EXPECT_EQ(table->item(0, 0)->text(), "Все типы");
    EXPECT_EQ(table->item(0, 2)->text(), "03.12.2026");
    EXPECT_EQ(table->item(0, 5)->text(), "25");
    EXPECT_EQ(table->item(2, 7)->text(), "скоро");
    EXPECT_EQ(table->item(9, 0)->text(), "Л-39");
    EXPECT_EQ(table->item(12, 1)->text(), "в СМУ днём");
    EXPECT_EQ(table->item(12, 5)->text(), "сверх 8");
    EXPECT_EQ(table->item(12, 7)->text(), "превышен");
    EXPECT_EQ(table->item(16, 2)->text(), "20.11.2026"); // a landing at minimum by night
    EXPECT_EQ(table->item(18, 0)->text(), "Су-25");
    EXPECT_TRUE(child<QLabel>(breaks, "lblStatus")->text().contains("Превышено: 1"))
        << child<QLabel>(breaks, "lblStatus")->text().toStdString();

    const korv::totals::HoursOfMonths& hours = breaks->chart().hours();
    ASSERT_EQ(hours.months.size(), 12);
    EXPECT_EQ(korv::totals::hoursText(hours.months[9].day), "1:25");
    EXPECT_EQ(korv::totals::hoursText(hours.months[9].smu), "0:40");
    EXPECT_EQ(korv::totals::hoursText(hours.months[10].night), "1:00");
    EXPECT_EQ(korv::totals::hoursText(hours.running[11]), "3:15");
    apptest::saveScreenshot(breaks, QStringLiteral("frmBreaks"));

    auto* months = child<QComboBox>(breaks, "cboMonths");
    ASSERT_EQ(months->count(), 2);
    EXPECT_EQ(months->itemText(1), "2026 год");
    breaks->chooseMonths(1);
    EXPECT_EQ(breaks->chart().hours().caption, "Налёт за 2026 год");
    const QString png = apptest::screenshotDir() + "/chart_2026.png";
    breaks->askFile = [&] { return png; };
    breaks->saveChart();
    EXPECT_EQ(QImage(png).size(), QSize(1100, 620));
    // A chart is never written over the logbook.
    breaks->askFile = [&] { return t.program->bookPath(); };
    breaks->saveChart();
    ASSERT_FALSE(t.dialogs.boxes.isEmpty());
    EXPECT_TRUE(t.dialogs.boxes.back().text.startsWith("График не сохранён: "))
        << t.dialogs.boxes.back().text.toStdString();
    EXPECT_EQ(fileBytes(t.program->bookPath()), before) << "the breaks and the chart change nothing";

    // A record of an old year that cannot be counted stops the breaks, naming its row; the chart of the last
    // twelve months does not need it.
    korv::flight::WriteFlightRecord(t.program->host(), t.program->bookPath(),
                                    testflights::recordOf({{2025, 1, 10}, "Упр.  7 КП", "Д", "П", 1, 30}));
    {
        lb::Workbook wb = t.program->host().openWorkbook(t.program->bookPath());
        wb.sheet(lb::kSheet1).range("G21").setText("долго");
        wb.close(lb::CloseMode::Save);
    }
    breaks->chooseMonths(0);
    breaks->readBook();
    EXPECT_TRUE(child<QLabel>(breaks, "lblStatus")->text().startsWith("Перерывы не подсчитаны: В строке 21"))
        << child<QLabel>(breaks, "lblStatus")->text().toStdString();
    EXPECT_EQ(table->rowCount(), 0);
    EXPECT_EQ(korv::totals::hoursText(breaks->chart().hours().months[9].day), "1:25");
    EXPECT_TRUE(child<QPushButton>(breaks, "cmdSaveChart")->isEnabled());
    main.warnOfBreaks();
    EXPECT_TRUE(warning->text().startsWith("Перерывы в полётах не проверены: В строке 21"))
        << warning->text().toStdString();
}

TEST(EndToEnd, TheBackupsWindowListsAndRestoresBehindAQuestion) {
    apptest::TestProgram t(QDate(2026, 12, 8), profile());
    frmGlavnaja& main = t.program->mainForm();
    main.show();
    ASSERT_NO_FATAL_FAILURE(makeLogbook(t, main));
    for (const testflights::Flight& f : {testflights::Flight{{2026, 12, 1}, "Упр.  7 КП", "Д", "П", 1, 50},
                                         testflights::Flight{{2026, 12, 2}, "Упр.  7 КП", "Д", "П", 1, 60}})
        korv::flight::WriteFlightRecord(t.program->host(), t.program->bookPath(), testflights::recordOf(f));
    const QByteArray twoRecords = fileBytes(t.program->bookPath());

    main.findChild<QAction*>("mnuBackupsItem")->trigger();
    frmBackups* backups = t.program->loadedBackupsForm();
    ASSERT_NE(backups, nullptr);
    EXPECT_EQ(backups->windowTitle(), "Резервные копии лётной книжки");
    backups->listBackups();
    ASSERT_GE(backups->backups().size(), 1);
    auto* table = child<QTableWidget>(backups, "tblBackups");
    EXPECT_EQ(table->rowCount(), backups->backups().size());
    // The newest: the logbook before its second record.
    EXPECT_EQ(table->item(0, 1)->text(), "1");
    for (int i = 1; i < backups->backups().size(); ++i)
        EXPECT_GE(backups->backups()[i - 1].time, backups->backups()[i].time) << "newest first";
    apptest::saveScreenshot(backups, QStringLiteral("frmBackups"));

    // "No" changes nothing.
    t.dialogs.answers = {false};
    EXPECT_FALSE(backups->restore(0));
    EXPECT_EQ(fileBytes(t.program->bookPath()), twoRecords);
    const auto& asked = t.dialogs.boxes.back();
    EXPECT_EQ(asked.kind, "question");
    EXPECT_TRUE(asked.text.contains(t.program->bookPath()));
    EXPECT_TRUE(asked.text.contains(backups->backups()[0].path)) << asked.text.toStdString();

    // Held on another machine, and the pilot does not take the lock as left behind: refused, nothing changed.
    const QString foreign = t.program->bookDir() + "/.~lock.Korvelanta.xls#";
    {
        QFile f(foreign);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Иван Петров,ivan,hangar-pc,07.12.2026 15:12,file:///home/ivan/.config/libreoffice/4;");
    }
    t.dialogs.answers = {true, false};
    EXPECT_FALSE(backups->restore(0));
    EXPECT_EQ(fileBytes(t.program->bookPath()), twoRecords);
    EXPECT_TRUE(t.dialogs.boxes.back().text.startsWith("Лётная книжка не восстановлена, ничего не изменено."))
        << t.dialogs.boxes.back().text.toStdString();
    QFile::remove(foreign);

    // Yes: the backup is the logbook, the logbook it replaced a backup of its own.
    const qsizetype before = backups->backups().size();
    const QByteArray restored = fileBytes(backups->backups()[0].path);
    t.dialogs.answers = {true};
    EXPECT_TRUE(backups->restore(0));
    EXPECT_EQ(fileBytes(t.program->bookPath()), restored);
    EXPECT_EQ(backups->backups().size(), before + 1);
    EXPECT_EQ(fileBytes(backups->backups()[0].path), twoRecords);
    EXPECT_TRUE(t.dialogs.boxes.back().text.startsWith("Лётная книжка восстановлена из резервной копии"));
}

TEST(EndToEnd, TheLogbooksPagesPrintedAndKeptAsPdfFromACopy) {
    apptest::TestProgram t(QDate(2026, 12, 8), profile());
    frmGlavnaja& main = t.program->mainForm();
    main.show();
    ASSERT_NO_FATAL_FAILURE(makeLogbook(t, main));
    for (const testflights::Flight& f : {testflights::Flight{{2026, 10, 1}, "Упр.  7 КП", "Д", "П", 1, 50},
                                         testflights::Flight{{2026, 11, 2}, "Упр.  7 КП", "Д", "П", 1, 60},
                                         testflights::Flight{{2026, 12, 3}, "Упр.  7 КП", "Д", "П", 1, 70}})
        korv::flight::WriteFlightRecord(t.program->host(), t.program->bookPath(), testflights::recordOf(f));
    const QByteArray before = fileBytes(t.program->bookPath());

    main.findChild<QAction*>("mnuPagesItem")->trigger();
    frmPages* pages = t.program->loadedPagesForm();
    ASSERT_NE(pages, nullptr);
    EXPECT_TRUE(pages->isVisible());
    EXPECT_EQ(pages->windowTitle(), "Печать подённого налёта");
    apptest::saveScreenshot(pages, QStringLiteral("frmPages"));

    // The last month, kept as a PDF.
    child<QRadioButton>(pages, "optLastMonth")->setChecked(true);
    const QString pdf = apptest::screenshotDir() + "/pages_november.pdf";
    QFile::remove(pdf);
    pages->askFile = [&] { return pdf; };
    EXPECT_TRUE(pages->savePdf());
    EXPECT_EQ(fileBytes(pdf).left(5), "%PDF-");
    EXPECT_EQ(child<QLabel>(pages, "lblStatus")->text(), "Записей на страницах: 1. Сохранены в " + pdf + ".");

    // Never over the logbook.
    pages->askFile = [&] { return t.program->bookPath(); };
    EXPECT_FALSE(pages->savePdf());
    EXPECT_TRUE(t.dialogs.boxes.back().text.startsWith("Страницы не сохранены: "));

    // The whole logbook to the printer.
    FakeLp lp;
    child<QRadioButton>(pages, "optAll")->setChecked(true);
    EXPECT_TRUE(pages->printPages());
    EXPECT_EQ(lp.head(), "%PDF-");

    // A free period in the wrong order is refused before anything is made.
    child<QLineEdit>(pages, "txtC")->setText("31.12.26");
    child<QLineEdit>(pages, "txtPo")->setText("01.12.26");
    child<QRadioButton>(pages, "optPeriod")->setChecked(true);
    EXPECT_FALSE(pages->printPages());
    EXPECT_EQ(t.dialogs.boxes.back().title, "Период");
    EXPECT_EQ(fileBytes(t.program->bookPath()), before) << "the pages change nothing";
}

namespace {

// The worked shift on `date` (dd.mm.yy), exercise `exercise`, written as the input form writes it.
void writeWorkedShift(apptest::TestProgram& t, const QString& date, const QString& exercise,
                      const char* type = "Л-39") {
    korv::flight::ShiftSession session(t.program->database());
    session.form = korv::test::withLandings(korv::test::workedShift());
    session.form.txtDate = date;
    session.form.txtUpr = exercise;
    session.form.cboTyp = QString::fromUtf8(type);
    session.RefreshInputState();
    session.cmdOK_Click();
    ASSERT_TRUE(session.form.cmdWriteEnabled) << date.toStdString();
    korv::flight::ShiftWriter writer(t.program->host(), t.program->database(), t.program->bookPath());
    ASSERT_TRUE(writer.cmdWrite_Click(session).written) << date.toStdString();
}

// Columns A..U of every record pair of "Лист1", by the record's first row.
QMap<int, QVariantList> recordCells(apptest::TestProgram& t) {
    QMap<int, QVariantList> out;
    const lb::Logbook book = lb::readLogbookCopy(t.program->host(), t.program->bookPath()).book;
    for (const lb::Entry& e : book.entries())
        if (e.isRecord())
            out.insert(e.sheetRow(),
                       e.cells.firstRow(lb::records::kLastColumn) + e.cells.secondRow(lb::records::kLastColumn));
    return out;
}

} // namespace

TEST(EndToEnd, TheRecordsWindowFindsCorrectsRemovesAndUndoes) {
    apptest::TestProgram t(QDate(2026, 12, 8), profile());
    frmGlavnaja& main = t.program->mainForm();
    main.show();
    ASSERT_NO_FATAL_FAILURE(makeLogbook(t, main));
    ASSERT_NO_FATAL_FAILURE(writeWorkedShift(t, "05.11.26", "7"));
    ASSERT_NO_FATAL_FAILURE(writeWorkedShift(t, "01.12.26", "12"));
    ASSERT_NO_FATAL_FAILURE(writeWorkedShift(t, "02.12.26", "7", "Су-25"));

    main.findChild<QAction*>("mnuRecordsItem")->trigger();
    frmRecords* records = t.program->loadedRecordsForm();
    ASSERT_NE(records, nullptr);
    EXPECT_EQ(records->windowTitle(), "Записи лётной книжки");
    records->readLogbook();
    ASSERT_EQ(records->listed().records.size(), 3);
    EXPECT_TRUE(child<QLabel>(records, "lblSums")->text().startsWith("Записей: 3; полётов: 3; налёт 4:15"))
        << child<QLabel>(records, "lblSums")->text().toStdString();
    // By period, type and a text of the exercise.
    child<QComboBox>(records, "cboPeriod")->setCurrentIndex(1); // текущий месяц
    EXPECT_EQ(records->listed().records.size(), 2);
    child<QComboBox>(records, "cboType")->setCurrentText("Су-25");
    ASSERT_EQ(records->listed().records.size(), 1);
    EXPECT_EQ(records->listed().records[0].record.date, QDate(2026, 12, 2));
    child<QComboBox>(records, "cboType")->setCurrentIndex(0);
    child<QComboBox>(records, "cboPeriod")->setCurrentIndex(0);
    child<QLineEdit>(records, "txtExercise")->setText("упр. 12");
    ASSERT_EQ(records->listed().records.size(), 1);
    child<QLineEdit>(records, "txtExercise")->clear();
    ASSERT_EQ(records->listed().records.size(), 3);
    auto* table = child<QTableView>(records, "tblRecords");
    table->selectRow(1);
    apptest::saveScreenshot(records, QStringLiteral("frmRecords"));

    // The December Л-39 flight was 2 h 05 min: corrected through the input form, filled from the record.
    const QMap<int, QVariantList> before = recordCells(t);
    const int row = records->listed().records[1].sheetRow();
    records->correct(1);
    frmSMU* form = records->correctionForm();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Исправление записи строки %1").arg(row));
    EXPECT_EQ(child<QLineEdit>(form, "txtDate")->text(), "01.12.26");
    EXPECT_EQ(child<QLineEdit>(form, "txtUpr")->text(), "12");
    EXPECT_EQ(child<QComboBox>(form, "cboTyp")->currentText(), "Л-39");
    EXPECT_EQ(child<QComboBox>(form, "cboSys")->currentText(), "ОСП");
    EXPECT_TRUE(child<QRadioButton>(form, "optDSMU")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(form, "optForward")->isChecked());
    EXPECT_EQ(child<QLineEdit>(form, "txtHn")->text(), "600");
    EXPECT_EQ(child<QLineEdit>(form, "txtHpol")->text(), "3000");
    EXPECT_TRUE(child<QLabel>(form, "lblOgid")->text().contains("шторки")) << "the hood heights are said missing";
    apptest::saveScreenshot(form, QStringLiteral("frmSMU_correction"));
    child<QLineEdit>(form, "txtTpolChas")->setText("2");
    child<QLineEdit>(form, "txtTpolMin")->setText("5");
    child<QPushButton>(form, "cmdOK")->click();
    child<QPushButton>(form, "cmdWrite")->click();
    EXPECT_FALSE(form->isVisible()) << "a written correction closes its form";
    EXPECT_TRUE(
        child<QLabel>(records, "lblStatus")->text().startsWith(QStringLiteral("Исправлена запись строки %1").arg(row)))
        << child<QLabel>(records, "lblStatus")->text().toStdString();
    const QMap<int, QVariantList> after = recordCells(t);
    ASSERT_EQ(after.keys(), before.keys());
    for (int r : before.keys()) {
        if (r != row) {
            EXPECT_EQ(after[r], before[r]) << "row " << r << " untouched, cell for cell";
        }
    }
    EXPECT_NE(after[row], before[row]);
    EXPECT_EQ(korv::totals::exportFields(records->listed().records[1])[korv::totals::kTotalField], "2:05");

    // The logbook changed since the window read it: the removal is refused, nothing changed.
    const QByteArray corrected = fileBytes(t.program->bookPath());
    {
        lb::LogbookChange change(t.program->host(), t.program->bookPath());
        const int index = change.logbook().entryAt(records->listed().records[2].row);
        change.replace(index, testflights::recordOf(testflights::Flight{{2026, 12, 2}, "Упр.  9 ПП", "Д", "П", 1, 40}));
        change.save();
    }
    const QByteArray changedElsewhere = fileBytes(t.program->bookPath());
    ASSERT_NE(changedElsewhere, corrected);
    t.dialogs.answers = {true};
    EXPECT_FALSE(records->remove(2));
    EXPECT_TRUE(t.dialogs.boxes.back().text.contains("уже не та")) << t.dialogs.boxes.back().text.toStdString();
    EXPECT_EQ(fileBytes(t.program->bookPath()), changedElsewhere);

    // Read again: removed behind a question naming it; "No" first changes nothing.
    records->readLogbook();
    t.dialogs.answers = {false};
    EXPECT_FALSE(records->remove(2));
    EXPECT_TRUE(t.dialogs.boxes.back().text.contains("02.12.2026")) << t.dialogs.boxes.back().text.toStdString();
    EXPECT_EQ(fileBytes(t.program->bookPath()), changedElsewhere);
    t.dialogs.answers = {true};
    EXPECT_TRUE(records->remove(2));
    EXPECT_EQ(records->listed().records.size(), 2);

    // Undone from the cover's menu: the record is back, byte for byte.
    t.dialogs.answers = {true};
    main.findChild<QAction*>("mnuUndoItem")->trigger();
    EXPECT_EQ(fileBytes(t.program->bookPath()), changedElsewhere);
    EXPECT_TRUE(t.dialogs.boxes.back().text.startsWith("Отменено: удаление записи строки"))
        << t.dialogs.boxes.back().text.toStdString();
    EXPECT_EQ(records->listed().records.size(), 3) << "the window read the logbook again";
}

TEST(EndToEnd, TheImportWindowShowsEveryLinesFateThenBringsTheRecordsInAsOneUndoableChange) {
    apptest::TestProgram t(QDate(2026, 12, 8), profile());
    frmGlavnaja& main = t.program->mainForm();
    main.show();
    ASSERT_NO_FATAL_FAILURE(makeLogbook(t, main));
    korv::flight::WriteFlightRecord(
        t.program->host(), t.program->bookPath(),
        testflights::recordOf(testflights::Flight{{2026, 11, 5}, "Упр.  7 КП", "Д", "П", 1, 50}));
    const QByteArray before = fileBytes(t.program->bookPath());

    const QString csv = t.program->bookDir() + "/старая книжка.csv";
    {
        QFile f(csv);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Дата;Тип;Д/Н;Упражнение;Полётов;Налёт;Заходов;Посадок\n"
                "05.11.2026;Л-39;Д;Упр.  7 КП;1;0.50;2;2\n"
                "01.10.2026;Л-39;Д;7;1;1.10;2;2\n"
                "02.10.2026;Л-39;ночь;Упр. 12 полёт ночью;2;0.45;1;2\n");
    }
    main.findChild<QAction*>("mnuImportItem")->trigger();
    frmImport* form = t.program->loadedImportForm();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle(), "Перенос записей");
    ASSERT_TRUE(form->openSource(csv));
    EXPECT_TRUE(
        child<QLabel>(form, "lblSource")->text().startsWith("CSV, UTF-8, разделитель «;»; строк с записями: 3"));
    EXPECT_EQ(child<QComboBox>(form, "cboField6")->currentText(), "Налёт");

    // One line refused: shown red with its reason, nothing can be brought in.
    ASSERT_TRUE(form->preview());
    auto* lines = child<QTableWidget>(form, "tblLines");
    ASSERT_EQ(lines->rowCount(), 3);
    EXPECT_EQ(lines->item(0, 1)->text(), "уже есть");
    EXPECT_EQ(lines->item(1, 1)->text(), "добавится");
    EXPECT_TRUE(lines->item(1, 5)->text().startsWith("Упр.  7 ")) << lines->item(1, 5)->text().toStdString();
    EXPECT_EQ(lines->item(2, 1)->text(), "отказ");
    EXPECT_EQ(lines->item(2, 2)->text(), "02.10.2026") << "a refused line shown as the file has it";
    EXPECT_EQ(lines->item(2, 4)->text(), "0.45");
    EXPECT_TRUE(lines->item(2, 6)->text().contains("посадок (2) больше, чем заходов (1)"));
    EXPECT_FALSE(child<QPushButton>(form, "cmdImport")->isEnabled());
    apptest::saveScreenshot(form, QStringLiteral("frmImport_refused"));

    // Without the landings the line reads: two records to add, in date order before the one there.
    child<QComboBox>(form, "cboField15")->setCurrentIndex(0);
    EXPECT_FALSE(child<QPushButton>(form, "cmdImport")->isEnabled()) << "changed columns want a new preview";
    ASSERT_TRUE(form->preview());
    EXPECT_EQ(form->plan()->count(korv::totals::Fate::Added), 2);
    ASSERT_TRUE(child<QPushButton>(form, "cmdImport")->isEnabled());
    apptest::saveScreenshot(form, QStringLiteral("frmImport"));
    EXPECT_EQ(fileBytes(t.program->bookPath()), before) << "nothing written before the pilot says so";
    ASSERT_TRUE(form->commit());
    EXPECT_TRUE(t.dialogs.boxes.back().text.startsWith("Перенесено записей: 2"))
        << t.dialogs.boxes.back().text.toStdString();
    const korv::logbook::LogbookRead read = korv::logbook::readLogbookCopy(t.program->host(), t.program->bookPath());
    QList<QDate> dates;
    for (const korv::logbook::Entry& e : read.book.entries())
        if (e.isRecord())
            dates << e.record.date;
    EXPECT_EQ(dates, (QList<QDate>{{2026, 10, 1}, {2026, 10, 2}, {2026, 11, 5}}));

    // The whole import undone from the cover's menu.
    t.dialogs.answers = {true};
    main.findChild<QAction*>("mnuUndoItem")->trigger();
    EXPECT_TRUE(t.dialogs.boxes.back().text.startsWith("Отменено: перенос записей: 2"))
        << t.dialogs.boxes.back().text.toStdString();
    EXPECT_EQ(fileBytes(t.program->bookPath()), before);
}

TEST(EndToEnd, TheCourseWindowCountsEachTypeAndKeepsItsPage) {
    apptest::TestProgram t(QDate(2026, 12, 8), profile());
    frmGlavnaja& main = t.program->mainForm();
    main.show();
    ASSERT_NO_FATAL_FAILURE(makeLogbook(t, main));
    for (const auto& r : {testflights::recordOf({{2026, 10, 1}, "Упр.  7 КП. День. Полёт в зону", "Д", "П", 2, 85}),
                          testflights::recordOf({{2026, 11, 20}, "Упр.101 КП. Ночь. Полёт по кругу", "Н", "П", 1, 60}),
                          testflights::recordOf({{2026, 11, 21}, "Упр.  7 КП. День. Полёт в зону", "Н", "П", 1, 40}),
                          testflights::recordOf({{2026, 11, 22}, "Упр.300 облёт", "Д", "П", 1, 30}),
                          testflights::recordOf({{2026, 12, 3}, "Упр.  7 КП", "Д", "П", 1, 50, 0, 2, "Су-25"})})
        korv::flight::WriteFlightRecord(t.program->host(), t.program->bookPath(), r);
    const QByteArray before = fileBytes(t.program->bookPath());

    main.findChild<QAction*>("mnuCourseItem")->trigger();
    frmCourse* course = t.program->loadedCourseForm();
    ASSERT_NE(course, nullptr);
    EXPECT_EQ(course->windowTitle(), "Выполнение упражнений курса");
    course->readBook();
    auto* type = child<QComboBox>(course, "cboTyp");
    ASSERT_EQ(type->count(), 2);
    EXPECT_EQ(type->currentText(), "Л-39");
    ASSERT_TRUE(course->progress());
    auto* table = child<QTableWidget>(course, "tblCourse");
    ASSERT_EQ(table->rowCount(), 230);
    // Exercise 7 (the seventh row): 2 flights by day, 1 by night, last on 21.11.
    EXPECT_EQ(table->item(6, 0)->text(), "7");
    EXPECT_EQ(table->item(6, 2)->text(), "2");
    EXPECT_EQ(table->item(6, 3)->text(), "1");
    EXPECT_EQ(table->item(6, 4)->text(), "21.11.2026");
    EXPECT_EQ(table->item(6, 5)->text(), "контрольный днём");
    auto* outside = child<QTableWidget>(course, "tblOutside");
    ASSERT_EQ(outside->rowCount(), 1);
    EXPECT_EQ(outside->item(0, 0)->text(), "300");
    EXPECT_TRUE(
        child<QLabel>(course, "lblStatus")->text().startsWith("Л-39, 2026 год. Выполнено упражнений курса: 2 из 230"))
        << child<QLabel>(course, "lblStatus")->text().toStdString();
    apptest::saveScreenshot(course, QStringLiteral("frmCourse"));

    type->setCurrentIndex(1);
    course->countProgress();
    EXPECT_EQ(course->progress()->type, "Су-25");
    EXPECT_EQ(table->item(6, 2)->text(), "1");
    EXPECT_EQ(outside->rowCount(), 0);

    const QString pdf = apptest::screenshotDir() + "/course.pdf";
    QFile::remove(pdf);
    course->askFile = [&] { return pdf; };
    EXPECT_TRUE(course->savePdf());
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5).startsWith("%PDF-"));
    // Never over the logbook.
    course->askFile = [&] { return t.program->bookPath(); };
    EXPECT_FALSE(course->savePdf());
    EXPECT_EQ(fileBytes(t.program->bookPath()), before) << "the course changes nothing";

    // A record that cannot be counted is named by its row.
    {
        lb::Workbook wb = t.program->host().openWorkbook(t.program->bookPath());
        wb.sheet(lb::kSheet1).range("F13").setText("два");
        wb.close(lb::CloseMode::Save);
    }
    course->readBook();
    EXPECT_FALSE(course->progress());
    EXPECT_TRUE(child<QLabel>(course, "lblStatus")->text().contains("строке 13"))
        << child<QLabel>(course, "lblStatus")->text().toStdString();
    EXPECT_FALSE(child<QPushButton>(course, "cmdPdf")->isEnabled());
}
