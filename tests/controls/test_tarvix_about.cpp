// The About form of the progress bar: the e-mail link's three looks driven by simulated pointer moves
// and presses, the waits around the mail call and the warning when it fails. The waits, the desktop's
// handler and the warning box are replaced, so nothing blocks and nothing is opened.
#include "controls/progress/about_rules.h"
#include "controls/progress/f_about.h"
#include "controls/progress/maillinkbox.h"
#include "controls/progress/tarvixprogress.h"
#include "screenshot.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tarvix;

namespace {

const QColor kBlue(0, 0, 255);
const QColor kLightBlue(0x80, 0x80, 0xFF);
const QColor kPurple(0x80, 0, 0x80);

class AboutTest : public ::testing::Test {
protected:
    f_About form;
    QStringList calls; // waits, mail calls and warnings in the order they happened
    bool shellAnswer = true;

    void SetUp() override {
        form.setSleep([this](int ms) { calls << QStringLiteral("wait %1 look %2").arg(ms).arg(form.linkLook()); });
        form.setShellOpen([this](const QString& link) {
            calls << QStringLiteral("open %1 look %2").arg(link).arg(form.linkLook());
            return shellAnswer;
        });
        form.setWarning([this](const QString& title, const QString& text) {
            calls << QStringLiteral("warning ") + title + QStringLiteral(" | ") + text;
        });
        form.show();
    }
    void TearDown() override {
        if (QWidget* g = QWidget::mouseGrabber())
            g->releaseMouse();
    }

    MailLinkBox* link() const { return form.Picture1(); }

    void move(int x, int y, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QMouseEvent e(QEvent::MouseMove, QPointF(x, y), link()->mapToGlobal(QPointF(x, y)), Qt::NoButton, Qt::NoButton,
                      mods);
        QApplication::sendEvent(link(), &e);
    }
    void press(Qt::MouseButton b, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QMouseEvent down(QEvent::MouseButtonPress, QPointF(5, 5), link()->mapToGlobal(QPointF(5, 5)), b, b, mods);
        QApplication::sendEvent(link(), &down);
        QMouseEvent up(QEvent::MouseButtonRelease, QPointF(5, 5), link()->mapToGlobal(QPointF(5, 5)), b, Qt::NoButton,
                       mods);
        QApplication::sendEvent(link(), &up);
    }

    // Pixels of a colour on the link's canvas, and whether its underline row is drawn in it.
    int pixels(const QColor& c) const {
        const QImage& img = link()->canvas();
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += img.pixelColor(x, y) == c ? 1 : 0;
        return n;
    }
    // An underline is a row below the baseline drawn almost wholly in the colour.
    bool underlined(const QColor& c) const {
        const QImage& img = link()->canvas();
        for (int y = QFontMetrics(link()->font()).ascent(); y < img.height(); ++y) {
            int n = 0;
            for (int x = 0; x < img.width(); ++x)
                n += img.pixelColor(x, y) == c ? 1 : 0;
            if (n > img.width() * 9 / 10)
                return true;
        }
        return false;
    }
};

} // namespace

TEST(AboutRules, LooksEdgesAndTheWarning) {
    EXPECT_EQ(mailLinkLook(0).color, 0xFF0000u);
    EXPECT_FALSE(mailLinkLook(0).underline);
    EXPECT_EQ(mailLinkLook(1).color, 0xFF8080u);
    EXPECT_TRUE(mailLinkLook(1).underline);
    EXPECT_EQ(mailLinkLook(2).color, 0x800080u);
    EXPECT_TRUE(mailLinkLook(2).underline);
    EXPECT_TRUE(pointerOutside(0, 5, 100, 16));
    EXPECT_TRUE(pointerOutside(100, 5, 100, 16));
    EXPECT_TRUE(pointerOutside(5, 16, 100, 16));
    EXPECT_TRUE(pointerOutside(5, 0, 100, 16));
    EXPECT_FALSE(pointerOutside(1, 1, 100, 16));
    EXPECT_FALSE(pointerOutside(99, 15, 100, 16));
    EXPECT_EQ(shellFailureText(QStringLiteral("mailto:a@b")),
              QStringLiteral("Невозможно выполнить \"mailto:a@b\".\nФайл не найден или компьютер не настроен для "
                             "работы в Internet."));
}

