// The two property pages of the progress bar against a control in each look: what SelectionChanged
// loads, what ApplyChanges writes and in which order, the preview of page Tarvix, the mode options and
// the colour buttons (the colour dialog answered without a window).
#include "controls/host/controlerror.h"
#include "controls/progress/constituents.h"
#include "controls/progress/page_rules.h"
#include "controls/progress/pageparts.h"
#include "controls/progress/standartpage.h"
#include "controls/progress/tarvixpage.h"
#include "controls/progress/tarvixprogress.h"
#include "recording_site.h"
#include "screenshot.h"
#include "support/error_number.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QToolButton>

#include <gtest/gtest.h>

using korv::host::ControlError;
using namespace tarvix;

namespace {

template <typename W>
W* child(QWidget& page, const char* name) {
    auto* w = page.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

QImage gradient(int w, int h, QColor from, QColor to) {
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, w, h);
    g.setColorAt(0, from);
    g.setColorAt(1, to);
    p.fillRect(img.rect(), g);
    return img;
}

// A placed control that the pages edit.
class PageTest : public ::testing::Test {
protected:
    RecordingSite site;
    TarvixProgress bar{&site};

    void SetUp() override {
        bar.initProperties();
        bar.resize(204, 24);
    }

    static bool shown(QWidget& page, const char* name) { return !child<QWidget>(page, name)->isHidden(); }
};

class TarvixPageTest : public PageTest {
protected:
    TarvixPage page;
    QLineEdit* txtText() { return child<QLineEdit>(page, "txtText"); }
    QLineEdit* txtMin() { return child<QLineEdit>(page, "txtMin"); }
    QLineEdit* txtMax() { return child<QLineEdit>(page, "txtMax"); }
    QLabel* Label6() { return child<QLabel>(page, "Label6"); }
    PreviewBox* Image3() { return child<PreviewBox>(page, "Image3"); }
    PictureBox* Image1() { return child<PictureBox>(page, "Image1"); }
    PictureBox* Image2() { return child<PictureBox>(page, "Image2"); }
    ColorSwatch* Shape1() { return child<ColorSwatch>(page, "Shape1"); }
};

class StandartPageTest : public PageTest {
protected:
    StandartPage page;
    QLineEdit* txtText() { return child<QLineEdit>(page, "txtText"); }
    QLineEdit* txtMin() { return child<QLineEdit>(page, "txtMin"); }
    QLineEdit* txtMax() { return child<QLineEdit>(page, "txtMax"); }
    ColorSwatch* Back() { return child<ColorSwatch>(page, "Back"); }
    ColorSwatch* Fore() { return child<ColorSwatch>(page, "Fore"); }
};

const char* const kTarvixLookControls[] = {"Image3", "fraRange", "fraStretch", "Label3", "chkCaptionVisible",
                                           "Shape1", "Command1", "txtText"};
const char* const kStandartLookControls[] = {"TarvixProgress1", "fraRange",          "fraColor",
                                             "Label3",          "chkCaptionVisible", "txtText"};

} // namespace

// ---- the arithmetic of the pages ----------------------------------------------------------------------

TEST(PageRules, BoundsAsThePreviewReadsThem) {
    EXPECT_EQ(leadingValue(QStringLiteral("20")), 20.0);
    EXPECT_EQ(leadingValue(QStringLiteral(" 12,5")), 12.5);
    EXPECT_EQ(leadingValue(QStringLiteral("&H10")), 16.0);
    EXPECT_EQ(leadingValue(QStringLiteral("15 штук")), 15.0);
    EXPECT_EQ(leadingValue(QStringLiteral("-7abc")), -7.0);
    EXPECT_EQ(leadingValue(QStringLiteral("abc")), 0.0);
    EXPECT_EQ(leadingValue(QString()), 0.0);
}

TEST(PageRules, PreviewPercentBarAndCaption) {
    EXPECT_EQ(previewPercent(1, 0, 8), 12); // 12.5, half to even
    EXPECT_EQ(previewPercent(3, 0, 8), 38);
    EXPECT_EQ(previewPercent(30, 0, 100), 30);
    EXPECT_FALSE(previewPercent(30, 5, 5).has_value());
    EXPECT_EQ(previewCaption(QString(), 30, true), QStringLiteral("70%"));
    EXPECT_EQ(previewCaption(QStringLiteral("Итого"), 57, false), QStringLiteral("Итого 57%"));
    EXPECT_EQ(previewBarWidth(50, 0, 100, 337), 166); // 166.5 inside a 2-pixel border, half to even
    EXPECT_EQ(previewBarWidth(3, 10, 20, 337), 0);    // a counter below the new range: no bar, not a fault
    EXPECT_EQ(previewBarWidth(300, 0, 100, 337), 333);
    EXPECT_EQ(previewBarWidth(5, 5, 5, 337), 0);
}

