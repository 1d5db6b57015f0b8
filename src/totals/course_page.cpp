#include "totals/course_page.h"

#include "logbook/change_settings.h"
#include "totals/printing.h"

#include <QFileInfo>
#include <QVariant>

#include <array>

namespace korv::totals {

namespace {

using logbook::Borders;
using logbook::CellFormat;
using logbook::HAlign;
using logbook::LineWeight;
using logbook::VAlign;

constexpr int kColumns = 6;
// Widths in Excel characters: number, description, day, night, last date, lists. The description and the
// lists wrap; together they fill an A4 landscape page at 9 points.
constexpr std::array<double, kColumns> kWidths = {6, 62, 8, 8, 14, 34};
constexpr int kHeadingRows = 3; // the title, the date line, the column captions

QVariantList lineRow(const CourseLine& l) {
    const bool flown = l.records > 0;
    return {double(l.number),
            l.description,
            flown ? QVariant(flightsText(l.dayFlights)) : QVariant(QString()),
            flown ? QVariant(flightsText(l.nightFlights)) : QVariant(QString()),
            flown ? l.last.toString(QStringLiteral("dd.MM.yyyy")) : QStringLiteral("—"),
            courseListsText(l.number)};
}

QVariantList textRow(const QString& text) {
    QVariantList row(kColumns, QString());
    row[0] = text;
    return row;
}

} // namespace

QString coursePageFooterLeft() { return QStringLiteral("Выполнение упражнений курса — стр. #N из #M"); }

void writeCoursePdf(logbook::Office& office, const CourseProgress& progress, const QString& periodText,
                    const QString& pdfPath) {
    QList<QVariantList> rows;
    rows << textRow(QStringLiteral("Выполнение упражнений курса — %1, %2").arg(progress.type, periodText));
    rows << textRow(courseSummaryLine(progress));
    rows << QVariantList{QStringLiteral("Упр."),  QStringLiteral("Упражнение"),    QStringLiteral("Днём"),
                         QStringLiteral("Ночью"), QStringLiteral("Последний раз"), QStringLiteral("Списки итогов")};
    for (const CourseLine& l : progress.course)
        rows << lineRow(l);
    const int courseEnd = int(rows.size()) - 1;
    int outsideTitle = -1;
    if (!progress.outside.isEmpty()) {
        outsideTitle = int(rows.size());
        rows << textRow(QStringLiteral("Выполнено вне курса"));
        for (const CourseLine& l : progress.outside)
            rows << lineRow(l);
    }
    const int lastRow = int(rows.size()) - 1;

    const logbook::ChangeSettings settings;
    const auto operation = office.beginOperation(settings.timeoutMs, settings.officeWaitMs);
    office.attach();
    logbook::Workbook book = office.addWorkbook();
    try {
        logbook::Sheet sheet = book.sheetAt(0);
        for (int c = 0; c < kColumns; ++c)
            sheet.setColumnWidth(c, kWidths[std::size_t(c)]);
        CellFormat base;
        base.fontName = QStringLiteral("Arial Cyr");
        base.fontSize = 9.0;
        base.vAlign = VAlign::Top;
        sheet.cells(0, 0, lastRow, kColumns - 1).apply(base);
        CellFormat wrap;
        wrap.wrap = true;
        sheet.applyAll({QStringLiteral("B4:B%1").arg(lastRow + 1), QStringLiteral("F4:F%1").arg(lastRow + 1)}, wrap);
        CellFormat centred;
        centred.hAlign = HAlign::Center;
        sheet.applyAll({QStringLiteral("A4:A%1").arg(lastRow + 1), QStringLiteral("C4:E%1").arg(lastRow + 1)}, centred);
        CellFormat title;
        title.fontSize = 12.0;
        title.bold = true;
        sheet.cell(0, 0).apply(title);
        CellFormat captions = wrap;
        captions.bold = true;
        captions.hAlign = HAlign::Center;
        captions.vAlign = VAlign::Center;
        sheet.cells(2, 0, 2, kColumns - 1).apply(captions);
        sheet.cells(0, 0, lastRow, kColumns - 1).setData(rows);
        Borders grid;
        grid.left = grid.top = grid.right = grid.bottom = grid.insideH = grid.insideV = LineWeight::Thin;
        sheet.cells(2, 0, courseEnd, kColumns - 1).setBorders(grid);
        if (outsideTitle >= 0) {
            CellFormat bold;
            bold.bold = true;
            sheet.cell(outsideTitle, 0).apply(bold);
            if (lastRow > outsideTitle)
                sheet.cells(outsideTitle + 1, 0, lastRow, kColumns - 1).setBorders(grid);
        }
        sheet.setPageLayout({1, kHeadingRows, coursePageFooterLeft(), periodText});
        const logbook::Range area = sheet.cells(0, 0, lastRow, kColumns - 1);
        sheet.setPrintArea(area.address());
        book.exportPdf(pdfPath, area);
    } catch (...) {
        book.close(logbook::CloseMode::Discard);
        throw;
    }
    book.close(logbook::CloseMode::Discard);
}

CoursePrinted printCourse(const QString& rendered, const QString& bookPath) {
    const PrintOutcome printed = printPdf(rendered);
    if (printed.printed)
        return {true, {}, {}};
    const QFileInfo b(bookPath);
    const QString kept = b.absolutePath() + u'/' + b.completeBaseName() + QStringLiteral("-курс.pdf");
    return {false, keepPdf(rendered, kept, bookPath) ? kept : QString(), printed.detail};
}

} // namespace korv::totals
