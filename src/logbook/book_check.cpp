#include "logbook/book_check.h"

#include "common/numtext.h"
#include "logbook/captions.h"
#include "logbook/entry_faults.h"
#include "logbook/exercise_lists.h"
#include "logbook/record_layout.h"

#include <QDate>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace korv::logbook {

namespace {

namespace column = records::column;

std::optional<double> heightOf(const QVariant& cell) {
    if (cell.typeId() == QMetaType::Double)
        return cell.toDouble();
    if (cell.typeId() == QMetaType::QString) {
        bool ok = false;
        const double v = cell.toString().trimmed().toDouble(&ok);
        if (ok)
            return v;
    }
    return std::nullopt;
}

QString emptyOrStands(const QVariant& cell) {
    return isEmptyCell(cell) ? QStringLiteral("пусто") : QStringLiteral("стоит ") + quotedCell(cell);
}

int captionColumn(const ExpectedCaption& c) { return c.cell.at(0).unicode() - u'A'; }
int captionRow(const ExpectedCaption& c) { return c.cell.mid(1).toInt() - 1; }

class Checker {
public:
    explicit Checker(const CheckReference& reference) : ref_(reference) {}

    void error(int row0, int col, const QString& text) { out_ << Finding{row0 + 1, col, Severity::Error, text}; }
    void warning(int row0, int col, const QString& text) { out_ << Finding{row0 + 1, col, Severity::Warning, text}; }
    // The finding just made is the sorted sheet.
    void markSorted() { out_.back().sortedSheet = true; }

    void header(const QList<QVariantList>& rows) {
        for (const CaptionMismatch& m : captionMismatches(rows, ref_.captions))
            error(captionRow(m.expected), captionColumn(m.expected), m.text());
    }

    void record(const Entry& e) {
        const int row0 = e.row;
        const auto& first = e.cells.first;
        const QVariant& B = first[column::B];
        const QString type = e.record.type.trimmed();
        if (type.isEmpty())
            error(row0, column::B, entryFault(column::B, QStringLiteral("пусто"), QStringLiteral("тип самолёта")));
        else if (!ref_.aircraftTypes.contains(type))
            warning(row0, column::B,
                    QStringLiteral("тип самолёта ") + quotedCell(B) + QStringLiteral(" не из списка программы (") +
                        ref_.aircraftTypes.join(QStringLiteral(", ")) + u')');

        const QVariant& C = first[column::C];
        if (e.record.dayNight != u"Д" && e.record.dayNight != u"Н")
            error(row0, column::C, entryFault(column::C, emptyOrStands(C), QStringLiteral("«Д» или «Н»")));

        const QVariant& D = first[column::D];
        if (!kSeatLetters.contains(e.record.seat.trimmed()))
            warning(row0, column::D,
                    QStringLiteral("в столбце D ") + emptyOrStands(D) +
                        QStringLiteral(", а программа пишет сидение буквой ") +
                        kSeatLetters.join(QStringLiteral(", ")));

        const QVariant& E = first[column::E];
        if (const auto exercise = e.record.exerciseNumber(); !exercise)
            error(row0, column::E, QStringLiteral("в столбце E нет номера упражнения: ") + quotedCell(E));
        else if (!ref_.exercises.isEmpty() && !ref_.exercises.contains(*exercise))
            warning(row0, column::E,
                    QStringLiteral("упражнения %1 нет в таблице упражнений справочника").arg(*exercise));
        else if (e.record.exercise.startsWith(QStringLiteral("Упр.")))
            if (const auto mismatch = timeOfDayMismatch(*exercise, e.record.dayNight))
                warning(row0, column::E, *mismatch);

        // A text that is no number is what the totals refuse, in their words; a count below one or not
        // whole is no count of flights.
        const QVariant& F = first[column::F];
        const CountReading flights = e.record.flights;
        if (flights.reading == Reading::Empty)
            error(row0, column::F, entryFault(column::F, QStringLiteral("пусто"), QStringLiteral("число полётов")));
        else if (F.typeId() != QMetaType::Double && !wholeNumber(F.toString()))
            error(row0, column::F,
                  entryFault(column::F, QStringLiteral("стоит ") + quotedCell(F), QStringLiteral("целое число")));
        else if (!flights.wholeFrom(1))
            error(row0, column::F,
                  entryFault(column::F, QStringLiteral("стоит ") + quotedCell(F),
                             QStringLiteral("целое число полётов от 1")));

        // Every column but M is one merged cell over the pair's two rows: something in the second row means
        // the pair was split by hand (or the value went to the wrong row), and nothing counts it.
        for (int col = column::A; col <= records::kLastColumn; ++col) {
            const QVariant& below = e.cells.second[std::size_t(col)];
            if (col != column::M && !isEmptyCell(below)) {
                warning(row0 + 1, col,
                        QStringLiteral("во второй строке записи стоит ") + quotedCell(below) +
                            QStringLiteral(": ячейки пары разбиты, и это значение нигде не учитывается"));
            }
        }
        times(e);
        heights(e);
        landings(e);
    }

