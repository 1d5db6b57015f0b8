// The main form and the flight-shift input form, driven as the pilot drives them, offscreen, with
// scripted dialogs. No Calc: "Заполнение" finds a logbook file and creates nothing.

#include "app/controlprogress.h"
#include "app/frmbackups.h"
#include "app/frmbreaks.h"
#include "app/frmcheck.h"
#include "app/frmcourse.h"
#include "app/frmglavnaja.h"
#include "app/frmimport.h"
#include "app/frmpages.h"
#include "app/frmrecords.h"
#include "app/frmsmu.h"
#include "app/helpwindow.h"
#include "app_test_support.h"
#include "support/flights.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>
#include <QVBoxLayout>

using namespace korv::app;
using apptest::child;
using apptest::choose;
using apptest::type;

namespace {

QStringList actionTexts(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions())
        if (!a->isSeparator())
            out << a->text();
    return out;
}

void leave(QWidget* w, Qt::FocusReason reason = Qt::TabFocusReason) {
    QFocusEvent out(QEvent::FocusOut, reason);
    QApplication::sendEvent(w, &out);
}

void enter(QWidget* w) {
    QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(w, &in);
}

} // namespace

// ---- main form ------------------------------------------------------------------------------------

TEST(MainForm, IsTheCoverWithItsLabelsInOrder) {
    apptest::TestProgram t;
    frmGlavnaja& f = t.program->mainForm();
    EXPECT_EQ(f.windowTitle(), "Лётная книжка");
    auto* cover = child<QFrame>(&f, "fraOblozhka");
    // Top to bottom: the ministry, the title, the family name, the progress bar, the status line, the
    // warning of breaks in flying (hidden until there is one).
    QStringList order;
    QVBoxLayout* layout = qobject_cast<QVBoxLayout*>(cover->layout());
    ASSERT_NE(layout, nullptr);
    for (int i = 0; i < layout->count(); ++i)
        if (QWidget* w = layout->itemAt(i)->widget())
            order << w->objectName();
    EXPECT_EQ(order, (QStringList{"lblMORF", "lblNazvanije", "lblFamily", "progressSlot", "lblGlav", "lblBreaks"}));
    EXPECT_EQ(child<QLabel>(&f, "lblMORF")->text(), "МИНИСТЕРСТВО ОБОРОНЫ РФ");
    auto* title = child<QLabel>(&f, "lblNazvanije");
    EXPECT_EQ(title->text(), "ЛЁТНАЯ КНИЖКА");
    EXPECT_TRUE(title->font().bold());
    EXPECT_DOUBLE_EQ(title->font().pointSizeF(), 26.25);
    EXPECT_TRUE(child<QLabel>(&f, "lblFamily")->font().italic());
    EXPECT_TRUE(child<QLabel>(&f, "lblFamily")->text().isEmpty());
    EXPECT_TRUE(child<QLabel>(&f, "lblGlav")->text().isEmpty());
    EXPECT_TRUE(child<QLabel>(&f, "lblBreaks")->isHidden());
    // The progress bar is a TarvixProgress placed by its ProgID, hidden until a logbook is made.
    ASSERT_NE(f.TarvixProgress1(), nullptr);
    EXPECT_EQ(f.TarvixProgress1()->progId(), "Project1.TarvixProgress");
    EXPECT_EQ(f.TarvixProgress1()->widget()->parentWidget()->objectName(), "progressSlot");
    f.show();
    EXPECT_FALSE(f.TarvixProgress1()->widget()->isVisibleTo(&f));
    apptest::saveScreenshot(&f, QStringLiteral("frmGlavnaja"));
}

TEST(MainForm, TheWindowsBuiltInCodeFitTheScreen) {
    // As they open, before anything is read into them (the end-to-end test shows them filled).
    apptest::TestProgram t;
    t.program->mainForm().show();
    const std::pair<QWidget*, const char*> windows[] = {
        {&t.program->breaksForm(), "frmBreaks_empty"}, {&t.program->courseForm(), "frmCourse_empty"},
        {&t.program->checkForm(), "frmCheck_empty"},   {&t.program->backupsForm(), "frmBackups_empty"},
        {&t.program->pagesForm(), "frmPages_empty"},   {&t.program->importForm(), "frmImport_empty"}};
    for (const auto& [w, name] : windows) {
        w->show();
        apptest::saveScreenshot(w, QString::fromLatin1(name));
        w->hide();
    }
}

