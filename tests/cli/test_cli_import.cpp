// Old records through korvelanta-cli import, in LibreOffice: a foreign CSV and another workbook's sheet
// brought into a new logbook; the logbook exported and brought into another new one comes back cell for
// cell; the preview and a refused line change nothing; an import killed while it commits leaves the
// logbook as it was or with every record, never between.

#include "logbook/book_reading.h"
#include "logbook/record_layout.h"
#include "spreadsheet/document.h"
#include "support/cli_run.h"
#include "support/files.h"
#include "support/warm_office.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

const auto* const kOffice = ::testing::AddGlobalTestEnvironment(new korv::test::WarmOffice);

using korv::test::WarmOffice;
using testfiles::hashOf;
namespace lb = korv::logbook;
namespace column = korv::logbook::records::column;

// Windows-1251 of the Russian letters, the rest as it is.
QByteArray in1251(const QString& text) {
    QByteArray out;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        out += u >= 0x0410 && u <= 0x044F ? char(0xC0 + (u - 0x0410)) : u == 0x0451 ? char(0xB8) : char(u);
    }
    return out;
}

// A pilot's own table: Russian header in its own order, semicolons, times as the input form writes them,
// exercises by their number alone, the clouds' base and top and the visibility.
const QString kForeign = QStringLiteral(
    "Дата;Упражнение;Тип;Д/Н;Сиденье;Полётов;Налёт;В СМУ;В облаках;Высота;Облачность;Верхняя граница;Нижняя "
    "граница;Видимость;Система;Заходов;Посадок;Посадок при минимуме\n"
    "06.09.04;7;Л-39;день;П;1;1.25;0.30;0.20;5,2/0,3;7;2000;600;10;ОСП;2;2;\n"
    "08.09.2004;Упр. 12 полёт ночью;Л-39;ночь;Л;2;0.50;0.50;0.40;3;10;3000;200;4;РСП;2;2;1\n"
    "2004-10-15;7;Л-39;Д;П;1;1.10;;;1,5;;;;;;1;1;\n");

class CliImport : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        env = WarmOffice::environment();
    }
    CliRun cli(const QStringList& args, const QByteArray& input = {}) { return runCli(args, input, 240000, env); }
    QString newBook(const QString& name) {
        const QString d = dir.filePath(name);
        QDir().mkpath(d);
        EXPECT_EQ(cli({"new", "--dir", d}).exitCode, 0);
        return d;
    }
    QString file(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    static QList<lb::PairCells> records(const QString& bookDir) {
        const lb::LogbookRead read = lb::readLogbookCopy(WarmOffice::office(), bookDir + "/Korvelanta.xls");
        QList<lb::PairCells> out;
        for (const lb::Entry& e : read.book.entries())
            if (e.isRecord())
                out << e.cells;
        return out;
    }
    QTemporaryDir dir;
    QProcessEnvironment env;
};

} // namespace

