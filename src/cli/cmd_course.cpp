#include "bookfiles/scratch_dir.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/form_json.h"
#include "cli/period_words.h"
#include "cli/view_support.h"
#include "common/error.h"
#include "common/log.h"
#include "flight/reference_db.h"
#include "logbook/book_names.h"
#include "spreadsheet/uno/spreadsheet_host.h"
#include "totals/course_page.h"
#include "totals/course_progress.h"
#include "totals/logbook_pages.h"
#include "totals/printing.h"
#include "totals/record_export.h"
#include "totals/selection.h"

#include <QDir>
#include <QJsonDocument>
#include <QTextStream>

namespace korv::cli {

namespace {

const char* const kCourseUsage = "Использование: korvelanta-cli course [--type ТИП] [--period ПЕРИОД | --all] "
                                 "[--today ДД.ММ.ГГ] [--dir PATH] [--db PATH] [--json] [--pdf FILE | --print]\n";

} // namespace

int runCourse(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    const auto usage = [&](const QString& why) {
        err << "korvelanta-cli course: " << why << '\n' << kCourseUsage;
        return 2;
    };
    const auto failed = [&](const QString& why) {
        err << "korvelanta-cli course: " << why << '\n';
        return 1;
    };
    const Arguments a = Arguments::parse(args, {{"dir", true},
                                                {"db", true},
                                                {"today", true},
                                                {"period", true},
                                                {"all"},
                                                {"type", true},
                                                {"json"},
                                                {"pdf", true},
                                                {"print"}});
    if (a.refused())
        return usage(QStringLiteral("неизвестный аргумент «") + a.refused()->left(32) + u'»');
    const QString todayText = a.value("today");
    const auto today = todayOf(todayText);
    if (!today)
        return usage(QStringLiteral("--today не дата вида ДД.ММ.ГГ: «") + todayText.left(32) + u'»');
    const bool all = a.isSet("all");
    if (all && a.isSet("period"))
        return usage(QStringLiteral("--period и --all вместе не указываются"));
    const bool print = a.isSet("print");
    const QString pdf = a.isSet("pdf") ? QDir::current().absoluteFilePath(a.value("pdf")) : QString();
    if (print && !pdf.isEmpty())
        return usage(QStringLiteral("--pdf и --print вместе не указываются"));
    // The course is a year's work: without a period, the current year.
    std::optional<totals::PeriodState> period;
    if (!all) {
        totals::PeriodState state;
        const QString words = a.isSet("period") ? a.value("period") : QStringLiteral("current-year");
        if (const auto refused = periodOfRun(words, *today, state))
            return usage(*refused);
        period = state;
    }
    const QString periodText = totals::pagesPeriodText(period);
    const QString book = logbook::bookPath(folderOfRun(a.value("dir"), QStringLiteral("course")));
    if (!pdf.isEmpty()) {
        if (const QString why = totals::pdfTargetRefusal(pdf, book); !why.isEmpty())
            return usage(QStringLiteral("--pdf: ") + why);
    }

    QList<totals::CourseExercise> course;
    try {
        flight::ReferenceDatabase reference(a.isSet("db") ? a.value("db") : defaultDatabasePath());
        for (const auto& [number, description] : reference.exercises())
            course << totals::CourseExercise{number, description};
    } catch (const Error& e) {
        log::error(QStringLiteral("korvelanta-cli course"), e);
        return failed(QStringLiteral("упражнения курса не прочитаны: ") + e.description());
    }
    const auto entries = entriesOfBook(book, QStringLiteral("course"), err);
    if (!entries)
        return 1;

    totals::CourseProgress progress;
    try {
        QString type = a.value("type").trimmed();
        if (type.isEmpty()) {
            const QList<totals::TypeCount> types = totals::countTypes(totals::exportedRecords(*entries, period));
            if (types.isEmpty())
                return failed(QStringLiteral("за период (%1) записей нет; тип задаёт --type").arg(periodText));
            if (types.size() > 1)
                return failed(
                    QStringLiteral("в периоде записи на типах: %1; укажите --type").arg(totals::typesText(types)));
            type = types.first().type;
        }
        progress = totals::courseProgress(*entries, period, type, course);
    } catch (const Error& e) {
        log::error(QStringLiteral("korvelanta-cli course"), e);
        return failed(QStringLiteral("выполнение курса не подсчитано: ") + e.description());
    }

    const bool json = a.isSet("json");
    if (json)
        out << QJsonDocument(totals::courseJson(progress, periodText)).toJson(QJsonDocument::Indented);
    else
        out << totals::courseTable(progress, periodText);
    if (pdf.isEmpty() && !print)
        return 0;

    logbook::files::ScratchDir scratch;
    const QString rendered = print ? scratch.filePath(QStringLiteral("Выполнение курса.pdf")) : pdf;
    try {
        logbook::SpreadsheetHost host;
        totals::writeCoursePdf(host, progress, periodText, rendered);
    } catch (const Error& e) {
        log::error(QStringLiteral("korvelanta-cli course"), e);
        return failed(QStringLiteral("страница не сделана: ") + e.description());
    }
    out.flush();
    if (print) {
        const totals::CoursePrinted printed = totals::printCourse(rendered, book);
        if (!printed.printed)
            return failed(QStringLiteral("страница не отпечатана (%1)").arg(printed.detail) +
                          (printed.kept.isEmpty() ? QString() : QStringLiteral("; она сохранена в ") + printed.kept));
        if (!json)
            out << "Страница отправлена на печать\n";
        return 0;
    }
    if (!json)
        out << "Страница сохранена в " << pdf << '\n';
    return 0;
}

} // namespace korv::cli
