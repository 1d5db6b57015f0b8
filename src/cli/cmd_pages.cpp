#include "bookfiles/scratch_dir.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/period_words.h"
#include "cli/view_support.h"
#include "common/error.h"
#include "common/log.h"
#include "logbook/book_names.h"
#include "spreadsheet/uno/spreadsheet_host.h"
#include "totals/logbook_pages.h"
#include "totals/printing.h"
#include "totals/totals_run.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

namespace korv::cli {

int runPages(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    const auto usage = [&](const QString& why) {
        err << "korvelanta-cli pages: " << why << '\n'
            << "Использование: korvelanta-cli pages (--period " << kPeriodWords
            << " | --all) [--today ДД.ММ.ГГ] [--dir PATH] (--pdf FILE | --print)\n";
        return 2;
    };
    const Arguments a =
        Arguments::parse(args, {{"dir", true}, {"today", true}, {"period", true}, {"all"}, {"pdf", true}, {"print"}});
    if (a.refused())
        return usage(QStringLiteral("неизвестный аргумент «") + a.refused()->left(32) + u'»');
    const QString todayText = a.value("today");
    const QString periodText = a.value("period");
    const bool all = a.isSet("all");
    const bool print = a.isSet("print");
    const QString pdf = a.isSet("pdf") ? QDir::current().absoluteFilePath(a.value("pdf")) : QString();
    if (all == !periodText.isEmpty())
        return usage(QStringLiteral("нужен ровно один из --period ПЕРИОД и --all"));
    if (print == !pdf.isEmpty())
        return usage(QStringLiteral("нужен ровно один из --pdf FILE и --print"));
    const auto today = todayOf(todayText);
    if (!today)
        return usage(QStringLiteral("--today не дата вида ДД.ММ.ГГ: «") + todayText.left(32) + u'»');
    std::optional<totals::PeriodState> period;
    if (!all) {
        totals::PeriodState state;
        if (const auto refused = periodOfRun(periodText, *today, state))
            return usage(*refused);
        period = state;
    }
    const QString dir = folderOfRun(a.value("dir"), QStringLiteral("pages"));
    const QString book = logbook::bookPath(dir);
    if (!pdf.isEmpty()) {
        if (const QString why = totals::pdfTargetRefusal(pdf, book); !why.isEmpty())
            return usage(QStringLiteral("--pdf: ") + why);
    }

    logbook::files::ScratchDir scratch;
    const QString rendered = print ? scratch.filePath(QStringLiteral("Страницы лётной книжки.pdf")) : pdf;
    totals::PagesOutcome outcome;
    try {
        logbook::SpreadsheetHost host;
        outcome = totals::writeLogbookPages(host, book, period, rendered);
    } catch (const Error& e) {
        log::error(QStringLiteral("korvelanta-cli pages"), e);
        err << "korvelanta-cli pages: страницы не сделаны: " << e.description() << '\n';
        return 1;
    }
    if (outcome.end == totals::PagesEnd::EmptyLogbook) {
        err << "korvelanta-cli pages: " << totals::text::kEmpty << '\n';
        return 1;
    }
    if (outcome.end == totals::PagesEnd::NoRecords) {
        err << "korvelanta-cli pages: " << totals::text::kNoRecords << '\n';
        return 1;
    }
    if (print) {
        const totals::PagesPrinted printed = totals::printPages(rendered, book);
        if (!printed.printed) {
            err << "korvelanta-cli pages: страницы не отпечатаны (" << printed.detail << ")"
                << (printed.kept.isEmpty() ? QString() : QStringLiteral("; они сохранены в ") + printed.kept) << '\n';
            return 1;
        }
        out << "Страницы лётной книжки отправлены на печать: записей " << outcome.records << '\n';
        return 0;
    }
    out << "Страницы лётной книжки сохранены в " << pdf << ": записей " << outcome.records << '\n';
    return 0;
}

} // namespace korv::cli