TEST(MainForm, TheDatesDueAreToldOnTheCoverAndShownWithoutALogbook) {
    // Dates need no logbook and no office: a pilot who keeps only them is told at start all the same.
    apptest::TestProgram t(QDate(2026, 4, 15));
    frmGlavnaja& main = t.program->mainForm();
    main.show();
    QFile limits(t.program->bookDir() + "/Korvelanta-перерывы.ini");
    ASSERT_TRUE(limits.open(QIODevice::WriteOnly));
    limits.write("[Сроки]\nВЛЭК = 15.03.2026, 12 мес\nКБП = 10.01.2026, 90 дней\n"
                 "Допуск = 01.02.2026, до 01.05.2026, предупредить за 20 дней\n");
    limits.close();
    main.warnOfBreaks();
    auto* warning = child<QLabel>(&main, "lblBreaks");
    EXPECT_TRUE(warning->isVisible());
    EXPECT_EQ(warning->text(), "Просрочено: КБП (на 5 дн.). Скоро срок: Допуск (до 01.05.2026). Подробнее — "
                               "«Просмотр», «Перерывы и налёт».");
    apptest::saveScreenshot(&main, QStringLiteral("frmGlavnaja_dates"));

    frmBreaks& breaks = t.program->breaksForm();
    breaks.show();
    breaks.readBook();
    auto* dates = child<QTableWidget>(&breaks, "tblDates");
    EXPECT_TRUE(dates->isVisible());
    ASSERT_EQ(dates->rowCount(), 3);
    const QStringList kbp = {"КБП", "10.01.2026", "90 дн.", "10.04.2026", "просрочено на 5", "просрочено"};
    for (int c = 0; c < kbp.size(); ++c)
        EXPECT_EQ(dates->item(1, c)->text(), kbp[c]) << c;
    EXPECT_EQ(dates->item(0, 3)->text(), "15.03.2027");
    EXPECT_EQ(dates->item(0, 5)->text(), "в пределе");
    EXPECT_EQ(dates->item(2, 2)->text(), "до 01.05.2026");
    EXPECT_EQ(dates->item(2, 5)->text(), "скоро");
    // The logbook is missing: the breaks say so, the dates stand.
    const QString status = child<QLabel>(&breaks, "lblStatus")->text();
    EXPECT_TRUE(status.startsWith("Перерывы и налёт не подсчитаны: Лётная книжка не найдена")) << status.toStdString();
    apptest::saveScreenshot(&breaks, QStringLiteral("frmBreaks_dates"));

    // A wrong line: the cover names it, nothing else is said.
    ASSERT_TRUE(limits.open(QIODevice::WriteOnly | QIODevice::Truncate));
    limits.write("[Сроки]\nВЛЭК = 15.03.2026, 12 недель\n");
    limits.close();
    main.warnOfBreaks();
    EXPECT_TRUE(warning->text().startsWith("Перерывы в полётах не проверены: В файле пределов перерывов "
                                           "Korvelanta-перерывы.ini, строка 2: «ВЛЭК»: срок «12 недель» непонятен"))
        << warning->text().toStdString();
    // Nothing near: the line goes.
    ASSERT_TRUE(limits.open(QIODevice::WriteOnly | QIODevice::Truncate));
    limits.write("[Сроки]\nВЛЭК = 15.03.2026, 12 мес\n");
    limits.close();
    main.warnOfBreaks();
    EXPECT_FALSE(warning->isVisible());
}

TEST(MainForm, TheRecordsWindowAndTheFormOfACorrectionFitTheScreen) {
    // Filled as a logbook of a few records fills them; the end-to-end test reads them from a real one.
    apptest::TestProgram t;
    t.program->mainForm().show();
    korv::logbook::Logbook book;
    for (const testflights::Flight& f :
         {testflights::Flight{{2026, 11, 5}, "Упр.  7 КП. День. Полёт в зону на сложный пилотаж", "Д", "П", 1, 85, 12},
          testflights::Flight{{2026, 12, 1}, "Инстр. по упр.12 Полёт в зону на штопор", "Н", "И", 2, 125, 0, 3},
          testflights::Flight{{2026, 12, 2}, "Упр.  9 ПП", "Д", "З", 1, 40, 0, 2, "Су-25"}})
        book.append(testflights::recordOf(f));
    frmRecords& records = t.program->recordsForm();
    records.show();
    records.showEntries(book.entries());
    ASSERT_EQ(records.listed().records.size(), 3);
    child<QTableView>(&records, "tblRecords")->selectRow(1);
    apptest::saveScreenshot(&records, QStringLiteral("frmRecords_desktop"));

    records.correct(1);
    frmSMU* form = records.correctionForm();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(child<QRadioButton>(form, "optTeacher")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(form, "optNSMU")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(form, "optForward")->isChecked() ||
                 child<QRadioButton>(form, "optBack")->isChecked())
        << "an instructor's record does not tell the seat";
    EXPECT_EQ(child<QLabel>(form, "lblOgid")->text().toStdString(),
              "В записи нет: сидение, высота п-та, высоты шторки");
    apptest::saveScreenshot(form, QStringLiteral("frmSMU_correction_desktop"));
    // The note stays while the pilot types, until the correction is written.
    type(form, "txtShtorkaZ", QStringLiteral("300"));
    EXPECT_TRUE(child<QLabel>(form, "lblOgid")->isVisible());
    EXPECT_TRUE(child<QLabel>(form, "lblOgid")->text().startsWith("В записи нет:"));
    // Leaving a correction form hides it; the program goes on.
    child<QPushButton>(form, "cmdQuit")->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(t.program->hasEnded());
}

TEST(MainForm, HasEveryMenuEntry) {
    apptest::TestProgram t;
    frmGlavnaja& f = t.program->mainForm();
    auto* mode = child<QMenu>(&f, "mnuMode");
    auto* show = child<QMenu>(&f, "mnuShow");
    auto* help = child<QMenu>(&f, "mnuHelp");
    EXPECT_EQ(mode->title(), "Режим работы");
    EXPECT_EQ(show->title(), "Просмотр");
    EXPECT_EQ(help->title(), "Справка");
    EXPECT_EQ(actionTexts(mode), (QStringList{"Просмотр", "Заполнение", "Подбить итоги за...", "Записи лётной книжки",
                                              "Проверка лётной книжки", "Перенос записей…", "Резервные копии",
                                              "Отменить последнее изменение…", "Выход"}));
    EXPECT_EQ(actionTexts(show), (QStringList{"подённого налёта", "последних итогов", "Перерывы и налёт",
                                              "Выполнение упражнений курса", "печать подённого налёта…"}));
    EXPECT_EQ(actionTexts(help), (QStringList{"о программе", "помощь"}));
    for (QAction* a : mode->actions())
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();

    f.show();
    mode->popup(f.mapToGlobal(QPoint(0, 0)));
    show->popup(mode->mapToGlobal(mode->actionGeometry(show->menuAction()).topRight()));
    apptest::saveScreenshot(mode, QStringLiteral("frmGlavnaja_menu"));
    apptest::saveScreenshot(show, QStringLiteral("frmGlavnaja_menu_show"));
    show->hide();
    mode->hide();
}

