#pragma once

// A change of the logbook's records: the logbook opened as one change (logbook/book_change.h), "Лист1" read
// once into the model, each edit made on the model and laid out on the sheet, and one save at the end. The
// file is the logbook as it was, or with every edit made: nothing between.

#include "logbook/book_change.h"
#include "logbook/logbook.h"
#include "logbook/sheet_adapter.h"

#include <QList>
#include <QString>

#include <optional>

namespace korv::logbook {

class LogbookChange {
public:
    // Opens the logbook at `bookPath` for a change and reads its records (BookChange's refusals).
    LogbookChange(Office& office, const QString& bookPath, const ChangeSettings& settings = {},
                  SlotUpkeep upkeep = SlotUpkeep::ShareCoveredFormats);

    const Logbook& logbook() const { return book_; }
    QString realPath() const { return change_.realPath(); }

    // The edits of the model (logbook.h), each laid out on the sheet at once. A refusal of the model
    // (Error::BadEntry) changes nothing and the change goes on; any other failure leaves the workbook in a
    // state nobody knows, so the change can then only be discarded (save refuses).
    QList<PairEdit> append(const PairCells& record);
    QList<PairEdit> replace(int index, const PairCells& record);
    QList<PairEdit> remove(int index);
    QList<PairEdit> insertInDateOrder(const QList<PairCells>& records);

    // A backup at the save even of a logbook that held nothing (BookChange::keepBackup).
    void keepBackup() { change_.keepBackup(); }

    // Whether any edit was made.
    bool changed() const { return changed_; }
    // Saves the logbook with every edit (BookChange::save: a backup of the file first, one atomic
    // replacement) and ends the change, noted as `what` with the records it leaves (last_change.h). Throws
    // only while the file is still the old one.
    std::optional<QString> save(const QString& what = QStringLiteral("изменение лётной книжки"));
    // Ends the change unsaved: the file stays exactly as it was.
    void discard();

private:
    template <class Edit>
    QList<PairEdit> edit(Edit&& modelEdit);

    BookChange change_;
    Sheet sheet_;
    Logbook book_;
    SlotUpkeep upkeep_;
    LayoutChecks checks_;
    bool changed_ = false;
    bool broken_ = false;
};

// Removes the record a window showed as one change (its month heading with it when no record is left under
// it), noted as "удаление записи строки N". Refused with the file as it was (Error::Changed) when its pair no
// longer holds what was shown.
struct Removal {
    QList<PairEdit> edits;
    std::optional<QString> note; // what failed after the logbook was saved (LogbookChange::save)
};
Removal removeShownRecord(Office& office, const QString& bookPath, const ShownRecord& shown,
                          const ChangeSettings& settings = {});

} // namespace korv::logbook
