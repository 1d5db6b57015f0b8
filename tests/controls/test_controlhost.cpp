#include "bagtextfile.h"
#include "containerwindow.h"
#include "controls/host/classfactory.h"
#include "controls/host/controlerror.h"
#include "controls/host/convert.h"
#include "controls/host/createcontrol.h"
#include "controls/host/propertybag.h"
#include "controls/host/registry.h"
#include "recording_site.h"
#include "support/error_number.h"

#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

using namespace korv::host;

namespace {

const QString kTarvixLib = QStringLiteral(TARVIX_LIBRARY);
const QString kDrovanettaLib = QStringLiteral(DROVANETTA_LIBRARY);
const QString kTarvixClsid = QStringLiteral("{4449A04C-BE6D-483C-9E7D-385AC8C40BD0}");

// Each test registers into a registry of its own in a temporary directory.
class RegistryTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path;
    QByteArray saved;

    void SetUp() override {
        saved = qgetenv("KORV_REGISTRY");
        path = dir.filePath(QStringLiteral("sub/registry.ini"));
        qputenv("KORV_REGISTRY", path.toLocal8Bit());
    }
    void TearDown() override { qputenv("KORV_REGISTRY", saved); }

    void registerBoth() {
        ASSERT_EQ(RegisterLibrary(kTarvixLib), kOk);
        ASSERT_EQ(RegisterLibrary(kDrovanettaLib), kOk);
    }
};

} // namespace

TEST_F(RegistryTest, RegistrationWritesProgIdClassAndLibrary) {
    EXPECT_EQ(Registry::defaultPath(), path);
    registerBoth();
    const Registry reg(path);
    EXPECT_EQ(reg.classIdOf(QStringLiteral("Project1.TarvixProgress")), kTarvixClsid);
    EXPECT_EQ(reg.libraryOf(kTarvixClsid), QFileInfo(kTarvixLib).absoluteFilePath());
    EXPECT_EQ(reg.value(QStringLiteral("HKEY_CLASSES_ROOT\\TypeLib\\{06FEECA8-7469-417C-B8A1-3D52B2C05398}\\1.5")),
              QStringLiteral("Красивый прогрессбар TarvixProgress 1.5"));
    const QString drovClsid = reg.classIdOf(QStringLiteral("Drovanetta.DrovanettaX"));
    EXPECT_EQ(reg.libraryOf(drovClsid), QFileInfo(kDrovanettaLib).absoluteFilePath());
    EXPECT_EQ(reg.registeredProgIds(),
              (QStringList{QStringLiteral("Drovanetta.DrovanettaX"), QStringLiteral("Project1.TarvixProgress")}));
}

TEST_F(RegistryTest, CreateByProgIdAndDriveByDispId) {
    registerBoth();
    RecordingSite site;
    QWidget form;
    Control* bar = CreateControl(QStringLiteral("Project1.TarvixProgress"), &site, &form);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->widget()->parentWidget(), &form);
    EXPECT_EQ(bar->progId(), QStringLiteral("Project1.TarvixProgress"));
    bar->initProperties();
    // As the program does it: Min, Max and Value late-bound by their fixed identifiers.
    bar->put(0x68030003, 0);
    bar->put(0x68030002, 8);
    bar->put(0x6803000E, 3);
    EXPECT_EQ(bar->get(0x6803000E).toInt(), 3);
    EXPECT_EQ(site.notices, (QStringList{"Min", "Max", "Value"}));

    Control* link = CreateControl(QStringLiteral("drovanetta.drovanettax"), &site, &form);
    ASSERT_NE(link, nullptr);
    link->initProperties();
    EXPECT_FALSE(link->getByName(QStringLiteral("Caption")).toString().isEmpty());
}

TEST_F(RegistryTest, CanUnloadOnlyWithoutLiveControls) {
    registerBoth();
    QLibrary lib(kTarvixLib);
    ASSERT_TRUE(lib.load());
    auto canUnload = reinterpret_cast<DllCanUnloadNowFn>(lib.resolve("DllCanUnloadNow"));
    ASSERT_NE(canUnload, nullptr);
    EXPECT_EQ(canUnload(), kOk);
    Control* bar = CreateControl(QStringLiteral("Project1.TarvixProgress"), nullptr, nullptr);
    EXPECT_EQ(canUnload(), kFalse);
    delete bar->widget();
    EXPECT_EQ(canUnload(), kOk);
}

