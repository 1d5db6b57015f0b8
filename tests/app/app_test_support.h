#pragma once

// What the desktop program's tests share: directories, screenshots, the program under test.

#include "app/program.h"
#include "scripted_dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace apptest {

// The program directory of the build: control libraries, the reference database, the help document.
inline QString binDir() { return qEnvironmentVariable("KORV_BIN_DIR"); }

inline QString screenshotDir() {
    const QString env = qEnvironmentVariable("KORV_SCREENSHOT_DIR");
    return env.isEmpty() ? QStringLiteral(KORV_SCREENSHOT_DIR) : env;
}

// The logical dpi the tests run at, part of every screenshot's name.
inline int testDpi() {
    const int dpi = qEnvironmentVariableIntValue("QT_FONT_DPI");
    return dpi > 0 ? dpi : 96;
}

// Whether the tests run on a desktop: a real display with a window manager that frames the windows
// (`own_display.sh --desktop` says so).
inline bool onDesktop() {
    return QGuiApplication::platformName() == QLatin1String("xcb") && qEnvironmentVariableIsSet("KORV_DESKTOP");
}

// On a desktop, the window as the pilot sees it once the window manager has framed and placed it: its frame
// lies on the screen (buttons at the bottom included), and every label that shows a text is at least one line
// of its font high (a status line squeezed to a strip fails).
inline void expectWholeOnTheScreen(QWidget* window, const QString& name) {
    if (!onDesktop() || window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip)
        return;
    // The window manager frames a window a moment after it is mapped.
    (void)QTest::qWaitFor([&] { return window->isVisible() && window->frameGeometry() != window->geometry(); }, 3000);
    QTest::qWait(50); // and may still move or resize it once
    const QRect frame = window->frameGeometry();
    const QRect screen = window->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(frame)) << name.toStdString() << ": the frame " << frame.x() << ',' << frame.y() << ' '
                                        << frame.width() << 'x' << frame.height() << " reaches past the screen "
                                        << screen.width() << 'x' << screen.height();
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(window) || label->text().trimmed().isEmpty() || !label->pixmap().isNull())
            continue;
        EXPECT_GE(label->height(), label->fontMetrics().height())
            << name.toStdString() << ": label " << label->objectName().toStdString() << " «"
            << label->text().left(40).toStdString() << "» is " << label->height() << " px high, its font's line "
            << label->fontMetrics().height();
    }
}

// Saves a picture of the widget as <name>_<dpi>dpi.png; returns the path. On a desktop it is the window with
// its frame as the screen shows it, checked to be whole on the screen first.
inline QString saveScreenshot(QWidget* w, const QString& name) {
    QDir().mkpath(screenshotDir());
    const QString path = screenshotDir() + QLatin1Char('/') + name + QLatin1Char('_') + QString::number(testDpi()) +
                         QStringLiteral("dpi.png");
    if (onDesktop() && w->isWindow() && w->windowType() != Qt::Popup) {
        expectWholeOnTheScreen(w, name);
        const QRect frame = w->frameGeometry();
        w->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()).save(path);
    } else {
        w->grab().save(path);
    }
    return path;
}

// A program whose logbook lives in a temporary directory, with the database and help of the build, a
// fixed date and scripted dialogs. Programs started are recorded, not run.
struct TestProgram {
    explicit TestProgram(QDate date = QDate(2026, 12, 7), const QString& officeProfile = {},
                         const QString& startNotice = {})
        : today(date) {
        korv::app::ProgramOptions o;
        o.startNotice = startNotice;
        o.office.profileDir = officeProfile;
        o.bookDir = dir.path();
        o.databasePath = QDir(binDir()).filePath(QStringLiteral("FlightTables1.mdb"));
        o.helpPath = QDir(binDir()).filePath(QStringLiteral("Help/Korvelanta.HLP"));
        o.dialogs = &dialogs;
        o.today = [this] { return today; };
        o.startProgram = [this](const QString& path) {
            started << path;
            return startSucceeds;
        };
        program = std::make_unique<korv::app::Program>(std::move(o));
    }

    // A file of the logbook's name, so that "Заполнение" creates nothing and needs no Calc.
    void placeLogbookFile() {
        QFile f(QDir(dir.path()).filePath(QStringLiteral("Korvelanta.xls")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    QDate today;
    QStringList started;
    bool startSucceeds = true;
    std::unique_ptr<korv::app::Program> program;
};

template <typename T = QWidget>
T* child(QWidget* form, const char* name) {
    T* w = form->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

// Types into a box as the pilot would, replacing what it held.
inline void type(QWidget* form, const char* box, const QString& text) {
    auto* edit = child<QLineEdit>(form, box);
    edit->clear();
    QTest::keyClicks(edit, text);
}

inline void choose(QWidget* form, const char* combo, const QString& text) {
    auto* c = child<QComboBox>(form, combo);
    c->setCurrentIndex(c->findText(text));
}

// A shift on the input form, enough to calculate and write: Л-39, 1 h 25 min, 8 tenths of cloud from 600
// to 2000 m, by day.
inline void fillShift(QWidget* form) {
    choose(form, "cboTyp", QStringLiteral("Л-39"));
    type(form, "txtTpolChas", QStringLiteral("1"));
    type(form, "txtTpolMin", QStringLiteral("25"));
    type(form, "txtBal", QStringLiteral("8"));
    type(form, "txtHn", QStringLiteral("600"));
    type(form, "txtHv", QStringLiteral("2000"));
    type(form, "txtVidKm", QStringLiteral("6"));
    child<QRadioButton>(form, "optDSMU")->click();
    type(form, "txtShtorkaZ", QStringLiteral("200"));
    type(form, "txtShtorkaO", QStringLiteral("3000"));
    type(form, "txtHpol", QStringLiteral("5000"));
    type(form, "txtPol", QStringLiteral("1"));
    child<QRadioButton>(form, "optForward")->click();
    type(form, "txtUpr", QStringLiteral("7"));
    child<QRadioButton>(form, "optPrivate")->click();
}

} // namespace apptest
