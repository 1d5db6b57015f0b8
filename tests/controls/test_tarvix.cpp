#include "controls/host/controlerror.h"
#include "controls/host/propertybag.h"
#include "controls/progress/constituents.h"
#include "controls/progress/tarvixprogress.h"
#include "recording_site.h"
#include "support/error_number.h"

#include <QImage>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

using korv::host::ControlError;
using korv::host::MemoryPropertyBag;
using namespace tarvix;

namespace {

const QColor kWhite(255, 255, 255);
const QColor kDarkBlue(0, 0, 128); // &H800000

QImage solid(int w, int h, QColor c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

// A placed control, 200 x 20 pixels inside its three-dimensional border.
class TarvixTest : public ::testing::Test {
protected:
    RecordingSite site;
    TarvixProgress bar{&site};

    void SetUp() override {
        bar.initProperties();
        bar.resize(204, 24);
        bar.show(); // a hidden widget would get its resize events only when shown
        site.notices.clear();
    }

    QColor canvasAt(int x, int y) const { return bar.picture1()->canvas().pixelColor(x, y); }

    // Counts canvas pixels of a colour in the columns [x0, x1).
    int count(QColor c, int x0, int x1) const {
        const QImage& img = bar.picture1()->canvas();
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = x0; x < x1; ++x)
                n += img.pixelColor(x, y) == c ? 1 : 0;
        return n;
    }
};

} // namespace

TEST_F(TarvixTest, NewControlStartsFullInTheTarvixLook) {
    EXPECT_EQ(bar.value(), 100);
    EXPECT_EQ(bar.min(), 0);
    EXPECT_EQ(bar.max(), 100);
    EXPECT_EQ(bar.percent(), 100);
    EXPECT_EQ(bar.labelCaption(), QStringLiteral("100%"));
    EXPECT_EQ(bar.barStyle(), Tarvix);
    EXPECT_EQ(bar.borderStyle(), ThreeD);
    EXPECT_TRUE(bar.picture1()->isHidden());
    EXPECT_FALSE(bar.image1()->isHidden());
    EXPECT_FALSE(bar.image2()->isHidden());
    EXPECT_EQ(bar.backColor(), 0xFFFFFFu);
    EXPECT_EQ(bar.foreColor(), 0x800000u);
    EXPECT_EQ(bar.contentsRect().size(), QSize(200, 20));
}

TEST_F(TarvixTest, ValueShowsPercentAndNotifies) {
    bar.setValue(57);
    EXPECT_EQ(bar.percent(), 57);
    EXPECT_EQ(bar.labelCaption(), QStringLiteral("57%"));
    EXPECT_EQ(bar.image1()->width(), 114);
    EXPECT_EQ(site.notices, QStringList{QStringLiteral("Value")});

    bar.setMax(8);
    bar.setValue(1);
    EXPECT_EQ(bar.labelCaption(), QStringLiteral("12%"));
    bar.setValue(3);
    EXPECT_EQ(bar.labelCaption(), QStringLiteral("38%"));
}

TEST_F(TarvixTest, ValueIsClampedToTheBounds) {
    bar.setValue(-5);
    EXPECT_EQ(bar.value(), 0);
    EXPECT_EQ(bar.labelCaption(), QStringLiteral("0%"));
    EXPECT_EQ(bar.image1()->width(), 0);
    EXPECT_EQ(site.notices, QStringList{QStringLiteral("Value")});

    bar.setValue(500);
    EXPECT_EQ(bar.value(), 100);
    EXPECT_EQ(bar.labelCaption(), QStringLiteral("100%"));
    EXPECT_EQ(bar.image1()->width(), 200);

    bar.setInvertPersent(true);
    bar.setValue(500);
    EXPECT_EQ(bar.labelCaption(), QStringLiteral("0%"));
    bar.setValue(-5);
    EXPECT_EQ(bar.labelCaption(), QStringLiteral("100%"));
    EXPECT_EQ(bar.image1()->width(), 0);
}

TEST_F(TarvixTest, InvertedPercentKeepsTheBar) {
    bar.setValue(25);
    bar.setInvertPersent(true);
    EXPECT_EQ(bar.labelCaption(), QStringLiteral("75%"));
    EXPECT_EQ(bar.image1()->width(), 50);
    EXPECT_EQ(site.notices.last(), QStringLiteral("InvertPersent"));
}

