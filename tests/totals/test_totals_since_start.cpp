// The totals "с начала лётной работы" with the flying before the logbook, and the totals of every type: the
// values counted by hand, the parts that add up to row 17, a damaged file refusing the run with the
// logbook unchanged, the summary of all types equal to the sum of the runs of each, one type as before.

#include "support/files.h"
#include "totals/totals_fixture.h"
#include "totals/totals_run.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace korv;
using namespace korv::totals;
namespace lb = korv::logbook;

using namespace totalstest;
using testfiles::hashOf;

namespace {

class SinceStartTest : public TotalsRunTest {
protected:
    void carry(const QByteArray& text) {
        QFile f(carriedPath(dir.path()));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    // The sums of a block's rows 7-16 and of its grand totals, for comparing blocks.
    static QList<std::optional<RecordValues>> sums(const CategoryBlock& block) {
        QList<std::optional<RecordValues>> out;
        for (const auto& row : block)
            out << (row ? std::optional<RecordValues>(row->sums) : std::nullopt);
        out << grandTotals(block);
        return out;
    }
};

const QByteArray kL39Before = "# до училища ничего\n"
                              "[Л-39]\n"
                              "полёты = 400\n"
                              "полёты ночью = 30\n"
                              "налёт = 300:00\n"
                              "налёт ночью = 25:30\n"
                              "облака = 10:00\n"
                              "посадки = 410\n"
                              "посадки ночью = 31\n"
                              "посадки УМП = 5\n";

// Two records by day (one of the control list) in 2005 and one by night in 2006.
const QList<Flight> kL39Flights = {{{2005, 3, 10}, "Упр. 94", "Д", "П", 1, 70, 10, 2},
                                   {{2005, 3, 11}, "Упр. 85", "Д", "П", 2, 50, 0, 1},
                                   {{2006, 4, 12}, "Упр.102", "Н", "П", 1, 45, 0, 1}};

} // namespace

TEST_F(SinceStartTest, TheFlyingBeforeTheLogbookGoesIntoTheTotalsAndIsShownApart) {
    write(kL39Flights);
    carry(kL39Before);
    const RunEnd out = run(PeriodOption::SinceStart, {2006, 5, 1});
    ASSERT_EQ(out.end, TotalsEnd::Summary);
    // The file was there: nothing more is said than the print question.
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(out.outcome.carriedFound);
    EXPECT_TRUE(progress.texts.contains("Выборка с начала лётной работы..."));
    ASSERT_EQ(out.outcome.blocks.size(), 1);
    inspect([](lb::Workbook& wb) {
        lb::Sheet s = wb.sheet(lb::kSheet4);
        // The categories hold the logbook's records only: the file gives none.
        EXPECT_EQ(s.range("F7").value(), 2);
        EXPECT_EQ(s.range("G7").text(), "0:50");
        EXPECT_EQ(s.range("F8").value(), 1);
        // Day: 3 flights, 2:00, clouds 0:10, 3 approaches and landings in the book; 370, 274:30, 10:00,
        // 379 landings and 5 at minimum before it.
        EXPECT_EQ(s.range("E11").text(), "Итого Л-39     День");
        EXPECT_EQ(s.range("F11").value(), 373);
        EXPECT_EQ(s.range("G11").text(), "276:30");
        EXPECT_EQ(s.range("J11").text(), "10:10");
        EXPECT_EQ(s.range("Q11").value(), 3);
        EXPECT_EQ(s.range("R11").value(), 382);
        EXPECT_EQ(s.range("S11").value(), 5);
        // Night: 1 flight of 0:45 in the book; 30 of 25:30 and 31 landings before it.
        EXPECT_EQ(s.range("E16").text(), "Итого Л-39     Ночь");
        EXPECT_EQ(s.range("F16").value(), 31);
        EXPECT_EQ(s.range("G16").text(), "26:15");
        EXPECT_EQ(s.range("R16").value(), 32);
        // Row 17 adds day and night; rows 18 and 19 part it into before the logbook and the logbook.
        EXPECT_EQ(s.range("E17").text(), "Всего с начала лётной работы");
        EXPECT_EQ(s.range("F17").value(), 404);
        EXPECT_EQ(s.range("G17").text(), "302:45");
        EXPECT_EQ(s.range("E18").text(), "в т.ч. до начала ведения книжки");
        EXPECT_EQ(s.range("F18").value(), 400);
        EXPECT_EQ(s.range("G18").text(), "300:00");
        EXPECT_EQ(s.range("J18").text(), "10:00");
        EXPECT_EQ(s.range("R18").value(), 410);
        EXPECT_EQ(s.range("S18").value(), 5);
        EXPECT_EQ(s.range("Q18").value(), 0);
        EXPECT_EQ(s.range("E19").text(), "в т.ч. по лётной книжке");
        EXPECT_EQ(s.range("F19").value(), 4);
        EXPECT_EQ(s.range("G19").text(), "2:45");
        EXPECT_EQ(s.range("Q19").value(), 4);
        for (const char* c : {"F", "G", "H", "I", "J", "O", "Q", "R", "S"}) {
            const QString col = QString::fromLatin1(c);
            EXPECT_NEAR(s.range(col + "17").value(), s.range(col + "18").value() + s.range(col + "19").value(), 1e-9)
                << c;
        }
        EXPECT_EQ(s.range("S19").conditionalFormatCount(), 1); // a zero part in white, as row 17's
        EXPECT_EQ(s.printArea(), "A1:U19");
    });

    // A later run of a year has no parts: rows 18 and 19 go, the print area is the summary's again.
    ASSERT_EQ(run(PeriodOption::LastYear, {2006, 5, 1}).end, TotalsEnd::Summary);
    inspect([](lb::Workbook& wb) {
        lb::Sheet s = wb.sheet(lb::kSheet4);
        EXPECT_EQ(s.range("F17").value(), 3);
        for (const char* a1 : {"E18", "F18", "G18", "E19", "R19"})
            EXPECT_EQ(s.range(a1).kind(), lb::CellKind::Empty) << a1;
        EXPECT_EQ(s.range("S19").conditionalFormatCount(), 0);
        EXPECT_EQ(s.printArea(), "A1:U17");
    });
}

TEST_F(SinceStartTest, WithoutTheFileTheLogbookAloneIsTotalledAndThatIsSaid) {
    write(kL39Flights);
    const RunEnd out = run(PeriodOption::SinceStart, {2006, 5, 1});
    ASSERT_EQ(out.end, TotalsEnd::Summary);
    EXPECT_FALSE(out.outcome.carriedFound);
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0].title, "Налёт до начала ведения книжки");
    EXPECT_TRUE(messages[0].text.contains("Korvelanta-налёт-до.ini")) << messages[0].text.toStdString();
    EXPECT_EQ(messages[1].text, "Отпечатать итог ?");
    inspect([](lb::Workbook& wb) {
        lb::Sheet s = wb.sheet(lb::kSheet4);
        EXPECT_EQ(s.range("F17").value(), 4);
        EXPECT_EQ(s.range("E18").kind(), lb::CellKind::Empty);
        EXPECT_EQ(s.printArea(), "A1:U17");
    });
    // A file naming other types only: the type has nothing before the logbook, said too.
    carry("[Як-52]\n");
    ASSERT_EQ(run(PeriodOption::SinceStart, {2006, 5, 1}).end, TotalsEnd::Summary);
    EXPECT_TRUE(messages[0].text.contains("нет налёта на типе Л-39")) << messages[0].text.toStdString();
}

