#include "logbook/book_reading.h"

#include "bookfiles/scratch_dir.h"
#include "common/error.h"
#include "logbook/book_names.h"
#include "logbook/change_settings.h"
#include "logbook/entry_faults.h"
#include "logbook/sheet_adapter.h"
#include "logbook/sheetlayout.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace korv::logbook {

QString copyForReading(const QString& bookPath, const QTemporaryDir& scratch, const QString& name) {
    if (!QFileInfo(bookPath).isFile())
        throw Error(Error::FileNotFound, QStringLiteral("Лётная книжка не найдена: ") + bookPath);
    const QString copy = scratch.filePath(name);
    if (!scratch.isValid() || !QFile::copy(bookPath, copy))
        throw Error(Error::FileAccess, QStringLiteral("Лётная книжка не читается: ") + bookPath);
    return copy;
}

namespace {

// Reads the open workbook's record sheet, closing the workbook unsaved whatever happens.
template <class Read>
auto readAndClose(Workbook& book, Read&& read) {
    try {
        auto result = read(book.sheet(kSheet1));
        book.close(CloseMode::Discard);
        return result;
    } catch (...) {
        book.close(CloseMode::Discard);
        throw;
    }
}

} // namespace

LogbookRead readLogbookCopy(Office& office, const QString& bookPath, bool withCaptionMerges) {
    const logbook::files::ScratchDir scratch;
    const QString copy = copyForReading(bookPath, scratch, QStringLiteral("Проверка лётной книжки.xls"));

    const auto operation = beginOperationOn(office, copy);
    Workbook book = office.openWorkbook(copy, Office::OpenMode::Hidden);
    // A damaged or truncated file opens as some other document: named as the pilot's file, never the copy.
    if (!book.hasSheet(kSheet1)) {
        book.close(CloseMode::Discard);
        throw Error(Error::BadWorkbook, QStringLiteral("Файл ") + bookPath +
                                            QStringLiteral(" не является лётной книжкой: в нём нет листа «") + kSheet1 +
                                            QStringLiteral("» (файл повреждён или это другой документ). Восстановите "
                                                           "книжку из резервной копии."));
    }
    return readAndClose(book, [&](const Sheet& sheet) {
        LogbookRead read{readLogbook(sheet), {}};
        // The merges of every record pair are not asked for: one call per pair made the check of 5,000
        // records 5.4 times LibreOffice's own load (12.0 s against 2.2 s). A split pair shows in the values
        // instead, once anything stands in its second row (checkBook).
        if (withCaptionMerges)
            read.merges = captionMerges(sheet);
        return read;
    });
}

QList<Entry> readEntriesCopy(Office& office, const QString& bookPath) {
    const Logbook book = readLogbookCopy(office, bookPath).book;
    if (book.outOfStepRow())
        throw Error(Error::BadEntry, book.outOfStepText());
    return book.entries();
}

int recordCount(Office& office, const QString& path) {
    const auto operation = beginOperationOn(office, path);
    Workbook book = office.openWorkbook(path);
    return readAndClose(book, [](const Sheet& sheet) { return readLogbook(sheet).recordCount(); });
}

QList<ExpectedCaption> expectedCaptions() {
    QList<ExpectedCaption> out;
    for (const HeaderCaption& c : headerCaptions())
        out << ExpectedCaption{QString::fromLatin1(c.range).section(u':', 0, 0), c.text};
    return out;
}

QList<Finding> checkLogbook(Office& office, const QString& bookPath, CheckReference reference,
                            const CheckProgress& progress) {
    const auto say = [&](const char* status, int step) {
        if (progress)
            progress(QString::fromUtf8(status), step);
    };
    say("Читается лётная книжка (копия, сама книжка не открывается). Ждите.", 1);
    const LogbookRead read = readLogbookCopy(office, bookPath, true);
    say("Проверяются записи лётной книжки.", 2);
    reference.captions = expectedCaptions();
    QList<Finding> findings = checkBook(read.book, reference, read.merges);
    say("Проверка закончена.", kCheckSteps);
    return findings;
}

} // namespace korv::logbook
