#include "logbook/book_view.h"

#include "bookfiles/book_folder.h"
#include "common/error.h"
#include "logbook/change_settings.h"

#include <QFileInfo>

namespace korv::logbook {

BookView::BookView(Office& host, QString bookDir)
    : host_(host), bookDir_(bookDir.isEmpty() ? files::defaultBookFolder() : std::move(bookDir)) {}

QString BookView::path() const { return bookPath(bookDir_); }

void BookView::attach() { host_.attach(); }

Workbook BookView::open(Office::OpenMode mode) {
    if (!QFileInfo(path()).isFile())
        throw Error(Error::FileNotFound, QStringLiteral("Лётная книжка не найдена: ") + path());
    book_ = host_.openWorkbook(path(), mode);
    return *book_;
}

Workbook BookView::workbook() {
    if (book_ && book_->isOpen())
        return *book_;
    book_.reset();
    if (!host_.isAlive())
        throw Error(Error::Spreadsheet, QStringLiteral("LibreOffice Calc с лётной книжкой «") + kBookName +
                                            QStringLiteral("» закрыт или не запущен"));
    if (auto b = host_.findWorkbook(kBookName)) {
        book_ = b;
        return *b;
    }
    throw Error(Error::Spreadsheet, QStringLiteral("Лётная книжка «") + kBookName +
                                        QStringLiteral("» не открыта в LibreOffice Calc (закрыта вручную?)"));
}

void BookView::activateSheet(const QString& sheetName) { workbook().activateSheet(sheetName); }

void BookView::close(CloseMode mode) {
    Workbook b = workbook();
    book_.reset();
    b.close(mode);
}

void BookView::detach() {
    book_.reset();
    // The office itself stays attached to the host: other workbooks (a viewing) may live in it.
}

void BookView::OpenBookForView() {
    // Not while another program changes a logbook in this office; and what a program that died left
    // there hidden is closed unsaved first, so that its half-made change is never what the pilot sees.
    const auto operation = beginOperationOn(host_, path());
    host_.closeHiddenWorkbooks();
    open(Office::OpenMode::Shown);
}

void BookView::CloseBook() {
    // A Calc closed by hand shows up as an office that no longer answers, a workbook closed by hand as
    // a missing workbook: both are reported by workbook(), neither ends the program.
    try {
        close(CloseMode::AsOfficeDecides);
    } catch (...) {
        detach();
        throw;
    }
    detach();
}

} // namespace korv::logbook
