#include "logbook/logbook_change.h"

#include "common/error.h"
#include "logbook/book_check.h"
#include "logbook/book_names.h"
#include "logbook/book_reading.h"
#include "logbook/last_change.h"

namespace korv::logbook {

LogbookChange::LogbookChange(Office& office, const QString& bookPath, const ChangeSettings& settings, SlotUpkeep upkeep)
    : change_(office, bookPath, settings), sheet_(change_.sheet(kSheet1)), book_(readLogbook(sheet_)), upkeep_(upkeep) {
    // A sheet protected in Calc would refuse the first write in the office's own words.
    if (sheet_.isProtected())
        throw Error(Error::BadEntry, QStringLiteral("Лист «Лист1» лётной книжки защищён от изменений (в Calc: Сервис → "
                                                    "Защитить лист). Снимите защиту и повторите; книжка не изменена."));
    // A column inserted or deleted by hand moves the header's captions with it: records written now would
    // stand in other columns than every record before them. The check reports the same captions.
    const QList<CaptionMismatch> moved = captionMismatches(book_.header(), expectedCaptions());
    if (!moved.isEmpty())
        throw Error(
            Error::BadEntry,
            QStringLiteral("Шапка листа «Лист1» не такая, какой её кладёт программа (") + moved.front().text() +
                QStringLiteral("): видимо, столбец вставлен или удалён вручную, и запись встала бы не в свои "
                               "столбцы. Верните столбцы на место или восстановите книжку из резервной копии."));
}

template <class Edit>
QList<PairEdit> LogbookChange::edit(Edit&& modelEdit) {
    if (broken_)
        throw Error(Error::Spreadsheet, QStringLiteral("Лётная книжка не изменена: предыдущее изменение не удалось."));
    // The model refuses before it changes anything; once it has changed, the sheet follows.
    const QList<PairEdit> edits = modelEdit(book_);
    try {
        layOut(sheet_, edits, book_, upkeep_, &checks_);
    } catch (const Error& e) {
        // A merged area in the way of an appended record is found before anything is written: the sheet is
        // as it was, and so is the model once read again.
        if (e.number() == Error::BadEntry && edits.size() == 1 && edits.front().op == PairEdit::Op::Append) {
            book_ = readLogbook(sheet_);
            throw;
        }
        broken_ = true;
        throw;
    } catch (...) {
        broken_ = true;
        throw;
    }
    changed_ = true;
    return edits;
}

QList<PairEdit> LogbookChange::append(const PairCells& record) {
    return edit([&](Logbook& b) { return b.append(record); });
}

QList<PairEdit> LogbookChange::replace(int index, const PairCells& record) {
    return edit([&](Logbook& b) { return b.replace(index, record); });
}

QList<PairEdit> LogbookChange::remove(int index) {
    return edit([&](Logbook& b) { return b.remove(index); });
}

QList<PairEdit> LogbookChange::insertInDateOrder(const QList<PairCells>& records) {
    return edit([&](Logbook& b) { return b.insertInDateOrder(records); });
}

std::optional<QString> LogbookChange::save(const QString& what) {
    if (broken_)
        throw Error(Error::Spreadsheet, QStringLiteral("Лётная книжка не изменена: изменение не удалось до конца."));
    change_.describe(what, last_change::recordLines(book_));
    return change_.save();
}

void LogbookChange::discard() { change_.discard(); }

Removal removeShownRecord(Office& office, const QString& bookPath, const ShownRecord& shown,
                          const ChangeSettings& settings) {
    LogbookChange change(office, bookPath, settings);
    Removal removal;
    removal.edits = change.remove(shownRecordIndex(change.logbook(), shown));
    removal.note = change.save(QStringLiteral("удаление записи строки %1").arg(shown.row));
    return removal;
}

} // namespace korv::logbook