TEST_F(AboutTest, LoadsWithTheProductLineAndTheLinkInBlue) {
    EXPECT_EQ(form.windowTitle(), QStringLiteral("О контроле Tarvix Progress"));
    EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("Label1"))->text(), productLine());
    EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("Label7"))->palette().color(QPalette::WindowText),
              QColor(255, 0, 0));
    EXPECT_EQ(form.findChild<QPushButton*>(QStringLiteral("Command1"))->text(), QStringLiteral("Закрыть"));
    auto* label2 = form.findChild<QLabel*>(QStringLiteral("Label2"));
    EXPECT_TRUE(label2->text().startsWith(QStringLiteral("Автор: ") + authorName() + QStringLiteral(" (")));
    EXPECT_TRUE(label2->text().endsWith(QLatin1Char(')')));
    // The box is exactly as wide as the address and sits between the parentheses.
    EXPECT_EQ(link()->width(), QFontMetrics(link()->font()).horizontalAdvance(authorMail()));
    EXPECT_EQ(link()->parentWidget(), label2);
    const QFontMetrics fm(label2->font());
    const QString text = label2->text();
    EXPECT_GE(link()->x(), fm.horizontalAdvance(text.left(text.indexOf(QLatin1Char('(')) + 1)));
    EXPECT_LE(link()->geometry().right(), fm.horizontalAdvance(text.left(text.size() - 1)));
    EXPECT_EQ(link()->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(form.linkLook(), 0);
    EXPECT_GT(pixels(kBlue), 0);
    EXPECT_FALSE(underlined(kBlue));
}

TEST_F(AboutTest, HoverLightsTheLinkAndCapturesThePointerUntilItLeaves) {
    move(5, 5);
    EXPECT_EQ(link()->tag, QStringLiteral("SetCapture"));
    EXPECT_EQ(form.linkLook(), 1);
    EXPECT_EQ(QWidget::mouseGrabber(), link());
    EXPECT_GT(pixels(kLightBlue), 0);
    EXPECT_TRUE(underlined(kLightBlue));
    saveScreenshot(&form, QStringLiteral("f_about_hover"));

    move(6, 6); // still over it: nothing more happens
    EXPECT_EQ(form.linkLook(), 1);
    move(link()->width(), 5); // the right edge is off the link
    EXPECT_TRUE(link()->tag.isEmpty());
    EXPECT_EQ(form.linkLook(), 0);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_TRUE(underlined(kBlue) == false && pixels(kBlue) > 0);
    move(-20, 40); // further away: nothing to undo
    EXPECT_EQ(form.linkLook(), 0);
    EXPECT_TRUE(calls.isEmpty());
}

TEST_F(AboutTest, PressOpensTheMailProgramBetweenTheWaitsInPurple) {
    move(5, 5);
    int purpleWhilePressed = 0;
    form.setSleep([&](int ms) {
        calls << QStringLiteral("wait %1 look %2").arg(ms).arg(form.linkLook());
        purpleWhilePressed = pixels(kPurple);
    });
    press(Qt::LeftButton);
    EXPECT_EQ(calls, (QStringList{QStringLiteral("wait 250 look 2"),
                                  QStringLiteral("open mailto:") + authorMail() + QStringLiteral(" look 2"),
                                  QStringLiteral("wait 2000 look 2")}));
    EXPECT_GT(purpleWhilePressed, 0);
    EXPECT_EQ(form.linkLook(), 0);
    EXPECT_TRUE(link()->tag.isEmpty());
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr); // the press ended the capture with the hover
    move(5, 5);                                  // back over the link: lit again
    EXPECT_EQ(form.linkLook(), 1);
}

TEST_F(AboutTest, OnlyAPlainLeftPressCallsTheMailProgram) {
    move(5, 5);
    press(Qt::RightButton);
    press(Qt::LeftButton, Qt::ShiftModifier);
    press(Qt::LeftButton, Qt::ControlModifier);
    press(Qt::LeftButton, Qt::AltModifier);
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_TRUE(link()->tag.isEmpty()); // every press clears the hover
}

TEST_F(AboutTest, FailedMailCallWarnsAndTheFormStaysOpen) {
    shellAnswer = false;
    press(Qt::LeftButton);
    const QString mail = QStringLiteral("mailto:") + authorMail();
    ASSERT_EQ(calls.size(), 4);
    EXPECT_EQ(calls[2], QStringLiteral("warning О контроле Tarvix Progress | ") + shellFailureText(mail));
    EXPECT_EQ(calls[3], QStringLiteral("wait 2000 look 2"));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.linkLook(), 0);
}

TEST_F(AboutTest, CloseButtonUnloadsTheForm) {
    form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    EXPECT_FALSE(form.isVisible());
}

TEST_F(AboutTest, Screenshots) {
    saveScreenshot(&form, QStringLiteral("f_about"));
    form.PaintMailLink(2, link(), authorMail());
    saveScreenshot(&form, QStringLiteral("f_about_pressed"));
}

TEST(AboutBox, ShowsTheFormModallyAndReturnsWhenItCloses) {
    TarvixProgress bar;
    bar.initProperties();
    QString shownTitle;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(w, nullptr);
        shownTitle = w->windowTitle();
        modal = w->isModal();
        w->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    });
    bar.invokeByName(QStringLiteral("AboutBox"));
    EXPECT_EQ(shownTitle, QStringLiteral("О контроле Tarvix Progress"));
    EXPECT_TRUE(modal);
}
