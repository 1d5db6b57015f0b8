// Old records brought in, without an office: the CSV's encodings, separators and quoting; the columns guessed
// from three kinds of header and kept in a mapping file; every form of a value read or refused; and each
// line's fate against a logbook (added, the same as a record there, passed over, refused).

#include "common/error.h"
#include "logbook/logbook.h"
#include "logbook/record_layout.h"
#include "support/sheet_rows.h"
#include "totals/record_export.h"
#include "totals/record_import.h"

#include <gtest/gtest.h>

using namespace korv;
using namespace korv::totals;
using korv::test::Rows;
using korv::test::serial;
namespace column = korv::logbook::records::column;

namespace {

ImportTable csv(const QString& text) { return readCsv(text.toUtf8()); }

QByteArray in1251(const QString& text) {
    QByteArray out;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80)
            out += char(u);
        else if (u >= 0x0410 && u <= 0x044F)
            out += char(0xC0 + (u - 0x0410));
        else if (u == 0x0401)
            out += char(0xA8);
        else if (u == 0x0451)
            out += char(0xB8);
        else
            ADD_FAILURE() << "no Windows-1251 byte in the test for U+" << std::hex << int(u);
    }
    return out;
}

int fieldColumn(const Mapping& m, ImportField f) { return m[f]; }

// A logbook with two records of September 2004 under their heading.
logbook::Logbook september() {
    Rows r;
    r.heading(7, "Сентябрь  2004 г.");
    r.record(9, serial(2004, 9, 6));
    r.set(9, column::F, 1.0);
    r.record(11, serial(2004, 9, 8), QString("Упр. 12 полёт ночью"));
    r.set(11, column::F, 2.0).set(11, column::C, QString("Н"));
    return korv::test::bookOf(r.rows);
}

const QString kForeign = QStringLiteral("Дата;Тип самолёта;Д/Н;Упражнение;Кол-во полётов;Налёт;В облаках;В СМУ;Заходов;"
                                        "Посадок\n");

QString fates(const ImportPlan& plan) {
    QStringList out;
    for (const ImportLine& l : plan.lines)
        out << QString::number(l.line) + u':' + fateName(l.fate);
    return out.join(u' ');
}

} // namespace

TEST(ImportSource, EncodingsSeparatorsAndQuotingAreFoundFromTheBytes) {
    // UTF-8 with a byte order mark and commas; a quoted field holding the separator, a quote and a line break.
    ImportTable t =
        readCsv("\xEF\xBB\xBF"
                "дата,упражнение\r\n06.09.04,\"Упр.  7, \"\"КП\"\"\r\nвторая строка\"\r\n\r\n07.09.04,x\r\n");
    EXPECT_EQ(t.encoding, "UTF-8");
    EXPECT_EQ(t.separator, u',');
    EXPECT_EQ(t.header, (QStringList{"дата", "упражнение"}));
    ASSERT_EQ(t.rows.size(), 2);
    EXPECT_EQ(t.rows[0][1].toString(), "Упр.  7, \"КП\"\r\nвторая строка");
    EXPECT_EQ(t.lines, (QList<int>{2, 5})); // the empty line is passed over, the line break counted
    EXPECT_EQ(t.description(), "CSV, UTF-8, разделитель «,»");

    // Windows-1251 and semicolons, a comma inside a field: one field.
    t = readCsv(in1251(QStringLiteral("Дата;Тип;Упражнение\n06.09.04;Л-39;Упр. 7, КП ёлка\n")));
    EXPECT_EQ(t.encoding, "Windows-1251");
    EXPECT_EQ(t.separator, u';');
    EXPECT_EQ(t.header, (QStringList{"Дата", "Тип", "Упражнение"}));
    EXPECT_EQ(t.rows[0][2].toString(), "Упр. 7, КП ёлка");

    t = csv("дата\tтип\n06.09.04\tЛ-39\n");
    EXPECT_EQ(t.separator, u'\t');
    EXPECT_EQ(t.rows[0][1].toString(), "Л-39");

    EXPECT_THROW(csv("дата,тип\n06.09.04,\"Л-39\n"), Error);
    EXPECT_THROW(csv("\n\n"), Error);
    EXPECT_EQ(fromWindows1251("\xB9 \xAB\xE0\xBB"), "№ «а»");
}

