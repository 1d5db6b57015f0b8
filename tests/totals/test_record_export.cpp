// The records for export without an office: the twenty fields of a record counted by hand, the CSV's
// quoting, a period as the totals take it, and what cannot be read refused.

#include "common/error.h"
#include "support/sheet_rows.h"
#include "totals/record_export.h"
#include "totals/record_list.h"

#include <QJsonObject>

#include <gtest/gtest.h>

using namespace korv;
using namespace korv::totals;
using korv::test::Rows;
using korv::test::serial;
namespace column = korv::logbook::records::column;

namespace {

// Two months of records under their headings; the second record carries every field.
QList<Entry> twoMonths() {
    Rows r;
    r.heading(7, "Октябрь  2026 г.");
    r.record(9, serial(2026, 10, 30));
    r.heading(11, "Ноябрь  2026 г.");
    r.record(13, serial(2026, 11, 2), QString("Упр. 94 полёт, по кругу \"низко\""));
    r.set(13, column::D, QString("И")).set(13, column::F, 3.0).set(13, column::H, QString("0:20"));
    r.set(13, column::J, 10 / 1440.0).set(13, column::K, QString("max")).set(13, column::L, 8.0);
    r.set(13, column::O, 1.0).set(13, column::P, QString("ОСП")).set(13, column::Q, 2.0);
    r.set(13, column::R, QString("2")).set(13, column::C, QString("Н"));
    r.set(13, column::M, 2000.0).set(13, column::N, 4.5);
    r.record(15, QString("03.11.26"));
    return korv::test::entriesOf(r.rows);
}

} // namespace

TEST(RecordExport, EveryFieldOfARecordAsCountedByHand) {
    EXPECT_EQ(exportHeader().join(u','),
              "дата,тип,время суток,сидение,упражнение,полётов,налёт,в закрытой кабине,в СМУ,в облаках,высота,"
              "метеоусловия,взлётов при минимуме,система,заходов,посадок,посадок при минимуме,"
              "верхняя граница облаков,нижняя граница облаков,видимость");
    const QList<Entry> records = exportedRecords(twoMonths(), std::nullopt);
    ASSERT_EQ(records.size(), 3); // the headings are never records
    EXPECT_EQ(exportFields(records[1]),
              (QStringList{"02.11.2026", "Л-39", "Н",    "И",   "Упр. 94 полёт, по кругу \"низко\"",
                           "3",          "1:25", "0:20", "",    "0:10",
                           "max",        "8",    "1",    "ОСП", "2",
                           "2",          "",     "2000", "600", "4.5"}));
    EXPECT_EQ(exportFields(records[2])[0], "03.11.2026"); // a date typed as text
    const QString csv = exportCsv(records);
    const QStringList lines = csv.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 5); // header, three records, the empty rest after the last CRLF
    EXPECT_EQ(lines[2], "02.11.2026,Л-39,Н,И,\"Упр. 94 полёт, по кругу "
                        "\"\"низко\"\"\",3,1:25,0:20,,0:10,max,8,1,ОСП,2,2,,2000,600,4.5");
    EXPECT_EQ(lines[4], "");

    const QJsonArray json = exportJson(records);
    ASSERT_EQ(json.size(), 3);
    const QJsonObject o = json[1].toObject();
    EXPECT_EQ(o["row"].toInt(), 13);
    EXPECT_EQ(o["date"].toString(), "02.11.2026");
    EXPECT_EQ(o["flightTime"].toString(), "1:25");
    EXPECT_EQ(o["exercise"].toString(), "Упр. 94 полёт, по кругу \"низко\"");
    EXPECT_EQ(o["cloudBase"].toString(), "600");
    EXPECT_EQ(o.size(), 21);
}

TEST(RecordExport, CsvQuotingAsTheRfcSays) {
    EXPECT_EQ(csvLine({"a", "b"}), "a,b\r\n");
    EXPECT_EQ(csvLine({"a,b", "c"}), "\"a,b\",c\r\n");
    EXPECT_EQ(csvLine({"две\nстроки", "\"x\""}), "\"две\nстроки\",\"\"\"x\"\"\"\r\n");
    EXPECT_EQ(csvLine({"", ""}), ",\r\n");
}

TEST(RecordExport, APeriodTakesWhatItsTotalsTakeAndNothingElse) {
    PeriodState november;
    ASSERT_FALSE(SetPeriod(november, PeriodOption::CurrentMonth, QDate(2026, 11, 20), {}, {}));
    const QList<Entry> records = exportedRecords(twoMonths(), november);
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].row + 1, 13);
    PeriodState free;
    ASSERT_FALSE(SetPeriod(free, PeriodOption::FreePeriod, QDate(2026, 12, 1), "30.10.26", "02.11.26"));
    EXPECT_EQ(exportedRecords(twoMonths(), free).size(), 2);

    // A record whose time is a word is refused naming its row, as the totals refuse it.
    Rows bad;
    bad.record(7, serial(2026, 11, 2)).set(7, column::G, QString("долго"));
    const QList<Entry> badRecords = exportedRecords(korv::test::entriesOf(bad.rows), std::nullopt);
    try {
        exportCsv(badRecords);
        FAIL() << "a time that is a word was exported";
    } catch (const Error& e) {
        EXPECT_TRUE(e.description().contains("строке 7")) << e.description().toStdString();
    }
    Rows unreadable;
    unreadable.record(7, serial(2026, 11, 2)).set(9, column::A, QString("вчера"));
    EXPECT_THROW(exportedRecords(korv::test::entriesOf(unreadable.rows), std::nullopt), Error);
}

TEST(RecordList, FoundByPeriodTypeAndExerciseWithTheirSums) {
    const QList<Entry> entries = twoMonths();
    RecordList all = listRecords(entries, {});
    ASSERT_EQ(all.records.size(), 3);
    EXPECT_EQ(all.sums.flights, 3); // F is empty but in the second record
    EXPECT_EQ(all.sums.total.count, 3 * 85);
    EXPECT_EQ(all.sums.approaches, 2);

    RecordFilter november;
    PeriodState state;
    ASSERT_FALSE(SetPeriod(state, PeriodOption::FreePeriod, QDate(2026, 12, 8), "01.11.26", "30.11.26"));
    november.period = state;
    EXPECT_EQ(listRecords(entries, november).records.size(), 2);
    november.exerciseText = "ПО КРУГУ"; // case ignored
    const RecordList found = listRecords(entries, november);
    ASSERT_EQ(found.records.size(), 1);
    EXPECT_EQ(found.records[0].sheetRow(), 13);
    EXPECT_EQ(found.sums.hood.count, 20);

    RecordFilter other;
    other.type = " Су-27 ";
    EXPECT_TRUE(listRecords(entries, other).records.isEmpty());
    other.type = " Л-39 ";
    EXPECT_EQ(listRecords(entries, other).records.size(), 3);

    const QString table = recordTable(found);
    EXPECT_TRUE(table.contains("    13  02.11.2026  Л-39    Н   И       3    1:25")) << table.toStdString();
    EXPECT_TRUE(table.endsWith("Записей: 1; полётов: 3; налёт 1:25, в закрытой кабине 0:20, в СМУ 0:00, в облаках "
                               "0:10; заходов 2, посадок 2, УМП 0\n"))
        << table.toStdString();
    const QJsonObject json = recordListJson(found);
    EXPECT_EQ(json["count"].toInt(), 1);
    EXPECT_EQ(json["records"].toArray()[0].toObject()["row"].toInt(), 13);
    EXPECT_EQ(json["sums"].toObject()["clouds"].toString(), "0:10");
}