TEST_F(TarvixTest, LeadingText) {
    bar.setValue(50);
    bar.setText(QStringLiteral("Итого"));
    EXPECT_EQ(bar.labelCaption(), QStringLiteral("Итого 50%"));
    EXPECT_EQ(site.notices, (QStringList{QStringLiteral("Value"), QStringLiteral("Text")}));
}

TEST_F(TarvixTest, MinAndMaxKeepMaxAboveMin) {
    bar.setMin(-5);
    EXPECT_EQ(bar.min(), 0);
    bar.setMax(0);
    EXPECT_EQ(bar.max(), 1);
    EXPECT_EQ(bar.value(), 1); // lowered to the new Max
    EXPECT_EQ(site.notices, (QStringList{QStringLiteral("Min"), QStringLiteral("Max")}));

    bar.setMax(100);
    bar.setMin(10);
    bar.setMax(10); // equal to Min
    EXPECT_EQ(bar.max(), 11);

    bar.setMax(100);
    bar.setValue(50);
    bar.setMin(150); // above Max
    EXPECT_EQ(bar.min(), 150);
    EXPECT_EQ(bar.max(), 151);
    EXPECT_EQ(bar.value(), 150); // raised to the new Min
    EXPECT_EQ(bar.labelCaption(), QStringLiteral("0%"));
}

TEST_F(TarvixTest, MinOf32767OverflowsAndChangesNothing) {
    bar.setMax(500);
    bar.setMin(20);
    bar.setValue(300);
    site.notices.clear();
    EXPECT_EQ(errorNumberOf<ControlError>([&] { bar.setMin(32767); }), ControlError::Overflow);
    EXPECT_EQ(bar.min(), 20);
    EXPECT_EQ(bar.max(), 500);
    EXPECT_EQ(bar.value(), 300);
    EXPECT_TRUE(site.notices.isEmpty());
    bar.setMax(32767);
    EXPECT_EQ(errorNumberOf<ControlError>([&] { bar.setMin(32767); }), ControlError::Overflow);
    EXPECT_EQ(bar.max(), 32767);
    bar.setMin(32766);
    EXPECT_EQ(bar.max(), 32767);
}

TEST_F(TarvixTest, DispatchConvertsWith16BitRules) {
    EXPECT_EQ(errorNumberOf<ControlError>([&] { bar.put(DispMin, 32767); }), ControlError::Overflow);
    EXPECT_EQ(errorNumberOf<ControlError>([&] { bar.put(DispValue, 40000); }), ControlError::Overflow);
    EXPECT_EQ(errorNumberOf<ControlError>([&] { bar.put(DispValue, QStringLiteral("много")); }),
              ControlError::TypeMismatch);
    EXPECT_EQ(errorNumberOf<ControlError>([&] { bar.put(DispFont, 5); }), ControlError::TypeMismatch);
    EXPECT_EQ(errorNumberOf<ControlError>([&] { bar.get(0x68030020); }), ControlError::NotSupported);
    bar.put(DispValue, 12.5);
    EXPECT_EQ(bar.value(), 12);
    bar.put(DispValue, QStringLiteral("57"));
    EXPECT_EQ(bar.get(DispValue).toInt(), 57);
    bar.put(DispForeColor, -2147483633); // &H8000000F as a signed 32-bit value
    EXPECT_EQ(bar.foreColor(), 0x8000000Fu);
}

TEST_F(TarvixTest, MembersCarryIdsHelpAndArgumentNames) {
    EXPECT_EQ(bar.idOfName(QStringLiteral("vAlUe")), 0x6803000E);
    EXPECT_EQ(bar.idOfName(QStringLiteral("MIN")), 0x68030003);
    EXPECT_EQ(bar.idOfName(QStringLiteral("max")), 0x68030002);
    EXPECT_EQ(bar.idOfName(QStringLiteral("BorderStyle")), 0x68030000);
    EXPECT_EQ(bar.idOfName(QStringLiteral("Font")), -512);
    EXPECT_EQ(bar.idOfName(QStringLiteral("aboutbox")), -552);
    EXPECT_EQ(errorNumberOf<ControlError>([&] { bar.idOfName(QStringLiteral("Percent")); }),
              ControlError::NotSupported);
    EXPECT_EQ(bar.memberInfo(DispValue).helpString, QStringLiteral("Процент каков он есть..."));
    EXPECT_EQ(bar.memberInfo(DispStyle).helpString, QStringLiteral("Стиль бара: стандартный(0)  или новый(1)"));
    EXPECT_EQ(bar.memberInfo(DispBackPicture).helpString, QStringLiteral("Загрузка фоновой  картинки"));
    EXPECT_TRUE(bar.memberInfo(DispInvertPersent).helpString.isEmpty());
    EXPECT_EQ(bar.memberInfo(DispAboutBox).helpString, QStringLiteral("Краткая информация о контроле"));
    EXPECT_EQ(bar.memberInfo(DispValue).argumentNames, QStringList{QStringLiteral("New_Value")});
    EXPECT_EQ(bar.memberInfo(DispInvertPersent).argumentNames, QStringList{QStringLiteral("New_InvertPersent")});
    EXPECT_TRUE(bar.memberInfo(DispPicture).byReference);
    EXPECT_EQ(bar.members().size(), 17);
    EXPECT_EQ(bar.propertyPageNames(),
              (QStringList{QStringLiteral("Tarvix"), QStringLiteral("Standart"), QStringLiteral("Font")}));

    int shown = 0;
    bar.setAboutBoxHandler([&] { ++shown; });
    bar.invokeByName(QStringLiteral("AboutBox"));
    EXPECT_EQ(shown, 1);
}