TEST(MainForm, DrivesItsProgressBarByDispatchIdentifier) {
    apptest::TestProgram t;
    frmGlavnaja& f = t.program->mainForm();
    korv::host::Control* bar = f.TarvixProgress1();
    ASSERT_NE(bar, nullptr);
    // The identifiers the program calls are the ones the control's type library gives these names.
    EXPECT_EQ(bar->idOfName("Value"), tarvix::DispValue);
    EXPECT_EQ(bar->idOfName("Min"), tarvix::DispMin);
    EXPECT_EQ(bar->idOfName("Max"), tarvix::DispMax);

    auto* status = child<QLabel>(&f, "lblGlav");
    ControlProgress report(bar, status);
    report.setRange(0, 100);
    report.status(QStringLiteral("Создаётся и форматируется Лист2  лётной книжки."));
    report.progress(37);
    EXPECT_EQ(status->text(), "Создаётся и форматируется Лист2  лётной книжки.");
    EXPECT_EQ(bar->get(tarvix::DispValue).toInt(), 37);
    EXPECT_EQ(bar->get(tarvix::DispMax).toInt(), 100);
    // A value past the range shows as its end; the work goes on.
    report.progress(100000);
    EXPECT_EQ(bar->get(tarvix::DispValue).toInt(), 100);

    f.findChild<QWidget*>("progressSlot")->show();
    f.show();
    apptest::saveScreenshot(&f, QStringLiteral("frmGlavnaja_new_logbook"));
    // The status line shows a whole line of its text, whatever the font's size.
    QCoreApplication::processEvents();
    EXPECT_GE(status->height(), status->fontMetrics().height()) << status->height();
}

TEST(MainForm, FillingWithALogbookPresentOpensTheInputFormWithoutCreating) {
    apptest::TestProgram t;
    t.placeLogbookFile();
    frmGlavnaja& f = t.program->mainForm();
    f.show();
    f.mnuFillBookItem_Click();
    ASSERT_NE(t.program->loadedShiftForm(), nullptr);
    EXPECT_TRUE(t.program->loadedShiftForm()->isVisible());
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(f.findChild<QWidget*>("progressSlot")->isVisibleTo(&f));
    // Only the date question; no storage message.
    EXPECT_EQ(t.dialogs.titles(), QStringList{"Дата полётов"});
    EXPECT_FALSE(t.program->hasEnded());
}

TEST(MainForm, DecliningTheDateEndsTheProgram) {
    apptest::TestProgram t;
    t.placeLogbookFile();
    t.dialogs.answers = {false}; // not today
    t.dialogs.inputs = {};       // and the input box cancelled
    frmGlavnaja& f = t.program->mainForm();
    f.show();
    f.mnuFillBookItem_Click();
    ASSERT_EQ(t.dialogs.boxes.size(), 2);
    EXPECT_EQ(t.dialogs.boxes[1].kind, "input");
    EXPECT_EQ(t.dialogs.boxes[1].text, "Введите дату полётов по образцу 07.12.26");
    EXPECT_TRUE(t.program->hasEnded());
    EXPECT_FALSE(f.isVisible());
    ASSERT_NE(t.program->loadedShiftForm(), nullptr);
    EXPECT_FALSE(t.program->loadedShiftForm()->isVisible());
}

TEST(MainForm, QuitEndsTheProgramAndLeavesCalcAlone) {
    apptest::TestProgram t;
    frmGlavnaja& f = t.program->mainForm();
    f.show();
    f.findChild<QAction*>("mnuQuitItem")->trigger();
    EXPECT_TRUE(t.program->hasEnded());
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(t.program->host().isAttached());
}

TEST(MainForm, ClosingTheWindowEndsTheProgram) {
    apptest::TestProgram t;
    frmGlavnaja& f = t.program->mainForm();
    f.show();
    f.close();
    EXPECT_TRUE(t.program->hasEnded());
}

// ---- help -----------------------------------------------------------------------------------------

TEST(Help, EveryHelpRequestOpensTopic23) {
    apptest::TestProgram t;
    t.placeLogbookFile();
    frmGlavnaja& f = t.program->mainForm();
    f.show();
    f.findChild<QAction*>("mnuHelpItem")->trigger();
    HelpWindow& help = t.program->helpWindow();
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(help.currentContext(), 23);
    EXPECT_EQ(help.browser()->source().fragment(), "ctx-23");
    EXPECT_TRUE(help.browser()->toHtml().contains("Лётная книжка — справка"));
    apptest::saveScreenshot(&help, QStringLiteral("HelpWindow"));

    help.showTopic(40);
    EXPECT_EQ(help.currentContext(), 40);
    help.hide();
    f.mnuFillBookItem_Click();
    frmSMU* smu = t.program->loadedShiftForm();
    ASSERT_NE(smu, nullptr);
    child<QPushButton>(smu, "cmdHelp")->click();
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(help.currentContext(), 23);
}

