// The container as a form designer uses it: the property table and the property dialog with the
// control's pages. The libraries are reached as the program reaches them, through the registry.
#include "containerwindow.h"
#include "controls/host/createcontrol.h"
#include "controls/host/registry.h"
#include "propertydialog.h"
#include "screenshot.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace korv::host;

namespace {

const QString kTarvixLib = QStringLiteral(TARVIX_LIBRARY);
const QString kDrovanettaLib = QStringLiteral(DROVANETTA_LIBRARY);

// Qt's own warnings, collected while a check runs.
QStringList g_warnings;
void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& text) {
    // The offscreen platform's own notice about window size hints says nothing about the container.
    if (type != QtDebugMsg && type != QtInfoMsg && !text.contains(QLatin1String("propagateSizeHints")))
        g_warnings << text;
}

class ContainerTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QByteArray savedRegistry;
    QtMessageHandler savedHandler = nullptr;

    void SetUp() override {
        savedRegistry = qgetenv("KORV_REGISTRY");
        qputenv("KORV_REGISTRY", dir.filePath(QStringLiteral("registry.ini")).toLocal8Bit());
        ASSERT_EQ(RegisterLibrary(kTarvixLib), kOk);
        ASSERT_EQ(RegisterLibrary(kDrovanettaLib), kOk);
        g_warnings.clear();
        savedHandler = qInstallMessageHandler(collectWarnings);
    }
    void TearDown() override {
        qInstallMessageHandler(savedHandler);
        qputenv("KORV_REGISTRY", savedRegistry);
    }

    static int rowOf(QTableWidget* table, const QString& name) {
        for (int r = 0; r < table->rowCount(); ++r)
            if (table->item(r, 0)->text() == name)
                return r;
        return -1;
    }
};

} // namespace

TEST_F(ContainerTest, TableEditEndsBeforeTheTableIsRebuilt) {
    ContainerWindow w;
    w.setQuiet(true);
    ASSERT_TRUE(w.place(QStringLiteral("Project1.TarvixProgress")));
    w.show();
    QApplication::setActiveWindow(&w);
    auto* table = w.findChild<QTableWidget*>(QStringLiteral("properties"));
    ASSERT_NE(table, nullptr);
    const int row = rowOf(table, QStringLiteral("Value"));
    ASSERT_GE(row, 0);
    table->setCurrentCell(row, 1);
    table->editItem(table->item(row, 1));
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("57"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.control()->getByName(QStringLiteral("Value")).toInt(), 57);
    EXPECT_TRUE(w.isModified());
    EXPECT_EQ(table->item(rowOf(table, QStringLiteral("Value")), 1)->text(), QStringLiteral("57"));

    // The edit that ends because the focus moves on, as a click elsewhere ends it.
    const int textRow = rowOf(table, QStringLiteral("Text"));
    table->setCurrentCell(textRow, 1);
    table->editItem(table->item(textRow, 1));
    editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Итого"));
    w.findChild<QComboBox*>()->setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.control()->getByName(QStringLiteral("Text")).toString(), QStringLiteral("Итого"));
    EXPECT_EQ(table->item(rowOf(table, QStringLiteral("Text")), 1)->text(), QStringLiteral("Итого"));
    EXPECT_TRUE(g_warnings.isEmpty()) << g_warnings.join(QLatin1Char('\n')).toStdString();
}

// ---- the property dialog ------------------------------------------------------------------------------

namespace {

// The dialog of a placed progress bar, shown but not run modally; refusals are recorded.
class DialogTest : public ContainerTest {
protected:
    std::unique_ptr<ContainerWindow> window;
    std::unique_ptr<PropertyDialog> dialog;
    QStringList reports;

    void SetUp() override {
        ContainerTest::SetUp();
        window = std::make_unique<ContainerWindow>();
        window->setQuiet(true);
        ASSERT_TRUE(window->place(QStringLiteral("Project1.TarvixProgress")));
        window->show();
        open();
    }
    void TearDown() override {
        dialog.reset();
        window.reset();
        ContainerTest::TearDown();
    }
    void open() {
        dialog = std::make_unique<PropertyDialog>(window->control(), window.get());
        dialog->setErrorReporter(
            [this](const QString& title, const QString& text) { reports << title + QStringLiteral(": ") + text; });
        QObject::connect(dialog.get(), &PropertyDialog::applied, window.get(), [this] { ++appliedSignals; });
        dialog->show();
    }
    int appliedSignals = 0;

