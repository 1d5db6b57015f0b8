#pragma once

// The logbook in memory: the record sheet "Лист1" read once into typed records, month headings, the holes
// between them and the pairs that are neither; every reader of the logbook takes it from here, and every
// change of its records is an edit of this model that the sheet adapter lays out on the sheet.

#include "logbook/cells.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

namespace korv::logbook {

// A record's values, read once from its pair of cells. Texts are the cells as text (cellText), untrimmed.
// What cannot be typed (altitude, weather, marks) stays in the cells.
struct Record {
    QDate date;                           // A
    QString type;                         // B
    QString dayNight;                     // C: "Д" or "Н" in a record the program wrote
    QString seat;                         // D
    QString exercise;                     // E
    CountReading flights;                 // F
    TimeReading total, hood, smu, clouds; // G, H, I, J
    CountReading takeOffs;                // O: take-offs at weather minimum
    QString system;                       // P
    CountReading approaches, landings;    // Q, R
    CountReading minimumLandings;         // S: landings at weather minimum

    // The exercise number E names ("Упр.  7 …", "Инстр. по упр.7 …", "В сост. эк. … по упр.7"), or nothing.
    std::optional<long long> exerciseNumber() const;
};

// The one reading of a record's values from its cells (the date must be readable: see entryOf).
Record readRecord(const PairCells& cells);

// The exercise number an E text names ("Упр.  7 …", "Инстр. по упр.7 …", "В сост. эк. … по упр.7"), or
// nothing.
std::optional<long long> exerciseOfText(const QString& text);

enum class PairKind {
    Empty,      // nothing in either row
    Record,     // a date in A and something in E on the first row
    Heading,    // E of the first row and nothing else in the pair
    Unreadable, // something, but neither a record nor a heading (see Entry::column)
};

// One pair of rows that holds something: a record, a month heading, or neither.
struct Entry {
    int row = 0; // zero-based sheet row of the pair's first row
    PairKind kind = PairKind::Empty;
    // Unreadable: the column that makes it so: A (no date where one belongs), E (a date without an
    // exercise), or the first column holding anything in a pair with neither a date nor an exercise.
    int column = -1;
    PairCells cells;
    Record record; // Record: its values

    bool isRecord() const { return kind == PairKind::Record; }
    bool isHeading() const { return kind == PairKind::Heading; }
    // Column A read as a date, whatever the pair is.
    std::optional<QDate> date() const { return cellDate(cells.first[records::column::A]); }
    // A heading's caption.
    QString caption() const { return cellText(cells.first[records::column::E]); }
    // The sheet row as the pilot sees it (one-based).
    int sheetRow() const { return row + 1; }
};

// What a change of the model asks of the sheet, in order.
struct PairEdit {
    enum class Op {
        Append,  // the record in the free pair after the last used one (its month heading first when it
                 // has one), an empty laid-out pair kept below it
        Insert,  // pairs inserted at `row`: the month heading (when there is one), then the record; the
                 // pairs from `row` on move down
        Replace, // the record's cells written over the pair at `row`
        Remove,  // `pairs` pairs from `row` deleted; the pairs below move up
    };
    Op op = Op::Append;
    int row = 0; // zero-based first row the edit starts at (the heading's, when there is one)
    std::optional<QString> heading;
    PairCells cells; // Append, Insert, Replace: the record's cells
    int pairs = 1;   // Remove
    // Append, Insert: a record pair laid out as records are, as the sheet stands after this edit (the last
    // record above an appended one, the record below inserted pairs), to take the look of the new pairs
    // from; -1 when the sheet holds none.
    int templateRow = -1;

    // The first row of the record the edit lays (Append, Insert, Replace).
    int recordRow() const { return heading ? row + records::kRowsPerRecord : row; }
};

class Logbook {
public:
    // An empty record sheet.
    Logbook() = default;
    // The sheet from its block read: rows from row 1 (zero-based 0) to at least the last used one, columns
    // A..V.
    static Logbook fromRows(const QList<QVariantList>& rowsFromTop);

    // Rows 1-6, the header (columns A..V).
    const QList<QVariantList>& header() const { return header_; }
    // Every pair that holds something in A..U, in the sheet's order; the empty pairs between them are holes.
    const QList<Entry>& entries() const { return entries_; }
    int recordCount() const;
    // The index of the entry whose pair starts at `row`, or -1.
    int entryAt(int row) const;
    // Zero-based first row of the pair after the last used pair (anything in A..V counts): where the next
    // entry goes.
    int freeRow() const { return freeRow_; }
    // The first row that holds a date in A or an entry in E but is the second row of a pair (a row inserted
    // or deleted above it by hand); nothing when every entry is in step.
    std::optional<int> outOfStepRow() const { return outOfStepRow_; }
    // The first of three or more rows in a row that each hold a date in A: record rows no longer kept apart by
    // their second rows, as sorting "Лист1" in Calc leaves them; nothing otherwise.
    std::optional<int> sortedRow() const { return sortedRow_; }
    // Why the pairs are out of step, for the pilot: a sorted sheet as such, else the row inserted or deleted.
    QString outOfStepText() const;
    // The cells the pair at `row` holds by the model (empty for a hole or a pair beyond the entries). A pair
    // used beyond U only is not known here and reads empty.
    PairCells pairAt(int row) const;

    // Edits. Each refuses (Error::BadEntry, nothing changed) a sheet whose pairs are out of step, changes
    // the model and returns what the sheet must do.

    // A record after the last used pair, under a month heading of its month when the last entry that tells
    // a month (a date in A, or a heading) tells another one.
    QList<PairEdit> append(const PairCells& record);
    // Record entry `index` replaced by `record`: in its pair when the record stays in its month; otherwise
    // removed and inserted in date order.
    QList<PairEdit> replace(int index, const PairCells& record);
    // Record entry `index` removed, its pair with it (later pairs move up, no hole is left); the month
    // heading above it goes too when no record is left under it.
    QList<PairEdit> remove(int index);
    // Each record inserted before the first record dated after it (after the records of its day), with its
    // month heading when the record above it is of another month; a heading of its month directly above that
    // record takes it in. A record later than all goes as append() puts it.
    QList<PairEdit> insertInDateOrder(const QList<PairCells>& records);

private:
    void requireInStep() const;
    // Whether a record of `date` placed before entry `before` (entries_.size(): at the end) needs a month
    // heading: the entry above it that tells a month tells another one.
    bool needsHeading(int before, const QDate& date) const;
    void shiftFrom(int firstIndex, int rows);
    Entry recordEntry(int row, const PairCells& cells) const;
    Entry headingEntry(int row, const QString& caption) const;
    QList<PairEdit> insertOne(const PairCells& record);

    QList<QVariantList> header_;
    QList<Entry> entries_;
    int freeRow_ = records::kFirstRow;
    std::optional<int> outOfStepRow_;
    std::optional<int> sortedRow_;
};

// The kind of a pair from its cells.
Entry entryOf(int row, const PairCells& cells);

// A record as a window showed it to the pilot: its first sheet row (one-based) and its cells then.
struct ShownRecord {
    int row = 0;
    PairCells cells;
};

// The index of the record at `row` (one-based first row of its pair); Error::BadEntry naming the row when
// it holds none.
int recordIndexAt(const Logbook& book, int row);
// The index of the record `shown` names while its pair still holds the cells shown (A..U); Error::Changed,
// saying so, when the logbook was changed there since.
int shownRecordIndex(const Logbook& book, const ShownRecord& shown);

} // namespace korv::logbook