// Every member by its number: the name, the help string and the argument of the put, and a put by
// number that reaches the property of that name.
TEST_F(TarvixTest, EveryDispatchIdByNumberWithItsHelpString) {
    struct Member {
        korv::host::DispId id;
        const char* name;
        const char* help;
        QVariant put;
    };
    QFont font(QStringLiteral("DejaVu Serif"), 11);
    const QImage working = solid(3, 2, Qt::red);
    const QImage back = solid(2, 3, Qt::green);
    const Member expected[] = {
        {0x6803000E, "Value", "Процент каков он есть...", QVariant::fromValue<short>(57)},
        {-512, "Font", "Returns a Font object.", font},
        {0x6803000D, "Color", "Цвет надписи (только для режима Tarvix)", QVariant::fromValue<uint>(0xFF)},
        {0x6803000C, "Picture", "Загрузка рабочей картинки", working},
        {0x6803000B, "Stretch", "Включает растяжку рабочего рисунка ", false},
        {0x6803000A, "BackPicture", "Загрузка фоновой  картинки", back},
        {0x68030009, "BackStretch", "Включает растяжку фонового рисунка ", false},
        {0x68030008, "Text", "Текст, выводимый перед процентом...", QStringLiteral("Шаг")},
        {0x68030007, "Style", "Стиль бара: стандартный(0)  или новый(1)", 0},
        {0x68030006, "BackColor", "Returns/sets the background color used to display text and graphics in an object.",
         QVariant::fromValue<uint>(0xFFFF)},
        {0x68030005, "ForeColor", "Цвет полоски для режима Standart", QVariant::fromValue<uint>(0xC00000)},
        {0x68030004, "InvertPersent", "", true},
        {0x68030003, "Min", "Минимальное значение переменной Value", QVariant::fromValue<short>(5)},
        {0x68030002, "Max", "Максимальное значение переменной Value", QVariant::fromValue<short>(80)},
        {0x68030001, "CaptionVisible", "Показать/скрыть проценты", false},
        {0x68030000, "BorderStyle", "Вид окантовки контрола", QVariant::fromValue<short>(1)},
    };
    const QList<korv::host::MemberInfo> members = bar.members();
    ASSERT_EQ(members.size(), 17);
    const korv::host::MemberInfo about = bar.memberInfo(-552);
    EXPECT_EQ(about.name, QStringLiteral("AboutBox"));
    EXPECT_EQ(about.kind, korv::host::MemberInfo::Kind::Method);
    EXPECT_EQ(about.helpString, QStringLiteral("Краткая информация о контроле"));
    for (const Member& e : expected) {
        const QString name = QString::fromLatin1(e.name);
        SCOPED_TRACE(e.name);
        const korv::host::MemberInfo m = bar.memberInfo(e.id);
        EXPECT_EQ(m.name, name);
        EXPECT_EQ(m.kind, korv::host::MemberInfo::Kind::Property);
        EXPECT_EQ(m.helpString, QString::fromUtf8(e.help));
        EXPECT_EQ(m.argumentNames, QStringList{QStringLiteral("New_") + name});
        EXPECT_EQ(m.byReference, name == "Font" || name == "Picture" || name == "BackPicture");
        EXPECT_EQ(bar.idOfName(name.toLower()), e.id);
        site.notices.clear();
        if (m.byReference)
            bar.putRef(e.id, e.put);
        else
            bar.put(e.id, e.put);
        EXPECT_EQ(site.notices, QStringList{name});
        EXPECT_TRUE(korv::host::sameBagValue(bar.get(e.id), e.put)) << bar.get(e.id).toString().toStdString();
        EXPECT_TRUE(korv::host::sameBagValue(bar.getByName(name), e.put));
    }
}