TEST_F(SinceStartTest, ADamagedFileRefusesTheRunNamingTheLineAndLeavesTheLogbook) {
    write(kL39Flights);
    carry("[Л-39]\nполёты = 400\nналёт = 300.00\n");
    const QByteArray before = hashOf(book);
    const RunEnd out = run(PeriodOption::SinceStart, {2006, 5, 1});
    EXPECT_EQ(out.end, TotalsEnd::Failed);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].text.contains("Итоги не подбиты, лётная книжка не изменена."));
    EXPECT_TRUE(messages[0].text.contains("Korvelanta-налёт-до.ini, строка 3 («налёт = 300.00»)"))
        << messages[0].text.toStdString();
    EXPECT_EQ(hashOf(book), before);
    // The file is read only for the run since the start.
    EXPECT_EQ(run(PeriodOption::LastYear, {2006, 5, 1}).end, TotalsEnd::Summary);
}

TEST_F(SinceStartTest, EveryTypeHasItsPageAndTheLastIsTheSumOfTheRunsOfEach) {
    write({{{2026, 2, 1}, "Упр. 94", "Д", "П", 1, 70, 10, 2},
           {{2026, 2, 2}, "Упр.  7", "Д", "П", 2, 50, 0, 1, "Су-27"},
           {{2026, 2, 3}, "Упр.102", "Н", "И", 1, 45, 5, 1},
           {{2026, 2, 4}, "В составе экипажа", "Д", "П", 1, 95, 0, 3, "Су-27"},
           {{2026, 2, 5}, "Упр.101", "Н", "П", 1, 30, 0, 1, "Су-27"}});
    // Each type alone, as the pilot chooses it.
    QMap<QString, CategoryBlock> alone;
    for (const int chosen : {0, 1}) {
        choiceAnswer = chosen;
        const RunEnd one = run(PeriodOption::CurrentYear, {2026, 3, 1});
        ASSERT_EQ(one.end, TotalsEnd::Summary);
        alone[one.type] = one.outcome.block;
    }
    choiceAnswer.reset();
    ASSERT_EQ(alone.size(), 2);

    // Joined by a stand-in of pdfunite that puts the rendered pages one after another.
    QTemporaryDir tools;
    const QString unite = tools.filePath("unite");
    {
        QFile f(unite);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\nfor last; do :; done\nn=$#; i=1; : > \"$last\"\n"
                "for f; do if [ $i -lt $n ]; then cat \"$f\" >> \"$last\"; fi; i=$((i+1)); done\n");
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    qputenv("KORV_PDFUNITE", unite.toUtf8());
    totals.allTypes = true;
    const RunEnd all = run(PeriodOption::CurrentYear, {2026, 3, 1});
    qunsetenv("KORV_PDFUNITE");
    ASSERT_EQ(all.end, TotalsEnd::Summary);
    EXPECT_EQ(all.type, "все типы");
    ASSERT_EQ(all.outcome.blocks.size(), 3);
    EXPECT_EQ(all.outcome.blocks[0].type, "Л-39");
    EXPECT_EQ(all.outcome.blocks[1].type, "Су-27");
    EXPECT_EQ(sums(all.outcome.blocks[0].block), sums(alone["Л-39"]));
    EXPECT_EQ(sums(all.outcome.blocks[1].block), sums(alone["Су-27"]));
    // Row by row, all types are the sum of the two runs.
    const CategoryBlock& sum = all.outcome.blocks[2].block;
    for (std::size_t r = 0; r < sum.size(); ++r) {
        RecordValues added;
        bool any = false;
        for (const CategoryBlock& b : alone) {
            if (b[r]) {
                added += b[r]->sums;
                any = true;
            }
        }
        ASSERT_EQ(sum[r].has_value(), any) << r;
        if (any) {
            EXPECT_EQ(sum[r]->sums, added) << r;
        }
    }
    RecordValues grand = grandTotals(alone["Л-39"]);
    grand += grandTotals(alone["Су-27"]);
    EXPECT_EQ(grandTotals(sum), grand);
    EXPECT_EQ(grand.flights, 6);
    EXPECT_EQ(grand.total, Minutes(290));
    // One page a type, then all of them; "Лист4" keeps the last.
    const QString pages = QString::fromUtf8(all.outcome.renderedPdf);
    const qsizetype l39 = pages.indexOf("Итого Л-39     День"), su27 = pages.indexOf("Итого Су-27     День"),
                    every = pages.indexOf("Итого всех типов     День");
    EXPECT_TRUE(l39 >= 0 && su27 > l39 && every > su27) << pages.toStdString();
    EXPECT_EQ(pages.count("%PDF-"), 3);
    inspect([&](lb::Workbook& wb) {
        lb::Sheet s = wb.sheet(lb::kSheet4);
        EXPECT_EQ(s.range("E11").text(), "Итого всех типов     День");
        EXPECT_EQ(s.range("E16").text(), "Итого всех типов     Ночь");
        EXPECT_EQ(s.range("F17").value(), 6);
        EXPECT_EQ(s.range("G17").text(), "4:50");
    });

    // A flying before the logbook on a type the logbook never had is a type of its own since the start.
    carry("[Як-52]\nналёт = 120:00\nполёты = 150\n");
    totals.allTypes = false;
    const RunEnd asked = run(PeriodOption::SinceStart, {2026, 3, 1});
    EXPECT_EQ(asked.end, TotalsEnd::MixedTypes);
    EXPECT_EQ(typesText(asked.types), "Л-39 — 2, Су-27 — 3, Як-52 — только налёт до книжки");
    totals.allTypes = true;
    totals.renderForPrint = false;
    const RunEnd since = run(PeriodOption::SinceStart, {2026, 3, 1});
    ASSERT_EQ(since.outcome.blocks.size(), 4);
    const SummaryBlock& yak = since.outcome.blocks[2];
    EXPECT_EQ(yak.type, "Як-52");
    ASSERT_TRUE(yak.block[kDayTotalRow]);
    EXPECT_EQ(yak.block[kDayTotalRow]->caption, "Итого Як-52     День");
    EXPECT_EQ(yak.block[kDayTotalRow]->sums.total, Minutes(120 * 60));
    EXPECT_FALSE(yak.block[0]);
    const SummaryBlock& every2 = since.outcome.blocks[3];
    ASSERT_TRUE(every2.carried);
    EXPECT_EQ(every2.carried->flights, 150);
    EXPECT_EQ(grandTotals(every2.block).flights, 156);
    EXPECT_EQ(every2.book.flights, 6);
}

TEST_F(SinceStartTest, OneTypeGivesTheSameSummaryWhetherOrNotEveryTypeIsAskedFor) {
    write(kL39Flights);
    const RunEnd before = run(PeriodOption::LastYear, {2006, 5, 1});
    ASSERT_EQ(before.end, TotalsEnd::Summary);
    const QStringList statusBefore = progress.texts;
    totals.allTypes = true;
    const RunEnd after = run(PeriodOption::LastYear, {2006, 5, 1});
    ASSERT_EQ(after.end, TotalsEnd::Summary);
    EXPECT_EQ(after.type, "Л-39");
    ASSERT_EQ(after.outcome.blocks.size(), 1);
    EXPECT_EQ(summaryRows(after.outcome.block), summaryRows(before.outcome.block));
    EXPECT_EQ(after.outcome.renderedPdf, before.outcome.renderedPdf);
    EXPECT_EQ(progress.texts, statusBefore);
    EXPECT_EQ(messages.size(), 1);
}