TEST(PageRules, FrameIsCutToTheLargestPreview) {
    EXPECT_EQ(previewFrameSize(QSize(500, 100)), QSize(337, 73));
    EXPECT_EQ(previewFrameSize(QSize(100, 20)), QSize(104, 24));
    EXPECT_EQ(previewFrameSize(QSize(500, 20)), QSize(337, 24));
    EXPECT_EQ(previewFrameSize(QSize()), QSize(337, 73));
}

TEST(PageRules, TypedBoundsAreCheckedAsThePutsWillConvertThem) {
    const TypedRange r = checkTypedRange(QStringLiteral("10"), QStringLiteral("20,5"), true);
    EXPECT_EQ(r.min, 10);
    EXPECT_EQ(r.max, 20);
    EXPECT_EQ(checkTypedRange(QStringLiteral("-5"), QStringLiteral("&H20"), true).max, 32);
    EXPECT_EQ(checkTypedRange(QStringLiteral("10"), QStringLiteral("10"), false).max, 10);
    auto failure = [](const char* lo, const char* hi, bool divides) {
        try {
            checkTypedRange(QString::fromUtf8(lo), QString::fromUtf8(hi), divides);
        } catch (const ControlError& e) {
            return std::make_pair(e.number(), e.description());
        }
        return std::make_pair(0, QString());
    };
    EXPECT_EQ(failure("abc", "20", true).first, ControlError::TypeMismatch);
    EXPECT_TRUE(failure("abc", "20", true).second.startsWith(QStringLiteral("Минимальное значение «abc»")));
    EXPECT_EQ(failure("", "20", false).first, ControlError::TypeMismatch);
    EXPECT_EQ(failure("1", "40000", false).first, ControlError::Overflow);
    EXPECT_TRUE(failure("1", "40000", false).second.startsWith(QStringLiteral("Максимальное значение 40000")));
    EXPECT_EQ(failure("32767", "32767", false).first, ControlError::Overflow);
    EXPECT_EQ(failure("15", "15", true).first, ControlError::DivisionByZero);
    EXPECT_EQ(failure("15", "15,0", true).first, ControlError::DivisionByZero);
    EXPECT_EQ(failure("", "", true).first, ControlError::TypeMismatch);
}

// ---- page Tarvix ---------------------------------------------------------------------------------------