TEST(Help, TheDocumentHasATopicForEveryContextItLinks) {
    QFile file(QDir(apptest::binDir()).filePath("Help/Korvelanta.HLP"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    for (int context : {23, 10, 20, 21, 22, 24, 30, 40, 50}) {
        EXPECT_TRUE(html.contains(QStringLiteral("<a name=\"ctx-%1\">").arg(context))) << context;
        EXPECT_TRUE(context == 23 || html.contains(QStringLiteral("href=\"#ctx-%1\"").arg(context))) << context;
    }
    // Every link of the contents and the text leads to a topic.
    static const QRegularExpression link(QStringLiteral("href=\"#(ctx-\\d+)\""));
    for (auto it = link.globalMatch(html); it.hasNext();) {
        const QString target = it.next().captured(1);
        EXPECT_TRUE(html.contains(QStringLiteral("<a name=\"%1\">").arg(target))) << target.toStdString();
    }
    EXPECT_TRUE(html.contains(QStringLiteral("href=\"#ctx-33\""))) << "the import's topic is in the contents";
}

TEST(Help, AMissingHelpFileIsSaidInTheWindow) {
    HelpWindow help(QStringLiteral("/nonexistent/Help/Korvelanta.HLP"));
    help.showTopic(23);
    EXPECT_TRUE(help.browser()->toPlainText().contains("Не найден файл справки"));
    EXPECT_TRUE(help.browser()->toPlainText().contains("/nonexistent/Help/Korvelanta.HLP"));
}

// ---- the flight-shift input form -----------------------------------------------------------------

class ShiftForm : public ::testing::Test {
protected:
    void SetUp() override {
        t.placeLogbookFile();
        smu = &t.program->shiftForm();
        smu->show();
    }
    QWidget* w() { return smu; }

    apptest::TestProgram t;
    frmSMU* smu = nullptr;
};

TEST_F(ShiftForm, HasEveryControlWithItsCaptionLengthAndAlignment) {
    EXPECT_EQ(smu->windowTitle(), "Лётная книжка");
    struct Box {
        const char* name;
        int maxLength;
        bool centred;
    };
    for (const Box& b : std::initializer_list<Box>{{"txtTpolChas", 1, true},
                                                   {"txtTpolMin", 2, true},
                                                   {"txtZakKab", 4, true},
                                                   {"txtBal", 2, true},
                                                   {"txtHn", 4, true},
                                                   {"txtHv", 5, true},
                                                   {"txtVidKm", 2, true},
                                                   {"txtVidSm", 1, true},
                                                   {"txtShtorkaZ", 4, true},
                                                   {"txtShtorkaO", 4, true},
                                                   {"txtHpol", 5, true},
                                                   {"txtHmin", 4, false},
                                                   {"txtPol", 1, false},
                                                   {"txtUpr", 3, false},
                                                   {"txtZah", 1, false},
                                                   {"txtPos", 1, false},
                                                   {"txtUMP", 1, true},
                                                   {"txtVzl", 1, false}}) {
        auto* e = child<QLineEdit>(w(), b.name);
        EXPECT_EQ(e->maxLength(), b.maxLength) << b.name;
        EXPECT_EQ(bool(e->alignment() & Qt::AlignHCenter), b.centred) << b.name;
    }
    for (const char* name : {"txtDate", "txtSMU", "txtObl"})
        EXPECT_EQ(child<QLineEdit>(w(), name)->maxLength(), 32767) << name;

    const QList<std::pair<const char*, const char*>> groups = {{"fraInput", "Ввод данных"},
                                                               {"fraTyp", " Тип самолёта"},
                                                               {"fraTime", "Налёт"},
                                                               {"fraObl", "Облачность, м"},
                                                               {"fraVid", "Видимость,км"},
                                                               {"fraDN", "   Полёты"},
                                                               {"fraHpol", "Высота п-та, м"},
                                                               {"fraShtorka", "Использование шторки"},
                                                               {"fraSMU", "в СМУ"},
                                                               {"fraDate", "Число"},
                                                               {"fraPol", "Полётов"},
                                                               {"fraUpr", "№ упр."},
                                                               {"fraSeat", "Сидение"},
                                                               {"fraKind", "Полёт"},
                                                               {"fraSys", "Применение посадочных систем"}};
    for (const auto& [name, title] : groups)
        EXPECT_EQ(child<QGroupBox>(w(), name)->title(), QString::fromUtf8(title)) << name;

    const QList<std::pair<const char*, const char*>> captions = {{"optDSMU", "день"},
                                                                 {"optNSMU", "ночь"},
                                                                 {"optForward", "переднее"},
                                                                 {"optBack", "заднее"},
                                                                 {"optPrivate", "на себя"},
                                                                 {"optTeacher", "инструкторсий"},
                                                                 {"optGavno", "в составе экип."}};
    for (const auto& [name, text] : captions)
        EXPECT_EQ(child<QRadioButton>(w(), name)->text(), QString::fromUtf8(text)) << name;
    const QList<std::pair<const char*, const char*>> labels = {{"lblTimeTotal", "общий"},
                                                               {"lblTimeHours", "  ч    мин"},
                                                               {"lblTimeZakKab", "  в зак.каб."},
                                                               {"lblOblHeader", "баллов    Нн         Нв"},
                                                               {"lblVidComma", ","},
                                                               {"lblShtorkaZ", "высота закрытия, м"},
                                                               {"lblShtorkaO", "высота открытия, м"},
                                                               {"lblHpolHeader", "  макс.         мин."},
                                                               {"lblSys", "Система"},
                                                               {"lblZah", "зах."},
                                                               {"lblPos", "пос."},
                                                               {"lblUMP", "УМП"},
                                                               {"lblSMUTotal", "всего"},
                                                               {"lblSMUObl", "в обл."},
                                                               {"lblSMULimited", "при огр. "},
                                                               {"lblVzl", "Взл. при мин."},
                                                               {"lblOgid", "Ждём' с..."}};
    for (const auto& [name, text] : labels)
        EXPECT_EQ(child<QLabel>(w(), name)->text(), QString::fromUtf8(text)) << name;
    const QList<std::pair<const char*, const char*>> buttons = {
        {"cmdOK", "Считать"},  {"cmdWrite", "Записать"}, {"cmdShow", "Просмотр"}, {"cmdChangeDate", "Изменить дату"},
        {"cmdHelp", "Помощь"}, {"cmdQuit", "Выход"}};
    for (const auto& [name, text] : buttons)
        EXPECT_EQ(child<QPushButton>(w(), name)->text(), QString::fromUtf8(text)) << name;

    auto* waiting = child<QLabel>(w(), "lblOgid");
    EXPECT_TRUE(waiting->font().bold());
    EXPECT_EQ(waiting->font().pointSize(), 12);
    EXPECT_FALSE(waiting->isVisible());
    EXPECT_GE(waiting->minimumHeight(), waiting->fontMetrics().height());
    EXPECT_EQ(smu->tmrAlarm().interval(), 1000);
    EXPECT_FALSE(smu->tmrAlarm().isActive());
}

TEST_F(ShiftForm, StartsWithItsInitialValues) {
    EXPECT_EQ(child<QComboBox>(w(), "cboTyp")->currentText(), "");
    QStringList types;
    for (int i = 0; i < child<QComboBox>(w(), "cboTyp")->count(); ++i)
        types << child<QComboBox>(w(), "cboTyp")->itemText(i);
    EXPECT_EQ(types, (QStringList{"Л-39", "Су-24", "Су-25", "Су-27", "МиГ-29", "МиГ-31"}));
    QStringList systems;
    for (int i = 0; i < child<QComboBox>(w(), "cboSys")->count(); ++i)
        systems << child<QComboBox>(w(), "cboSys")->itemText(i);
    EXPECT_EQ(systems, (QStringList{"ОСП", "РСП", "РМС-Р", "РМС-Д", "РМС-А"}));
    EXPECT_EQ(child<QLineEdit>(w(), "txtTpolChas")->text(), "0");
    for (const char* name : {"txtTpolMin", "txtBal", "txtHn", "txtHv", "txtVidKm", "txtVidSm", "txtShtorkaZ",
                             "txtShtorkaO", "txtHpol", "txtHmin", "txtPol", "txtUpr", "txtZah", "txtPos", "txtVzl"})
        EXPECT_TRUE(child<QLineEdit>(w(), name)->text().isEmpty()) << name;
    for (const char* name : {"txtZakKab", "txtObl", "txtSMU", "txtUMP"})
        EXPECT_FALSE(child<QLineEdit>(w(), name)->isVisible()) << name;
    for (const char* name : {"optDSMU", "optNSMU", "optForward", "optBack", "optPrivate", "optTeacher", "optGavno"})
        EXPECT_FALSE(child<QRadioButton>(w(), name)->isChecked()) << name;
    EXPECT_FALSE(child<QPushButton>(w(), "cmdOK")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(w(), "cmdWrite")->isEnabled());
    // The date of the flights: today, as the pilot answered.
    EXPECT_EQ(child<QLineEdit>(w(), "txtDate")->text(), "07.12.26");
    EXPECT_EQ(smu->session().PeriodMonth, "12");
    EXPECT_EQ(child<QLineEdit>(w(), "txtDate")->palette().color(QPalette::Base), QColor(Qt::white));
    ASSERT_EQ(t.dialogs.boxes.size(), 1);
    EXPECT_EQ(t.dialogs.boxes[0].kind, "question");
    EXPECT_EQ(t.dialogs.boxes[0].title, "Дата полётов");
    EXPECT_EQ(t.dialogs.boxes[0].text, "Полёты выполнялись сегодня?");
    apptest::saveScreenshot(smu, QStringLiteral("frmSMU"));
}

TEST_F(ShiftForm, TabOrderFollowsTheForm) {
    const QStringList expected = {
        "cboTyp",   "txtTpolChas",   "txtTpolMin", "txtZakKab",   "txtBal",      "txtHn",      "txtHv",    "txtVidKm",
        "txtVidSm", "optDSMU",       "optNSMU",    "txtShtorkaZ", "txtShtorkaO", "txtHpol",    "txtHmin",  "txtDate",
        "txtPol",   "optForward",    "optBack",    "txtUpr",      "optPrivate",  "optTeacher", "optGavno", "cboSys",
        "txtZah",   "txtPos",        "txtUMP",     "txtSMU",      "txtObl",      "txtVzl",     "cmdOK",    "cmdWrite",
        "cmdShow",  "cmdChangeDate", "cmdHelp",    "cmdQuit"};
    QStringList chain;
    QWidget* first = child(w(), "cboTyp");
    QWidget* it = first;
    do {
        if (expected.contains(it->objectName()) && !chain.contains(it->objectName()))
            chain << it->objectName();
        it = it->nextInFocusChain();
    } while (it != first);
    EXPECT_EQ(chain, expected);
}

TEST_F(ShiftForm, CalculateIsEnabledOnceTheTypeAndTheTimeAreGiven) {
    auto* ok = child<QPushButton>(w(), "cmdOK");
    type(w(), "txtTpolMin", "25");
    EXPECT_FALSE(ok->isEnabled()); // no type yet
    choose(w(), "cboTyp", "Л-39");
    EXPECT_TRUE(ok->isEnabled()); // the hours start as "0"
    // Nothing disables it again while the form is open.
    child<QLineEdit>(w(), "txtTpolMin")->clear();
    EXPECT_TRUE(ok->isEnabled());
}

TEST_F(ShiftForm, CalculateStaysDisabledWithoutHours) {
    child<QLineEdit>(w(), "txtTpolChas")->clear();
    choose(w(), "cboTyp", "Су-27");
    type(w(), "txtTpolMin", "30");
    EXPECT_FALSE(child<QPushButton>(w(), "cmdOK")->isEnabled());
    type(w(), "txtTpolChas", "1");
    EXPECT_TRUE(child<QPushButton>(w(), "cmdOK")->isEnabled());
}

TEST_F(ShiftForm, TheSu24RenamesTheSeatsWhenTheTypeBoxIsLeft) {
    auto* forward = child<QRadioButton>(w(), "optForward");
    auto* back = child<QRadioButton>(w(), "optBack");
    auto* typ = child<QComboBox>(w(), "cboTyp");
    choose(w(), "cboTyp", "Су-24");
    EXPECT_EQ(forward->text(), "переднее"); // not before the box is left
    leave(typ, Qt::PopupFocusReason);       // the list dropping down is no leaving
    EXPECT_EQ(forward->text(), "переднее");
    leave(typ);
    EXPECT_EQ(forward->text(), "левое");
    EXPECT_EQ(back->text(), "правое");
    apptest::saveScreenshot(smu, QStringLiteral("frmSMU_Su24"));
    // The seat letters of the Су-24.
    forward->click();
    EXPECT_EQ(smu->session().SeatLetter, "Л");
    back->click();
    EXPECT_EQ(smu->session().SeatLetter, "Пр");

    choose(w(), "cboTyp", "МиГ-29");
    leave(typ);
    EXPECT_EQ(forward->text(), "переднее");
    EXPECT_EQ(back->text(), "заднее");
    back->click();
    EXPECT_EQ(smu->session().SeatLetter, "З");
}

TEST_F(ShiftForm, DayAndNightSetTheirLetter) {
    child<QRadioButton>(w(), "optNSMU")->click();
    EXPECT_EQ(smu->session().DayNightLetter, "Н");
    child<QRadioButton>(w(), "optDSMU")->click();
    EXPECT_EQ(smu->session().DayNightLetter, "Д");
}

TEST_F(ShiftForm, ChangingTheDateAsksAgain) {
    t.dialogs.answers = {false};
    t.dialogs.inputs = {QStringLiteral("05.09.04")};
    child<QPushButton>(w(), "cmdChangeDate")->click();
    EXPECT_EQ(child<QLineEdit>(w(), "txtDate")->text(), "05.09.04");
    EXPECT_EQ(smu->session().form.txtDate, "05.09.04");
    EXPECT_EQ(smu->session().PeriodMonth, "09");
    // Cancelling the input box leaves the date empty; the program goes on.
    t.dialogs.answers = {false};
    child<QPushButton>(w(), "cmdChangeDate")->click();
    EXPECT_TRUE(child<QLineEdit>(w(), "txtDate")->text().isEmpty());
    EXPECT_FALSE(t.program->hasEnded());
}

TEST_F(ShiftForm, TheDateQuestionAsksAgainUntilACalendarDate) {
    t.dialogs.answers = {false};
    t.dialogs.inputs = {QStringLiteral("31.02.26"), QStringLiteral("вчера"), QStringLiteral(" 28.02.26 ")};
    t.dialogs.boxes.clear();
    child<QPushButton>(w(), "cmdChangeDate")->click();
    EXPECT_EQ(child<QLineEdit>(w(), "txtDate")->text(), "28.02.26");
    QStringList refusals;
    for (const auto& b : t.dialogs.boxes)
        if (b.text.contains("не дата полётов"))
            refusals << b.text;
    ASSERT_EQ(refusals.size(), 2);
    EXPECT_TRUE(refusals[0].startsWith("«31.02.26» — не дата полётов. Введите день, месяц и год по образцу "));
    EXPECT_TRUE(refusals[1].startsWith("«вчера» — не дата полётов."));
}

// The shared shift with its landing system and landings too.
void fillShift(QWidget* form) {
    apptest::fillShift(form);
    choose(form, "cboSys", "РСП");
    type(form, "txtZah", "2");
    type(form, "txtPos", "2");
}

TEST_F(ShiftForm, CalculateShowsTheResultsAndEnablesWrite) {
    fillShift(w());
    child<QPushButton>(w(), "cmdOK")->click();
    EXPECT_TRUE(t.dialogs.titles().size() == 1) << t.dialogs.titles().join("|").toStdString();
    auto* zakKab = child<QLineEdit>(w(), "txtZakKab");
    auto* smuBox = child<QLineEdit>(w(), "txtSMU");
    auto* obl = child<QLineEdit>(w(), "txtObl");
    EXPECT_TRUE(smuBox->isVisible());
    EXPECT_TRUE(obl->isVisible());
    EXPECT_EQ(smuBox->text(), smu->session().form.txtSMU.text);
    EXPECT_EQ(obl->text(), smu->session().form.txtObl.text);
    EXPECT_EQ(zakKab->isVisible(), smu->session().form.txtZakKab.visible);
    EXPECT_FALSE(obl->text().isEmpty());
    EXPECT_TRUE(child<QPushButton>(w(), "cmdWrite")->isEnabled());
    apptest::saveScreenshot(smu, QStringLiteral("frmSMU_calculated"));

    // A result the pilot corrects by hand is what the write takes.
    obl->setText(QStringLiteral("0.40"));
    EXPECT_EQ(smu->session().form.txtObl.text, "0.40");
}

TEST_F(ShiftForm, WriteWaitsForACalculationOfTheInputsAsTheyStand) {
    fillShift(w());
    auto* write = child<QPushButton>(w(), "cmdWrite");
    auto* calculate = child<QPushButton>(w(), "cmdOK");
    calculate->click();
    ASSERT_TRUE(write->isEnabled());
    // A result corrected by hand is the pilot's: the write stays.
    type(w(), "txtObl", "0.40");
    EXPECT_TRUE(write->isEnabled());
    // Any input, option or list changed: the results are not these inputs'.
    type(w(), "txtHn", "700");
    EXPECT_FALSE(write->isEnabled());
    calculate->click();
    ASSERT_TRUE(write->isEnabled());
    child<QRadioButton>(w(), "optTeacher")->click();
    EXPECT_FALSE(write->isEnabled());
    calculate->click();
    ASSERT_TRUE(write->isEnabled());
    choose(w(), "cboSys", "ОСП");
    EXPECT_FALSE(write->isEnabled());
    calculate->click();
    ASSERT_TRUE(write->isEnabled());

    // A calculation that fails leaves nothing to write, and says which box it could not read.
    t.dialogs.boxes.clear();
    child<QLineEdit>(w(), "txtTpolMin")->setText("а"); // no key of a Latin keyboard
    calculate->click();
    EXPECT_FALSE(write->isEnabled());
    ASSERT_EQ(t.dialogs.boxes.size(), 1);
    EXPECT_EQ(t.dialogs.boxes[0].text, "13: Несоответствие типа: «а» не число (налёт, мин)");
    // Minutes past the hour are refused before anything is computed.
    t.dialogs.boxes.clear();
    type(w(), "txtTpolMin", "99");
    calculate->click();
    EXPECT_FALSE(write->isEnabled());
    ASSERT_EQ(t.dialogs.boxes.size(), 1);
    EXPECT_EQ(t.dialogs.boxes[0].title, "Проверка данных");
    EXPECT_EQ(
        t.dialogs.boxes[0].text,
        "В окне «налёт, мин» стоит «99», а минут налёта может быть от 0 до 59. Исправьте и снова нажмите Считать.");
    EXPECT_FALSE(child<QLineEdit>(w(), "txtSMU")->isVisible() && !child<QLineEdit>(w(), "txtSMU")->text().isEmpty());
    // Pressing a disabled "Записать" (a shortcut, a script) writes nothing.
    smu->cmdWrite_Click();
    EXPECT_EQ(t.dialogs.boxes.size(), 1);
}

TEST_F(ShiftForm, MissingRecordDataIsAskedFor) {
    fillShift(w());
    child<QLineEdit>(w(), "txtUpr")->clear();
    child<QPushButton>(w(), "cmdOK")->click();
    ASSERT_EQ(t.dialogs.boxes.size(), 2);
    EXPECT_EQ(t.dialogs.boxes[1].title, "Проверка данных");
    EXPECT_EQ(t.dialogs.boxes[1].text, "Не все необходимые данные внесены. Исправьте и снова нажмите Считать.");
    EXPECT_FALSE(child<QPushButton>(w(), "cmdWrite")->isEnabled());
}

TEST_F(ShiftForm, NoAltitudeNoCalculation) {
    fillShift(w());
    child<QLineEdit>(w(), "txtHpol")->clear();
    child<QPushButton>(w(), "cmdOK")->click();
    ASSERT_EQ(t.dialogs.boxes.size(), 2);
    EXPECT_EQ(t.dialogs.boxes[1].title, "Высота");
    EXPECT_FALSE(child<QLineEdit>(w(), "txtSMU")->isVisible());
}

TEST_F(ShiftForm, TheCloudAmountIsCappedOnTheForm) {
    fillShift(w());
    type(w(), "txtBal", "12");
    child<QPushButton>(w(), "cmdOK")->click();
    EXPECT_EQ(child<QLineEdit>(w(), "txtBal")->text(), "10");
}

TEST_F(ShiftForm, TheDateBlinksRedAndWhiteThreeTimesEndingWhite) {
    auto* date = child<QLineEdit>(w(), "txtDate");
    smu->startDateBlink();
    EXPECT_TRUE(smu->tmrAlarm().isActive());
    QList<QColor> seen;
    for (int tick = 0; tick < 7; ++tick) {
        smu->tmrAlarm_Timer();
        seen << date->palette().color(QPalette::Base);
    }
    // A light red: the date stays readable on it.
    const QColor red(255, 150, 150), white(Qt::white);
    EXPECT_EQ(seen, (QList<QColor>{red, white, red, white, red, white, white}));
    EXPECT_EQ(date->palette().color(QPalette::Text), QColor(Qt::black));
    EXPECT_FALSE(smu->tmrAlarm().isActive());
}

TEST_F(ShiftForm, FocusOnTheDateStopsTheBlinkInWhateverColour) {
    auto* date = child<QLineEdit>(w(), "txtDate");
    smu->startDateBlink();
    smu->tmrAlarm_Timer(); // red
    enter(date);
    EXPECT_FALSE(smu->tmrAlarm().isActive());
    EXPECT_EQ(date->palette().color(QPalette::Base), QColor(255, 150, 150));
    apptest::saveScreenshot(smu, QStringLiteral("frmSMU_date_blink"));
}

TEST_F(ShiftForm, QuitClosesEveryForm) {
    frmGlavnaja& main = t.program->mainForm();
    main.show();
    main.mnuAboutItem_Click();
    t.program->showHelp();
    child<QPushButton>(w(), "cmdQuit")->click();
    EXPECT_TRUE(t.program->hasEnded());
    for (QWidget* top : QApplication::topLevelWidgets())
        EXPECT_FALSE(top->isVisible()) << top->objectName().toStdString();
}

TEST_F(ShiftForm, LeavingWithAShiftCalculatedAndNotWrittenAsksFirst) {
    fillShift(w());
    child<QPushButton>(w(), "cmdOK")->click();
    ASSERT_TRUE(child<QPushButton>(w(), "cmdWrite")->isEnabled());
    const qsizetype before = t.dialogs.boxes.size();
    // The answer offered is No: Enter keeps the form and the shift.
    child<QPushButton>(w(), "cmdQuit")->click();
    ASSERT_EQ(t.dialogs.boxes.size(), before + 1);
    EXPECT_EQ(t.dialogs.boxes.last().title, "Выход");
    EXPECT_EQ(t.dialogs.boxes.last().text, "Смена не записана. Выйти без записи?");
    EXPECT_EQ(t.dialogs.boxes.last().offered, korv::Dialogs::Answer::No);
    EXPECT_FALSE(t.program->hasEnded());
    EXPECT_TRUE(smu->isVisible());
    // The frame's close button asks the same; an input changed since does not make the shift written.
    type(w(), "txtPol", "2");
    smu->close();
    EXPECT_EQ(t.dialogs.boxes.size(), before + 2);
    EXPECT_FALSE(t.program->hasEnded());
    EXPECT_TRUE(smu->isVisible());
    // Yes lets it go.
    t.dialogs.answers << true;
    child<QPushButton>(w(), "cmdQuit")->click();
    EXPECT_TRUE(t.program->hasEnded());
}

TEST_F(ShiftForm, ADateThatIsNoDayOfTheCalendarIsRefusedAtCalculate) {
    fillShift(w());
    type(w(), "txtDate", "31.11.26");
    child<QPushButton>(w(), "cmdOK")->click();
    EXPECT_FALSE(child<QPushButton>(w(), "cmdWrite")->isEnabled());
    EXPECT_EQ(t.dialogs.boxes.last().title, "Дата полётов");
    EXPECT_EQ(t.dialogs.boxes.last().text,
              "«31.11.26» — не дата полётов. Введите день, месяц и год по образцу 07.12.26 "
              "(годы 2000–2099). (число)");
    // Nothing calculated, so nothing to lose on leaving.
    child<QPushButton>(w(), "cmdQuit")->click();
    EXPECT_TRUE(t.program->hasEnded());
}

TEST_F(ShiftForm, ASecondStartRestoresTheMinimisedFormAndRaisesIt) {
    if (!apptest::onDesktop())
        GTEST_SKIP() << "minimising needs a window manager";
    smu->showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return smu->isMinimized(); }, 3000));
    t.program->bringToFront();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !smu->isMinimized(); }, 3000));
    EXPECT_TRUE(smu->isVisible());
}