TEST(ImportMapping, TheExportsOwnHeaderAndTwoForeignOnesAreGuessed) {
    // The program's own export, of this build and of earlier ones (seventeen fields): as they stand.
    Mapping own = guessMapping(exportHeader());
    EXPECT_TRUE(own.ownExport);
    for (int i = 0; i < kImportFields; ++i)
        EXPECT_EQ(own.column[std::size_t(i)], i);
    Mapping older = guessMapping(exportHeader().mid(0, 17));
    EXPECT_TRUE(older.ownExport);
    EXPECT_EQ(fieldColumn(older, ImportField::MinimumLandings), 16);
    EXPECT_EQ(fieldColumn(older, ImportField::CloudTop), -1);

    // A Russian header in another order, where the particular words must win over the general ones.
    const QStringList russian{"Посадок при минимуме",
                              "Налёт в облаках",
                              "Дата полёта",
                              "Налёт",
                              "Система захода",
                              "Заходов",
                              "Тип ЛА",
                              "Количество полётов",
                              "Время суток",
                              "Сиденье",
                              "Нижняя граница облаков",
                              "Облачность, баллы",
                              "Упражнение",
                              "Под шторкой",
                              "Посадок"};
    const Mapping ru = guessMapping(russian);
    EXPECT_FALSE(ru.ownExport);
    EXPECT_EQ(ru[ImportField::MinimumLandings], 0);
    EXPECT_EQ(ru[ImportField::Clouds], 1);
    EXPECT_EQ(ru[ImportField::Date], 2);
    EXPECT_EQ(ru[ImportField::Total], 3);
    EXPECT_EQ(ru[ImportField::System], 4);
    EXPECT_EQ(ru[ImportField::Approaches], 5);
    EXPECT_EQ(ru[ImportField::Type], 6);
    EXPECT_EQ(ru[ImportField::Flights], 7);
    EXPECT_EQ(ru[ImportField::DayNight], 8);
    EXPECT_EQ(ru[ImportField::Seat], 9);
    EXPECT_EQ(ru[ImportField::CloudBase], 10);
    EXPECT_EQ(ru[ImportField::CloudAmount], 11);
    EXPECT_EQ(ru[ImportField::Exercise], 12);
    EXPECT_EQ(ru[ImportField::Hood], 13);
    EXPECT_EQ(ru[ImportField::Landings], 14);
    EXPECT_EQ(ru[ImportField::Smu], -1);

    const QStringList english{"Date",
                              "Aircraft type",
                              "Day/Night",
                              "Seat",
                              "Exercise",
                              "Flights",
                              "Total time",
                              "Hood",
                              "IMC",
                              "In cloud",
                              "Altitude",
                              "Cloud cover",
                              "Minimum take-offs",
                              "Approach system",
                              "Approaches",
                              "Landings",
                              "Landings at minimum",
                              "Cloud top",
                              "Cloud base",
                              "Visibility",
                              "Remarks"};
    const Mapping en = guessMapping(english);
    for (int i = 0; i < kImportFields; ++i)
        EXPECT_EQ(en.column[std::size_t(i)], i) << english[i].toStdString();
}

TEST(ImportMapping, TheMappingFileKeepsTheColumnsByTheirHeaderAndRefusesNamingTheLine) {
    const QStringList header{"Когда", "Борт", "Сколько", "Что"};
    Mapping m;
    m.column[std::size_t(ImportField::Date)] = 0;
    m.column[std::size_t(ImportField::Type)] = 1;
    m.column[std::size_t(ImportField::Total)] = 2;
    m.column[std::size_t(ImportField::Exercise)] = 3;
    m.times = TimeStyle::DecimalHours;
    const QString text = mappingFileText(m, header);
    // Another file of the same header in another order takes the same fields.
    const QStringList reordered{"Что", "Сколько", "Борт", "Когда"};
    const Mapping back = readMappingFile(text, reordered);
    EXPECT_EQ(back[ImportField::Date], 3);
    EXPECT_EQ(back[ImportField::Type], 2);
    EXPECT_EQ(back[ImportField::Total], 1);
    EXPECT_EQ(back[ImportField::Exercise], 0);
    EXPECT_EQ(back[ImportField::Flights], -1);
    EXPECT_EQ(back.times, TimeStyle::DecimalHours);
    EXPECT_TRUE(back.timesGiven);

    const auto refusal = [&](const QString& file) {
        try {
            readMappingFile(file, header);
        } catch (const Error& e) {
            return e.description();
        }
        return QStringLiteral("принят");
    };
    EXPECT_TRUE(refusal("# x\nдата = Когда\nдата = Борт\n").contains("строка 3"))
        << refusal("дата = Когда\nдата = Борт").toStdString();
    EXPECT_TRUE(refusal("дата = Когда\nпилот = Борт\n").contains("строка 2"));
    EXPECT_TRUE(refusal("дата = Когда\nтип = Самолёт\n").contains("нет столбца «Самолёт»"));
    EXPECT_TRUE(refusal("дата Когда\n").contains("строка 1"));
    EXPECT_TRUE(refusal("время = минуты\n").contains("строка 1"));
}

