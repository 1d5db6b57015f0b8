#include "totals/book_entries.h"

#include "logbook/book_reading.h"

namespace korv::totals {

QList<Entry> readBookEntries(logbook::Office& host, const QString& bookPath) {
    return entriesFromBlock(logbook::readSheetSnapshot(host, bookPath).block);
}

} // namespace korv::totals
