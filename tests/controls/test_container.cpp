// The container as a form designer uses it: the property table and the property dialog with the
// control's pages. The libraries are reached as the program reaches them, through the registry.
#include "containerwindow.h"
#include "controls/host/createcontrol.h"
#include "controls/host/registry.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
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
