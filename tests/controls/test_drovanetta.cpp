#include "controls/host/controlerror.h"
#include "controls/host/propertybag.h"
#include "controls/hyperlink/drovanettax.h"
#include "controls/hyperlink/hover_rules.h"
#include "controls/hyperlink/link_rules.h"
#include "recording_site.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

using korv::host::MemoryPropertyBag;
using namespace drovanetta;

namespace {

const QString kLink = QString::fromLatin1(kDefaultLink);

// A placed label whose pointer position and desktop URL handler are simulated.
class DrovanettaTest : public ::testing::Test {
protected:
    RecordingSite site;
    DrovanettaX link{&site};
    QPoint pointer; // in the control's own pixels
    QStringList opened;

    void SetUp() override {
        link.initProperties();
        link.resize(200, 20);
        link.setPointerSource([this] { return link.mapToGlobal(pointer); });
        link.setShellOpen([this](const QString& l) { opened << l; });
        site.notices.clear();
    }
    void TearDown() override {
        while (QGuiApplication::overrideCursor() != nullptr)
            QGuiApplication::restoreOverrideCursor();
    }
    bool handPointer() const { return QGuiApplication::overrideCursor() != nullptr; }
};

} // namespace

TEST(DrovanettaHoverRules, TwipsAndEdges) {
    EXPECT_DOUBLE_EQ(twipsPerPixel(96), 15.0);
    EXPECT_DOUBLE_EQ(twipsPerPixel(120), 12.0);
    EXPECT_EQ(pixelsToTwips(10, 15.0), 150);
    EXPECT_EQ(pixelsToTwips(1, 12.5), 12); // 12.5 -> 12, half to even
    EXPECT_EQ(pixelsToTwips(3, 12.5), 38); // 37.5 -> 38
    EXPECT_TRUE(pointerInside({0, 0}, 15, 15, 3000, 300));
    EXPECT_TRUE(pointerInside({200, 20}, 15, 15, 3000, 300)); // right and bottom edges are inside
    EXPECT_FALSE(pointerInside({201, 10}, 15, 15, 3000, 300));
    EXPECT_FALSE(pointerInside({10, 21}, 15, 15, 3000, 300));
    EXPECT_FALSE(pointerInside({-1, 10}, 15, 15, 3000, 300));
}

TEST(DrovanettaCreation, StartsIdleWithATimerThatDoesNotFire) {
    DrovanettaX link;
    EXPECT_EQ(link.label()->text(), QStringLiteral("Label1"));
    EXPECT_EQ(link.label()->pos(), QPoint(0, 0)); // 5 twips from the top is less than half a pixel
    EXPECT_TRUE(link.timerEnabled());
    EXPECT_EQ(link.timerInterval(), 0);
    EXPECT_FALSE(link.timerRunning());
}

