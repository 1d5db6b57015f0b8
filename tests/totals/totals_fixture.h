#pragma once

// What the totals tests share: a copy of a new logbook, flights written into it through the writing code,
// and a totals run answered as the totals form answers it (the type to total, the print question), with
// everything the pilot would be told in order.

#include "common/notice.h"
#include "flight/record_writer.h"
#include "support/flights.h"
#include "support/logbook_env.h"
#include "totals/totals_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace totalstest {

namespace lb = korv::logbook;
using korv::test::LogbookEnvironment;
using testflights::Flight;
using testflights::recordOf;

// A run as the form ends it: the outcome, and what became of the print question.
struct RunEnd {
    korv::totals::TotalsOutcome outcome;
    korv::totals::TotalsEnd end = korv::totals::TotalsEnd::Failed;
    bool printAnswered = false;
    bool printed = false;
    QString pdf;
    QString type;
    QList<korv::totals::TypeCount> types;
};

class TotalsRunTest : public korv::test::LogbookTest {
protected:
    void write(const QList<Flight>& flights) {
        for (const Flight& f : flights)
            korv::flight::WriteFlightRecord(office(), book, recordOf(f));
    }

    // "Считать" with the answers the form would get: the type of choiceAnswer when the period holds several,
    // then Yes (print) or No to "Отпечатать итог ?".
    RunEnd run(korv::totals::PeriodOption option, const QDate& today, bool print = false, const QString& c = {},
               const QString& po = {}) {
        using korv::Notice;
        using korv::totals::TotalsEnd;
        messages.clear();
        progress = korv::totals::RecordedStatus();
        RunEnd end;
        end.outcome = totals.cmdItog_Click(option, today, c, po, progress);
        messages << end.outcome.notices;
        if (end.outcome.end == TotalsEnd::MixedTypes) {
            messages << Notice{korv::totals::text::kTypeTitle, korv::totals::text::typeQuestion(end.outcome.types),
                               Notice::Icon::Question};
            if (choiceAnswer) {
                totals.aircraftType = end.outcome.types[*choiceAnswer].type;
                end.outcome = totals.cmdItog_Click(option, today, c, po, progress);
                totals.aircraftType.clear();
                messages << end.outcome.notices;
            }
        }
        if (end.outcome.end == TotalsEnd::Summary) {
            messages << Notice{korv::totals::text::kPrintTitle, korv::totals::text::kPrintQuestion,
                               Notice::Icon::Question};
            end.printAnswered = print;
            if (print) {
                messages << Notice{korv::totals::text::kPrinterTitle, korv::totals::text::kPrinterOn,
                                   Notice::Icon::Information};
                const korv::totals::PrintedSummary printed = korv::totals::printSummary(end.outcome);
                messages << printed.notices;
                end.printed = printed.printed;
                end.pdf = printed.pdf;
            }
        }
        end.end = end.outcome.end;
        end.type = end.outcome.type;
        end.types = end.outcome.types;
        return end;
    }

    korv::totals::TotalsRun totals{office(), lb::bookPath(dir.path())};
    korv::Notices messages;          // what the pilot was told, in order
    std::optional<int> choiceAnswer; // the type chosen when asked; none: the choice cancelled
    korv::totals::RecordedStatus progress;
};

inline double minutesOf(const lb::Range& cell) { return std::round(cell.value() * 1440); }

} // namespace totalstest