TEST_F(RegistryTest, ClassObjectAnswersOnlyForItsClassAndInterface) {
    QLibrary lib(kTarvixLib);
    ASSERT_TRUE(lib.load());
    auto get = reinterpret_cast<DllGetClassObjectFn>(lib.resolve("DllGetClassObject"));
    ASSERT_NE(get, nullptr);
    void* obj = reinterpret_cast<void*>(1);
    EXPECT_EQ(get("{00000000-0000-0000-0000-000000000000}", kIidClassFactory, &obj), kClassNotAvailable);
    EXPECT_EQ(obj, nullptr);
    EXPECT_EQ(get(kTarvixClsid.toLatin1().constData(), "{00000000-0000-0000-0000-000000000001}", &obj), kNoInterface);
    EXPECT_EQ(get(kTarvixClsid.toLatin1().constData(), kIidClassFactory, nullptr), kPointer);
    EXPECT_EQ(get(kTarvixClsid.toLatin1().constData(), kIidClassFactory, &obj), kOk);
    EXPECT_NE(obj, nullptr);
}

TEST_F(RegistryTest, UnknownOrBrokenRegistrationCannotCreate) {
    EXPECT_EQ(
        errorNumberOf<ControlError>([] { CreateControl(QStringLiteral("Project1.TarvixProgress"), nullptr, nullptr); }),
        ControlError::CannotCreateObject);
    registerBoth();
    EXPECT_EQ(errorNumberOf<ControlError>([] { CreateControl(QStringLiteral("Project1.Nothing"), nullptr, nullptr); }),
              ControlError::CannotCreateObject);
    Registry reg(path);
    reg.setValue(QStringLiteral("HKEY_CLASSES_ROOT\\CLSID\\") + kTarvixClsid + QStringLiteral("\\InprocServer32"), {},
                 dir.filePath(QStringLiteral("missing.so")));
    EXPECT_EQ(
        errorNumberOf<ControlError>([] { CreateControl(QStringLiteral("Project1.TarvixProgress"), nullptr, nullptr); }),
        ControlError::CannotCreateObject);
}

TEST_F(RegistryTest, UnregisterRemovesTheClass) {
    registerBoth();
    ASSERT_EQ(RegisterLibrary(kTarvixLib, true), kOk);
    const Registry reg(path);
    EXPECT_TRUE(reg.classIdOf(QStringLiteral("Project1.TarvixProgress")).isEmpty());
    EXPECT_TRUE(reg.libraryOf(kTarvixClsid).isEmpty());
    EXPECT_EQ(reg.registeredProgIds(), QStringList{QStringLiteral("Drovanetta.DrovanettaX")});
}

// ---- property bag and conversions --------------------------------------------------------------------

TEST(PropertyBag, NamesIgnoreCaseAndDefaultsAreLeftOut) {
    MemoryPropertyBag bag;
    bag.writeProperty(QStringLiteral("Value"), QVariant::fromValue<short>(100), QVariant::fromValue<short>(100));
    EXPECT_FALSE(bag.contains(QStringLiteral("value")));
    bag.writeProperty(QStringLiteral("Value"), QVariant::fromValue<short>(57), QVariant::fromValue<short>(100));
    EXPECT_EQ(bag.readProperty(QStringLiteral("VALUE"), 100).toInt(), 57);
    EXPECT_EQ(bag.readProperty(QStringLiteral("Min"), 0).toInt(), 0);
    // A later write of the default removes the entry written before.
    bag.writeProperty(QStringLiteral("value"), 100, QVariant::fromValue<short>(100));
    EXPECT_TRUE(bag.entries().isEmpty());
    bag.writeProperty(QStringLiteral("Picture"), QVariant(QImage()), QVariant());
    EXPECT_TRUE(bag.entries().isEmpty());
}

TEST(Conversions, SixteenBitRules) {
    EXPECT_EQ(toInt16(QVariant(2.5)), 2);
    EXPECT_EQ(toInt16(QVariant(3.5)), 4);
    EXPECT_EQ(toInt16(QStringLiteral("12,5")), 12);
    EXPECT_EQ(toInt16(QVariant(true)), -1);
    EXPECT_EQ(toInt16(QVariant(-32768)), -32768);
    EXPECT_EQ(errorNumberOf<ControlError>([] { toInt16(QVariant(32767.5)); }), ControlError::Overflow);
    EXPECT_EQ(errorNumberOf<ControlError>([] { toInt16(QVariant(40000)); }), ControlError::Overflow);
    EXPECT_EQ(errorNumberOf<ControlError>([] { toInt16(QStringLiteral("abc")); }), ControlError::TypeMismatch);
    EXPECT_EQ(errorNumberOf<ControlError>([] { toInt16(QVariant()); }), ControlError::TypeMismatch);
    EXPECT_EQ(toOleColor(QStringLiteral("&H8000000F")), 0x8000000Fu);
    EXPECT_EQ(toOleColor(QVariant(-2147483633)), 0x8000000Fu);
    EXPECT_TRUE(toBool(QStringLiteral("true")));
    EXPECT_FALSE(toBool(QVariant(0)));
}

