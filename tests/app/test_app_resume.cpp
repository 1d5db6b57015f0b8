// The totals form frmResume, driven as the pilot drives it, offscreen, with scripted dialogs. No Calc: what
// is tried here ends before a logbook is opened; the runs on a logbook are in the end-to-end test.

#include "app/controlprogress.h"
#include "app/frmcarried.h"
#include "app/frmglavnaja.h"
#include "app/frmresume.h"
#include "app/helpwindow.h"
#include "app_test_support.h"
#include "support/files.h"
#include "totals/carried_flying.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

using namespace korv::app;
using apptest::child;
using korv::totals::PeriodOption;

namespace {

const QStringList kPeriodBoxes = {"txtC", "txtPo", "lblEtention", "lblObrazec"};

class ResumeForm : public ::testing::Test {
protected:
    void SetUp() override {
        main = &t.program->mainForm();
        main->show();
        main->findChild<QAction*>("mnuSummaryBookItem")->trigger();
        form = t.program->loadedResumeForm();
        ASSERT_NE(form, nullptr);
    }

    bool shown(const char* name) { return child(form, name)->isVisibleTo(form); }
    void type(const char* box, const QString& text) { apptest::type(form, box, text); }

    apptest::TestProgram t;
    frmGlavnaja* main = nullptr;
    frmResume* form = nullptr;
};

} // namespace

TEST_F(ResumeForm, TheMenuEntryShowsItWaitingAndHidesTheMainForm) {
    EXPECT_TRUE(main->findChild<QAction*>("mnuSummaryBookItem")->isEnabled());
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(child<QLabel>(form, "lblCurOperation")->text(), "Жду Ваших указаний, сэр!");
    EXPECT_FALSE(t.program->hasEnded());
    // Loaded once: the menu shows the same form again.
    form->hide();
    main->show();
    main->mnuSummaryBookItem_Click();
    EXPECT_EQ(t.program->loadedResumeForm(), form);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(ResumeForm, ItOpensCentredOverTheCover) {
    form->hide();
    main->show();
    main->move(500, 300);
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->geometry().center().x() > 500; }, 3000));
    const QPoint cover = main->geometry().center();
    main->mnuSummaryBookItem_Click();
    const QPoint centre = form->geometry().center();
    EXPECT_LE((centre - cover).manhattanLength(), 4)
        << centre.x() << ',' << centre.y() << " over " << cover.x() << ',' << cover.y();
}

TEST_F(ResumeForm, HasEveryControlWithItsCaption) {
    EXPECT_EQ(form->windowTitle(), "Итоги");
    EXPECT_EQ(child<QGroupBox>(form, "fraResume")->title(), "Подбить итоги за...");
    const QList<std::pair<const char*, const char*>> options = {{"optCurMonthSum", "текущий месяц"},
                                                                {"optLastMonth", "истекший месяц"},
                                                                {"optCurYear", "текущий год"},
                                                                {"optLastYear", "истекший год"},
                                                                {"optPeriod", "период с"}};
    for (const auto& [name, text] : options) {
        auto* opt = child<QRadioButton>(form, name);
        EXPECT_EQ(opt->text(), QString::fromUtf8(text)) << name;
        EXPECT_EQ(opt->parentWidget()->objectName(), "fraResume") << name;
    }
    EXPECT_EQ(child<QLabel>(form, "Label1")->text(), "по");
    EXPECT_EQ(child<QLabel>(form, "lblEtention")->text(), "Внимание!");
    EXPECT_EQ(child<QLabel>(form, "lblEtention")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(child<QLabel>(form, "lblObrazec")->text(), "Даты вводить по образцу 24.09.04 ");
    EXPECT_EQ(child<QPushButton>(form, "cmdItog")->text(), "Считать");
    EXPECT_EQ(child<QPushButton>(form, "cmdHelp")->text(), "Помощь");
    EXPECT_TRUE(child<QLineEdit>(form, "txtC")->text().isEmpty());
    EXPECT_TRUE(child<QLineEdit>(form, "txtPo")->text().isEmpty());

    // The bar: a TarvixProgress placed by its ProgID, in the flat look, white with a dark blue bar; it
    // shows from the first run on.
    korv::host::Control* bar = form->TarvixProgress1();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->progId(), "Project1.TarvixProgress");
    EXPECT_EQ(bar->widget()->objectName(), "TarvixProgress1");
    EXPECT_EQ(bar->getByName("Style").toInt(), 0);
    EXPECT_EQ(bar->getByName("BackColor").toUInt(), 0x00FFFFFFu);
    EXPECT_EQ(bar->getByName("ForeColor").toUInt(), 0x00C00000u);
    EXPECT_FALSE(bar->widget()->isVisibleTo(form));
    apptest::saveScreenshot(form, QStringLiteral("frmResume"));
}