TEST_F(TarvixTest, EveryPutNotifiesUnderItsName) {
    bar.setColor(0xFF);
    bar.setStretch(false);
    bar.setBackStretch(false);
    bar.setBackColor(0xFFFF);
    bar.setForeColor(0xFF00);
    bar.setCaptionVisible(false);
    bar.setBarStyle(Standart);
    bar.setBorderStyle(Flat);
    bar.setCaptionFont(QFont(QStringLiteral("Liberation Sans"), 12));
    bar.setPicture(solid(2, 2, Qt::red));
    bar.setBackPicture(solid(2, 2, Qt::blue));
    EXPECT_EQ(site.notices, (QStringList{"Color", "Stretch", "BackStretch", "BackColor", "ForeColor", "CaptionVisible",
                                         "Style", "BorderStyle", "Font", "Picture", "BackPicture"}));
}

TEST_F(TarvixTest, BorderStyles) {
    EXPECT_EQ(bar.frameStyle(), QFrame::Panel | QFrame::Sunken);
    bar.setBorderStyle(None);
    EXPECT_EQ(bar.frameStyle(), int(QFrame::NoFrame));
    EXPECT_EQ(bar.contentsRect().size(), QSize(204, 24));
    bar.setBorderStyle(Flat);
    EXPECT_EQ(bar.frameStyle(), QFrame::Box | QFrame::Plain);
    bar.setBorderStyle(5); // kept, border unchanged
    EXPECT_EQ(bar.borderStyle(), 5);
    EXPECT_EQ(bar.frameStyle(), QFrame::Box | QFrame::Plain);
    EXPECT_EQ(site.notices.last(), QStringLiteral("BorderStyle"));
}

TEST_F(TarvixTest, FontIsCopiedToTheDrawingSurface) {
    QFont f(QStringLiteral("DejaVu Serif"), 14);
    f.setBold(true);
    f.setItalic(true);
    f.setUnderline(true);
    f.setStrikeOut(true);
    bar.setCaptionFont(f);
    const QFont d = bar.picture1()->drawingFont();
    EXPECT_EQ(d.family(), f.family());
    EXPECT_TRUE(d.bold());
    EXPECT_TRUE(d.italic());
    EXPECT_TRUE(d.underline());
    EXPECT_TRUE(d.strikeOut());
    EXPECT_EQ(d.pointSize(), 14);
}

TEST_F(TarvixTest, StandartBarCaptionInvertsUnderTheBar) {
    bar.setBarStyle(Standart);
    EXPECT_FALSE(bar.picture1()->isHidden());
    bar.setValue(50); // bar over the left half; the caption is centred across its end
    ASSERT_EQ(bar.picture1()->canvas().size(), QSize(200, 20));
    // The bar is 100 columns in ForeColor where nothing was drawn.
    EXPECT_EQ(canvasAt(0, 0), kDarkBlue);
    EXPECT_EQ(canvasAt(99, 0), kDarkBlue);
    EXPECT_EQ(canvasAt(100, 0), kWhite);
    EXPECT_EQ(canvasAt(199, 19), kWhite);
    // Only the two colours: the caption is white on the bar and dark blue beside it.
    EXPECT_EQ(count(kWhite, 0, 200) + count(kDarkBlue, 0, 200), 200 * 20);
    EXPECT_GT(count(kWhite, 80, 100), 0);
    EXPECT_GT(count(kDarkBlue, 100, 120), 0);
}

TEST_F(TarvixTest, StandartBarFullAndEmpty) {
    bar.setBarStyle(Standart);
    bar.setValue(100);
    EXPECT_EQ(count(kWhite, 0, 200) + count(kDarkBlue, 0, 200), 200 * 20);
    const int captionWhite = count(kWhite, 0, 200);
    EXPECT_GT(captionWhite, 0);
    EXPECT_LT(captionWhite, 400);

    bar.setValue(0); // empty bar: the caption alone, in ForeColor on white
    EXPECT_EQ(bar.labelCaption(), QStringLiteral("0%"));
    EXPECT_EQ(count(kWhite, 0, 200) + count(kDarkBlue, 0, 200), 200 * 20);
    EXPECT_GT(count(kDarkBlue, 0, 200), 0);
    EXPECT_LT(count(kDarkBlue, 0, 200), 400);
}