TEST_F(DrovanettaTest, FirstPlacementIsBlueAndBlackOnHover) {
    EXPECT_EQ(link.caption(), kLink);
    EXPECT_EQ(link.drovanetta(), kLink);
    EXPECT_EQ(link.inactiveColor(), 0xFF0000u);
    EXPECT_EQ(link.activeColor(), 0u);
    EXPECT_EQ(link.labelColor(), 0xFF0000u);
    EXPECT_EQ(link.label()->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(link.backColor(), 0x8000000Fu);
    ASSERT_TRUE(link.labelFont().has_value());
    EXPECT_EQ(*link.labelFont(), *site.font);
    EXPECT_EQ(link.label()->text(), kLink);
    link.lblDrovanetta_MouseMove();
    EXPECT_EQ(link.labelColor(), 0u);
}

TEST_F(DrovanettaTest, CaptionOrLinkAndTheTooltip) {
    link.setCaption(QString());
    EXPECT_EQ(link.label()->text(), kLink);
    link.setCaption(QStringLiteral("Сайт автора"));
    EXPECT_EQ(link.label()->text(), QStringLiteral("Сайт автора"));
    EXPECT_EQ(link.label()->toolTip(), kLink);

    link.setDrovanetta(QStringLiteral("mailto:pilot@example.org"));
    EXPECT_EQ(link.label()->toolTip(), QStringLiteral("mailto:pilot@example.org"));
    link.setCaption(QString());
    EXPECT_EQ(link.label()->text(), QStringLiteral("mailto:pilot@example.org"));

    link.setDrovanetta(QString()); // an empty link keeps the tooltip
    EXPECT_EQ(link.label()->toolTip(), QStringLiteral("mailto:pilot@example.org"));
    EXPECT_EQ(link.label()->text(), QStringLiteral("mailto:pilot@example.org")); // not refreshed yet
    link.RefreshLabel();
    EXPECT_EQ(link.label()->text(), QString());
    EXPECT_EQ(site.notices, (QStringList{"Caption", "Caption", "Drovanetta", "Caption", "Drovanetta"}));
}

TEST_F(DrovanettaTest, PutsNotifyAndRefresh) {
    link.setActiveColor(0xFF);
    link.setInactiveColor(0xFF00);
    EXPECT_EQ(link.labelColor(), 0xFF00u);
    link.setBackColor(0x00FFFF);
    EXPECT_EQ(link.palette().color(QPalette::Window), QColor(255, 255, 0));
    QFont f(QStringLiteral("DejaVu Serif"), 13);
    link.setLabelFont(f);
    EXPECT_EQ(link.label()->font(), f);
    EXPECT_EQ(site.notices, (QStringList{"ActiveColor", "InactiveColor", "BackColor", "Font"}));
}

TEST_F(DrovanettaTest, HoverLightsAndTheTimerNoticesTheLeaving) {
    pointer = {10, 5};
    link.lblDrovanetta_MouseMove();
    EXPECT_EQ(link.labelColor(), link.activeColor());
    EXPECT_TRUE(link.timerRunning());
    EXPECT_EQ(link.timerInterval(), kHoverInterval);
    EXPECT_TRUE(handPointer());

    link.tmrTimer_Timer(); // still inside
    EXPECT_EQ(link.labelColor(), link.activeColor());
    EXPECT_TRUE(link.timerRunning());

    pointer = {200, 20}; // exactly on the right and bottom edges: inside
    link.tmrTimer_Timer();
    EXPECT_EQ(link.labelColor(), link.activeColor());
    EXPECT_TRUE(handPointer());

    pointer = {201, 10};
    link.tmrTimer_Timer();
    EXPECT_EQ(link.labelColor(), link.inactiveColor());
    EXPECT_FALSE(link.timerRunning());
    EXPECT_FALSE(handPointer());
}

TEST_F(DrovanettaTest, PointerBeyondTheTopOrLeftIsOutside) {
    link.lblDrovanetta_MouseMove();
    pointer = {50, -1};
    link.tmrTimer_Timer();
    EXPECT_FALSE(link.timerRunning());
    link.lblDrovanetta_MouseMove();
    pointer = {-1, 5};
    link.tmrTimer_Timer();
    EXPECT_FALSE(link.timerRunning());
    EXPECT_EQ(link.labelColor(), link.inactiveColor());
}

TEST_F(DrovanettaTest, MovingOverTheControlOutsideTheLabel) {
    link.UserControl_MouseMove();
    EXPECT_TRUE(handPointer());
    EXPECT_TRUE(link.timerRunning());
    EXPECT_EQ(link.labelColor(), link.inactiveColor()); // the text is not lit
    pointer = {300, 5};
    link.tmrTimer_Timer();
    EXPECT_FALSE(handPointer());
    EXPECT_FALSE(link.timerRunning());
}

TEST_F(DrovanettaTest, LeavingRestoresTheDefaultPointerEvenOverAnother) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    link.lblDrovanetta_MouseMove();
    link.lblDrovanetta_MouseMove(); // moves do not stack pointers
    pointer = {500, 500};
    link.tmrTimer_Timer();
    EXPECT_FALSE(handPointer());
}