    template <typename W>
    W* onTab(int tab, const char* name) {
        auto* w = dialog->tabs()->widget(tab)->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QPushButton* button(const char* text) {
        for (QPushButton* b : dialog->findChildren<QPushButton*>())
            if (b->text() == QString::fromUtf8(text))
                return b;
        ADD_FAILURE() << text;
        return nullptr;
    }
    QVariant property(const char* name) { return window->control()->getByName(QString::fromLatin1(name)); }
};

} // namespace

TEST_F(DialogTest, ThePagesInTheControlsOrderAndTheFontPage) {
    ASSERT_EQ(dialog->tabs()->count(), 3);
    EXPECT_EQ(dialog->tabs()->tabText(0), QStringLiteral("Режим Tarvix"));
    EXPECT_EQ(dialog->tabs()->tabText(1), QStringLiteral("Режим Standart"));
    EXPECT_EQ(dialog->tabs()->tabText(2), QStringLiteral("Шрифт"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Свойства: TarvixProgress"));
    EXPECT_NE(button("ОК"), nullptr);
    EXPECT_NE(button("Отмена"), nullptr);
    EXPECT_FALSE(dialog->applyButton()->isEnabled());
    EXPECT_EQ(dialog->applyButton()->text(), QStringLiteral("Применить"));
    // Each page was loaded from the control: the new control is in the Tarvix look.
    EXPECT_EQ(onTab<QLineEdit>(0, "txtMax")->text(), QStringLiteral("100"));
    EXPECT_TRUE(onTab<QRadioButton>(1, "Option1")->isChecked());
    saveScreenshot(dialog.get(), QStringLiteral("property_dialog"));
}

TEST_F(DialogTest, ApplyFollowsTheChangedFlagOfThePages) {
    onTab<QLineEdit>(0, "txtText")->setText(QStringLiteral("Итого"));
    EXPECT_TRUE(dialog->applyButton()->isEnabled());
    dialog->applyButton()->click();
    EXPECT_EQ(property("Text").toString(), QStringLiteral("Итого"));
    EXPECT_FALSE(dialog->applyButton()->isEnabled());
    EXPECT_EQ(appliedSignals, 1);
    EXPECT_TRUE(window->isModified());
    EXPECT_TRUE(dialog->isVisible());

    onTab<QCheckBox>(0, "chkCaptionVisible")->click();
    EXPECT_TRUE(dialog->applyButton()->isEnabled());
    onTab<QCheckBox>(0, "chkCaptionVisible")->click(); // ticked again: still an edit of the page
    EXPECT_TRUE(dialog->applyButton()->isEnabled());
    button("ОК")->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(property("CaptionVisible").toBool());
}

TEST_F(DialogTest, CancelWritesNothing) {
    onTab<QLineEdit>(0, "txtMin")->setText(QStringLiteral("10"));
    button("Отмена")->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(property("Min").toInt(), 0);
    EXPECT_EQ(appliedSignals, 0);
}

TEST_F(DialogTest, RefusedApplyShowsWhyAndKeepsTheDialogOpen) {
    onTab<QLineEdit>(0, "txtText")->setText(QStringLiteral("Шаг"));
    onTab<QLineEdit>(0, "txtMin")->setText(QStringLiteral("abc"));
    dialog->tabs()->setCurrentIndex(2);
    button("ОК")->click();
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].startsWith(QStringLiteral("Режим Tarvix: Минимальное значение «abc»")))
        << reports[0].toStdString();
    EXPECT_EQ(dialog->tabs()->currentIndex(), 0); // the page that refused
    EXPECT_TRUE(dialog->applyButton()->isEnabled());
    EXPECT_EQ(property("Text").toString(), QString());
    EXPECT_FALSE(window->isModified());
    EXPECT_EQ(appliedSignals, 0);

    onTab<QLineEdit>(0, "txtMin")->setText(QStringLiteral("5"));
    button("ОК")->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(property("Min").toInt(), 5);
    EXPECT_EQ(property("Text").toString(), QStringLiteral("Шаг"));
}

TEST_F(DialogTest, ALookSwitchedOnOnePageShowsOnTheOtherWhenItsTabIsShown) {
    dialog->tabs()->setCurrentIndex(1);
    onTab<QRadioButton>(1, "optStandartActivate")->click();
    EXPECT_EQ(property("Style").toInt(), 0); // at once, before any Apply
    EXPECT_FALSE(onTab<QLineEdit>(1, "txtText")->isHidden());
    saveScreenshot(dialog.get(), QStringLiteral("property_dialog_standart"));
    dialog->tabs()->setCurrentIndex(0);
    EXPECT_TRUE(onTab<QRadioButton>(0, "Option123")->isChecked());
    EXPECT_TRUE(onTab<QLineEdit>(0, "txtText")->isHidden());
    onTab<QRadioButton>(0, "optTarvixActivate")->click();
    EXPECT_EQ(property("Style").toInt(), 1);
    EXPECT_FALSE(onTab<QLineEdit>(0, "txtText")->isHidden());
}

TEST_F(DialogTest, FontPageWritesTheFont) {
    dialog->tabs()->setCurrentIndex(2);
    EXPECT_FALSE(dialog->applyButton()->isEnabled());
    onTab<QFontComboBox>(2, "cboFontName")->setCurrentFont(QFont(QStringLiteral("DejaVu Serif")));
    onTab<QSpinBox>(2, "txtFontSize")->setValue(14);
    EXPECT_TRUE(dialog->applyButton()->isEnabled());
    saveScreenshot(dialog.get(), QStringLiteral("property_dialog_font"));
    dialog->applyButton()->click();
    const QFont f = property("Font").value<QFont>();
    EXPECT_EQ(f.family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(f.pointSize(), 14);
}

TEST_F(ContainerTest, PropertiesButtonOnlyForAControlWithPages) {
    ContainerWindow w;
    w.setQuiet(true);
    auto* properties = w.findChild<QPushButton*>(QStringLiteral("cmdProperties"));
    ASSERT_NE(properties, nullptr);
    EXPECT_FALSE(properties->isEnabled());
    ASSERT_TRUE(w.place(QStringLiteral("Project1.TarvixProgress")));
    EXPECT_TRUE(properties->isEnabled());
    ASSERT_TRUE(w.place(QStringLiteral("Drovanetta.DrovanettaX")));
    EXPECT_FALSE(properties->isEnabled());
}