TEST_F(TarvixTest, NotXorOverAColouredBackground) {
    bar.setBarStyle(Standart);
    bar.setCaptionVisible(false);
    bar.setBackColor(0x00FFFF); // yellow
    bar.setValue(50);
    const QRgb back = qRgb(255, 255, 0), fore = qRgb(0, 0, 128);
    const QColor expected = QColor::fromRgb(~(back ^ fore) | 0xFF000000u);
    EXPECT_EQ(canvasAt(10, 10), expected);
    EXPECT_EQ(canvasAt(150, 10), QColor(255, 255, 0));
}

TEST_F(TarvixTest, HiddenCaptionIsNeitherDrawnNorUpdated) {
    bar.setBarStyle(Standart);
    bar.setValue(50);
    bar.setCaptionVisible(false);
    EXPECT_TRUE(bar.label1()->isHidden());
    EXPECT_EQ(count(kWhite, 0, 100), 0);
    EXPECT_EQ(count(kDarkBlue, 100, 200), 0);
    bar.setMin(10); // only Resize runs: the label keeps its caption
    EXPECT_EQ(bar.percent(), 44);
    EXPECT_EQ(bar.labelCaption(), QStringLiteral("50%"));
}

TEST_F(TarvixTest, TarvixLookImageWidths) {
    bar.setValue(57);
    EXPECT_EQ(bar.image1()->geometry(), QRect(2, 2, 114, 20));
    EXPECT_EQ(bar.image2()->geometry(), QRect(2, 2, 200, 20));
    EXPECT_EQ(bar.picture1()->geometry(), QRect(2, 2, 200, 20));
    bar.resize(404, 24);
    EXPECT_EQ(bar.image1()->width(), 228);
    EXPECT_EQ(bar.image2()->width(), 400);
    // The label is centred.
    const QRect l = bar.label1()->geometry();
    EXPECT_LE(std::abs(l.center().x() - 202), 1);
}

TEST_F(TarvixTest, TarvixLookPictures) {
    bar.setCaptionVisible(false);
    bar.setPicture(solid(10, 10, Qt::red));
    bar.setBackPicture(solid(10, 10, Qt::blue));
    bar.setValue(50);
    bar.show();
    QImage shot = bar.grab().toImage();
    EXPECT_EQ(shot.pixelColor(2 + 50, 10), QColor(Qt::red));   // stretched working picture
    EXPECT_EQ(shot.pixelColor(2 + 150, 10), QColor(Qt::blue)); // stretched background
    bar.setStretch(false);
    bar.setPicture(solid(30, 30, Qt::red));
    shot = bar.grab().toImage();
    EXPECT_EQ(shot.pixelColor(2 + 20, 10), QColor(Qt::red));  // natural size from the left
    EXPECT_EQ(shot.pixelColor(2 + 60, 10), QColor(Qt::blue)); // the rest of the box shows the background
}

// ---- persistence ---------------------------------------------------------------------------------

TEST(TarvixPersistence, FirstPlacementSendsNoNotices) {
    RecordingSite site;
    TarvixProgress bar(&site);
    bar.initProperties();
    EXPECT_TRUE(site.notices.isEmpty());
    EXPECT_EQ(bar.labelCaption(), QStringLiteral("100%"));
    EXPECT_EQ(bar.percent(), 100);
}

TEST(TarvixPersistence, EmptyBagLoadsTheDefaults) {
    RecordingSite site;
    TarvixProgress bar(&site);
    bar.resize(204, 24);
    bar.readProperties(MemoryPropertyBag());
    EXPECT_EQ(bar.value(), 100);
    EXPECT_EQ(bar.min(), 0);
    EXPECT_EQ(bar.max(), 100);
    EXPECT_EQ(bar.labelCaption(), QStringLiteral("100%"));
    EXPECT_EQ(bar.barStyle(), Tarvix);
    EXPECT_TRUE(bar.picture1()->isHidden());
    EXPECT_EQ(bar.frameStyle(), QFrame::Panel | QFrame::Sunken);
    EXPECT_EQ(bar.backColor(), 0xFFFFFFu);
    EXPECT_EQ(bar.foreColor(), 0x800000u);
    EXPECT_EQ(bar.color(), 0x80000012u);
    EXPECT_TRUE(bar.stretch());
    EXPECT_TRUE(bar.backStretch());
    EXPECT_TRUE(bar.captionVisible());
    EXPECT_EQ(bar.captionFont(), *site.font);
    EXPECT_TRUE(site.notices.isEmpty());
}