TEST_F(TarvixPageTest, LoadsAControlInItsLook) {
    const QImage back = gradient(500, 100, Qt::white, QColor(255, 200, 120));
    const QImage working = gradient(30, 30, QColor(0, 120, 0), QColor(120, 255, 120));
    bar.setColor(0xFF);
    bar.setText(QStringLiteral("Шаг"));
    bar.setMax(60);
    bar.setMin(10);
    bar.setValue(35);
    bar.setBackStretch(false);
    bar.setBackPicture(back);
    bar.setPicture(working);
    bar.setCaptionFont(QFont(QStringLiteral("DejaVu Serif"), 12));
    site.notices.clear();
    page.setSelectedControls({&bar});

    EXPECT_TRUE(child<QRadioButton>(page, "optTarvixActivate")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(page, "Option123")->isChecked());
    for (const char* name : kTarvixLookControls)
        EXPECT_TRUE(shown(page, name)) << name;
    EXPECT_EQ(Shape1()->fillColor(), 0xFFu);
    EXPECT_EQ(txtText()->text(), QStringLiteral("Шаг"));
    EXPECT_EQ(txtMin()->text(), QStringLiteral("10"));
    EXPECT_EQ(txtMax()->text(), QStringLiteral("60"));
    EXPECT_FALSE(child<QCheckBox>(page, "chkInvertPersent")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(page, "chkBackStretch")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(page, "chkStretch")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(page, "chkCaptionVisible")->isChecked());
    // The preview: the frame cut to 337 x 73, the working picture half as wide as the inside.
    EXPECT_EQ(Image3()->size(), QSize(337, 73));
    EXPECT_EQ(Image3()->picture(), back);
    EXPECT_EQ(Image1()->picture(), back);
    EXPECT_EQ(Image2()->picture(), working);
    EXPECT_EQ(Image2()->geometry(), QRect(2, 2, 166, 69));
    EXPECT_EQ(Label6()->text(), QStringLiteral("Шаг 50%"));
    EXPECT_EQ(Label6()->font().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(Label6()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_FALSE(Label6()->isHidden());
    EXPECT_LE(std::abs(Label6()->geometry().center().x() - 168), 1);
    EXPECT_LE(std::abs(Label6()->geometry().center().y() - 36), 1);
    EXPECT_FALSE(page.changed());
    EXPECT_TRUE(site.notices.isEmpty()); // the page only read
}

TEST_F(TarvixPageTest, PreviewCaptionIsInvertedAndHiddenWithTheCaption) {
    bar.setValue(30);
    bar.setInvertPersent(true);
    page.setSelectedControls({&bar});
    EXPECT_TRUE(child<QCheckBox>(page, "chkInvertPersent")->isChecked());
    EXPECT_EQ(Label6()->text(), QStringLiteral("70%"));
    EXPECT_EQ(Image2()->width(), 100); // the bar is never inverted: 30 % of 333

    bar.setCaptionVisible(false);
    page.SelectionChanged();
    EXPECT_TRUE(Label6()->isHidden());
}

TEST_F(TarvixPageTest, SmallBackgroundSizesTheFrame) {
    bar.setBackPicture(gradient(100, 20, Qt::white, Qt::gray));
    page.setSelectedControls({&bar});
    EXPECT_EQ(Image3()->size(), QSize(104, 24));
    EXPECT_EQ(Image1()->geometry(), QRect(2, 2, 100, 20));
    bar.setBackPicture(QImage());
    page.SelectionChanged();
    EXPECT_EQ(Image3()->size(), QSize(337, 73));
}

TEST_F(TarvixPageTest, StandartControlShowsOnlyTheModeOption) {
    bar.setBarStyle(Standart);
    page.setSelectedControls({&bar});
    EXPECT_FALSE(child<QRadioButton>(page, "optTarvixActivate")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(page, "Option123")->isChecked());
    EXPECT_TRUE(shown(page, "optTarvixActivate"));
    for (const char* name : kTarvixLookControls)
        EXPECT_FALSE(shown(page, name)) << name;
    EXPECT_FALSE(page.changed());
    // Option123 lies below the visible part of the page.
    EXPECT_GE(child<QRadioButton>(page, "Option123")->y(), page.height());
}

TEST_F(TarvixPageTest, ModeOptionSwitchesTheLookAtOnceAndFillsThePage) {
    bar.setBarStyle(Standart);
    bar.setText(QStringLiteral("Итого"));
    page.setSelectedControls({&bar});
    site.notices.clear();
    child<QRadioButton>(page, "optTarvixActivate")->click();
    EXPECT_EQ(bar.barStyle(), Tarvix);
    EXPECT_EQ(site.notices, QStringList{QStringLiteral("Style")});
    for (const char* name : kTarvixLookControls)
        EXPECT_TRUE(shown(page, name)) << name;
    EXPECT_EQ(txtText()->text(), QStringLiteral("Итого"));
    EXPECT_EQ(Label6()->text(), QStringLiteral("Итого 100%"));
    EXPECT_FALSE(page.changed()); // the switch is done; the page was loaded afresh
}

TEST_F(TarvixPageTest, EveryEditSetsTheChangedFlag) {
    page.setSelectedControls({&bar});
    page.CommonDialog1().setPrompt([](const QColor&, QWidget*) { return std::optional<QColor>(); });
    auto check = [&](const char* what, const std::function<void()>& edit) {
        page.SelectionChanged();
        ASSERT_FALSE(page.changed());
        edit();
        EXPECT_TRUE(page.changed()) << what;
    };
    check("txtText", [&] { txtText()->setText(QStringLiteral("a")); });
    check("txtMin", [&] { txtMin()->setText(QStringLiteral("1")); });
    check("txtMax", [&] { txtMax()->setText(QStringLiteral("9")); });
    for (const char* box : {"chkInvertPersent", "chkStretch", "chkBackStretch", "chkCaptionVisible"})
        check(box, [&] { child<QCheckBox>(page, box)->click(); });
    check("Command1", [&] { child<QToolButton>(page, "Command1")->click(); });
    check("optTarvixActivate", [&] { child<QRadioButton>(page, "optTarvixActivate")->click(); });
}

TEST_F(TarvixPageTest, ApplyWritesEverySettingMinBeforeMax) {
    bar.setMax(5);
    bar.setValue(3);
    page.setSelectedControls({&bar});
    page.show();
    QApplication::setActiveWindow(&page);
    page.CommonDialog1().setPrompt([](const QColor&, QWidget*) { return std::optional<QColor>(QColor(0, 128, 0)); });
    child<QToolButton>(page, "Command1")->click();
    txtText()->setText(QStringLiteral("Шаг"));
    txtMin()->setText(QStringLiteral("10")); // a range wholly above the old one
    txtMax()->setText(QStringLiteral("20"));
    for (const char* box : {"chkInvertPersent", "chkStretch", "chkBackStretch", "chkCaptionVisible"})
        child<QCheckBox>(page, box)->click();
    site.notices.clear();
    page.ApplyChanges();
    EXPECT_EQ(site.notices, (QStringList{"Color", "Text", "Min", "Max", "InvertPersent", "CaptionVisible",
                                         "BackStretch", "Stretch"}));
    EXPECT_EQ(bar.color(), 0x008000u);
    EXPECT_EQ(bar.text(), QStringLiteral("Шаг"));
    EXPECT_EQ(bar.min(), 10);
    EXPECT_EQ(bar.max(), 20);
    EXPECT_EQ(bar.value(), 10);
    EXPECT_TRUE(bar.invertPersent());
    EXPECT_FALSE(bar.captionVisible());
    EXPECT_FALSE(bar.backStretch());
    EXPECT_FALSE(bar.stretch());
    // The preview took the stretch flags; the counter lies below the new range, so its bar is empty.
    EXPECT_FALSE(Image1()->stretch());
    EXPECT_FALSE(Image2()->stretch());
    EXPECT_EQ(Image1()->size(), QSize(333, 69));
    EXPECT_EQ(Image2()->width(), 0);
    EXPECT_EQ(QApplication::focusWidget(), child<QRadioButton>(page, "Option123"));
}

TEST_F(TarvixPageTest, ApplyToAControlSwitchedToTheOtherLookKeepsThatLook) {
    page.setSelectedControls({&bar});
    txtText()->setText(QStringLiteral("Шаг"));
    bar.setBarStyle(Standart); // by the other page, while this one had an edit pending
    page.ApplyChanges();
    EXPECT_EQ(bar.text(), QStringLiteral("Шаг"));
    EXPECT_EQ(bar.barStyle(), Standart);
}

TEST_F(TarvixPageTest, ApplyRefusesUnusableBoundsAndChangesNothing) {
    bar.setMax(50);
    page.setSelectedControls({&bar});
    txtText()->setText(QStringLiteral("Шаг"));
    child<QCheckBox>(page, "chkStretch")->click();
    struct Case {
        const char* min;
        const char* max;
        int number;
    };
    for (const Case& c : {Case{"15", "15", ControlError::DivisionByZero}, Case{"", "", ControlError::TypeMismatch},
                          Case{"abc", "20", ControlError::TypeMismatch}, Case{"1", "40000", ControlError::Overflow},
                          Case{"32767", "32767", ControlError::Overflow}}) {
        txtMin()->setText(QString::fromLatin1(c.min));
        txtMax()->setText(QString::fromLatin1(c.max));
        site.notices.clear();
        EXPECT_EQ(errorNumberOf<ControlError>([&] { page.ApplyChanges(); }), c.number) << c.min << " " << c.max;
        EXPECT_TRUE(site.notices.isEmpty()) << c.min << " " << c.max;
    }
    EXPECT_EQ(bar.text(), QString());
    EXPECT_TRUE(bar.stretch());
    EXPECT_EQ(bar.max(), 50);
}

TEST_F(TarvixPageTest, ColourButtonOpensWithTheSwatchAndCancelKeepsIt) {
    bar.setColor(0x80000012); // the button-text system colour stays a system colour
    page.setSelectedControls({&bar});
    QColor opened;
    page.CommonDialog1().setPrompt([&opened](const QColor& initial, QWidget*) {
        opened = initial;
        return std::optional<QColor>();
    });
    child<QToolButton>(page, "Command1")->click();
    EXPECT_EQ(opened, QGuiApplication::palette().color(QPalette::ButtonText));
    EXPECT_EQ(Shape1()->fillColor(), 0x80000012u);
    EXPECT_TRUE(page.changed());
    page.CommonDialog1().setPrompt([](const QColor&, QWidget*) { return std::optional<QColor>(QColor(1, 2, 3)); });
    child<QToolButton>(page, "Command1")->click();
    EXPECT_EQ(Shape1()->fillColor(), 0x030201u);
}

// ---- page Standart -------------------------------------------------------------------------------------

TEST_F(StandartPageTest, LoadsAControlInItsLookWithThePreview) {
    bar.setBarStyle(Standart);
    bar.setBackColor(0x00FFFF);
    bar.setForeColor(0xC00000);
    bar.setMax(500);
    bar.setValue(300);
    bar.setText(QStringLiteral("Итого"));
    bar.setInvertPersent(true);
    page.setSelectedControls({&bar});

    EXPECT_TRUE(child<QRadioButton>(page, "optStandartActivate")->isChecked());
    for (const char* name : kStandartLookControls)
        EXPECT_TRUE(shown(page, name)) << name;
    EXPECT_EQ(Back()->fillColor(), 0x00FFFFu);
    EXPECT_EQ(Fore()->fillColor(), 0xC00000u);
    EXPECT_EQ(txtText()->text(), QStringLiteral("Итого"));
    EXPECT_EQ(txtMin()->text(), QStringLiteral("0"));
    EXPECT_EQ(txtMax()->text(), QStringLiteral("500"));
    EXPECT_TRUE(child<QCheckBox>(page, "chkInvertPersent")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(page, "chkCaptionVisible")->isChecked());
    TarvixProgress* preview = page.TarvixProgress1();
    EXPECT_EQ(preview->barStyle(), Standart);
    EXPECT_EQ(preview->backColor(), 0x00FFFFu);
    EXPECT_EQ(preview->foreColor(), 0xC00000u);
    EXPECT_EQ(preview->max(), 500);
    EXPECT_EQ(preview->value(), 300); // the control's own counter, not the one clamped to 0..100
    EXPECT_TRUE(preview->invertPersent());
    EXPECT_EQ(preview->labelCaption(), QStringLiteral("Итого 40%"));
    EXPECT_FALSE(page.changed());
}

TEST_F(StandartPageTest, TarvixControlShowsOnlyTheModeOption) {
    page.setSelectedControls({&bar});
    EXPECT_TRUE(child<QRadioButton>(page, "Option1")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(page, "optStandartActivate")->isChecked());
    EXPECT_TRUE(shown(page, "optStandartActivate"));
    for (const char* name : kStandartLookControls)
        EXPECT_FALSE(shown(page, name)) << name;
    EXPECT_GE(child<QRadioButton>(page, "Option1")->y(), page.height());
}

TEST_F(StandartPageTest, ModeOptionSwitchesTheLookAtOnceAndFillsThePage) {
    bar.setValue(57);
    page.setSelectedControls({&bar});
    site.notices.clear();
    child<QRadioButton>(page, "optStandartActivate")->click();
    EXPECT_EQ(bar.barStyle(), Standart);
    EXPECT_FALSE(bar.picture1()->isHidden());
    EXPECT_EQ(site.notices, QStringList{QStringLiteral("Style")});
    for (const char* name : kStandartLookControls)
        EXPECT_TRUE(shown(page, name)) << name;
    EXPECT_EQ(page.TarvixProgress1()->labelCaption(), QStringLiteral("57%"));
    EXPECT_FALSE(page.changed());
}

TEST_F(StandartPageTest, ApplyTakesARangeAboveTheOldOne) {
    bar.setBarStyle(Standart);
    bar.setMax(5);
    page.setSelectedControls({&bar});
    page.show();
    QApplication::setActiveWindow(&page);
    page.CommonDialog2().setPrompt([](const QColor&, QWidget*) { return std::optional<QColor>(QColor(0, 0, 255)); });
    child<QToolButton>(page, "Command1")->click(); // Back
    page.CommonDialog2().setPrompt([](const QColor&, QWidget*) { return std::optional<QColor>(QColor(255, 0, 0)); });
    child<QToolButton>(page, "Command2")->click(); // Fore
    txtMin()->setText(QStringLiteral("10"));
    txtMax()->setText(QStringLiteral("20"));
    txtText()->setText(QStringLiteral("Шаг"));
    child<QCheckBox>(page, "chkInvertPersent")->click();
    child<QCheckBox>(page, "chkCaptionVisible")->click();
    const int previewValue = page.TarvixProgress1()->value();
    site.notices.clear();
    page.ApplyChanges();
    EXPECT_EQ(site.notices,
              (QStringList{"CaptionVisible", "BackColor", "ForeColor", "Text", "Min", "Max", "InvertPersent"}));
    EXPECT_EQ(bar.min(), 10);
    EXPECT_EQ(bar.max(), 20);
    EXPECT_EQ(bar.backColor(), 0xFF0000u);
    EXPECT_EQ(bar.foreColor(), 0x0000FFu);
    EXPECT_EQ(bar.text(), QStringLiteral("Шаг"));
    EXPECT_TRUE(bar.invertPersent());
    EXPECT_FALSE(bar.captionVisible());
    EXPECT_EQ(page.TarvixProgress1()->value(), previewValue); // Apply leaves the preview alone
    EXPECT_EQ(QApplication::focusWidget(), child<QRadioButton>(page, "Option1"));
}

TEST_F(StandartPageTest, EqualBoundsAreTheControlsToSortOutInEitherLook) {
    bar.setBarStyle(Standart);
    page.setSelectedControls({&bar});
    txtMin()->setText(QStringLiteral("10"));
    txtMax()->setText(QStringLiteral("10"));
    bar.setBarStyle(Tarvix); // by the other page, while this one had edits pending
    page.ApplyChanges();     // no preview divides by the range here
    EXPECT_EQ(bar.min(), 10);
    EXPECT_EQ(bar.max(), 11);
    EXPECT_EQ(bar.barStyle(), Tarvix);
}

TEST_F(StandartPageTest, ApplyRefusesATextThatIsNoNumberAndChangesNothing) {
    bar.setBarStyle(Standart);
    page.setSelectedControls({&bar});
    child<QCheckBox>(page, "chkCaptionVisible")->click();
    txtMax()->setText(QStringLiteral("сто"));
    site.notices.clear();
    EXPECT_EQ(errorNumberOf<ControlError>([&] { page.ApplyChanges(); }), ControlError::TypeMismatch);
    EXPECT_TRUE(site.notices.isEmpty());
    EXPECT_TRUE(bar.captionVisible());
}

TEST_F(StandartPageTest, EveryEditSetsTheChangedFlag) {
    bar.setBarStyle(Standart);
    page.setSelectedControls({&bar});
    page.CommonDialog2().setPrompt([](const QColor&, QWidget*) { return std::optional<QColor>(); });
    auto check = [&](const char* what, const std::function<void()>& edit) {
        page.SelectionChanged();
        ASSERT_FALSE(page.changed());
        edit();
        EXPECT_TRUE(page.changed()) << what;
    };
    check("txtText", [&] { txtText()->setText(QStringLiteral("a")); });
    check("txtMin", [&] { txtMin()->setText(QStringLiteral("1")); });
    check("txtMax", [&] { txtMax()->setText(QStringLiteral("9")); });
    for (const char* box : {"chkInvertPersent", "chkCaptionVisible"})
        check(box, [&] { child<QCheckBox>(page, box)->click(); });
    check("Command1", [&] { child<QToolButton>(page, "Command1")->click(); });
    check("Command2", [&] { child<QToolButton>(page, "Command2")->click(); });
    check("optStandartActivate", [&] { child<QRadioButton>(page, "optStandartActivate")->click(); });
}

// ---- screenshots ----------------------------------------------------------------------------------------

TEST_F(PageTest, ScreenshotsOfBothPagesInBothLooks) {
    bar.setBackPicture(gradient(337, 69, QColor(250, 250, 255), QColor(180, 200, 240)));
    bar.setPicture(gradient(40, 69, QColor(60, 160, 60), QColor(170, 240, 170)));
    bar.setColor(0x800000);
    bar.setText(QStringLiteral("Итого"));
    bar.setValue(57);
    {
        TarvixPage page;
        page.setSelectedControls({&bar});
        page.show();
        saveScreenshot(&page, QStringLiteral("page_tarvix"));
        StandartPage other;
        other.setSelectedControls({&bar});
        other.show();
        saveScreenshot(&other, QStringLiteral("page_standart_tarvix_control"));
    }
    bar.setBarStyle(Standart);
    {
        StandartPage page;
        page.setSelectedControls({&bar});
        page.show();
        saveScreenshot(&page, QStringLiteral("page_standart"));
        TarvixPage other;
        other.setSelectedControls({&bar});
        other.show();
        saveScreenshot(&other, QStringLiteral("page_tarvix_standart_control"));
    }
}