    QList<Finding> take() {
        std::stable_sort(out_.begin(), out_.end(), [](const Finding& a, const Finding& b) {
            return a.row != b.row ? a.row < b.row : a.column < b.column;
        });
        return out_;
    }

private:
    void times(const Entry& e) {
        const int row0 = e.row;
        const TimeReading read[4] = {e.record.total, e.record.hood, e.record.smu, e.record.clouds};
        std::optional<Minutes> minutes[4];
        for (int i = 0; i < 4; ++i) {
            const int col = column::G + i;
            const QVariant& cell = e.cells.first[std::size_t(col)];
            // A time below zero is read (the totals add it as it stands), but no time of a flight.
            if (read[i].unreadable() || (read[i].reading == Reading::Number && cell.toDouble() < 0)) {
                error(row0, col,
                      entryFault(col, QStringLiteral("стоит ") + quotedCell(cell), QStringLiteral("время вида 1:25")));
                continue;
            }
            if (read[i].reading == Reading::Text)
                warning(row0, col,
                        QStringLiteral("время ") + quotedCell(cell) +
                            QStringLiteral(" набрано текстом: программа его считает, но Calc в суммах его не сложит"));
            if (read[i].reading != Reading::Empty)
                minutes[i] = read[i].minutes;
        }
        const auto& G = minutes[0];
        static const char* const names[] = {"", "в закрытой кабине", "в СМУ", "в облаках"};
        for (int i = 1; i < 4; ++i) {
            if (minutes[i] && G && *minutes[i] > *G)
                error(row0, column::G + i,
                      QStringLiteral("налёт %1 (%2) больше общего налёта (%3)")
                          .arg(QString::fromUtf8(names[i]), hoursMinutesText(*minutes[i]), hoursMinutesText(*G)));
        }
        // The calculation rounds the parts apart, so they may differ by a minute.
        if (minutes[1] && minutes[3] && G && minutes[1]->count + minutes[3]->count > G->count + 1)
            error(row0, column::H,
                  QStringLiteral("налёт в закрытой кабине (%1) и в облаках (%2) вместе больше общего налёта (%3): "
                                 "время в облаках не летают под шторкой")
                      .arg(hoursMinutesText(*minutes[1]), hoursMinutesText(*minutes[3]), hoursMinutesText(*G)));
        if (minutes[3] && minutes[2] && minutes[3]->count > minutes[2]->count + 1)
            error(row0, column::J,
                  QStringLiteral("налёт в облаках (%1) больше налёта в СМУ (%2)")
                      .arg(hoursMinutesText(*minutes[3]), hoursMinutesText(*minutes[2])));
    }

