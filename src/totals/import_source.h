#pragma once

// Old records as they come in, before anything is made of them: a table of lines under a header line, from a
// CSV file (its encoding and separator found from its bytes) or from a sheet of another workbook.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace korv::totals {

// The lines to bring in: texts from a CSV file; from a workbook, what a block read gives (a double for a
// number, a date or a time; a QString for a text; an empty QString for an empty cell).
struct ImportTable {
    QStringList header;
    QList<QVariantList> rows;
    QList<int> lines;       // the line (CSV) or row (workbook) of the source each row began on, one-based
    QString encoding;       // "UTF-8", "Windows-1251"; empty for a workbook
    QChar separator;        // ',', ';' or a tab; nothing for a workbook
    QString sheetName;      // the workbook's sheet the rows came from
    QStringList sheetNames; // every sheet of that workbook, in tab order

    // What the source was read as, for the pilot: "CSV, UTF-8, разделитель «;»", "лист «Лист1»".
    QString description() const;
};

// Bytes in Windows-1251 as text.
QString fromWindows1251(const QByteArray& bytes);

// A CSV file's lines (RFC 4180: quoted fields may hold separators, quotes doubled and line breaks). UTF-8
// (a byte order mark passed over) when the bytes are valid UTF-8, else Windows-1251; the separator is the one
// of ';', ',' and a tab that the header line holds most of outside quotes. The first line that holds
// anything is the header; lines that hold nothing are passed over. A file that holds no line is
// Error::BadEntry, as is a quote left open at the end.
ImportTable readCsv(const QByteArray& bytes);

// The CSV file at `path` read as readCsv reads its bytes: a missing file is Error::FileNotFound, one that is
// no regular file or larger than 64 MiB (years of records are a few) is refused naming it.
ImportTable readCsvFile(const QString& path);

// A workbook sheet's block read as a table: the first row holding anything is the header; rows holding
// nothing are passed over. `firstRow` is the one-based sheet row of rows[0].
ImportTable tableOfSheetRows(const QList<QVariantList>& rows, const QString& sheetName, int firstRow = 1);

} // namespace korv::totals