TEST_F(CliImport, AForeignCsvComesInAndTheExportComesBackCellForCell) {
    const QString a = newBook("a");
    const QString source = file("old.csv", in1251(kForeign));

    // The preview: the encoding and separator found, the columns guessed, nothing written.
    const QByteArray empty = hashOf(a + "/Korvelanta.xls");
    const CliRun preview = cli({"import", "--csv", source, "--dir", a, "--dry-run", "--json"});
    ASSERT_EQ(preview.exitCode, 0) << preview.err.toStdString();
    const QJsonObject p = QJsonDocument::fromJson(preview.out).object();
    EXPECT_EQ(p["source"].toString(), "CSV, Windows-1251, разделитель «;»");
    EXPECT_EQ(p["mapping"].toObject()["нижняя граница облаков"].toString(), "Нижняя граница");
    EXPECT_EQ(p["times"].toString(), "ч.мм");
    EXPECT_EQ(p["added"].toInt(), 3);
    EXPECT_EQ(hashOf(a + "/Korvelanta.xls"), empty);

    const CliRun imported = cli({"import", "--csv", source, "--dir", a});
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_TRUE(imported.out.contains("Добавится записей: 3")) << imported.out.toStdString();
    const QList<lb::PairCells> first = records(a);
    ASSERT_EQ(first.size(), 3);
    EXPECT_TRUE(first[0].first[column::E].toString().startsWith("Упр.  7 ")) << "worded from the reference";
    EXPECT_EQ(first[0].first[column::G].toDouble(), 85 / 1440.0);
    EXPECT_EQ(first[0].first[column::K].toString(), "5,2/0,3");
    EXPECT_EQ(first[1].second[column::M].toDouble(), 200.0);
    const CliRun checked = cli({"check", "--dir", a});
    EXPECT_TRUE(checked.out.contains("Ошибок: 0")) << checked.out.toStdString();

    // Exported, and brought into another new logbook: the same records, cell for cell, A..U of both rows.
    const QString exported = dir.filePath("a.csv");
    ASSERT_EQ(cli({"export", "--csv", exported, "--all", "--dir", a}).exitCode, 0);
    const QString b = newBook("b");
    const CliRun again = cli({"import", "--csv", exported, "--dir", b});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_TRUE(again.out.contains("Заголовок выгрузки программы")) << again.out.toStdString();
    const QList<lb::PairCells> second = records(b);
    ASSERT_EQ(second.size(), first.size());
    for (int i = 0; i < first.size(); ++i) {
        for (int c = 0; c <= lb::records::kLastColumn; ++c) {
            EXPECT_TRUE(lb::sameCell(first[i].first[std::size_t(c)], second[i].first[std::size_t(c)]))
                << "record " << i << " column " << char('A' + c) << ": "
                << lb::cellText(first[i].first[std::size_t(c)]).toStdString() << " / "
                << lb::cellText(second[i].first[std::size_t(c)]).toStdString();
            EXPECT_TRUE(lb::sameCell(first[i].second[std::size_t(c)], second[i].second[std::size_t(c)]))
                << "record " << i << " second row, column " << char('A' + c);
        }
    }
    ASSERT_EQ(cli({"export", "--csv", dir.filePath("b.csv"), "--all", "--dir", b}).exitCode, 0);
    EXPECT_EQ(hashOf(dir.filePath("b.csv")), hashOf(exported));

    // The same file once more: everything is there already, nothing is changed.
    const QByteArray full = hashOf(b + "/Korvelanta.xls");
    const CliRun twice = cli({"import", "--csv", exported, "--dir", b});
    EXPECT_EQ(twice.exitCode, 0);
    EXPECT_TRUE(twice.err.contains("добавлять нечего")) << twice.err.toStdString();
    EXPECT_EQ(hashOf(b + "/Korvelanta.xls"), full);
}

TEST_F(CliImport, ASheetOfAnotherWorkbookIsReadThroughTheOffice) {
    // A workbook of the pilot's own: a title row above the header, dates and times as Calc keeps them.
    const QString ods = dir.filePath("мои полёты.ods");
    {
        lb::Workbook wb = WarmOffice::office().addWorkbook();
        lb::Sheet s = wb.sheet(wb.sheetNames().first());
        s.cells(0, 0, 3, 7)
            .setData({
                {QString(), QString(), QString(), QString(), QString(), QString(), QString(), QString()},
                {"Дата", "Тип", "Время суток", "Упражнение", "Полётов", "Налёт", "Заходов", "Посадок"},
                {QDate(2004, 9, 6), "Л-39", "Д", "Упр.  7 КП", 1.0, 85 / 1440.0, 1.0, 1.0},
                {QDate(2004, 9, 7), "Л-39", "Н", "Упр.  7 КП", 2.0, 100 / 1440.0, QString(), QString()},
            });
        wb.exportTo(ods, QStringLiteral("calc8"));
        wb.close(lb::CloseMode::Discard);
    }
    const QByteArray before = hashOf(ods);
    const QString a = newBook("a");
    const CliRun run = cli({"import", "--workbook", ods, "--dir", a, "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString() << run.out.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(run.out).object();
    EXPECT_TRUE(o["source"].toString().startsWith("лист «")) << o["source"].toString().toStdString();
    const QJsonArray lines = o["lines"].toArray();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0]["line"].toInt(), 3); // the sheet's own row
    EXPECT_EQ(o["added"].toInt(), 2);
    const QList<lb::PairCells> r = records(a);
    ASSERT_EQ(r.size(), 2);
    EXPECT_EQ(r[1].first[column::G].toDouble(), 100 / 1440.0);
    EXPECT_EQ(hashOf(ods), before) << "the source is read from a copy";

    const CliRun missing = cli({"import", "--workbook", ods, "--sheet", "Нет такого", "--dir", a});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("нет листа «Нет такого»")) << missing.err.toStdString();
}