TEST(ImportValues, EveryFormOfAValueIsReadOrRefused) {
    EXPECT_EQ(importedDate(QString("06.09.04")), QDate(2004, 9, 6));
    EXPECT_EQ(importedDate(QString(" 06.09.2004 ")), QDate(2004, 9, 6));
    EXPECT_EQ(importedDate(QString("2004-09-06")), QDate(2004, 9, 6));
    EXPECT_EQ(importedDate(serial(2004, 9, 6)), QDate(2004, 9, 6)); // a workbook's date value
    EXPECT_EQ(importedDate(QString()), std::nullopt);
    for (const char* bad : {"31.09.04", "2004-13-01", "6/9/2004", "06.09.1999", "вчера"})
        EXPECT_THROW(importedDate(QString(bad)), Error) << bad;

    const auto hm = [](const QVariant& v, TimeStyle s = TimeStyle::HoursDotMinutes, bool hours = false) {
        return importedTime(v, s, hours).value_or(Minutes(-1)).count;
    };
    EXPECT_EQ(hm(QString("1:25")), 85);
    EXPECT_EQ(hm(QString("27:30")), 1650);
    EXPECT_EQ(hm(QString("1.25")), 85);
    EXPECT_EQ(hm(QString("0,05")), 5);
    EXPECT_EQ(hm(QString("1.25"), TimeStyle::DecimalHours), 75);
    EXPECT_EQ(hm(QString("1,5"), TimeStyle::DecimalHours), 90);
    EXPECT_EQ(hm(QString("0.33"), TimeStyle::DecimalHours), 20); // 19.8 minutes to the nearest
    EXPECT_EQ(hm(QString("2")), 120);
    EXPECT_EQ(hm(QString("1:25"), TimeStyle::DecimalHours), 85); // a colon is always h:mm
    EXPECT_EQ(hm(85 / 1440.0), 85);                              // a workbook's time value
    EXPECT_EQ(hm(1.5, TimeStyle::DecimalHours, true), 90);       // a workbook's column of hours
    EXPECT_EQ(hm(1.25, TimeStyle::HoursDotMinutes, true), 85);
    EXPECT_EQ(importedTime(QString(), TimeStyle::HoursDotMinutes, false), std::nullopt);
    for (const char* bad : {"1.5", "1.75", "1:75", "-0:10", "1ч 25м", "1.250"})
        EXPECT_THROW(importedTime(QString(bad), TimeStyle::HoursDotMinutes, false), Error) << bad;
    EXPECT_THROW(importedTime(-0.01, TimeStyle::HoursDotMinutes, false), Error);
    // Nothing a shift could hold, and nothing that would not fit the minutes the program adds.
    for (const char* huge : {"1000", "99999999999999", "999999999.30", "9999999999:00", "1000.5"})
        EXPECT_THROW(importedTime(QString(huge), TimeStyle::DecimalHours, false), Error) << huge;
    EXPECT_THROW(importedTime(1e12, TimeStyle::HoursDotMinutes, false), Error);
    EXPECT_EQ(importedTime(QString("999:59"), TimeStyle::HoursDotMinutes, false)->count, 999 * 60 + 59);

    for (const char* day : {"Д", "д", "день", "Day", "D"})
        EXPECT_EQ(importedDayNight(QString(day)), "Д") << day;
    for (const char* night : {"Н", "ночь", "NIGHT", "n"})
        EXPECT_EQ(importedDayNight(QString(night)), "Н") << night;
    EXPECT_THROW(importedDayNight(QString("вечер")), Error);

    EXPECT_EQ(importedCount(QString(" 3 ")), 3.0);
    EXPECT_EQ(importedCount(2.0), 2.0);
    EXPECT_EQ(importedCount(QString()), std::nullopt);
    for (const QVariant& bad : {QVariant(QString("1.5")), QVariant(QString("-1")), QVariant(1.5),
                                QVariant(QString("два")), QVariant(40000.0)})
        EXPECT_THROW(importedCount(bad), Error) << bad.toString().toStdString();
}

TEST(ImportValues, TheTimeStyleIsGuessedFromTheTimesWritten) {
    ImportTable t = csv("дата;налёт\n06.09.04;1.25\n07.09.04;0.45\n");
    Mapping m = guessMapping(t.header);
    EXPECT_EQ(guessTimeStyle(t, m), TimeStyle::HoursDotMinutes);
    t = csv("дата;налёт\n06.09.04;1.25\n07.09.04;1.5\n");
    EXPECT_EQ(guessTimeStyle(t, m), TimeStyle::DecimalHours);
    t = csv("дата;налёт\n06.09.04;1.25\n07.09.04;0.75\n");
    EXPECT_EQ(guessTimeStyle(t, m), TimeStyle::DecimalHours); // 75 minutes are no minutes of an hour
}

