#include "totals/record_import.h"

#include "common/error.h"
#include "common/flightdate.h"
#include "common/numtext.h"
#include "logbook/entry_faults.h"
#include "logbook/record_layout.h"

#include <QHash>
#include <QRegularExpression>

#include <cmath>

namespace korv::totals {

using logbook::cellAt;
using logbook::isEmptyCell;
using logbook::PairCells;
namespace column = logbook::records::column;

namespace {

[[noreturn]] void cannotRead(const QString& expected) { throw Error(Error::BadEntry, expected); }

QString textOf(const QVariant& cell) { return isEmptyCell(cell) ? QString() : logbook::cellText(cell).trimmed(); }

bool inLogbookYears(const QDate& d) { return d.isValid() && d.year() >= 2000 && d.year() <= 2099; }

// A number written with a point or a comma, or digits alone.
std::optional<double> decimalOf(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^-?\\d+([.,]\\d+)?$"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    return QString(text).replace(u',', u'.').toDouble();
}

// Altitude, cloud amount, the clouds' top and base, visibility: a number as a number, any other text as it
// stands ("5,2/0,3", "---").
QVariant numberOrText(const QVariant& cell) {
    if (cell.typeId() == QMetaType::Double)
        return cell;
    const QString text = textOf(cell);
    if (const auto n = decimalOf(text))
        return *n;
    return text;
}

// The longest time a record's cell is read as: far beyond any shift, and still whole minutes an int holds.
constexpr double kMostMinutes = 999 * 60 + 59;

// To the nearest whole minute, as the logbook reads a time with seconds (Minutes::ofDays).
Minutes boundedMinutes(double minutes) {
    if (!(minutes <= kMostMinutes + 0.5))
        cannotRead(QStringLiteral("нужно время не больше 999:59"));
    return Minutes(int(std::lround(minutes)));
}

} // namespace

std::optional<QDate> importedDate(const QVariant& cell) {
    if (isEmptyCell(cell))
        return std::nullopt;
    if (cell.typeId() == QMetaType::Double) {
        if (const auto d = logbook::cellDate(cell))
            return d;
        cannotRead(QStringLiteral("нужна дата 2000–2099 годов"));
    }
    const QString text = textOf(cell);
    std::optional<QDate> date = parseFlightDate(text);
    if (!date) {
        static const QRegularExpression iso(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
        if (iso.match(text).hasMatch()) {
            const QDate d = QDate::fromString(text, Qt::ISODate);
            if (d.isValid())
                date = d;
        }
    }
    if (!date || !inLogbookYears(*date))
        cannotRead(QStringLiteral("нужна дата 2000–2099 годов вида 24.09.04, 24.09.2004 или 2004-09-24"));
    return date;
}

std::optional<Minutes> importedTime(const QVariant& cell, TimeStyle style, bool numbersAreHours) {
    if (isEmptyCell(cell))
        return std::nullopt;
    QString text;
    if (cell.typeId() == QMetaType::Double) {
        const double v = cell.toDouble();
        if (v < 0)
            cannotRead(QStringLiteral("нужно время не меньше нуля"));
        if (!numbersAreHours)
            return boundedMinutes(v * 1440);
        text = QString::number(v, 'f', 6);
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    } else {
        text = textOf(cell);
    }
    if (text.contains(u':')) {
        if (const auto days = timeOfText(text))
            return boundedMinutes(*days * 1440);
        cannotRead(QStringLiteral("нужно время вида 1:25"));
    }
    if (const auto whole = wholeNumber(text); whole && *whole >= 0 && !text.contains(u'-'))
        return boundedMinutes(double(*whole) * 60);
    static const QRegularExpression form(QStringLiteral("^(\\d+)[.,](\\d+)$"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        cannotRead(QStringLiteral("нужно время вида 1:25, 1.25 или часы с долями"));
    const double hours = m.captured(1).toDouble();
    if (style == TimeStyle::HoursDotMinutes) {
        const QString mm = m.captured(2);
        if (mm.size() != 2 || mm.toInt() > 59)
            cannotRead(QStringLiteral("в виде ч.мм после точки две цифры минут от 00 до 59"));
        return boundedMinutes(double(hours) * 60 + mm.toInt());
    }
    return boundedMinutes(QString(text).replace(u',', u'.').toDouble() * 60);
}

std::optional<QString> importedDayNight(const QVariant& cell) {
    const QString t = textOf(cell).toLower();
    if (t.isEmpty())
        return std::nullopt;
    if (t == u"д" || t == u"день" || t == u"day" || t == u"d")
        return QStringLiteral("Д");
    if (t == u"н" || t == u"ночь" || t == u"night" || t == u"n")
        return QStringLiteral("Н");
    cannotRead(QStringLiteral("нужно «Д» или «Н» (день, ночь)"));
}

std::optional<double> importedCount(const QVariant& cell) {
    if (isEmptyCell(cell))
        return std::nullopt;
    if (cell.typeId() == QMetaType::Double) {
        const double v = cell.toDouble();
        if (v >= 0 && v <= logbook::kMostCount && v == std::floor(v))
            return v;
    } else if (const auto n = wholeNumber(textOf(cell)); n && *n >= 0 && *n <= logbook::kMostCount) {
        return double(*n);
    }
    cannotRead(QStringLiteral("нужно целое число от 0 до %1").arg(logbook::kMostCount));
}

QString fateName(Fate fate) {
    switch (fate) {
    case Fate::Added:
        return QStringLiteral("добавится");
    case Fate::Same:
        return QStringLiteral("уже есть");
    case Fate::Skipped:
        return QStringLiteral("пропущена");
    case Fate::Refused:
        return QStringLiteral("отказ");
    }
    return {};
}

QString ImportLine::text() const {
    QString out = QStringLiteral("строка %1: ").arg(line) + fateName(fate);
    if (!reason.isEmpty())
        out += (fate == Fate::Refused ? QStringLiteral(": ") : QStringLiteral(" (")) + reason +
               (fate == Fate::Refused ? QString() : QStringLiteral(")"));
    return out;
}

int ImportPlan::count(Fate fate) const {
    return int(std::count_if(lines.begin(), lines.end(), [&](const ImportLine& l) { return l.fate == fate; }));
}

QList<PairCells> ImportPlan::records() const {
    QList<PairCells> out;
    out.reserve(lines.size());
    for (const ImportLine& l : lines)
        if (l.fate == Fate::Added)
            out << l.cells;
    return out;
}

QString ImportPlan::summary() const {
    QString out = QStringLiteral("Добавится записей: %1; уже есть: %2; пропущено: %3; отказов: %4")
                      .arg(count(Fate::Added))
                      .arg(count(Fate::Same))
                      .arg(count(Fate::Skipped))
                      .arg(count(Fate::Refused));
    if (!added.records.isEmpty())
        out += u'\n' + sumsLine(added);
    return out;
}

namespace {

// One line of the source read into a record's cells; a value that cannot be read is refused naming its
// column.
class LineReader {
public:
    LineReader(const ImportTable& table, const Mapping& mapping, const QVariantList& row, bool numbersAreHours,
               const ExerciseWording& wording)
        : table_(table), mapping_(mapping), row_(row), hours_(numbersAreHours), wording_(wording) {}

    QVariant value(ImportField f) const {
        const int c = mapping_[f];
        return c < 0 ? QVariant(QString()) : cellAt(row_, c);
    }

    // The value of `f` read by `read`, its refusal named by the source's column.
    template <class Read>
    auto read(ImportField f, Read&& reading) const {
        try {
            return reading(value(f));
        } catch (const Error& e) {
            const int c = mapping_[f];
            const QString caption = c < table_.header.size() && !table_.header[c].isEmpty()
                                        ? QStringLiteral("столбец «%1»").arg(table_.header[c])
                                        : QStringLiteral("столбец %1").arg(c + 1);
            throw Error(Error::BadEntry, QStringLiteral("%1 (%2): стоит «%3», а %4")
                                             .arg(caption, fieldName(f), textOf(value(f)).left(30), e.description()));
        }
    }

    PairCells cells(const QDate& date) const {
        PairCells r;
        auto& first = r.first;
        first[column::A] = logbook::dateCell(date);
        first[column::B] = textOf(value(ImportField::Type));
        if (const auto dn = read(ImportField::DayNight, importedDayNight))
            first[column::C] = *dn;
        first[column::D] = textOf(value(ImportField::Seat));
        QString exercise = textOf(value(ImportField::Exercise));
        if (const auto n = wholeNumber(exercise); n && wording_)
            exercise = wording_(*n);
        first[column::E] = exercise;
        const auto count = [&](ImportField f, int col) {
            if (const auto n = read(f, importedCount))
                first[std::size_t(col)] = *n;
        };
        const auto time = [&](ImportField f, int col) {
            if (const auto m = read(f, [&](const QVariant& v) { return importedTime(v, mapping_.times, hours_); }))
                first[std::size_t(col)] = logbook::timeCell(*m);
        };
        count(ImportField::Flights, column::F);
        time(ImportField::Total, column::G);
        time(ImportField::Hood, column::H);
        time(ImportField::Smu, column::I);
        time(ImportField::Clouds, column::J);
        first[column::K] = numberOrText(value(ImportField::Altitude));
        first[column::L] = numberOrText(value(ImportField::CloudAmount));
        first[column::M] = numberOrText(value(ImportField::CloudTop));
        r.second[column::M] = numberOrText(value(ImportField::CloudBase));
        first[column::N] = numberOrText(value(ImportField::Visibility));
        count(ImportField::TakeOffs, column::O);
        first[column::P] = textOf(value(ImportField::System));
        count(ImportField::Approaches, column::Q);
        count(ImportField::Landings, column::R);
        count(ImportField::MinimumLandings, column::S);
        return r;
    }

private:
    const ImportTable& table_;
    const Mapping& mapping_;
    const QVariantList& row_;
    bool hours_;
    const ExerciseWording& wording_;
};

bool anyTimeNumberFromADay(const ImportTable& table, const Mapping& mapping) {
    for (const ImportField f : {ImportField::Total, ImportField::Hood, ImportField::Smu, ImportField::Clouds}) {
        const int c = mapping[f];
        if (c < 0)
            continue;
        for (const QVariantList& row : table.rows) {
            const QVariant cell = cellAt(row, c);
            if (cell.typeId() == QMetaType::Double && cell.toDouble() >= 1)
                return true;
        }
    }
    return false;
}

// What makes a line the same flight as a record: the date, the type, the exercise and the four times, a time
// left empty the same as one of 0:00 (a pilot's table leaves out what the logbook writes as zero).
QString sameFlightKey(const logbook::Entry& e) {
    QString key =
        e.record.date.toString(Qt::ISODate) + u'\x1f' + e.record.type.trimmed() + u'\x1f' + e.record.exercise.trimmed();
    for (const logbook::TimeReading& t : {e.record.total, e.record.hood, e.record.smu, e.record.clouds})
        key += u'\x1f' + (t.unreadable() ? QStringLiteral("?") : QString::number(t.minutes.count));
    return key;
}

int filledCells(const QVariantList& row) {
    return int(std::count_if(row.begin(), row.end(), [](const QVariant& c) { return !textOf(c).isEmpty(); }));
}

} // namespace

ImportPlan planImport(const ImportTable& table, const Mapping& mapping, const logbook::Logbook& book,
                      const ExerciseWording& wording) {
    if (book.outOfStepRow())
        throw Error(Error::BadEntry, book.outOfStepText());
    if (mapping[ImportField::Date] < 0)
        throw Error(Error::BadEntry,
                    QStringLiteral("Не указан столбец даты: без него ни одна строка не станет записью."));
    ImportPlan plan;
    // A workbook's number of a day or more in a time column is no time of a flight: the column holds hours.
    plan.numbersAreHours = anyTimeNumberFromADay(table, mapping);

    // The records already there by what makes two the same; each matches one line at most.
    QHash<QString, QList<int>> standing;
    for (const logbook::Entry& e : book.entries())
        if (e.isRecord())
            standing[sameFlightKey(e)] << e.sheetRow();

    QList<Entry> added;
    added.reserve(table.rows.size());
    plan.lines.reserve(table.rows.size());
    for (int i = 0; i < table.rows.size(); ++i) {
        const QVariantList& row = table.rows[i];
        ImportLine line;
        line.line = i < table.lines.size() ? table.lines[i] : i + 2;
        const LineReader reader(table, mapping, row, plan.numbersAreHours, wording);
        try {
            std::optional<QDate> date;
            try {
                date = reader.read(ImportField::Date, importedDate);
            } catch (const Error&) {
                if (filledCells(row) > 1)
                    throw;
            }
            if (!date) {
                if (filledCells(row) > 1)
                    throw Error(Error::BadEntry,
                                QStringLiteral("нет даты полёта (%1)").arg(fieldName(ImportField::Date)));
                line.fate = Fate::Skipped;
                line.reason = QStringLiteral("не запись: одно значение без даты");
                plan.lines << line;
                continue;
            }
            line.cells = reader.cells(*date);
        } catch (const Error& e) {
            line.fate = Fate::Refused;
            line.reason = e.description();
            plan.lines << line;
            continue;
        }
        const logbook::Entry entry = logbook::entryOf(logbook::records::kFirstRow, line.cells);
        if (!entry.isRecord()) {
            line.fate = Fate::Refused;
            line.reason = logbook::unreadableFault(entry);
            plan.lines << line;
            continue;
        }
        QStringList errors;
        for (const logbook::Finding& f : logbook::checkRecord(entry, {}))
            if (f.severity == logbook::Severity::Error)
                errors << f.text;
        if (!errors.isEmpty()) {
            line.fate = Fate::Refused;
            line.reason = errors.join(QStringLiteral("; "));
            plan.lines << line;
            continue;
        }
        QList<int>& same = standing[sameFlightKey(entry)];
        if (!same.isEmpty()) {
            line.fate = Fate::Same;
            line.sameRow = same.takeFirst();
            line.reason = QStringLiteral("та же запись в строке %1 лётной книжки").arg(line.sameRow);
        } else {
            line.fate = Fate::Added;
            added << entry;
        }
        plan.lines << line;
    }
    plan.added = listRecords(added, {});
    return plan;
}

} // namespace korv::totals
