// The About form with its hyperlink label and the system-information button; the viewing form; Qt's
// own texts in Russian and the program's message and input boxes.

#include "app/frmabout.h"
#include "app/frmexcel.h"
#include "app/frmglavnaja.h"
#include "app/qtdialogs.h"
#include "app/russian.h"
#include "app/sysinfo.h"
#include "app/version.h"
#include "app_test_support.h"
#include "controls/host/registry.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTreeView>

using namespace korv::app;
using apptest::child;

namespace {

// A registry of its own for each test: the tool entries are what the test says.
struct ScratchRegistry {
    ScratchRegistry() : previous(qgetenv("KORV_REGISTRY")) {
        // Keep the control registrations: copy the shared registry file.
        const QString path = dir.filePath("registry.ini");
        QFile::copy(QString::fromLocal8Bit(previous), path);
        qputenv("KORV_REGISTRY", path.toLocal8Bit());
    }
    ~ScratchRegistry() { qputenv("KORV_REGISTRY", previous); }
    korv::host::Registry registry() const { return korv::host::Registry(dir.filePath("registry.ini")); }

    QTemporaryDir dir;
    QByteArray previous;
};

} // namespace

TEST(About, ShowsTitleVersionDescriptionAndTheLink) {
    apptest::TestProgram t;
    frmGlavnaja& main = t.program->mainForm();
    main.show();
    main.findChild<QAction*>("mnuAboutItem")->trigger();
    frmAbout* about = t.program->loadedAboutForm();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->windowTitle(), "О программе Лётная книжка");
    EXPECT_EQ(child<QLabel>(about, "lblTitle")->text(), "Лётная книжка ");
    EXPECT_EQ(child<QLabel>(about, "lblVersion")->text(), "Версия   1.1.30");
    EXPECT_EQ(child<QLabel>(about, "lblDescription")->text(), "Программа для ведения учёта налёта лётчиков.");
    // The licence the package ships, and nothing that says otherwise.
    const QString notice = child<QLabel>(about, "lblDisclaimer")->text();
    EXPECT_TRUE(notice.contains("GPL-3.0-or-later")) << notice.toStdString();
    EXPECT_TRUE(notice.contains("© 2026")) << notice.toStdString();
    for (const char* contrary : {"Все права", "письменного разрешения", "Коммерческое"})
        EXPECT_FALSE(notice.contains(QString::fromUtf8(contrary))) << contrary;
    EXPECT_FALSE(child<QLabel>(about, "Image1")->pixmap().isNull());
    EXPECT_EQ(child<QPushButton>(about, "cmdSysInfo")->text(), "&System Info...");
    EXPECT_EQ(child<QPushButton>(about, "cmdOK")->text(), "OK");
    // The link label is a DrovanettaX placed by ProgID, showing and opening the program's web site.
    ASSERT_NE(about->DrovanettaX1(), nullptr);
    EXPECT_EQ(about->DrovanettaX1()->progId(), "Drovanetta.DrovanettaX");
    EXPECT_EQ(about->DrovanettaX1()->getByName("Caption").toString(), kWebAddress);
    EXPECT_EQ(about->DrovanettaX1()->getByName("Drovanetta").toString(), kWebAddress);
    // A dialog of the main form: no taskbar button of its own.
    EXPECT_EQ(about->parentWidget(), &main);
    apptest::saveScreenshot(about, QStringLiteral("frmAbout"));

    // OK closes only the About form.
    child<QPushButton>(about, "cmdOK")->click();
    EXPECT_FALSE(about->isVisible());
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(t.program->hasEnded());
}

TEST(About, SystemInfoStartsTheRegisteredPathAsItStands) {
    ScratchRegistry reg;
    reg.registry().setValue(sysinfo::kToolKey, sysinfo::kToolValue, "/nonexistent/tool");
    apptest::TestProgram t;
    frmAbout& about = t.program->aboutForm();
    child<QPushButton>(&about, "cmdSysInfo")->click();
    EXPECT_EQ(t.started, QStringList{"/nonexistent/tool"});
    EXPECT_TRUE(t.dialogs.boxes.isEmpty());
    // A path that does not start ends in the message.
    t.startSucceeds = false;
    child<QPushButton>(&about, "cmdSysInfo")->click();
    ASSERT_EQ(t.dialogs.boxes.size(), 1);
    EXPECT_EQ(t.dialogs.boxes[0].text, "System Information Is Unavailable At This Time");
    EXPECT_TRUE(about.isVisible() || !about.isVisible()); // the form stays as it was
}