TEST_F(ResumeForm, TheCurrentMonthIsChosenFromTheStartAndFirstInTabOrder) {
    EXPECT_TRUE(child<QRadioButton>(form, "optCurMonthSum")->isChecked());
    EXPECT_EQ(form->chosenOption(), PeriodOption::CurrentMonth);
    for (const QString& name : kPeriodBoxes)
        EXPECT_FALSE(form->findChild<QWidget*>(name)->isVisibleTo(form)) << name.toStdString();

    const QStringList expected = {"optCurMonthSum", "optLastMonth", "optCurYear", "optLastYear", "optPeriod",
                                  "txtC",           "txtPo",        "cmdItog",    "cmdHelp"};
    QStringList chain;
    QWidget* it = form;
    do {
        if (expected.contains(it->objectName()) && !chain.contains(it->objectName()))
            chain << it->objectName();
        it = it->nextInFocusChain();
    } while (it != form);
    EXPECT_EQ(chain, expected);
}

TEST_F(ResumeForm, ThePeriodBoxesShowOnlyForAFreePeriod) {
    struct Step {
        const char* option;
        PeriodOption chosen;
        bool boxes;
    };
    for (const Step& s : std::initializer_list<Step>{{"optPeriod", PeriodOption::FreePeriod, true},
                                                     {"optLastMonth", PeriodOption::LastMonth, false},
                                                     {"optPeriod", PeriodOption::FreePeriod, true},
                                                     {"optCurYear", PeriodOption::CurrentYear, false},
                                                     {"optLastYear", PeriodOption::LastYear, false},
                                                     {"optPeriod", PeriodOption::FreePeriod, true},
                                                     {"optCurMonthSum", PeriodOption::CurrentMonth, false}}) {
        auto* option = child<QRadioButton>(form, s.option);
        // On the round mark: the option takes the width of the frame, its text does not.
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(option->height() / 2, option->height() / 2));
        EXPECT_EQ(form->chosenOption(), s.chosen) << s.option;
        for (const QString& name : kPeriodBoxes)
            EXPECT_EQ(form->findChild<QWidget*>(name)->isVisibleTo(form), s.boxes)
                << s.option << " " << name.toStdString();
        // "по" stands between the boxes whether they show or not.
        EXPECT_TRUE(shown("Label1"));
    }

    // Chosen from the keyboard as well: the arrow keys move among the options.
    child<QRadioButton>(form, "optLastYear")->click();
    QApplication::setActiveWindow(form);
    child<QRadioButton>(form, "optLastYear")->setFocus();
    QTest::keyClick(child<QRadioButton>(form, "optLastYear"), Qt::Key_Down);
    EXPECT_EQ(form->chosenOption(), PeriodOption::FreePeriod);
    EXPECT_TRUE(shown("txtC"));

    // The form keeps its size whichever option is chosen.
    const QSize size = form->size();
    type("txtC", "01.12.26");
    type("txtPo", "31.12.26");
    apptest::saveScreenshot(form, QStringLiteral("frmResume_period"));
    child<QRadioButton>(form, "optCurMonthSum")->click();
    EXPECT_EQ(form->size(), size);
    // What was typed stays for the next time.
    child<QRadioButton>(form, "optPeriod")->click();
    EXPECT_EQ(child<QLineEdit>(form, "txtC")->text(), "01.12.26");
}

