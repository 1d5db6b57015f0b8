#include "logbook/sheet_adapter.h"

#include "common/error.h"
#include "logbook/record_layout.h"
#include "logbook/record_slots.h"
#include "logbook/sheetlayout.h"

#include <algorithm>

namespace korv::logbook {

namespace column = records::column;

namespace {

constexpr int kRows = records::kRowsPerRecord;

// Confirms that no merged area reaches into the rows a write lays its pairs on from outside, so that what
// the write puts there destroys nothing. What they hold is the model's to know.
void requireUnmerged(Sheet& sheet, int firstRow, int lastRow) {
    const Range block = sheet.cells(firstRow, column::A, lastRow, records::kLastHeadingColumn);
    const Range span = block.mergeSpan();
    if (span.block() != block.block())
        throw Error(Error::BadEntry,
                    QStringLiteral("Смена ложится в строки %1–%2 лётной книжки, но объединённые ячейки %3 выходят за "
                                   "них. Разъедините их или проверьте лётную книжку и повторите.")
                        .arg(firstRow + 1)
                        .arg(lastRow + 1)
                        .arg(span.address()));
}

Range pairRange(Sheet& sheet, int row, int lastColumn = records::kLastColumn) {
    return sheet.cells(row, column::A, row + kRows - 1, lastColumn);
}

// The pair at `row` laid out as the record pair at `templateRow` is, emptied. A free pair the pilot cleared
// with its formats has lost its merges; inserted rows have none.
void layLikeRecord(Sheet& sheet, int row, int templateRow) {
    if (templateRow < 0)
        return;
    pairRange(sheet, templateRow).copyTo(sheet.cell(row, column::A));
    const QVariantList empty(records::kLastColumn + 1, QString());
    pairRange(sheet, row).setData({empty, empty});
}

void writeRecord(Sheet& sheet, int row, const PairCells& cells) {
    // Row r A..S in one block, and the cloud base of the second row: every other cell of the pair stays as
    // the laid-out pair has it.
    sheet.cells(row, column::A, row, column::S).setData({cells.firstRow(column::S)});
    sheet.cells(row + 1, column::M, row + 1, column::M).setData({{cells.second[column::M]}});
}

void headingLook(Sheet& sheet, int row) {
    CellFormat look;
    look.fontSize = 12;
    look.bold = true;
    sheet.cell(row, column::E).apply(look);
}

// Column A shows the day of the month. The format goes on only where the column does not show the day yet:
// in an office of another language the same format comes back from the file under another key, and putting
// it on again would set the covered cells of every pair apart from each other (and every save slow).
void showDays(Sheet& sheet, int recordRow, LayoutChecks& checks) {
    if (checks.daysShown)
        return;
    checks.daysShown = true;
    const auto showsDay = [&](int r) {
        return sheet.cell(r, column::A).format().numberFormat.value_or(QString()).compare(u"d", Qt::CaseInsensitive) ==
               0;
    };
    if (!showsDay(records::kFirstRow) || !showsDay(recordRow)) {
        CellFormat day;
        day.numberFormat = QStringLiteral("d");
        sheet.range(QStringLiteral("A:A")).apply(day);
    }
}

void wrapExercise(Sheet& sheet, int recordRow) {
    CellFormat wrap;
    wrap.wrap = true;
    sheet.cell(recordRow, column::E).apply(wrap);
}

void append(Sheet& sheet, const PairEdit& edit, LayoutChecks& checks) {
    int row = edit.row;
    // The heading's pair (when there is one), the record's and the empty pair kept below.
    requireUnmerged(sheet, row, edit.recordRow() + 2 * kRows - 1);
    if (!pairRange(sheet, row, column::A).isMerged())
        layLikeRecord(sheet, row, edit.templateRow);
    if (edit.heading) {
        // The heading takes the free pair; a copy of it below stays free for the record. A record pair
        // holds nothing right of V, so the copy takes A..V rather than whole rows: a whole-row copy over
        // Calc's 1024 columns costs about a hundred times more.
        pairRange(sheet, row, records::kLastHeadingColumn).copyTo(sheet.cell(row + kRows, column::A));
        sheet.cell(row, column::E).setText(*edit.heading);
        headingLook(sheet, row);
        row += kRows;
    }
    // An empty laid-out pair stays below the record.
    pairRange(sheet, row).copyTo(sheet.cell(row + kRows, column::A));
    writeRecord(sheet, row, edit.cells);
    showDays(sheet, row, checks);
    wrapExercise(sheet, row);
}

// The values of records laid out together, in one block A..U of all their rows (the pair kept free below an
// appended run too, when `keptBelow`), and their headings' look in one call: as an inserted heading looks,
// the caption on one line.
void writeRun(Sheet& sheet, const QList<PairEdit>& run, bool keptBelow = true) {
    const QVariantList empty(records::kLastColumn + 1, QString());
    QList<QVariantList> block;
    QStringList headings;
    for (const PairEdit& edit : run) {
        if (edit.heading) {
            QVariantList caption = empty;
            caption[column::E] = *edit.heading;
            block << caption << empty;
            headings << QStringLiteral("E%1").arg(edit.row + 1);
        }
        block << edit.cells.firstRow(records::kLastColumn) << edit.cells.secondRow(records::kLastColumn);
    }
    if (keptBelow)
        block << empty << empty;
    const int first = run.front().row;
    sheet.cells(first, column::A, first + int(block.size()) - 1, records::kLastColumn).setData(block);
    if (!headings.isEmpty()) {
        CellFormat look;
        look.fontSize = 12;
        look.bold = true;
        look.wrap = false;
        sheet.applyAll(headings, look);
    }
}

// Copies the pairs laid out from `first` over the rows up to `end` (exclusive), doubling what is laid out with
// each copy: a dozen copies for thousands of pairs.
void copyLaidPairs(Sheet& sheet, int first, int laidRows, int end) {
    for (int laid = laidRows; first + laid < end;) {
        const int rows = std::min(laid, end - first - laid);
        sheet.cells(first, column::A, first + rows - 1, records::kLastColumn)
            .copyTo(sheet.cell(first + laid, column::A));
        laid += rows;
    }
}

// Records appended one after another (an import, a batch of shifts): laid out together in a few calls
// instead of several a record. The free pair is copied over every pair the records take and the one kept
// below, doubling what is laid out with each copy; the values go in one block, the headings' look in one
// call. A copy does not carry every attribute onto merged cells already laid out (the free pair below the
// first keeps its own wrap), so the first two pairs, from which every other is copied, take the record
// pair's look before the copies: the exercise wrapped, the covered cells in few format runs.
void appendRun(Sheet& sheet, const QList<PairEdit>& run, LayoutChecks& checks) {
    const int first = run.front().row;
    const int end = run.back().recordRow() + 2 * kRows; // the empty pair kept below included
    requireUnmerged(sheet, first, end - 1);
    if (!pairRange(sheet, first, column::A).isMerged())
        layLikeRecord(sheet, first, run.front().templateRow);
    showDays(sheet, run.front().recordRow(), checks);
    // The pair kept free below looks as the free pair did, as one append after another leaves it.
    const int kept = end - kRows;
    pairRange(sheet, first).copyTo(sheet.cell(kept, column::A));
    pairRange(sheet, first).copyTo(sheet.cell(first + kRows, column::A));
    CellFormat wrap;
    wrap.wrap = true;
    sheet.applyAll({QStringLiteral("E%1").arg(first + 1), QStringLiteral("E%1").arg(first + kRows + 1)}, wrap);
    shareCoveredCellFormats(sheet, first + kRows, first);
    shareCoveredCellFormats(sheet, kept, kept);
    copyLaidPairs(sheet, first, 2 * kRows, kept);
    writeRun(sheet, run);
}

// Records inserted one right below the other (old records brought in before those there): the rows of all
// of them inserted at once, the first pair laid out as the record below them is and copied over the others
// (inserted rows hold no merges, so a copy carries the whole look), the values in one block.
void insertRun(Sheet& sheet, const QList<PairEdit>& run) {
    const int first = run.front().row;
    const int end = run.back().recordRow() + kRows;
    sheet.insertRows(first, end - first);
    layLikeRecord(sheet, first, run.back().templateRow);
    wrapExercise(sheet, first);
    copyLaidPairs(sheet, first, kRows, end);
    writeRun(sheet, run, false);
}

void insert(Sheet& sheet, const PairEdit& edit) {
    const int pairs = edit.heading ? 2 : 1;
    sheet.insertRows(edit.row, pairs * kRows);
    // Inserted rows take the formats of the row above, not its merges: each new pair takes the look of a
    // record pair.
    for (int p = 0; p < pairs; ++p)
        layLikeRecord(sheet, edit.row + p * kRows, edit.templateRow);
    if (edit.heading) {
        sheet.cell(edit.row, column::E).setText(*edit.heading);
        CellFormat look;
        look.fontSize = 12;
        look.bold = true;
        look.wrap = false;
        sheet.cell(edit.row, column::E).apply(look);
    }
    writeRecord(sheet, edit.recordRow(), edit.cells);
    wrapExercise(sheet, edit.recordRow());
}

void replace(Sheet& sheet, const PairEdit& edit) {
    // The whole pair A..U: what the new record leaves empty is emptied.
    pairRange(sheet, edit.row)
        .setData({edit.cells.firstRow(records::kLastColumn), edit.cells.secondRow(records::kLastColumn)});
}

// The record pairs whose covered cells tell whether the logbook keeps them in few format runs: the first, a
// middle and the last record (month headings are left out) and the free pair below them.
QList<int> samplePairs(const Logbook& book) {
    QList<int> recordRows;
    for (const Entry& e : book.entries())
        if (e.isRecord())
            recordRows << e.row;
    QList<int> sample;
    if (!recordRows.isEmpty())
        sample << recordRows.front() << recordRows[recordRows.size() / 2] << recordRows.back();
    return sample << book.freeRow();
}

// The rows from `firstRow` to the free pair, read back and compared with the model in A..U (beyond U the
// pilot's notes are nobody's business here).
void verify(Sheet& sheet, int firstRow, const Logbook& after) {
    const int lastRow = after.freeRow() + kRows - 1;
    const QList<QVariantList> rows = sheet.cells(firstRow, column::A, lastRow, records::kLastColumn).data();
    for (int row = firstRow; row <= lastRow; row += kRows) {
        const PairCells expected = after.pairAt(row);
        const int i = row - firstRow;
        const PairCells found = PairCells::fromRows(rows.value(i), rows.value(i + 1));
        for (int c = 0; c <= records::kLastColumn; ++c) {
            if (sameCell(found.first[std::size_t(c)], expected.first[std::size_t(c)]) &&
                sameCell(found.second[std::size_t(c)], expected.second[std::size_t(c)]))
                continue;
            throw Error(Error::Spreadsheet,
                        QStringLiteral("LibreOffice Calc записал в строки %1–%2 лётной книжки не то, что должно там "
                                       "стоять (столбец %3); изменение не сохранено.")
                            .arg(row + 1)
                            .arg(row + kRows)
                            .arg(QChar(u'A' + c)),
                        QStringLiteral("found «%1» / «%2», expected «%3» / «%4»")
                            .arg(cellText(found.first[std::size_t(c)]), cellText(found.second[std::size_t(c)]),
                                 cellText(expected.first[std::size_t(c)]), cellText(expected.second[std::size_t(c)])));
        }
    }
}

} // namespace

Logbook readLogbook(const Sheet& sheet1) {
    const int last = sheet1.lastUsedRow();
    // One row more than the used area: the second row of the last pair.
    const int lastRow = last < records::kFirstRow ? records::kFirstRow - 1 : last + 1;
    return Logbook::fromRows(sheet1.cells(0, column::A, lastRow, records::kLastHeadingColumn).data());
}

bool holdsEntries(const Sheet& sheet1) {
    if (sheet1.cell(records::kFirstRow, records::column::E).kind() != CellKind::Empty)
        return true;
    const int last = sheet1.lastUsedRow();
    if (last < records::kFirstRow)
        return false;
    const QList<QVariantList> rows = sheet1.cells(records::kFirstRow, 0, last, records::kLastHeadingColumn).data();
    return std::any_of(rows.begin(), rows.end(), [](const QVariantList& row) {
        return std::any_of(row.begin(), row.end(), [](const QVariant& v) { return !isEmptyCell(v); });
    });
}

SheetMerges captionMerges(const Sheet& sheet1) {
    SheetMerges merges;
    for (const HeaderCaption& c : headerCaptions()) {
        if (c.merged && !sheet1.range(QString::fromLatin1(c.range)).isMerged())
            merges.splitCaptions << QString::fromLatin1(c.range).section(u':', 0, 0);
    }
    return merges;
}

void keepOnlyPairs(Sheet& sheet1, const QSet<int>& keptRows, int endRow) {
    for (int row = endRow - kRows; row >= records::kFirstRow;) {
        if (keptRows.contains(row)) {
            row -= kRows;
            continue;
        }
        int first = row;
        while (first - kRows >= records::kFirstRow && !keptRows.contains(first - kRows))
            first -= kRows;
        sheet1.deleteRows(first, row + kRows - first);
        row = first - kRows;
    }
}

void layOut(Sheet& sheet1, const QList<PairEdit>& edits, const Logbook& after, SlotUpkeep upkeep,
            LayoutChecks* checks) {
    if (edits.isEmpty())
        return;
    LayoutChecks once;
    LayoutChecks& known = checks ? *checks : once;
    int firstRow = edits.front().row;
    for (qsizetype i = 0; i < edits.size(); ++i) {
        const PairEdit& edit = edits[i];
        firstRow = std::min(firstRow, edit.row);
        switch (edit.op) {
        case PairEdit::Op::Append: {
            // Appends that follow each other: each starts on the pair after the record before.
            qsizetype next = i + 1;
            while (next < edits.size() && edits[next].op == PairEdit::Op::Append &&
                   edits[next].row == edits[next - 1].recordRow() + kRows)
                ++next;
            if (next - i > 1) {
                appendRun(sheet1, edits.mid(i, next - i), known);
                i = next - 1;
            } else {
                append(sheet1, edit, known);
            }
            break;
        }
        case PairEdit::Op::Insert: {
            // Inserts that follow each other: each starts right below the record inserted before it.
            qsizetype next = i + 1;
            while (next < edits.size() && edits[next].op == PairEdit::Op::Insert &&
                   edits[next].row == edits[next - 1].recordRow() + kRows)
                ++next;
            if (next - i > 1) {
                insertRun(sheet1, edits.mid(i, next - i));
                i = next - 1;
            } else {
                insert(sheet1, edit);
            }
            break;
        }
        case PairEdit::Op::Replace:
            replace(sheet1, edit);
            break;
        case PairEdit::Op::Remove:
            sheet1.deleteRows(edit.row, edit.pairs * kRows);
            break;
        }
    }
    // A logbook of an earlier build or of another program gets its covered cells in few format runs once,
    // saved with this change; nothing visible changes.
    if (upkeep == SlotUpkeep::ShareCoveredFormats && !known.coveredFormatsShared) {
        if (!pairsShareFormats(sheet1, samplePairs(after)))
            shareCoveredCellFormats(sheet1, after.freeRow());
        known.coveredFormatsShared = true;
    }
    verify(sheet1, firstRow, after);
}

} // namespace korv::logbook