TEST(DrovanettaLifetime, DestroyedWhileLitGivesThePointerBack) {
    auto* link = new DrovanettaX;
    link->initProperties();
    link->lblDrovanetta_MouseMove();
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    delete link;
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(DrovanettaTest, RefreshLabelDimsWithoutStoppingTheTimer) {
    link.lblDrovanetta_MouseMove();
    link.setCaption(QStringLiteral("Другое"));
    EXPECT_EQ(link.labelColor(), link.inactiveColor());
    EXPECT_TRUE(link.timerRunning());
    EXPECT_TRUE(handPointer());
}

TEST_F(DrovanettaTest, ClickRaisesClickedAndOpensTheLink) {
    link.lblDrovanetta_Click();
    ASSERT_EQ(site.events.size(), 1);
    EXPECT_EQ(site.events[0].id, kEventClicked);
    EXPECT_EQ(site.events[0].name, QStringLiteral("Clicked"));
    EXPECT_EQ(site.events[0].args, (QVariantList{kLink, false}));
    EXPECT_EQ(opened, QStringList{kLink});
}

TEST_F(DrovanettaTest, CancelInClickedOpensNothing) {
    site.onEvent = [](QVariantList& args) { args[1] = true; };
    link.lblDrovanetta_Click();
    EXPECT_TRUE(opened.isEmpty());

    site.onEvent = nullptr;
    QObject::connect(&link, &DrovanettaX::Clicked, [](const QString&, bool* cancel) { *cancel = true; });
    link.lblDrovanetta_Click();
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(DrovanettaTest, MouseOnTheLabelClicks) {
    QLabel* l = link.label();
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, l->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, l->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, at, l->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(l, &move);
    EXPECT_EQ(link.labelColor(), link.activeColor());
    QCoreApplication::sendEvent(l, &press);
    EXPECT_TRUE(opened.isEmpty()); // pressing alone does nothing
    QCoreApplication::sendEvent(l, &release);
    EXPECT_EQ(opened, QStringList{kLink});
}

TEST_F(DrovanettaTest, OpenDrovanettaFillsAnEmptyLink) {
    QVariantList args{QString()};
    link.invoke(DispOpenDrovanetta, args);
    EXPECT_EQ(args[0].toString(), kLink);
    QVariantList mail{QStringLiteral("mailto:pilot@example.org")};
    link.invokeByName(QStringLiteral("opendrovanetta"), mail);
    EXPECT_EQ(opened, (QStringList{kLink, QStringLiteral("mailto:pilot@example.org")}));
}

TEST_F(DrovanettaTest, DispatchIds) {
    EXPECT_EQ(link.idOfName(QStringLiteral("font")), 0x68030000);
    EXPECT_EQ(link.idOfName(QStringLiteral("BackColor")), 0x68030001);
    EXPECT_EQ(link.idOfName(QStringLiteral("InactiveColor")), 0x68030002);
    EXPECT_EQ(link.idOfName(QStringLiteral("ActiveColor")), 0x68030003);
    EXPECT_EQ(link.idOfName(QStringLiteral("CAPTION")), 0x68030004);
    EXPECT_EQ(link.idOfName(QStringLiteral("Drovanetta")), 0x68030005);
    EXPECT_EQ(link.idOfName(QStringLiteral("OpenDrovanetta")), 0x60030014);
    link.put(DispActiveColor, 0xFF);
    EXPECT_EQ(link.get(DispActiveColor).toUInt(), 0xFFu);
    EXPECT_THROW(link.put(DispCaption, QFont()), korv::host::ControlError);
}

TEST_F(DrovanettaTest, AmbientBackColorChangeTakesTheFormsColour) {
    site.parentBack = 0x00FF00u;
    link.ambientPropertyChanged(QStringLiteral("Font"));
    EXPECT_TRUE(site.notices.isEmpty());
    link.ambientPropertyChanged(QStringLiteral("backcolor"));
    EXPECT_EQ(link.backColor(), 0x00FF00u);
    EXPECT_EQ(site.notices, QStringList{QStringLiteral("BackColor")});
    EXPECT_EQ(link.palette().color(QPalette::Window), QColor(0, 255, 0));
}

TEST_F(DrovanettaTest, SavingAFreshControlKeepsOnlyItsColours) {
    MemoryPropertyBag bag;
    link.writeProperties(bag);
    EXPECT_EQ(bag.names(), (QStringList{"ActiveColor", "InactiveColor"}));
    EXPECT_EQ(bag.value(QStringLiteral("activecolor")).toUInt(), 0u);
    EXPECT_EQ(bag.value(QStringLiteral("inactivecolor")).toUInt(), 0xFF0000u);

    link.setDrovanetta(QStringLiteral("https://example.org/a"));
    link.setCaption(QStringLiteral("A"));
    link.setBackColor(0xFF);
    link.setLabelFont(QFont(QStringLiteral("DejaVu Serif"), 13));
    bag.clear();
    link.writeProperties(bag);
    EXPECT_EQ(bag.names(), (QStringList{"Drovanetta", "Caption", "ActiveColor", "InactiveColor", "BackColor", "Font"}));
}

TEST(DrovanettaPersistence, BagWithoutColoursIsBlackAndBlueOnHover) {
    RecordingSite site;
    DrovanettaX link(&site);
    link.readProperties(MemoryPropertyBag());
    EXPECT_EQ(site.notices,
              (QStringList{"Caption", "Drovanetta", "ActiveColor", "InactiveColor", "BackColor", "Font"}));
    EXPECT_EQ(link.caption(), kLink);
    EXPECT_EQ(link.labelColor(), 0u);
    EXPECT_EQ(link.label()->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    EXPECT_EQ(link.backColor(), 0x8000000Fu);
    link.lblDrovanetta_MouseMove();
    EXPECT_EQ(link.labelColor(), 0xFF0000u);
    EXPECT_EQ(link.label()->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QGuiApplication::restoreOverrideCursor();
}

TEST(DrovanettaPersistence, AboutFormInstanceIsRedAndBlackOnHover) {
    RecordingSite site;
    DrovanettaX link(&site);
    MemoryPropertyBag bag;
    bag.set(QStringLiteral("drovanetta"), QStringLiteral("https://author.example.org/"));
    bag.set(QStringLiteral("caption"), QStringLiteral("https://author.example.org/"));
    bag.set(QStringLiteral("activecolor"), QVariant::fromValue<uint>(0));
    bag.set(QStringLiteral("inactivecolor"), QVariant::fromValue<uint>(0xFF));
    link.readProperties(bag);
    EXPECT_EQ(link.label()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(link.label()->toolTip(), QStringLiteral("https://author.example.org/"));
    link.lblDrovanetta_MouseMove();
    EXPECT_EQ(link.label()->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    QGuiApplication::restoreOverrideCursor();
}

TEST(DrovanettaPersistence, ContainerWithoutAmbientProperties) {
    RecordingSite site;
    site.font.reset();
    site.back.reset();
    DrovanettaX link(&site);
    const QFont before = link.label()->font();
    link.initProperties();
    EXPECT_FALSE(link.labelFont().has_value());
    EXPECT_EQ(link.backColor(), 0x8000000Fu);
    EXPECT_EQ(link.label()->font(), before);
    MemoryPropertyBag bag;
    link.writeProperties(bag);
    EXPECT_TRUE(bag.contains(QStringLiteral("BackColor"))); // no ambient colour to compare with
    EXPECT_FALSE(bag.contains(QStringLiteral("Font")));

    // The ambient font is tried again at every refresh.
    site.font = QFont(QStringLiteral("DejaVu Serif"), 11);
    link.RefreshLabel();
    ASSERT_TRUE(link.labelFont().has_value());
    EXPECT_EQ(link.label()->font(), *site.font);
}

// ---- what the desktop is asked to open ----------------------------------------------------------------

namespace {

// A working directory with the relative targets of the checks: readme.txt and Help/x.
class LinkTargets : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString savedCurrent = QDir::currentPath();

    void SetUp() override {
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Help")));
        for (const char* name : {"readme.txt", "Help/x"}) {
            QFile f(dir.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
    }
    void TearDown() override { QDir::setCurrent(savedCurrent); }
    QUrl file(const char* name) const { return QUrl::fromLocalFile(dir.filePath(QString::fromLatin1(name))); }
};

// Stands in for the desktop's handlers of the schemes the checks open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
    Q_INVOKABLE void open(const QUrl& url) { urls << url; }
};

} // namespace

TEST_F(LinkTargets, RelativeTargetsOpenAsFilesOfTheWorkingDirectory) {
    EXPECT_EQ(shellUrl(QStringLiteral("readme.txt"), dir.path()), file("readme.txt"));
    EXPECT_EQ(shellUrl(QStringLiteral("Help/x"), dir.path()), file("Help/x"));
    EXPECT_EQ(shellUrl(QStringLiteral("Help/../readme.txt"), dir.path()), file("readme.txt"));
    EXPECT_EQ(shellUrl(dir.filePath(QStringLiteral("Help/x")), QStringLiteral("/")), file("Help/x"));
    // A missing absolute path is still a file: the desktop reports it, nothing guesses a host.
    EXPECT_EQ(shellUrl(QStringLiteral("/no/such/file.txt"), dir.path()),
              QUrl::fromLocalFile(QStringLiteral("/no/such/file.txt")));
}

TEST_F(LinkTargets, UrlsStandAndOnlyTheRestIsGuessedAsAWebAddress) {
    EXPECT_EQ(shellUrl(kLink, dir.path()), QUrl(kLink));
    EXPECT_EQ(shellUrl(QStringLiteral("mailto:pilot@example.org"), dir.path()),
              QUrl(QStringLiteral("mailto:pilot@example.org")));
    EXPECT_EQ(shellUrl(QStringLiteral("file:///tmp/a.txt"), dir.path()), QUrl(QStringLiteral("file:///tmp/a.txt")));
    EXPECT_EQ(shellUrl(QStringLiteral("www.example.org"), dir.path()), QUrl(QStringLiteral("http://www.example.org")));
    EXPECT_EQ(shellUrl(QStringLiteral("  readme.txt "), dir.path()), file("readme.txt"));
    EXPECT_TRUE(shellUrl(QString(), dir.path()).isEmpty());
}

TEST_F(LinkTargets, ClickOnARelativeLinkOpensTheFileOfTheCurrentDirectory) {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &recorder, "open");
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    DrovanettaX link;
    link.initProperties();
    link.setDrovanetta(QStringLiteral("Help/x"));
    link.lblDrovanetta_Click();
    QString none;
    link.setDrovanetta(QStringLiteral("readme.txt"));
    link.OpenDrovanetta(none);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    EXPECT_EQ(recorder.urls, (QList<QUrl>{file("Help/x"), file("readme.txt")}));
}

#include "test_drovanetta.moc"
