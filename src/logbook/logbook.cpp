#include "logbook/logbook.h"

#include "common/error.h"
#include "logbook/captions.h"
#include "logbook/entry_faults.h"

#include <QRegularExpression>

#include <algorithm>

namespace korv::logbook {

namespace column = records::column;

namespace {

// The first column of A..last holding anything, or -1.
int firstUsedColumn(const std::array<QVariant, kPairColumns>& row, int last) {
    for (int c = 0; c <= last; ++c)
        if (!isEmptyCell(row[std::size_t(c)]))
            return c;
    return -1;
}

bool sameMonth(const QDate& a, const QDate& b) { return a.month() == b.month() && a.year() == b.year(); }

} // namespace

std::optional<long long> exerciseOfText(const QString& text) {
    static const QRegularExpression number(QStringLiteral("[Уу]пр\\.\\s*(\\d+)"));
    const auto m = number.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    bool ok = false;
    const long long n = m.captured(1).toLongLong(&ok);
    return ok ? std::optional(n) : std::nullopt;
}

std::optional<long long> Record::exerciseNumber() const { return exerciseOfText(exercise); }

Record readRecord(const PairCells& cells) {
    const auto& f = cells.first;
    Record r;
    r.date = cellDate(f[column::A]).value_or(QDate());
    r.type = cellText(f[column::B]);
    r.dayNight = cellText(f[column::C]);
    r.seat = cellText(f[column::D]);
    r.exercise = cellText(f[column::E]);
    r.flights = readCount(f[column::F]);
    r.total = readTime(f[column::G]);
    r.hood = readTime(f[column::H]);
    r.smu = readTime(f[column::I]);
    r.clouds = readTime(f[column::J]);
    r.takeOffs = readCount(f[column::O]);
    r.system = cellText(f[column::P]);
    r.approaches = readCount(f[column::Q]);
    r.landings = readCount(f[column::R]);
    r.minimumLandings = readCount(f[column::S]);
    return r;
}

Entry entryOf(int row, const PairCells& cells) {
    Entry e;
    e.row = row;
    e.cells = cells;
    // Beyond U nothing is judged: a note there is the pilot's own.
    if (!cells.firstUsed(records::kLastColumn) && !cells.secondUsed(records::kLastColumn))
        return e;
    const QVariant& a = cells.first[column::A];
    const bool hasE = !isEmptyCell(cells.first[column::E]);
    if (cellDate(a)) {
        e.kind = hasE ? PairKind::Record : PairKind::Unreadable;
        e.column = hasE ? -1 : column::E;
        if (hasE)
            e.record = readRecord(cells);
        return e;
    }
    e.kind = PairKind::Unreadable;
    if (!isEmptyCell(a)) {
        e.column = column::A;
        return e;
    }
    if (hasE) {
        // A heading holds its caption alone; an E with values beside it is a record whose date is gone.
        bool alone = firstUsedColumn(cells.second, records::kLastColumn) < 0;
        for (int c = column::B; alone && c <= records::kLastColumn; ++c)
            alone = c == column::E || isEmptyCell(cells.first[std::size_t(c)]);
        e.kind = alone ? PairKind::Heading : PairKind::Unreadable;
        e.column = alone ? -1 : column::A;
        return e;
    }
    const int onFirst = firstUsedColumn(cells.first, records::kLastColumn);
    const int onSecond = firstUsedColumn(cells.second, records::kLastColumn);
    e.column = onFirst < 0 ? onSecond : onSecond < 0 ? onFirst : std::min(onFirst, onSecond);
    return e;
}

Logbook Logbook::fromRows(const QList<QVariantList>& rows) {
    Logbook book;
    for (int r = 0; r < records::kFirstRow; ++r)
        book.header_ << (r < rows.size() ? rows[r] : QVariantList());
    int lastUsedRow = -1; // anything at all, beyond U too: the next entry goes below it
    const QVariantList none;
    for (int row = records::kFirstRow; row < rows.size(); row += records::kRowsPerRecord) {
        const PairCells cells = PairCells::fromRows(rows[row], row + 1 < rows.size() ? rows[row + 1] : none);
        if (!book.outOfStepRow_ && (cellDate(cells.second[column::A]) || !isEmptyCell(cells.second[column::E])))
            book.outOfStepRow_ = row + 1;
        if (cells.firstUsed() || cells.secondUsed())
            lastUsedRow = row;
        Entry e = entryOf(row, cells);
        if (e.kind != PairKind::Empty)
            book.entries_ << std::move(e);
    }
    book.freeRow_ = lastUsedRow < 0 ? records::kFirstRow : lastUsedRow + records::kRowsPerRecord;
    // A record's date is never next to another one: its second row lies between. Three in a row are a sheet
    // sorted in Calc, which a row inserted or deleted by hand never gives.
    if (book.outOfStepRow_) {
        int run = 0;
        for (int row = records::kFirstRow; row < rows.size() && !book.sortedRow_; ++row) {
            run = cellDate(cellAt(rows[row], column::A)) ? run + 1 : 0;
            if (run == 3)
                book.sortedRow_ = row - 2;
        }
    }
    return book;
}

QString Logbook::outOfStepText() const {
    if (sortedRow_)
        return QStringLiteral("Строки листа «Лист1» переставлены — видимо, лист отсортирован: начиная со строки %1 "
                              "даты стоят в соседних строках, а каждая запись занимает две строки. Верните порядок: "
                              "в Calc «Правка → Отменить» сразу после сортировки или восстановите книжку из резервной "
                              "копии, сделанной до неё («Режим работы → Резервные копии»).")
            .arg(*sortedRow_ + 1);
    return outOfStepRow_ ? outOfStepMessage(*outOfStepRow_) : QString();
}

int Logbook::recordCount() const {
    return int(std::count_if(entries_.begin(), entries_.end(), [](const Entry& e) { return e.isRecord(); }));
}

int Logbook::entryAt(int row) const {
    const auto it =
        std::lower_bound(entries_.begin(), entries_.end(), row, [](const Entry& e, int r) { return e.row < r; });
    return it != entries_.end() && it->row == row ? int(it - entries_.begin()) : -1;
}

PairCells Logbook::pairAt(int row) const {
    const int i = entryAt(row);
    return i < 0 ? PairCells() : entries_[i].cells;
}

void Logbook::requireInStep() const {
    if (outOfStepRow_)
        throw Error(Error::BadEntry, outOfStepText());
}

bool Logbook::needsHeading(int before, const QDate& date) const {
    // The entry above that tells the month: a date in A (a record, or one whose exercise was cleared), or a
    // month heading; what tells none (something typed between the records) is passed over.
    for (int i = before - 1; i >= 0; --i) {
        const Entry& e = entries_[i];
        if (const auto d = e.date())
            return !sameMonth(*d, date);
        if (e.isHeading())
            return e.caption().trimmed() != PeriodCaption(date).trimmed();
    }
    return true;
}

void Logbook::shiftFrom(int firstIndex, int rows) {
    for (int i = firstIndex; i < entries_.size(); ++i)
        entries_[i].row += rows;
    freeRow_ += rows;
}

Entry Logbook::recordEntry(int row, const PairCells& cells) const {
    Entry e = entryOf(row, cells);
    if (!e.isRecord())
        throw Error(Error::BadEntry, QStringLiteral("Запись без даты полёта 2000–2099 годов или без упражнения не "
                                                    "может быть записана в лётную книжку."));
    return e;
}

Entry Logbook::headingEntry(int row, const QString& caption) const {
    PairCells cells;
    cells.first[column::E] = caption;
    return entryOf(row, cells);
}

QList<PairEdit> Logbook::append(const PairCells& record) {
    requireInStep();
    Entry e = recordEntry(freeRow_, record);
    PairEdit edit;
    edit.op = PairEdit::Op::Append;
    edit.row = freeRow_;
    edit.cells = record;
    if (needsHeading(int(entries_.size()), e.record.date)) {
        edit.heading = PeriodCaption(e.record.date);
        entries_ << headingEntry(edit.row, *edit.heading);
    }
    e.row = edit.recordRow();
    const auto lastRecord =
        std::find_if(entries_.crbegin(), entries_.crend(), [](const Entry& x) { return x.isRecord(); });
    if (lastRecord != entries_.crend())
        edit.templateRow = lastRecord->row;
    entries_ << e;
    // The pair below the record is laid out empty: the next entry goes there.
    freeRow_ = e.row + records::kRowsPerRecord;
    return {edit};
}

QList<PairEdit> Logbook::replace(int index, const PairCells& record) {
    requireInStep();
    if (index < 0 || index >= entries_.size() || !entries_[index].isRecord())
        throw Error(Error::BadEntry, QStringLiteral("В лётной книжке нет такой записи."));
    Entry e = recordEntry(entries_[index].row, record);
    if (sameMonth(e.record.date, entries_[index].record.date)) {
        entries_[index] = e;
        PairEdit edit;
        edit.op = PairEdit::Op::Replace;
        edit.row = e.row;
        edit.cells = record;
        return {edit};
    }
    QList<PairEdit> edits = remove(index);
    edits << insertOne(record);
    return edits;
}

QList<PairEdit> Logbook::remove(int index) {
    requireInStep();
    if (index < 0 || index >= entries_.size() || !entries_[index].isRecord())
        throw Error(Error::BadEntry, QStringLiteral("В лётной книжке нет такой записи."));
    // The heading above goes with its last record: nothing but another heading, or the end, follows.
    const bool headingAbove = index > 0 && entries_[index - 1].isHeading();
    const bool nothingUnder = index + 1 == entries_.size() || entries_[index + 1].isHeading();
    QList<PairEdit> edits;
    const auto removePair = [&](int i) {
        PairEdit edit;
        edit.op = PairEdit::Op::Remove;
        edit.row = entries_[i].row;
        entries_.removeAt(i);
        shiftFrom(i, -records::kRowsPerRecord);
        edits << edit;
    };
    const int row = entries_[index].row;
    removePair(index); // the lower pair first: the heading's row stays where it is
    if (headingAbove && nothingUnder) {
        if (entries_[index - 1].row + records::kRowsPerRecord == row) {
            // Next to each other: one deletion of both pairs.
            edits.back().row = entries_[index - 1].row;
            edits.back().pairs = 2;
            entries_.removeAt(index - 1);
            shiftFrom(index - 1, -records::kRowsPerRecord);
        } else {
            removePair(index - 1);
        }
    }
    return edits;
}

QList<PairEdit> Logbook::insertInDateOrder(const QList<PairCells>& records) {
    // Every record is checked before the first goes in: a refusal changes nothing.
    requireInStep();
    for (const PairCells& r : records)
        recordEntry(0, r);
    QList<PairCells> sorted = records;
    std::stable_sort(sorted.begin(), sorted.end(), [](const PairCells& a, const PairCells& b) {
        return cellDate(a.first[column::A]).value_or(QDate()) < cellDate(b.first[column::A]).value_or(QDate());
    });
    // Entries and edits are large: grown once, not copied over at every doubling.
    entries_.reserve(entries_.size() + 2 * sorted.size());
    QList<PairEdit> edits;
    edits.reserve(sorted.size());
    for (const PairCells& r : sorted)
        edits << insertOne(r);
    return edits;
}

QList<PairEdit> Logbook::insertOne(const PairCells& record) {
    requireInStep();
    Entry e = recordEntry(0, record);
    const QDate date = e.record.date;
    const auto later = std::find_if(entries_.begin(), entries_.end(),
                                    [&](const Entry& x) { return x.isRecord() && x.record.date > date; });
    if (later == entries_.end())
        return append(record);
    int pos = int(later - entries_.begin());
    // A heading directly above that record belongs to it: the new record goes above the heading, unless the
    // heading is of the new record's month.
    if (pos > 0 && entries_[pos - 1].isHeading() &&
        entries_[pos - 1].caption().trimmed() != PeriodCaption(date).trimmed())
        --pos;
    PairEdit edit;
    edit.op = PairEdit::Op::Insert;
    edit.row = entries_[pos].row;
    edit.cells = record;
    if (needsHeading(pos, date))
        edit.heading = PeriodCaption(date);
    const int pairs = edit.heading ? 2 : 1;
    shiftFrom(pos, pairs * records::kRowsPerRecord);
    e.row = edit.recordRow();
    entries_.insert(pos, e);
    if (edit.heading)
        entries_.insert(pos, headingEntry(edit.row, *edit.heading));
    // The record that was dated after the new one, moved down below it.
    for (int i = pos; i < entries_.size(); ++i) {
        if (entries_[i].isRecord() && entries_[i].row > e.row) {
            edit.templateRow = entries_[i].row;
            break;
        }
    }
    return {edit};
}

int recordIndexAt(const Logbook& book, int row) {
    const int index = book.entryAt(row - 1);
    if (index < 0 || !book.entries()[index].isRecord())
        throw Error(Error::BadEntry, QStringLiteral("В строке %1 лётной книжки нет записи смены.").arg(row));
    return index;
}

int shownRecordIndex(const Logbook& book, const ShownRecord& shown) {
    const int index = book.entryAt(shown.row - 1);
    const auto same = [&](const PairCells& now) {
        return now.firstRow(records::kLastColumn) == shown.cells.firstRow(records::kLastColumn) &&
               now.secondRow(records::kLastColumn) == shown.cells.secondRow(records::kLastColumn);
    };
    if (index < 0 || !book.entries()[index].isRecord() || !same(book.entries()[index].cells))
        throw Error(Error::Changed,
                    QStringLiteral("Запись в строке %1 уже не та, что была показана: лётную книжку изменили после "
                                   "этого. Откройте список записей заново.")
                        .arg(shown.row));
    return index;
}

} // namespace korv::logbook
