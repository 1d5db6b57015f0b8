// The file of the flying before the logbook: what it gives each type by day and by night, every wrong line
// refused naming its number and its text, the file's own refusals, and the text the window writes read
// back as it was.

#include "common/error.h"
#include "totals/carried_flying.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace korv;
using namespace korv::totals;

namespace {

QString refusal(const QString& text) {
    try {
        parseCarriedFlying(text);
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::BadEntry);
        return e.description();
    }
    return {};
}

} // namespace

TEST(CarriedFlying, ATypeByDayAndByNightAsThePilotWritesIt) {
    const CarriedFlying f = parseCarriedFlying(QChar(0xFEFF) + QStringLiteral("# налёт в училище\n"
                                                                              "[Л-39]\n"
                                                                              "Полёты = 412\n"
                                                                              "  налёт   =  310:25 \n"
                                                                              "налет ночью = 30:05\n"
                                                                              "полёты ночью = 32\n"
                                                                              "шторка = 12:30\n"
                                                                              "СМУ = 0:00\n"
                                                                              "; облака только ночью\n"
                                                                              "облака ночью = 4:10\n"
                                                                              "посадки = 415\n"
                                                                              "посадки УМП = 12\n"
                                                                              "\n"
                                                                              "[Як-52]\n"
                                                                              "налёт = 120:00\n"));
    EXPECT_TRUE(f.found);
    ASSERT_EQ(f.types.size(), 2);
    const CarriedType* l39 = f.of(QStringLiteral("Л-39"));
    ASSERT_NE(l39, nullptr);
    const RecordValues day = l39->day(), night = l39->night();
    // The night part as given, the day part the whole less it.
    EXPECT_EQ(night.flights, 32);
    EXPECT_EQ(day.flights, 412 - 32);
    EXPECT_EQ(night.total, Minutes(30 * 60 + 5));
    EXPECT_EQ(day.total, Minutes(310 * 60 + 25 - (30 * 60 + 5)));
    // A key without a night line is flown by day; one with only a night line only at night.
    EXPECT_EQ(day.hood, Minutes(12 * 60 + 30));
    EXPECT_EQ(night.hood, Minutes(0));
    EXPECT_EQ(day.clouds, Minutes(0));
    EXPECT_EQ(night.clouds, Minutes(4 * 60 + 10));
    EXPECT_EQ(day.landings, 415);
    EXPECT_EQ(day.minimumLandings, 12);
    EXPECT_EQ(day.approaches, 0);
    EXPECT_TRUE((*l39)[CarriedKey::Smu].whole.has_value());
    // The two parts add up to the whole the file gives.
    RecordValues both = day;
    both += night;
    EXPECT_EQ(both.total, Minutes(310 * 60 + 25));
    EXPECT_EQ(both.flights, 412);

    EXPECT_EQ(f.of(QStringLiteral("Як-52"))->day().total, Minutes(120 * 60));
    EXPECT_EQ(f.of(QStringLiteral("МиГ-29")), nullptr);
    // An empty file and one of comments carry nothing.
    EXPECT_TRUE(parseCarriedFlying(QString()).types.isEmpty());
    EXPECT_TRUE(parseCarriedFlying(QStringLiteral("# пусто\n[Су-27]\n")).types.front().isEmpty());
}