TEST_F(ShiftForm, ClosingTheFormByItsFrameIsQuit) {
    smu->close();
    EXPECT_TRUE(t.program->hasEnded());
}

TEST_F(ShiftForm, WriteIsRefusedWithoutACalculation) {
    // The button is disabled; a direct call does nothing either.
    smu->cmdWrite_Click();
    EXPECT_EQ(t.dialogs.boxes.size(), 1);
    EXPECT_FALSE(smu->tmrAlarm().isActive());
}

TEST_F(ShiftForm, ARefusedWriteShowsTheWaitingLabelOnlyWhileItRuns) {
    fillShift(w());
    // An exercise the reference database does not describe: the write refuses before the logbook is touched.
    type(w(), "txtUpr", "99");
    child<QPushButton>(w(), "cmdOK")->click();
    ASSERT_TRUE(child<QPushButton>(w(), "cmdWrite")->isEnabled());
    bool waitingShown = false;
    t.dialogs.onMessage = [&] { waitingShown = child<QLabel>(w(), "lblOgid")->isVisible(); };
    child<QPushButton>(w(), "cmdWrite")->click();
    ASSERT_EQ(t.dialogs.boxes.size(), 2);
    EXPECT_EQ(t.dialogs.boxes[1].title, "Запись в лётную книжку");
    EXPECT_TRUE(waitingShown);
    EXPECT_FALSE(child<QLabel>(w(), "lblOgid")->isVisible());
    // Nothing written: the form is as it was, no blink.
    EXPECT_TRUE(child<QPushButton>(w(), "cmdWrite")->isEnabled());
    EXPECT_EQ(child<QLineEdit>(w(), "txtShtorkaZ")->text(), "200");
    EXPECT_FALSE(smu->tmrAlarm().isActive());
}