TEST(TarvixPersistence, StandartBagLoadsAFullBar) {
    RecordingSite site;
    TarvixProgress bar(&site);
    bar.resize(204, 24);
    MemoryPropertyBag bag; // names as saved forms keep them, in lower case
    bag.set(QStringLiteral("style"), 0);
    bag.set(QStringLiteral("backcolor"), QVariant::fromValue<uint>(0xFFFFFF));
    bag.set(QStringLiteral("forecolor"), QVariant::fromValue<uint>(0xC00000));
    bag.set(QStringLiteral("font"), QFont(QStringLiteral("Liberation Sans"), 8));
    bag.set(QStringLiteral("_extentx"), 3000);
    bar.readProperties(bag);
    EXPECT_EQ(bar.barStyle(), Standart);
    EXPECT_FALSE(bar.picture1()->isHidden());
    EXPECT_TRUE(bar.image1()->isHidden());
    EXPECT_EQ(bar.labelCaption(), QStringLiteral("100%"));
    const QImage& c = bar.picture1()->canvas();
    EXPECT_EQ(c.pixelColor(0, 0), QColor(0, 0, 0xC0));
    EXPECT_EQ(c.pixelColor(199, 19), QColor(0, 0, 0xC0));
}

TEST(TarvixPersistence, DefaultsAreLeftOutAndEntriesKeepTheirOrder) {
    RecordingSite site;
    TarvixProgress bar(&site);
    bar.initProperties();
    MemoryPropertyBag bag;
    bar.writeProperties(bag);
    EXPECT_TRUE(bag.entries().isEmpty()) << bag.names().join(QLatin1Char(',')).toStdString();

    bar.setBorderStyle(Flat);
    bar.setMax(200);
    bar.setMin(1);
    bar.setInvertPersent(true);
    bar.setForeColor(0xC00000);
    bar.setBackColor(0x8000000F); // button face, a system colour
    bar.setBarStyle(Standart);
    bar.setText(QStringLiteral("Итого"));
    bar.setCaptionVisible(false);
    bar.setBackStretch(false);
    bar.setBackPicture(solid(3, 3, Qt::green));
    bar.setStretch(false);
    bar.setPicture(solid(3, 3, Qt::red));
    bar.setColor(0xFF);
    bar.setCaptionFont(QFont(QStringLiteral("DejaVu Serif"), 15));
    bar.setValue(57);
    bar.writeProperties(bag);
    EXPECT_EQ(bag.names(), (QStringList{"Value", "Font", "Color", "Picture", "Stretch", "BackPicture", "BackStretch",
                                        "CaptionVisible", "Text", "Style", "BackColor", "ForeColor", "InvertPersent",
                                        "Min", "Max", "BorderStyle"}));
    EXPECT_EQ(bag.value(QStringLiteral("backcolor")).toUInt(), 0x8000000Fu);

    TarvixProgress copy(&site);
    copy.resize(204, 24);
    copy.readProperties(bag);
    EXPECT_EQ(copy.value(), 57);
    EXPECT_EQ(copy.min(), 1);
    EXPECT_EQ(copy.max(), 200);
    EXPECT_TRUE(copy.invertPersent());
    EXPECT_EQ(copy.backColor(), 0x8000000Fu);
    EXPECT_EQ(copy.foreColor(), 0xC00000u);
    EXPECT_EQ(copy.color(), 0xFFu);
    EXPECT_EQ(copy.text(), QStringLiteral("Итого"));
    EXPECT_EQ(copy.barStyle(), Standart);
    EXPECT_EQ(copy.borderStyle(), Flat);
    EXPECT_FALSE(copy.captionVisible());
    EXPECT_FALSE(copy.stretch());
    EXPECT_FALSE(copy.backStretch());
    EXPECT_EQ(copy.picture(), bar.picture());
    EXPECT_EQ(copy.backPicture(), bar.backPicture());
    EXPECT_EQ(copy.captionFont().family(), bar.captionFont().family());
}

TEST(TarvixPersistence, WhiteBackgroundIsElidedAndComesBack) {
    TarvixProgress bar;
    bar.initProperties();
    bar.setBackColor(0xFFFFFF);
    MemoryPropertyBag bag;
    bar.writeProperties(bag);
    EXPECT_FALSE(bag.contains(QStringLiteral("BackColor")));
    TarvixProgress copy;
    copy.setBackColor(0xFF);
    copy.readProperties(bag);
    EXPECT_EQ(copy.backColor(), 0xFFFFFFu);
}

