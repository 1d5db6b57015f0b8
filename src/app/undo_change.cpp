#include "app/undo_change.h"

#include "app/program.h"
#include "common/error.h"
#include "common/log.h"
#include "logbook/book_change.h"
#include "logbook/last_change.h"

#include <QFileInfo>
#include <QLabel>

namespace korv::app {

namespace {

const QString kUndoTitle = QStringLiteral("Отмена последнего изменения");

} // namespace

bool askAndUndoLastChange(Program& program, QLabel* status) {
    const QString book = program.bookPath();
    std::optional<logbook::last_change::Note> note;
    try {
        note = logbook::undoableChange(book);
    } catch (const Error& e) {
        program.dialogs().message(kUndoTitle, e.description(), Dialogs::Icon::Information);
        return false;
    }
    const QString question =
        QStringLiteral("Отменить последнее изменение лётной книжки:\n%1 (%2)?\n\nКнижка станет такой, какой была до "
                       "него. Нынешняя сохранится как резервная копия, так что и отмену можно будет отменить.")
            .arg(note->what, note->time.toString(QStringLiteral("dd.MM.yyyy HH:mm")));
    if (!program.dialogs().question(kUndoTitle, question, Dialogs::Answer::No))
        return false;
    try {
        logbook::ChangeSettings settings = program.changeSettings(status);
        const logbook::Undone undone = program.askingAboutLocks(settings, [&](const logbook::ChangeSettings& s) {
            return logbook::undoLastChange(program.host(), book, s);
        });
        if (status != nullptr)
            status->clear();
        program.dialogs().message(
            kUndoTitle,
            QStringLiteral("Отменено: %1. Лётная книжка — как в резервной копии %2; книжка до отмены сохранена как %3.")
                .arg(undone.what, QFileInfo(undone.restored).fileName(), QFileInfo(undone.kept).fileName()),
            Dialogs::Icon::Information);
        return true;
    } catch (const Error& e) {
        log::error(QStringLiteral("Отменить последнее изменение"), e);
        if (status != nullptr)
            status->clear();
        program.dialogs().message(kUndoTitle, e.description(), Dialogs::Icon::Warning);
        return false;
    }
}

} // namespace korv::app