TEST(ImportPlan, EachLineHasItsFateBeforeAnythingIsWritten) {
    const ImportTable t =
        csv(kForeign + "06.09.04;Л-39;Д;Упр.  7 КП;1;1.25;;;;\n"     // 2: the record at row 9
                       "07.09.04;Л-39;ночь;7;2;1.10;0.20;0.30;2;2\n" // 3: added, the exercise worded
                       "Октябрь 2004\n"                              // 4: a heading, passed over
                       "08.09.04;Л-39;Д;Упр. 8;1;1:7x;;;;\n"         // 5: a time unreadable
                       "09.09.04;Л-39;Д;Упр. 8;1;0.30;0.40;0.50;;\n" // 6: clouds above the flight time
                       "10.09.04;Л-39;Д;Упр. 8;1;0.30;;;1;2\n"       // 7: more landings than approaches
                       "10.09.04;Л-39;;Упр. 8;1;0.30;;;;\n"          // 8: no day or night
                       ";Л-39;Д;Упр. 8;1;0.30;;;;\n");               // 9: no date
    const Mapping m = guessMapping(t.header);
    const ImportPlan plan =
        planImport(t, m, september(), [](long long n) { return QStringLiteral("Упр.%1 КП").arg(n, 3); });
    EXPECT_EQ(fates(plan), "2:уже есть 3:добавится 4:пропущена 5:отказ 6:отказ 7:отказ 8:отказ 9:отказ");
    EXPECT_EQ(plan.lines[0].sameRow, 9);
    EXPECT_EQ(plan.lines[0].text(), "строка 2: уже есть (та же запись в строке 9 лётной книжки)");
    const auto& added = plan.lines[1].cells.first;
    EXPECT_EQ(added[column::C].toString(), "Н");
    EXPECT_EQ(added[column::E].toString(), "Упр.  7 КП");
    EXPECT_EQ(added[column::G].toDouble(), 70 / 1440.0);
    EXPECT_EQ(added[column::J].toDouble(), 20 / 1440.0);
    // A value that cannot be read names the line, the file's column and what it wanted.
    EXPECT_TRUE(plan.lines[3].text().startsWith("строка 5: отказ: столбец «Налёт» (налёт): стоит «1:7x»"))
        << plan.lines[3].text().toStdString();
    // What the check calls an error, in its words.
    EXPECT_TRUE(plan.lines[4].reason.contains("больше общего налёта")) << plan.lines[4].reason.toStdString();
    EXPECT_TRUE(plan.lines[5].reason.contains("посадок (2) больше, чем заходов (1)"));
    EXPECT_TRUE(plan.lines[6].reason.contains("«Д» или «Н»")) << plan.lines[6].reason.toStdString();
    EXPECT_TRUE(plan.lines[7].reason.contains("нет даты"));
    EXPECT_TRUE(plan.refused());
    EXPECT_EQ(plan.count(Fate::Added), 1);
    EXPECT_EQ(plan.records().size(), 1);
    EXPECT_TRUE(plan.summary().startsWith("Добавится записей: 1; уже есть: 1; пропущено: 1; отказов: 5\n"
                                          "Записей: 1; полётов: 2; налёт 1:10"))
        << plan.summary().toStdString();
}

TEST(ImportPlan, EachRecordOfTheLogbookMatchesOneLineOnly) {
    // The same flight twice in the file and once in the logbook: one is there, the other is added; the file
    // brought in twice adds nothing the second time.
    const ImportTable t = csv(kForeign + "06.09.04;Л-39;Д;Упр.  7 КП;1;1.25;;;;\n"
                                         "06.09.04;Л-39;Д;Упр.  7 КП;1;1.25;;;;\n");
    const logbook::Logbook book = september();
    ImportPlan plan = planImport(t, guessMapping(t.header), book);
    EXPECT_EQ(fates(plan), "2:уже есть 3:добавится");

    logbook::Logbook after = book;
    after.insertInDateOrder(plan.records());
    plan = planImport(t, guessMapping(t.header), after);
    EXPECT_EQ(fates(plan), "2:уже есть 3:уже есть");
    EXPECT_NE(plan.lines[0].sameRow, plan.lines[1].sameRow);
}

TEST(ImportPlan, ALogbookOutOfStepOrNoDateColumnRefusesThePlan) {
    const ImportTable t = csv("тип;налёт\nЛ-39;1.25\n");
    EXPECT_THROW(planImport(t, guessMapping(t.header), september()), Error);
    Rows r;
    r.record(7, serial(2004, 9, 6));
    r.record(8, serial(2004, 9, 7)); // a row inserted by hand
    const ImportTable ok = csv(kForeign + "06.09.04;Л-39;Д;Упр.  7 КП;1;1.25;;;;\n");
    EXPECT_THROW(planImport(ok, guessMapping(ok.header), korv::test::bookOf(r.rows)), Error);
}