TEST(About, SystemInfoFromTheDirectoryEntryNeedsTheFile) {
    ScratchRegistry reg;
    QTemporaryDir tools;
    reg.registry().setValue(sysinfo::kToolDirKey, sysinfo::kToolDirValue, tools.path());
    apptest::TestProgram t;
    frmAbout& about = t.program->aboutForm();
    about.show();
    about.StartSysInfo();
    EXPECT_TRUE(t.started.isEmpty());
    ASSERT_EQ(t.dialogs.boxes.size(), 1);
    EXPECT_EQ(t.dialogs.boxes[0].text, "System Information Is Unavailable At This Time");
    EXPECT_TRUE(about.isVisible());

    QFile tool(QDir(tools.path()).filePath(sysinfo::kToolFile));
    ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
    tool.close();
    about.StartSysInfo();
    EXPECT_EQ(t.started, QStringList{tool.fileName()});
}

TEST(About, NoToolRegisteredGivesTheMessage) {
    ScratchRegistry reg;
    apptest::TestProgram t;
    t.program->aboutForm().StartSysInfo();
    EXPECT_TRUE(t.started.isEmpty());
    ASSERT_EQ(t.dialogs.boxes.size(), 1);
    EXPECT_EQ(t.dialogs.boxes[0].text, "System Information Is Unavailable At This Time");
}

TEST(About, FirstStartRegistersAnInstalledDesktopTool) {
    ScratchRegistry reg;
    korv::host::Registry r = reg.registry();
    const QString registered = sysinfo::registerDesktopTool(r);
    QString installed;
    for (const QString& name : sysinfo::kDesktopTools)
        if (installed.isEmpty())
            installed = QStandardPaths::findExecutable(name);
    EXPECT_EQ(registered, installed);
    EXPECT_EQ(sysinfo::toolPath(r), installed);
    // An entry already there is kept.
    r.setValue(sysinfo::kToolKey, sysinfo::kToolValue, "/opt/own/tool");
    EXPECT_EQ(sysinfo::registerDesktopTool(r), "/opt/own/tool");
}

// ---- the viewing form ---------------------------------------------------------------------------

