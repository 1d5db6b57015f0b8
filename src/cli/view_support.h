#pragma once

// What the commands that only look at the logbook (recency, chart) share: --today, and the entries read
// from a copy of the logbook with a failure told on standard error.

#include "totals/entries.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QTextStream>

#include <optional>

namespace korv::cli {

// The date of --today (dd.mm.yy or dd.mm.yyyy), today's date when not given, nothing when it is no date.
std::optional<QDate> todayOf(const QString& given);

// The entries of the logbook at `book`; nothing when it cannot be read, having said why on `err` as
// "korvelanta-cli COMMAND: …" and in the log.
std::optional<QList<totals::Entry>> entriesOfBook(const QString& book, const QString& command, QTextStream& err);

} // namespace korv::cli
