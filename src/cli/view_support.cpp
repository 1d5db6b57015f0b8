#include "cli/view_support.h"

#include "common/error.h"
#include "common/flightdate.h"
#include "common/log.h"
#include "logbook/book_reading.h"
#include "spreadsheet/uno/spreadsheet_host.h"

namespace korv::cli {

std::optional<QDate> todayOf(const QString& given) {
    if (given.isEmpty())
        return QDate::currentDate();
    return parseFlightDate(given);
}

std::optional<QList<totals::Entry>> entriesOfBook(const QString& book, const QString& command, QTextStream& err) {
    try {
        logbook::SpreadsheetHost host;
        return logbook::readEntriesCopy(host, book);
    } catch (const Error& e) {
        log::error(QStringLiteral("korvelanta-cli ") + command, e);
        err << "korvelanta-cli " << command << ": лётная книжка не прочитана: " << e.description() << '\n';
        return std::nullopt;
    }
}

} // namespace korv::cli