TEST_F(CliImport, ARefusedLineRefusesTheWholeImportWithTheLineNamed) {
    const QString a = newBook("a");
    ASSERT_EQ(
        cli({"import", "--csv", file("one.csv", kForeign.section('\n', 0, 1).toUtf8() + "\n"), "--dir", a}).exitCode,
        0);
    const QByteArray before = hashOf(a + "/Korvelanta.xls");
    const QString bad = file("bad.csv", (kForeign + "16.10.04;7;Л-39;Д;П;1;1.1O;;;;;;;;;;;\n").toUtf8());
    const CliRun run = cli({"import", "--csv", bad, "--dir", a});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.out.contains("строка 5: отказ: столбец «Налёт» (налёт): стоит «1.1O»")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("строка 2: уже есть")) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains("перенос не сделан, лётная книжка не изменена")) << run.err.toStdString();
    EXPECT_EQ(hashOf(a + "/Korvelanta.xls"), before);

    // A mapping file kept for the next time, and used.
    const QString map = dir.filePath("map.ini");
    ASSERT_EQ(cli({"import", "--csv", bad, "--dir", a, "--dry-run", "--save-map", map, "--times", "часы"}).exitCode, 3);
    QFile m(map);
    ASSERT_TRUE(m.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(m.readAll());
    EXPECT_TRUE(text.contains("налёт = Налёт\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("время = часы с долями\n"));
    const CliRun mapped = cli(
        {"import", "--csv", file("one-more.csv", kForeign.toUtf8()), "--map", map, "--dir", a, "--dry-run", "--json"});
    EXPECT_EQ(mapped.exitCode, 0) << mapped.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(mapped.out).object()["times"].toString(), "часы с долями");

    EXPECT_EQ(cli({"import", "--dir", a}).exitCode, 2);
    EXPECT_EQ(cli({"import", "--csv", bad, "--sheet", "x", "--dir", a}).exitCode, 2);
    EXPECT_EQ(cli({"import", "--csv", bad, "--times", "минуты", "--dir", a}).exitCode, 2);
}

TEST_F(CliImport, AnImportKilledWhileItCommitsLeavesTheLogbookWholeOrUntouched) {
    QString csv = QStringLiteral("дата,тип,время суток,сидение,упражнение,полётов,налёт\n");
    QDate day(2005, 1, 3);
    for (int i = 0; i < 1500; ++i)
        csv += day.addDays(i / 2).toString("dd.MM.yyyy") + ",Л-39,Д,П,Упр.  7 КП,1,0:" + QString::number(20 + i % 40) +
               "\n";
    const QString source = file("many.csv", csv.toUtf8());
    const QString clean = newBook("clean");
    int untouched = 0, whole = 0;
    for (const int ms : {150, 400, 700, 1000, 1400}) {
        const QString d = dir.filePath(QStringLiteral("k%1").arg(ms));
        QDir().mkpath(d);
        ASSERT_TRUE(QFile::copy(clean + "/Korvelanta.xls", d + "/Korvelanta.xls"));
        const QByteArray before = hashOf(d + "/Korvelanta.xls");
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(cliPath(), {"import", "--csv", source, "--dir", d});
        ASSERT_TRUE(p.waitForStarted());
        QThread::msleep(ms);
        p.kill();
        p.waitForFinished();
        // Whatever it left: the next import either adds every record or finds them all there.
        if (hashOf(d + "/Korvelanta.xls") == before) {
            ++untouched;
        } else {
            ++whole;
            EXPECT_EQ(records(d).size(), 1500) << "killed after " << ms << " ms";
        }
        const CliRun next = cli({"import", "--csv", source, "--dir", d, "--json"});
        ASSERT_EQ(next.exitCode, 0) << ms << ": " << next.err.toStdString();
        const QJsonObject o = QJsonDocument::fromJson(next.out).object();
        EXPECT_EQ(o["added"].toInt() + o["same"].toInt(), 1500);
        EXPECT_TRUE(o["added"].toInt() == 0 || o["added"].toInt() == 1500) << ms;
        EXPECT_EQ(records(d).size(), 1500);
    }
    RecordProperty("untouched", untouched);
    RecordProperty("whole", whole);
}