    void heights(const Entry& e) {
        const int row0 = e.row;
        static const QRegularExpression maxMin(QStringLiteral("^\\d+([.,]\\d+)?/\\d+([.,]\\d+)?$"));
        const QVariant& K = e.cells.first[column::K];
        if (!(K.typeId() == QMetaType::Double && K.toDouble() >= 0) && !maxMin.match(cellText(K).trimmed()).hasMatch())
            warning(row0, column::K,
                    QStringLiteral("в столбце K ") + emptyOrStands(K) +
                        QStringLiteral(", а нужна высота в км или «макс./мин.» (5,2/0,3)"));

        const QVariant& L = e.cells.first[column::L];
        const auto amount = heightOf(L);
        if (!isEmptyCell(L) && (!amount || *amount < 0 || *amount > 10))
            warning(row0, column::L,
                    QStringLiteral("в столбце L стоит ") + quotedCell(L) +
                        QStringLiteral(", а нужна облачность от 0 до 10 баллов"));

        const QVariant& topCell = e.cells.first[column::M];
        const QVariant& baseCell = e.cells.second[column::M];
        const auto top = heightOf(topCell);
        const auto base = heightOf(baseCell);
        if (top && base && *top < *base)
            error(row0, column::M,
                  QStringLiteral("верхняя граница облаков (%1 м) ниже нижней (%2 м)")
                      .arg(cellText(topCell), cellText(baseCell)));
    }

    void landings(const Entry& e) {
        const int row0 = e.row;
        const CountReading read[4] = {e.record.takeOffs, e.record.approaches, e.record.landings,
                                      e.record.minimumLandings};
        const int cols[4] = {column::O, column::Q, column::R, column::S};
        std::optional<long long> count[4];
        for (int i = 0; i < 4; ++i) {
            if (read[i].reading == Reading::Empty)
                continue;
            if (!read[i].wholeFrom(0))
                error(row0, cols[i],
                      entryFault(cols[i], QStringLiteral("стоит ") + quotedCell(e.cells.first[std::size_t(cols[i])]),
                                 QStringLiteral("целое число")));
            else
                count[i] = (long long)read[i].value;
        }
        if (count[2] && *count[2] > count[1].value_or(0))
            error(row0, column::R,
                  QStringLiteral("посадок (%1) больше, чем заходов (%2)").arg(*count[2]).arg(count[1].value_or(0)));
        if (count[3] && *count[3] > count[2].value_or(0))
            error(row0, column::S,
                  QStringLiteral("посадок при минимуме погоды (%1) больше, чем посадок (%2)")
                      .arg(*count[3])
                      .arg(count[2].value_or(0)));
    }

    const CheckReference& ref_;
    QList<Finding> out_;
};

} // namespace

QString severityText(Severity severity) {
    return severity == Severity::Error ? QStringLiteral("ошибка") : QStringLiteral("предупреждение");
}

