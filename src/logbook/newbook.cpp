#include "logbook/newbook.h"

#include "bookfiles/book_files.h"
#include "bookfiles/file_system.h"
#include "common/error.h"
#include "common/log.h"
#include "logbook/book_names.h"
#include "logbook/sheetlayout.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace korv::logbook {

QString LocateBookFile(const QString& bookDir) {
    // Like a directory listing of the name: whatever lies there under that name counts as the logbook
    // and is never examined or replaced.
    const QFileInfo f(bookPath(bookDir));
    return f.exists() || f.isSymLink() ? kBookFileName : QString();
}

Workbook CreateEmptyBook(Office& host, int& progressValue, CreationProgress& progress) {
    progress.status(QStringLiteral("Создаётся новая пустая лётная книжка. Ждите!"));
    host.attach();
    progressValue = 1;
    progress.progress(progressValue);
    Workbook book = host.addWorkbook();
    // Calc names its first sheet after the office's language; the logbook's names are fixed.
    book.renameSheet(book.sheetAt(0).name(), kSheet1);
    // Column widths are measured in the standard font's digit width: Arial Cyr 10, as in the paper
    // logbook's spreadsheet template.
    book.setStandardFont(QStringLiteral("Arial Cyr"), 10);
    return book;
}

QString storageMessage(const QString& bookDir) {
    return QStringLiteral("Лётная книжка размещается  в ") + QDir::cleanPath(QFileInfo(bookDir).absoluteFilePath()) +
           u'/' + kBookFileName;
}

NewBook createNewLogbook(Office& host, const QString& bookDir, CreationProgress& progress,
                         const ChangeSettings& settings) {
    if (!LocateBookFile(bookDir).isEmpty())
        return {};
    // The logbook folder is made with its first logbook; a folder that cannot be made is reported below.
    QDir().mkpath(bookDir);
    files::requireWritableDirectory(bookDir);
    // Two programs that both found no logbook: the second waits here and then finds the first's.
    std::optional<ChangeGuard> guard(std::in_place, host, files::realPath(bookPath(bookDir)), settings);
    if (!LocateBookFile(bookDir).isEmpty())
        return {};

    int progressValue = 0;
    std::optional<Workbook> book;
    std::shared_ptr<void> view;
    try {
        book = CreateEmptyBook(host, progressValue, progress);
        // Every sheet freezes its panes, which needs the window realised: realised once for all.
        view = book->holdView();

        int sheetNo = 1;
        progress.status(QStringLiteral("Заводится новая лётная книжка. Создаётся и форматируется Лист") +
                        QString::number(sheetNo) + QStringLiteral("  лётной книжки. Ждите."));
        Sheet first = book->sheet(kSheet1);
        FormatLogSheet(first, sheetNo, progressValue, progress);

        for (sheetNo = 2; sheetNo <= 4; ++sheetNo) {
            // Each new sheet goes in front of the active one, which is always the leftmost here:
            // the tab order ends up "Лист4", "Лист3", "Лист2", "Лист1".
            Sheet sh = book->addSheet(QStringLiteral("Лист") + QString::number(sheetNo), 0);
            progress.status(QStringLiteral("Создаётся и форматируется Лист") + QString::number(sheetNo) +
                            QStringLiteral("  лётной книжки."));
            FormatLogSheet(sh, sheetNo, progressValue, progress);
        }

        const QString message = storageMessage(bookDir);
        progress.status(message);
        progressValue = 100;
        progress.progress(progressValue);
        view.reset();
        book->saveAs(bookPath(bookDir), ReplacePolicy::NeverReplace);
        try {
            book->close(CloseMode::Discard); // just saved: nothing to ask
        } catch (const Error& e) {
            // The logbook is on disk: an office that fails to close it changes nothing of that.
            log::error(QStringLiteral("closing a new logbook after its save"), e);
        }
        book.reset();
        // Said once the logbook is there, with the locks let go: no other program and no deadline waits
        // on the pilot reading it.
        guard.reset();
        return {true, Notice{kStorageTitle, message, Notice::Icon::Information}};
    } catch (...) {
        // A half-built workbook is dropped unsaved; the office stays for the next attempt.
        view.reset();
        if (book) {
            try {
                book->close(CloseMode::Discard);
            } catch (...) {
            }
        }
        throw;
    }
}

} // namespace korv::logbook