TEST(CarriedFlying, EveryWrongLineIsRefusedNamingItsNumberAndText) {
    struct Case {
        const char* text;
        const char* says;
    };
    const Case cases[] = {
        {"налёт = 10:00", "строка 1 («налёт = 10:00»): перед значениями нужен заголовок типа"},
        {"[Л-39]\nналёт 10:00", "строка 2 («налёт 10:00»): нет знака «="},
        {"[Л-39]\n\nналёт = 310.25", "строка 3 («налёт = 310.25»): «310.25» — не время"},
        {"[Л-39]\nналёт = 10:60", "строка 2 («налёт = 10:60»)"},
        {"[Л-39]\nналёт = 100000:00", "строка 2"},
        {"[Л-39]\nналёт = -1:00", "строка 2"},
        {"[Л-39]\nполёты = 1.5", "строка 2 («полёты = 1.5»): «1.5» — не целое число"},
        {"[Л-39]\nполёты = -3", "строка 2"},
        {"[Л-39]\nполёты = 1000000", "строка 2"},
        {"[Л-39]\nполёты = ", "строка 2"},
        {"[Л-39]\nвылеты = 3", "строка 2 («вылеты = 3»): «вылеты» неизвестно"},
        {"[Л-39]\nполёты днём = 3", "строка 2"},
        {"[Л-39]\nполёты = 3\nполёты = 4", "строка 3 («полёты = 4»): «полёты» для типа Л-39 уже задано выше"},
        {"[Л-39\nполёты = 3", "строка 1 («[Л-39»): заголовок типа"},
        {"[ ]", "строка 1"},
        {"[Л-39]\n[Як-52]\n[Л-39]", "строка 3 («[Л-39]»): тип Л-39 уже описан выше"},
        {"[Все типы]\nналёт = 1:00", "строка 1 («[Все типы]»)"},
        // A night part above its whole names the night line and the whole's.
        {"[Л-39]\nналёт ночью = 20:00\nналёт = 10:00", "строка 2 («налёт ночью = 20:00»): «налёт ночью» больше, "
                                                       "чем «налёт» всего (строка 3)"},
        {"[Л-39]\nполёты = 2\nполёты ночью = 3\n[Як-52]", "строка 3 («полёты ночью = 3»)"},
    };
    for (const Case& c : cases) {
        const QString said = refusal(QString::fromUtf8(c.text));
        EXPECT_TRUE(said.contains(QString::fromUtf8(c.says))) << c.text << "\n  said: " << said.toStdString();
    }
    // A long line is named by its beginning.
    const QString said = refusal(QStringLiteral("[Л-39]\nполёты = ") + QString(200, u'9'));
    EXPECT_TRUE(said.startsWith(QStringLiteral("строка 2 («полёты = 999"))) << said.toStdString();
    EXPECT_LT(said.size(), 200);
}

TEST(CarriedFlying, TheWindowsTextIsReadBackAsItWas) {
    CarriedType l39{QStringLiteral("Л-39"), {}};
    l39[CarriedKey::Flights] = {412, 32};
    l39[CarriedKey::Total] = {310 * 60 + 25, 30 * 60 + 5};
    l39[CarriedKey::MinimumLandings] = {12, std::nullopt};
    CarriedType yak{QStringLiteral("Як-52"), {}};
    yak[CarriedKey::Clouds] = {std::nullopt, 65};
    const QString text = carriedFlyingText({l39, yak});
    EXPECT_TRUE(text.contains(QStringLiteral("[Л-39]\nполёты = 412\nполёты ночью = 32\nналёт = 310:25\n"
                                             "налёт ночью = 30:05\nпосадки УМП = 12\n")))
        << text.toStdString();
    const CarriedFlying back = parseCarriedFlying(text);
    ASSERT_EQ(back.types.size(), 2);
    for (const CarriedKey k : kAllCarriedKeys) {
        EXPECT_EQ(back.types[0][k].whole, l39[k].whole) << carriedKeyText(k).toStdString();
        EXPECT_EQ(back.types[0][k].night, l39[k].night) << carriedKeyText(k).toStdString();
        EXPECT_EQ(back.types[1][k].night, yak[k].night) << carriedKeyText(k).toStdString();
    }
    EXPECT_EQ(carriedValueOf(CarriedKey::Total, QStringLiteral(" 0:05 ")), 5);
    EXPECT_EQ(carriedValueOf(CarriedKey::Total, QStringLiteral("5")), std::nullopt);
    EXPECT_EQ(carriedValueOf(CarriedKey::Landings, QStringLiteral("+5")), std::nullopt);
    EXPECT_EQ(carriedValueText(CarriedKey::Hood, 27 * 60 + 30), QStringLiteral("27:30"));
}

TEST(CarriedFlying, TheFileIsReadOnlyWhenItIsASmallRegularFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = carriedPath(dir.path());
    EXPECT_TRUE(path.endsWith(QStringLiteral("/Korvelanta-налёт-до.ini")));
    // None: nothing carried, and said to be missing.
    const CarriedFlying none = readCarriedFlying(path);
    EXPECT_FALSE(none.found);
    EXPECT_TRUE(none.types.isEmpty());

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Л-39]\nналёт = 1:00\nшторка = много\n");
    f.close();
    try {
        readCarriedFlying(path);
        ADD_FAILURE() << "a wrong line was taken";
    } catch (const Error& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("Korvelanta-налёт-до.ini, строка 3 («шторка = много»)")))
            << e.description().toStdString();
    }

    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray((1 << 20) + 1, '#'));
    f.close();
    EXPECT_THROW(readCarriedFlying(path), Error);

    QFile::remove(path);
    ASSERT_TRUE(QDir(dir.path()).mkdir(kCarriedFileName));
    try {
        readCarriedFlying(path);
        ADD_FAILURE() << "a folder was read";
    } catch (const Error& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("папка"))) << e.description().toStdString();
    }
    QDir(dir.path()).rmdir(kCarriedFileName);
    // A fifo is refused at once rather than waited on.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_THROW(readCarriedFlying(path), Error);
}