QList<Finding> checkBook(const Logbook& book, const CheckReference& reference, const SheetMerges& merges) {
    Checker check(reference);
    check.header(book.header());
    for (const QString& cell : merges.splitCaptions)
        check.error(cell.mid(1).toInt() - 1, cell.at(0).unicode() - u'A',
                    QStringLiteral("объединение ячеек заголовка у ") + cell + QStringLiteral(" снято"));

    if (const auto outOfStep = book.outOfStepRow()) {
        check.error(book.sortedRow().value_or(*outOfStep), column::A, book.outOfStepText());
        // Sorted, no row holds a record pair any more: what the pairs would say is only noise around the one
        // thing to do.
        if (book.sortedRow()) {
            check.markSorted();
            return check.take();
        }
    }

    // The same record twice: date, type, exercise and the four times.
    QHash<QString, int> seen;
    std::optional<QDate> lastDate;
    int headingRow = -1; // the row of a heading not yet followed by a record
    QString headingText;
    int expectedRow = records::kFirstRow; // where the next pair would be, were there no hole
    const QList<Entry>& entries = book.entries();
    for (int i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        switch (e.kind) {
        case PairKind::Empty:
            break;
        case PairKind::Unreadable:
            check.error(e.row, e.column, unreadableFault(e));
            break;
        case PairKind::Heading:
            if (headingRow >= 0)
                check.warning(headingRow, column::E,
                              QStringLiteral("заголовок месяца «") + headingText.trimmed() +
                                  QStringLiteral("» без записей под ним: следом идёт другой заголовок"));
            headingRow = e.row;
            headingText = e.caption();
            break;
        case PairKind::Record: {
            const QDate date = e.record.date;
            const bool monthChanged = !lastDate || lastDate->month() != date.month() || lastDate->year() != date.year();
            if (headingRow >= 0) {
                if (headingText.trimmed() != PeriodCaption(date).trimmed())
                    check.warning(headingRow, column::E,
                                  QStringLiteral("заголовок месяца «") + headingText.trimmed() +
                                      QStringLiteral("» не совпадает с месяцем записи под ним (") +
                                      date.toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral(", нужен «") +
                                      PeriodCaption(date).trimmed() + QStringLiteral("»)"));
            } else if (monthChanged) {
                check.warning(e.row, column::E,
                              QStringLiteral("нет заголовка месяца «") + PeriodCaption(date).trimmed() +
                                  QStringLiteral("» над первой записью месяца"));
            }
            headingRow = -1;
            if (lastDate && date < *lastDate)
                check.warning(e.row, column::A,
                              QStringLiteral("дата %1 раньше даты записи выше (%2)")
                                  .arg(date.toString(QStringLiteral("dd.MM.yyyy")),
                                       lastDate->toString(QStringLiteral("dd.MM.yyyy"))));
            lastDate = date;
            check.record(e);

            QString key = date.toString(Qt::ISODate);
            for (int col : {column::B, column::E, column::G, column::H, column::I, column::J})
                key += u'\x1f' + cellText(e.cells.first[std::size_t(col)]).trimmed();
            if (const auto earlier = seen.constFind(key); earlier != seen.constEnd())
                check.warning(
                    e.row, column::A,
                    QStringLiteral("та же запись, что в строке %1 (дата, тип, упражнение и налёт)").arg(*earlier + 1));
            else
                seen.insert(key, e.row);
            break;
        }
        }
        if (e.row > expectedRow)
            check.warning(e.row - records::kRowsPerRecord, column::A,
                          QStringLiteral("пустая пара строк между записями: новая запись её не займёт"));
        expectedRow = e.row + records::kRowsPerRecord;
        if (i + 1 == entries.size() && headingRow >= 0)
            check.warning(headingRow, column::E,
                          QStringLiteral("заголовок месяца «") + headingText.trimmed() +
                              QStringLiteral("» без записей под ним"));
    }
    return check.take();
}

QList<Finding> checkRecord(const Entry& record, const CheckReference& reference) {
    Checker check(reference);
    check.record(record);
    return check.take();
}

QString CaptionMismatch::text() const {
    return QStringLiteral("заголовок лётной книжки изменён: в ") + expected.cell + QStringLiteral(" стоит ") +
           (isEmptyCell(found) ? QStringLiteral("пусто") : quotedCell(found)) + QStringLiteral(", а должно быть «") +
           expected.text + u'»';
}

QList<CaptionMismatch> captionMismatches(const QList<QVariantList>& headerRows,
                                         const QList<ExpectedCaption>& captions) {
    QList<CaptionMismatch> out;
    for (const ExpectedCaption& c : captions) {
        const int row0 = captionRow(c);
        const QVariant cell =
            row0 < headerRows.size() ? cellAt(headerRows[row0], captionColumn(c)) : QVariant(QString());
        if (cellText(cell).simplified() != c.text.simplified())
            out << CaptionMismatch{c, cell};
    }
    return out;
}

} // namespace korv::logbook