TEST_F(ResumeForm, ABadFreePeriodIsSaidAndTheFormStaysForTheCorrection) {
    child<QRadioButton>(form, "optPeriod")->click();
    type("txtC", "31.13.26");
    type("txtPo", "31.12.26");
    // While the message is up the run is on: its first step shows, the pilot's controls are out of reach.
    bool barShown = false, itogEnabled = true, frameEnabled = true;
    QString status;
    t.dialogs.onMessage = [&] {
        barShown = form->TarvixProgress1()->widget()->isVisible();
        itogEnabled = child<QPushButton>(form, "cmdItog")->isEnabled();
        frameEnabled = child<QGroupBox>(form, "fraResume")->isEnabled();
        status = child<QLabel>(form, "lblCurOperation")->text();
        apptest::saveScreenshot(form, QStringLiteral("frmResume_running"));
    };
    QTest::mouseClick(child<QPushButton>(form, "cmdItog"), Qt::LeftButton);

    ASSERT_EQ(t.dialogs.boxes.size(), 1);
    EXPECT_EQ(t.dialogs.boxes[0].title, "Период");
    EXPECT_TRUE(t.dialogs.boxes[0].text.contains("24.09.04")) << t.dialogs.boxes[0].text.toStdString();
    EXPECT_TRUE(t.dialogs.boxes[0].text.contains("31.13.26")) << t.dialogs.boxes[0].text.toStdString();
    EXPECT_TRUE(barShown);
    EXPECT_FALSE(itogEnabled);
    EXPECT_FALSE(frameEnabled);
    EXPECT_EQ(status, "Начнём'с...");

    // Nothing was opened; the form stays, waiting again, with what the pilot typed.
    EXPECT_FALSE(t.program->host().isAttached());
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(main->isVisible());
    EXPECT_FALSE(form->isRunning());
    EXPECT_TRUE(child<QPushButton>(form, "cmdItog")->isEnabled());
    EXPECT_TRUE(child<QGroupBox>(form, "fraResume")->isEnabled());
    EXPECT_EQ(child<QLabel>(form, "lblCurOperation")->text(), "Жду Ваших указаний, сэр!");
    EXPECT_EQ(child<QLineEdit>(form, "txtC")->text(), "31.13.26");
    EXPECT_TRUE(shown("txtC"));
    EXPECT_FALSE(t.program->hasEnded());

    // The dates the wrong way round are refused as well.
    t.dialogs.onMessage = nullptr;
    type("txtC", "31.12.26");
    type("txtPo", "01.12.26");
    child<QPushButton>(form, "cmdItog")->click();
    ASSERT_EQ(t.dialogs.boxes.size(), 2);
    EXPECT_EQ(t.dialogs.boxes[1].title, "Период");
    EXPECT_TRUE(t.dialogs.boxes[1].text.contains("24.09.04"));
    EXPECT_TRUE(form->isVisible());
}

TEST_F(ResumeForm, ItsBarHoldsEveryValueToTheRangeSet) {
    korv::host::Control* bar = form->TarvixProgress1();
    ASSERT_NE(bar, nullptr);
    auto* status = child<QLabel>(form, "lblCurOperation");
    ControlProgress report(bar, status);
    korv::totals::TotalsProgress& progress = report;
    progress.range(0, 22);
    EXPECT_EQ(bar->get(tarvix::DispMin).toInt(), 0);
    EXPECT_EQ(bar->get(tarvix::DispMax).toInt(), 22);
    progress.value(9);
    EXPECT_EQ(bar->get(tarvix::DispValue).toInt(), 9);
    // The summing steps of a pass go on to 10 after a range of 0..6 (three records).
    progress.range(0, 6);
    progress.value(10);
    EXPECT_EQ(bar->get(tarvix::DispValue).toInt(), 6);
    progress.value(-4);
    EXPECT_EQ(bar->get(tarvix::DispValue).toInt(), 0);
    // A range the bar cannot take (a logbook past 16-bit counts): values are held to what the bar kept.
    progress.range(0, 40000);
    EXPECT_EQ(bar->get(tarvix::DispMax).toInt(), 6);
    progress.value(39000);
    EXPECT_EQ(bar->get(tarvix::DispValue).toInt(), 6);
    // An empty selection gives a range of 0..0; the bar keeps Max above Min.
    progress.range(0, 0);
    progress.value(2);
    EXPECT_EQ(bar->get(tarvix::DispValue).toInt(), bar->get(tarvix::DispMax).toInt());
    progress.status(QStringLiteral("Выборка дневного контрольного налёта...."));
    EXPECT_EQ(status->text(), "Выборка дневного контрольного налёта....");
}

