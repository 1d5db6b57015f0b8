#pragma once

// Blocks of sheet values as a block read gives them (columns A..V from row 7), filled cell by cell, and the
// logbook's model of them, for the tests of the logbook's rules.

#include "common/date_serial.h"
#include "common/error.h"
#include "logbook/entry_faults.h"
#include "logbook/logbook.h"
#include "logbook/record_layout.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace korv::test {

namespace records = korv::logbook::records;
namespace column = records::column;

inline double serial(int y, int m, int d) { return korv::dateSerial(QDate(y, m, d)); }

// A sheet from row 7 (columns A..V), filled cell by cell: "A9" = value.
class Rows {
public:
    Rows& set(int sheetRow, int c, const QVariant& v) {
        while (rows.size() < sheetRow - records::kFirstRow)
            rows << QVariantList(22, QString());
        rows[sheetRow - 1 - records::kFirstRow][c] = v;
        return *this;
    }
    Rows& record(int sheetRow, const QVariant& date, const QString& exercise = "Упр.  7 КП") {
        set(sheetRow, column::A, date).set(sheetRow, column::B, QString("Л-39")).set(sheetRow, column::C, "Д");
        set(sheetRow, column::E, exercise).set(sheetRow, column::G, 85 / 1440.0);
        return set(sheetRow + 1, column::M, 600.0); // the cloud base on the second row
    }
    Rows& heading(int sheetRow, const QString& caption) { return set(sheetRow, column::E, caption); }
    QList<QVariantList> rows;
};

// The logbook's model of a sheet whose rows from 7 on are `block` (and whose header is `header`, rows 1-6).
inline logbook::Logbook bookOf(const QList<QVariantList>& block, QList<QVariantList> header = {}) {
    while (header.size() < records::kFirstRow)
        header << QVariantList();
    return logbook::Logbook::fromRows(header + block);
}

// The entries of that sheet as the readers take them: a sheet whose pairs are out of step is refused
// (Error::BadEntry naming the row).
inline QList<logbook::Entry> entriesOf(const QList<QVariantList>& block) {
    const logbook::Logbook book = bookOf(block);
    if (book.outOfStepRow())
        throw Error(Error::BadEntry, book.outOfStepText());
    return book.entries();
}

} // namespace korv::test