TEST(TarvixPersistence, SystemColourIsSavedAsASystemColour) {
    TarvixProgress bar;
    bar.initProperties();
    bar.setBackColor(0x8000000F); // button face
    MemoryPropertyBag bag;
    bar.writeProperties(bag);
    EXPECT_EQ(bag.names(), QStringList{QStringLiteral("BackColor")});
    EXPECT_EQ(bag.value(QStringLiteral("BackColor")).toUInt(), 0x8000000Fu);
    TarvixProgress copy;
    copy.resize(204, 24);
    copy.readProperties(bag);
    EXPECT_EQ(copy.backColor(), 0x8000000Fu);
    // Drawn in the palette's button colour.
    copy.setBarStyle(Standart);
    copy.setCaptionVisible(false);
    copy.setValue(0);
    EXPECT_EQ(copy.picture1()->canvas().pixelColor(100, 10), QGuiApplication::palette().color(QPalette::Button));
}

TEST(TarvixPersistence, StoredValueOutsideTheRangeLoadsAsStored) {
    RecordingSite site;
    TarvixProgress bar(&site);
    bar.resize(204, 24);
    MemoryPropertyBag bag;
    bag.set(QStringLiteral("Value"), QVariant::fromValue<short>(150));
    bar.readProperties(bag);
    EXPECT_EQ(bar.value(), 150);
    EXPECT_EQ(bar.percent(), 150);
    EXPECT_EQ(bar.labelCaption(), QStringLiteral("150%"));
    EXPECT_EQ(bar.image1()->width(), 300); // wider than the control
    EXPECT_TRUE(site.notices.isEmpty());
    bar.setValue(150); // the next put clamps
    EXPECT_EQ(bar.value(), 100);
}

TEST(TarvixPersistence, WrongEntryFailsTheLoadAfterTheEarlierOnes) {
    TarvixProgress bar;
    MemoryPropertyBag bag;
    bag.set(QStringLiteral("Value"), QVariant::fromValue<short>(30));
    bag.set(QStringLiteral("Text"), QStringLiteral("Шаг"));
    bag.set(QStringLiteral("Min"), QStringLiteral("ноль"));
    EXPECT_EQ(errorNumberOf<ControlError>([&] { bar.readProperties(bag); }), ControlError::TypeMismatch);
    EXPECT_EQ(bar.value(), 30);
    EXPECT_EQ(bar.text(), QStringLiteral("Шаг"));

    MemoryPropertyBag equal;
    equal.set(QStringLiteral("Min"), QVariant::fromValue<short>(5));
    equal.set(QStringLiteral("Max"), QVariant::fromValue<short>(5));
    TarvixProgress other;
    EXPECT_EQ(errorNumberOf<ControlError>([&] { other.readProperties(equal); }), ControlError::DivisionByZero);

    MemoryPropertyBag badPicture;
    badPicture.set(QStringLiteral("Picture"), QStringLiteral("/nonexistent/picture.png"));
    TarvixProgress third;
    EXPECT_EQ(errorNumberOf<ControlError>([&] { third.readProperties(badPicture); }), ControlError::InvalidPicture);
}

TEST(TarvixPersistence, MaxUnderALoadedMinOf32767OverflowsBeforeStoring) {
    RecordingSite site;
    TarvixProgress bar(&site);
    bar.resize(204, 24);
    MemoryPropertyBag bag;
    bag.set(QStringLiteral("Min"), QVariant::fromValue<short>(32767)); // loaded as stored, no clamping
    bar.readProperties(bag);
    ASSERT_EQ(bar.min(), 32767);
    ASSERT_EQ(bar.max(), 100);
    EXPECT_EQ(errorNumberOf<ControlError>([&] { bar.setMax(5); }), ControlError::Overflow);           // Min + 1
    EXPECT_EQ(errorNumberOf<ControlError>([&] { bar.put(DispMax, 32767); }), ControlError::Overflow); // Max + 1
    EXPECT_EQ(bar.min(), 32767);
    EXPECT_EQ(bar.max(), 100);
    EXPECT_EQ(bar.value(), 100);
    EXPECT_EQ(bar.percent(), 100);
    EXPECT_TRUE(site.notices.isEmpty());
    bar.setMin(5); // a put of Min repairs the pair
    EXPECT_EQ(bar.min(), 5);
    EXPECT_EQ(bar.max(), 100);
}