TEST(ViewForm, IsSmallPinkAndAlwaysOnTop) {
    apptest::TestProgram t;
    frmExcel& f = t.program->viewForm();
    EXPECT_EQ(f.windowTitle(), "Закрыть Excel");
    EXPECT_TRUE(f.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(f.palette().color(QPalette::Window), QColor(255, 192, 255));
    EXPECT_EQ(child<QLabel>(&f, "Label1")->text(),
              "После окончания просмотра  виртуальной лётной книжки, закрыть Excel этой кнопкой.");
    EXPECT_EQ(child<QPushButton>(&f, "cmdCloseExcel")->text(), "Закрыть");
    f.showOnTop();
    EXPECT_TRUE(f.isVisible());
    apptest::saveScreenshot(&f, QStringLiteral("frmExcel"));
}

TEST(ViewForm, ClosingItWithNothingShownBringsTheMainFormBack) {
    apptest::TestProgram t;
    frmExcel& f = t.program->viewForm();
    f.showOnTop();
    // No logbook is open: the close says so and the pilot is back on the main form.
    child<QPushButton>(&f, "cmdCloseExcel")->click();
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(t.program->mainForm().isVisible());
    ASSERT_EQ(t.dialogs.boxes.size(), 1);
    EXPECT_EQ(t.dialogs.boxes[0].title, "Просмотр лётной книжки");
    // Closed by its frame, it does the same.
    t.program->mainForm().hide();
    f.showOnTop();
    f.close();
    EXPECT_TRUE(t.program->mainForm().isVisible());
    EXPECT_FALSE(t.program->hasEnded());
}

// ---- Qt's own texts and the program's boxes ---------------------------------------------------

TEST(Russian, QtsOwnTextsAreRussian) {
    auto question = QtDialogs::makeQuestionBox("Дата полётов", "Полёты выполнялись сегодня?");
    EXPECT_EQ(question->button(QMessageBox::Yes)->text().remove('&'), "Да");
    EXPECT_EQ(question->button(QMessageBox::No)->text().remove('&'), "Нет");
    EXPECT_EQ(question->windowTitle(), "Дата полётов");
    EXPECT_EQ(question->icon(), QMessageBox::Question);
    question->show();
    apptest::saveScreenshot(question.get(), QStringLiteral("dialog_question"));

    auto input = QtDialogs::makeInputBox("Дата полётов", "Введите дату полётов по образцу 07.12.26");
    input->show();
    const auto buttons = input->findChildren<QAbstractButton*>();
    QStringList texts;
    for (QAbstractButton* b : buttons)
        texts << b->text().remove('&');
    EXPECT_TRUE(texts.contains("Отмена")) << texts.join('|').toStdString();
    EXPECT_TRUE(input->textValue().isEmpty());
    apptest::saveScreenshot(input.get(), QStringLiteral("dialog_input"));

    auto warning = QtDialogs::makeMessageBox("Проверка данных",
                                             "Не все необходимые данные внесены. Исправьте и снова нажмите Считать.",
                                             korv::Dialogs::Icon::Warning);
    EXPECT_EQ(warning->icon(), QMessageBox::Warning);
    warning->show();
    apptest::saveScreenshot(warning.get(), QStringLiteral("dialog_warning"));

    // The type of a totals run over records of two types: a list to pick from, nothing typed.
    auto choice = QtDialogs::makeChoiceBox(
        "Тип самолёта", "В периоде записи на типах: Л-39 — 5, Су-27 — 4. Подбить итоги по типу:", {"Л-39", "Су-27"});
    choice->show();
    EXPECT_EQ(choice->comboBoxItems(), (QStringList{"Л-39", "Су-27"}));
    EXPECT_FALSE(choice->isComboBoxEditable());
    EXPECT_EQ(choice->textValue(), "Л-39");
    apptest::saveScreenshot(choice.get(), QStringLiteral("dialog_choice"));

    // The one button of a message box: Qt's translation keeps "OK" in Latin letters.
    EXPECT_EQ(warning->button(QMessageBox::Ok)->text().remove('&'), "ОК");
}

TEST(Russian, TheSaveDialogSpeaksRussianToTheLastColumn) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("Архив");
    QFile file(dir.filePath("Налёт.png"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(3 * 1024 + 512, 'x'));
    file.close();
    const auto dialog = korv::app::makeSaveDialog(nullptr, "Сохранить график", dir.filePath("Налёт.png"),
                                                  "Рисунок PNG (*.png);;Рисунок SVG (*.svg)");
    dialog->setViewMode(QFileDialog::Detail);
    dialog->show();
    auto* view = dialog->findChild<QTreeView*>("treeView");
    ASSERT_NE(view, nullptr);
    QAbstractItemModel* model = view->model();
    const QModelIndex root = view->rootIndex();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount(root) == 2; }, 5000));
    QStringList rows;
    for (int r = 0; r < model->rowCount(root); ++r)
        rows << model->index(r, 0, root).data().toString() + " | " + model->index(r, 1, root).data().toString() +
                    " | " + model->index(r, 2, root).data().toString();
    const QString today = QDate::currentDate().toString("dd.MM.yyyy");
    EXPECT_TRUE(model->index(0, 3, root).data().toString().startsWith(today))
        << model->index(0, 3, root).data().toString().toStdString();
    rows.sort();
    EXPECT_EQ(rows, (QStringList{"Архив |  | Папка", "Налёт.png | 3,5 КБ | Файл PNG"}));
    QStringList texts;
    for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
        texts << b->text().remove('&');
    for (QLabel* l : dialog->findChildren<QLabel*>())
        texts << l->text().remove('&');
    for (const QString& t : texts)
        EXPECT_FALSE(t.contains(QRegularExpression("^[A-Za-z][a-z]+"))) << t.toStdString();
    apptest::saveScreenshot(dialog.get(), QStringLiteral("dialog_save"));

    EXPECT_EQ(korv::app::russianFileSize(512), "512 Б");
    EXPECT_EQ(korv::app::russianFileSize(2 * 1024 * 1024 + 300 * 1024), "2,3 МБ");
    EXPECT_EQ(korv::app::russianFileSize(15LL * 1024 * 1024 * 1024), "15 ГБ");
}
