#include "totals/record_transfer.h"

#include "bookfiles/scratch_dir.h"
#include "common/error.h"
#include "logbook/book_reading.h"
#include "logbook/logbook_change.h"
#include "logbook/record_layout.h"

#include <QFileInfo>

namespace korv::totals {

namespace {

// The columns a foreign sheet is read over: far more than any logbook kept by hand has.
constexpr int kLastReadColumn = 59; // BH

// The sheet must hold every pair the import lays, with the free pair below; found before anything is laid out,
// not by the office failing at its last row. Each record takes at most two pairs (its month heading's too).
void requireRoom(const logbook::Logbook& book, const QList<logbook::PairCells>& records) {
    namespace layout = logbook::records;
    const auto fits = [](qint64 freeRow) { return freeRow + layout::kRowsPerRecord <= layout::kSheetRows; };
    if (fits(book.freeRow() + qint64(records.size()) * 2 * layout::kRowsPerRecord))
        return;
    logbook::Logbook after = book;
    after.insertInDateOrder(records);
    if (!fits(after.freeRow()))
        throw Error(Error::BadEntry,
                    QStringLiteral("Лист лётной книжки не вместит %1 записей: в нём %2 строк, а понадобилось бы %3. "
                                   "Перенесите записи частями в разные книжки.")
                        .arg(records.size())
                        .arg(layout::kSheetRows)
                        .arg(after.freeRow() + layout::kRowsPerRecord));
}

} // namespace

ImportTable readWorkbookTable(logbook::Office& office, const QString& path, const QString& sheetName) {
    if (!QFileInfo(path).isFile())
        throw Error(Error::FileNotFound, QStringLiteral("Файл не найден: ") + path);
    const logbook::files::ScratchDir scratch;
    QString copy;
    try {
        copy = logbook::copyForReading(path, scratch, QStringLiteral("Перенос записей.") + QFileInfo(path).suffix());
    } catch (const Error& e) {
        // Its words are the logbook's; this is the pilot's other workbook.
        throw Error(e.number(), QStringLiteral("Файл не читается: ") + path);
    }
    const auto operation = logbook::beginOperationOn(office, copy);
    std::optional<logbook::Workbook> opened;
    try {
        opened = office.openWorkbook(copy, logbook::Office::OpenMode::Hidden);
    } catch (const Error& e) {
        if (e.number() != Error::BadWorkbook && e.number() != Error::Spreadsheet)
            throw;
        // Named as the pilot's file, never the copy in the scratch folder.
        throw Error(
            Error::BadWorkbook,
            QStringLiteral("Файл %1 не открывается как книга электронной таблицы (.xls, .xlsx, .ods).").arg(path),
            e.description());
    }
    logbook::Workbook& book = *opened;
    try {
        const QStringList names = book.sheetNames();
        if (names.isEmpty())
            throw Error(Error::BadWorkbook,
                        QStringLiteral("Файл ") + path + QStringLiteral(" не открывается как таблица."));
        const QString name = sheetName.isEmpty() ? names.first() : sheetName;
        if (!names.contains(name))
            throw Error(Error::BadEntry, QStringLiteral("В файле %1 нет листа «%2»; листы: %3.")
                                             .arg(path, name, names.join(QStringLiteral(", "))));
        const logbook::Sheet sheet = book.sheet(name);
        const int last = sheet.lastUsedRow();
        QList<QVariantList> rows;
        if (last >= 0)
            rows = sheet.cells(0, 0, last, kLastReadColumn).data();
        book.close(logbook::CloseMode::Discard);
        ImportTable table = tableOfSheetRows(rows, name);
        table.sheetNames = names;
        return table;
    } catch (...) {
        book.close(logbook::CloseMode::Discard);
        throw;
    }
}

ImportOutcome importRecords(logbook::Office& office, const QString& bookPath, const ImportTable& table,
                            const Mapping& mapping, const ExerciseWording& wording,
                            const std::optional<QList<logbook::PairCells>>& expected,
                            const logbook::ChangeSettings& settings) {
    logbook::LogbookChange change(office, bookPath, settings);
    ImportOutcome out;
    try {
        out.plan = planImport(table, mapping, change.logbook(), wording);
        if (out.plan.refused()) {
            QStringList reasons;
            for (const ImportLine& l : out.plan.lines)
                if (l.fate == Fate::Refused && reasons.size() < 5)
                    reasons << l.text();
            throw Error(Error::BadEntry,
                        QStringLiteral("Перенос не сделан, лётная книжка не изменена: строк с отказом %1. Исправьте их "
                                       "в файле и повторите.\n")
                                .arg(out.plan.count(Fate::Refused)) +
                            reasons.join(u'\n'));
        }
        const QList<logbook::PairCells> records = out.plan.records();
        if (expected && *expected != records)
            throw Error(Error::Changed,
                        QStringLiteral("Лётную книжку изменили после просмотра переноса: добавилось бы не то, что было "
                                       "показано. Перенос не сделан; посмотрите его заново."));
        if (records.isEmpty()) {
            change.discard();
            return out;
        }
        requireRoom(change.logbook(), records);
        change.keepBackup(); // the whole import is undone as one change, into a new logbook too
        change.insertInDateOrder(records);
    } catch (...) {
        change.discard();
        throw;
    }
    out.note = change.save(QStringLiteral("перенос записей: %1").arg(out.plan.count(Fate::Added)));
    return out;
}

} // namespace korv::totals