TEST(TarvixPersistence, BoundPutThatCannotComputeThePercentageStoresNothing) {
    TarvixProgress bar;
    bar.resize(204, 24);
    MemoryPropertyBag bag;
    bag.set(QStringLiteral("Min"), QVariant::fromValue<short>(-32768)); // Value - Min leaves 16 bits
    EXPECT_EQ(errorNumberOf<ControlError>([&] { bar.readProperties(bag); }), ControlError::Overflow);
    EXPECT_EQ(errorNumberOf<ControlError>([&] { bar.setMax(200); }), ControlError::Overflow);
    EXPECT_EQ(bar.max(), 100);
    bar.setMin(0);
    EXPECT_EQ(bar.min(), 0);
    bar.setMax(200);
    EXPECT_EQ(bar.labelCaption(), QStringLiteral("50%"));
}

// The caption is set from the percentage the control had before InvertPersent is read and the
// percentage is computed; only the drawing of a visible caption brings it up to date.
TEST(TarvixPersistence, CaptionComesBeforeTheInversionAndThePercentage) {
    RecordingSite site;
    MemoryPropertyBag bag;
    bag.set(QStringLiteral("Value"), QVariant::fromValue<short>(30));
    bag.set(QStringLiteral("Text"), QStringLiteral("Шаг"));
    bag.set(QStringLiteral("InvertPersent"), true);
    bag.set(QStringLiteral("CaptionVisible"), false);
    TarvixProgress hidden(&site);
    hidden.resize(204, 24);
    hidden.readProperties(bag);
    EXPECT_TRUE(hidden.invertPersent());
    EXPECT_EQ(hidden.percent(), 70);                              // computed after the inversion was read
    EXPECT_EQ(hidden.labelCaption(), QStringLiteral("Шаг 100%")); // the new control's percentage

    bag.set(QStringLiteral("CaptionVisible"), true);
    TarvixProgress shown(&site);
    shown.resize(204, 24);
    shown.readProperties(bag);
    EXPECT_EQ(shown.percent(), 70);
    EXPECT_EQ(shown.labelCaption(), QStringLiteral("Шаг 70%"));
    EXPECT_TRUE(site.notices.isEmpty());
}

TEST(TarvixPersistence, LoadedBorderStyle5IsKeptAndLeavesTheBorder) {
    MemoryPropertyBag bag;
    bag.set(QStringLiteral("borderstyle"), QVariant::fromValue<short>(5));
    TarvixProgress bar;
    bar.resize(204, 24);
    bar.readProperties(bag);
    EXPECT_EQ(bar.borderStyle(), 5);
    EXPECT_EQ(bar.frameStyle(), QFrame::Panel | QFrame::Sunken); // the border of a new control
    EXPECT_EQ(bar.contentsRect().size(), QSize(200, 20));
    EXPECT_EQ(bar.image2()->geometry(), QRect(2, 2, 200, 20));

    TarvixProgress flat;
    flat.resize(204, 24);
    flat.setBorderStyle(Flat);
    flat.readProperties(bag);
    EXPECT_EQ(flat.borderStyle(), 5);
    EXPECT_EQ(flat.frameStyle(), QFrame::Box | QFrame::Plain);

    MemoryPropertyBag saved;
    bar.writeProperties(saved);
    EXPECT_EQ(saved.value(QStringLiteral("BorderStyle")).toInt(), 5);
}

// ---- the screen during blocking work ------------------------------------------------------------------

// A long operation on the interface thread puts Value without the event loop running in between; what
// the user sees is the window's backing store, not a fresh rendering of the widget.
TEST(TarvixScreen, ValuePutReachesTheScreenWithoutTheEventLoop) {
    TarvixProgress bar;
    bar.initProperties();
    bar.setBarStyle(Standart);
    bar.setCaptionVisible(false);
    bar.resize(204, 24);
    bar.setValue(0);
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    QCoreApplication::processEvents();
    auto onScreen = [&bar](int x, int y) { return bar.screen()->grabWindow(bar.winId()).toImage().pixelColor(x, y); };
    ASSERT_EQ(onScreen(2 + 150, 12), kWhite);
    bar.setValue(80);
    EXPECT_EQ(onScreen(2 + 150, 12), kDarkBlue);
    bar.setValue(40);
    EXPECT_EQ(onScreen(2 + 150, 12), kWhite);
    EXPECT_EQ(onScreen(2 + 70, 12), kDarkBlue);
}
