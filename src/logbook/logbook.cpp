#include "logbook/logbook.h"

#include "bookfiles/book_folder.h"
#include "common/error.h"
#include "logbook/change_settings.h"

#include <QDir>
#include <QFileInfo>

namespace korv::logbook {

QString bookPath(const QString& bookDir) {
    return QDir::cleanPath(QFileInfo(bookDir).absoluteFilePath()) + u'/' + kBookFileName;
}

Logbook::Logbook(Office& host, QString bookDir)
    : host_(host), bookDir_(bookDir.isEmpty() ? files::defaultBookFolder() : std::move(bookDir)) {}

QString Logbook::path() const { return bookPath(bookDir_); }

void Logbook::attach() { host_.attach(); }

Workbook Logbook::open(Office::OpenMode mode) {
    if (!QFileInfo(path()).isFile())
        throw Error(Error::FileNotFound, QStringLiteral("Лётная книжка не найдена: ") + path());
    book_ = host_.openWorkbook(path(), mode);
    return *book_;
}

Workbook Logbook::workbook() {
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

void Logbook::activateSheet(const QString& sheetName) { workbook().activateSheet(sheetName); }

void Logbook::close(CloseMode mode) {
    Workbook b = workbook();
    book_.reset();
    b.close(mode);
}

void Logbook::detach() {
    book_.reset();
    // The office itself stays attached to the host: other workbooks (a viewing) may live in it.
}

void Logbook::OpenBookForView() {
    // Not while another program changes a logbook in this office; and what a program that died left
    // there hidden is closed unsaved first, so that its half-made change is never what the pilot sees.
    const ChangeSettings settings;
    const auto operation = host_.beginOperation(settings.timeoutMs, settings.officeWaitMs);
    attach();
    host_.closeHiddenWorkbooks();
    open(Office::OpenMode::Shown);
}

void Logbook::CloseBook() {
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