TEST(Conversions, OleColoursToQt) {
    EXPECT_EQ(qcolorFromOle(0x800000u), QColor(0, 0, 128));
    EXPECT_EQ(qcolorFromOle(0x0000FFu), QColor(255, 0, 0));
    EXPECT_EQ(qcolorFromOle(0x80000012u), QGuiApplication::palette().color(QPalette::ButtonText));
    EXPECT_EQ(qcolorFromOle(0x8000000Fu), QGuiApplication::palette().color(QPalette::Button));
    EXPECT_EQ(oleFromQColor(QColor(0x12, 0x34, 0x56)), 0x563412u);
}

// ---- the container's text file ----------------------------------------------------------------------

TEST_F(RegistryTest, BagRoundTripThroughTheContainersTextFile) {
    registerBoth();
    RecordingSite site;
    QWidget form;
    Control* bar = CreateControl(QStringLiteral("Project1.TarvixProgress"), &site, &form);
    bar->initProperties();
    bar->widget()->resize(204, 24);
    bar->putByName(QStringLiteral("Text"), QStringLiteral("Итого \"всего\"\\\n2"));
    bar->putByName(QStringLiteral("ForeColor"), QVariant::fromValue<uint>(0xC00000));
    bar->putByName(QStringLiteral("BackColor"), QStringLiteral("&H8000000F"));
    bar->putByName(QStringLiteral("Style"), 0);
    bar->putByName(QStringLiteral("Value"), 57);
    bar->putByName(QStringLiteral("InvertPersent"), true);
    QImage pic(4, 3, QImage::Format_RGB32);
    pic.fill(QColor(10, 20, 30));
    bar->putByName(QStringLiteral("Picture"), pic);
    QFont font(QStringLiteral("DejaVu Serif"), 13);
    font.setBold(true);
    bar->putByName(QStringLiteral("Font"), font);

    MemoryPropertyBag bag;
    bag.set(container::kProgIdEntry, bar->progId());
    bar->writeProperties(bag);
    const QString file = dir.filePath(QStringLiteral("bar.bag"));
    container::saveBagFile(file, bag);

    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), bag.entries().size()); // one entry a line
    EXPECT_TRUE(lines.contains(QStringLiteral("_ProgID = str \"Project1.TarvixProgress\"")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Value = i16 57")));
    EXPECT_TRUE(lines.contains(QStringLiteral("BackColor = colour &H8000000F")));
    EXPECT_TRUE(lines.contains(QStringLiteral("ForeColor = colour &H00C00000")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Style = i32 0")));
    EXPECT_TRUE(lines.contains(QStringLiteral("InvertPersent = bool True")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Text = str \"Итого \\\"всего\\\"\\\\\\n2\"")));

    const MemoryPropertyBag loaded = container::loadBagFile(file);
    ASSERT_EQ(loaded.names(), bag.names());
    for (const auto& e : bag.entries())
        EXPECT_TRUE(sameBagValue(loaded.value(e.first), e.second)) << e.first.toStdString();
    EXPECT_EQ(loaded.value(QStringLiteral("Value")).typeId(), QMetaType::Short);

    Control* copy = CreateControl(loaded.value(container::kProgIdEntry).toString(), &site, &form);
    copy->widget()->resize(204, 24);
    copy->readProperties(loaded);
    for (const char* name : {"Value", "Text", "ForeColor", "BackColor", "Style", "InvertPersent", "Min", "Max"})
        EXPECT_EQ(copy->getByName(QString::fromLatin1(name)), bar->getByName(QString::fromLatin1(name))) << name;
    EXPECT_EQ(copy->getByName(QStringLiteral("Picture")).value<QImage>(), pic);
    EXPECT_EQ(copy->getByName(QStringLiteral("Font")).value<QFont>().family(), font.family());
    EXPECT_TRUE(copy->getByName(QStringLiteral("Font")).value<QFont>().bold());
}

TEST(BagTextFile, ReadsByHandWrittenFilesAndNamesTheBadLine) {
    const MemoryPropertyBag bag =
        container::bagFromText(QStringLiteral("# a comment\n\n  caption = str \"Сайт\"\nActiveColor = colour "
                                              "&hFF\nStretch = bool False\nPicture = empty\n"));
    EXPECT_EQ(bag.value(QStringLiteral("Caption")).toString(), QStringLiteral("Сайт"));
    EXPECT_EQ(bag.value(QStringLiteral("activecolor")).toUInt(), 0xFFu);
    EXPECT_FALSE(bag.value(QStringLiteral("Stretch")).toBool());
    EXPECT_TRUE(bag.contains(QStringLiteral("Picture")));

    try {
        container::bagFromText(QStringLiteral("Value = i16 5\nMin = i16 70000\n"));
        FAIL() << "no error";
    } catch (const ControlError& e) {
        EXPECT_EQ(e.number(), ControlError::TypeMismatch);
        EXPECT_TRUE(e.description().contains(QStringLiteral("строка 2")));
    }
    EXPECT_EQ(errorNumberOf<ControlError>([] { container::bagFromText(QStringLiteral("Value 5\n")); }),
              ControlError::TypeMismatch);
    EXPECT_EQ(errorNumberOf<ControlError>([] { container::bagFromText(QStringLiteral("Text = str unquoted\n")); }),
              ControlError::TypeMismatch);
    EXPECT_EQ(
        errorNumberOf<ControlError>([] { container::bagFromText(QStringLiteral("Picture = picture data:xx\n")); }),
        ControlError::InvalidPicture);
}

TEST_F(RegistryTest, ContainerPlacesChangesSavesAndReloadsEachControl) {
    registerBoth();
    const QString barFile = dir.filePath(QStringLiteral("bar.bag"));
    const QString linkFile = dir.filePath(QStringLiteral("link.bag"));
    {
        ContainerWindow w;
        w.setQuiet(true);
        ASSERT_TRUE(w.place(QStringLiteral("Project1.TarvixProgress")));
        EXPECT_FALSE(w.isModified());
        EXPECT_TRUE(w.putProperty(QStringLiteral("value"), QStringLiteral("57")));
        EXPECT_TRUE(w.putProperty(QStringLiteral("ForeColor"), QStringLiteral("&H00C00000")));
        EXPECT_TRUE(w.putProperty(QStringLiteral("Style"), QStringLiteral("0")));
        EXPECT_TRUE(w.isModified());
        EXPECT_FALSE(w.putProperty(QStringLiteral("Min"), QStringLiteral("32767")));
        EXPECT_TRUE(w.lastError().startsWith(QStringLiteral("6: ")));
        EXPECT_FALSE(w.putProperty(QStringLiteral("Max"), QStringLiteral("сто")));
        EXPECT_TRUE(w.lastError().startsWith(QStringLiteral("13: ")));
        ASSERT_TRUE(w.saveTo(barFile));

        ASSERT_TRUE(w.place(QStringLiteral("Drovanetta.DrovanettaX")));
        EXPECT_TRUE(w.putProperty(QStringLiteral("Caption"), QStringLiteral("Сайт автора")));
        EXPECT_TRUE(w.putProperty(QStringLiteral("InactiveColor"), QStringLiteral("&HFF")));
        ASSERT_TRUE(w.saveTo(linkFile));
    }
    ContainerWindow w;
    w.setQuiet(true);
    ASSERT_TRUE(w.loadFrom(barFile));
    EXPECT_EQ(w.control()->progId(), QStringLiteral("Project1.TarvixProgress"));
    EXPECT_EQ(w.control()->getByName(QStringLiteral("Value")).toInt(), 57);
    EXPECT_EQ(w.control()->getByName(QStringLiteral("ForeColor")).toUInt(), 0xC00000u);
    EXPECT_EQ(w.control()->getByName(QStringLiteral("Style")).toInt(), 0);
    EXPECT_FALSE(w.isModified()); // loading sends no notices
    ASSERT_TRUE(w.loadFrom(linkFile));
    EXPECT_EQ(w.control()->getByName(QStringLiteral("Caption")).toString(), QStringLiteral("Сайт автора"));
    EXPECT_EQ(w.control()->getByName(QStringLiteral("InactiveColor")).toUInt(), 0xFFu);
}