TEST_F(ResumeForm, HelpOpensTopic23) {
    QTest::mouseClick(child<QPushButton>(form, "cmdHelp"), Qt::LeftButton);
    HelpWindow& help = t.program->helpWindow();
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(help.currentContext(), 23);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(ResumeForm, ClosingTheFormByItsFrameEndsTheProgram) {
    t.program->showHelp();
    form->close();
    EXPECT_TRUE(t.program->hasEnded());
    for (QWidget* top : QApplication::topLevelWidgets())
        EXPECT_FALSE(top->isVisible()) << top->objectName().toStdString();
}

TEST_F(ResumeForm, TheRunSinceTheStartIsAnOptionOfItsOwnWithoutTheDates) {
    auto* since = child<QRadioButton>(form, "optSinceStart");
    EXPECT_EQ(since->text(), "с начала лётной работы");
    EXPECT_EQ(since->parentWidget()->objectName(), "fraResume");
    child<QRadioButton>(form, "optPeriod")->click();
    const QSize size = form->size();
    since->click();
    EXPECT_EQ(form->chosenOption(), PeriodOption::SinceStart);
    for (const QString& name : kPeriodBoxes)
        EXPECT_FALSE(form->findChild<QWidget*>(name)->isVisibleTo(form)) << name.toStdString();
    EXPECT_EQ(form->size(), size);
    EXPECT_EQ(child<QPushButton>(form, "cmdCarried")->text(), "Налёт до книжки…");
}

TEST_F(ResumeForm, TheFlyingBeforeTheLogbookIsEditedCheckedAndSavedWithTheEarlierFileKept) {
    const QString path = QDir(t.dir.path()).filePath("Korvelanta-налёт-до.ini");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("# записано рукой\n[Л-39]\nполёты = 412\nналёт = 310:25\nналёт ночью = 30:05\n");
    }
    QTest::mouseClick(child<QPushButton>(form, "cmdCarried"), Qt::LeftButton);
    frmCarried* w = form->loadedCarriedForm();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), "Налёт до начала ведения книжки");
    auto* table = child<QTableWidget>(w, "tblValues");
    auto* status = child<QLabel>(w, "lblStatus");
    EXPECT_EQ(child<QComboBox>(w, "cboType")->currentText(), "Л-39");
    EXPECT_EQ(table->item(0, 0)->text(), "412");
    EXPECT_EQ(table->item(1, 0)->text(), "310:25");
    EXPECT_EQ(table->item(1, 1)->text(), "30:05");
    EXPECT_TRUE(table->item(2, 0)->text().isEmpty());
    EXPECT_EQ(table->verticalHeaderItem(1)->text(), "Налёт (ч:мм)");
    apptest::saveScreenshot(w, QStringLiteral("frmCarried"));

    // A time that is no h:mm is refused naming the type, the value and the pattern; nothing is written.
    const QByteArray before = testfiles::hashOf(path);
    table->item(2, 0)->setText("12.30");
    EXPECT_FALSE(w->cmdSave_Click());
    EXPECT_TRUE(status->text().contains("Л-39, «шторка»: «12.30» — не время")) << status->text().toStdString();
    EXPECT_TRUE(status->text().contains("310:25"));
    EXPECT_EQ(table->currentRow(), 2);
    EXPECT_EQ(testfiles::hashOf(path), before);
    apptest::saveScreenshot(w, QStringLiteral("frmCarried_refused"));
    // A night part above its whole as well.
    table->item(2, 0)->setText("12:30");
    table->item(0, 1)->setText("500");
    EXPECT_FALSE(w->cmdSave_Click());
    EXPECT_TRUE(status->text().contains("ночью больше, чем всего")) << status->text().toStdString();
    table->item(0, 1)->setText("32");

    // A second type, asked by name; then saved: the earlier file kept as .bak, the new one read back whole.
    t.dialogs.inputs << QStringLiteral(" Як-52 ");
    QTest::mouseClick(child<QPushButton>(w, "cmdAddType"), Qt::LeftButton);
    EXPECT_EQ(child<QComboBox>(w, "cboType")->currentText(), "Як-52");
    EXPECT_TRUE(table->item(0, 0)->text().isEmpty());
    table->item(1, 0)->setText("120:00");
    EXPECT_TRUE(w->cmdSave_Click()) << status->text().toStdString();
    EXPECT_TRUE(QFile::exists(path + ".bak"));
    EXPECT_EQ(testfiles::hashOf(path + ".bak"), before);
    const korv::totals::CarriedFlying saved = korv::totals::readCarriedFlying(path);
    ASSERT_EQ(saved.types.size(), 2);
    EXPECT_EQ(saved.types[0][korv::totals::CarriedKey::Hood].whole, 12 * 60 + 30);
    EXPECT_EQ(saved.types[0][korv::totals::CarriedKey::Flights].night, 32);
    EXPECT_EQ(saved.types[1].day().total, korv::Minutes(120 * 60));
    EXPECT_TRUE(QDir(t.dir.path()).entryList({"*.tmp"}, QDir::Files | QDir::Hidden).isEmpty());

    // Removing a type asks first; No keeps it.
    t.dialogs.answers << false << true;
    QTest::mouseClick(child<QPushButton>(w, "cmdRemoveType"), Qt::LeftButton);
    EXPECT_EQ(w->types().size(), 2);
    QTest::mouseClick(child<QPushButton>(w, "cmdRemoveType"), Qt::LeftButton);
    ASSERT_EQ(w->types().size(), 1);
    EXPECT_EQ(w->types().front().type, "Л-39");

    // A damaged file is said with its line when the window reads it.
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Л-39]\nвылеты = 3\n");
    }
    w->readFile();
    EXPECT_TRUE(status->text().contains("строка 2 («вылеты = 3»)")) << status->text().toStdString();
    EXPECT_TRUE(w->types().isEmpty());
}
