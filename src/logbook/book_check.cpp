#include "logbook/book_check.h"

#include "common/numtext.h"
#include "logbook/book_shape.h"
#include "logbook/captions.h"
#include "logbook/record_layout.h"

#include <QDate>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <optional>

namespace korv::logbook {

namespace {

namespace column = records::column;

// A time cell: the day fraction it holds, and whether it was typed as text (which counts, but which Calc
// does not add up). Nothing when the cell is empty; a fault text when it holds no time.
struct TimeCell {
    std::optional<double> days;
    bool typedAsText = false;
    QString fault;
};

TimeCell timeCell(const QVariant& cell) {
    TimeCell t;
    if (isEmptyCell(cell))
        return t;
    if (cell.typeId() == QMetaType::Double && cell.toDouble() >= 0) {
        t.days = cell.toDouble();
        return t;
    }
    if (cell.typeId() == QMetaType::QString) {
        if (const auto v = timeOfText(cell.toString())) {
            t.days = *v;
            t.typedAsText = true;
            return t;
        }
    }
    t.fault = QStringLiteral("стоит ") + quotedCell(cell);
    return t;
}

int minutesOf(double days) { return int(std::lround(days * 24 * 60)); }

QString hoursText(int minutes) {
    return QString::number(minutes / 60) + u':' + QString::number(minutes % 60).rightJustified(2, u'0');
}

// A whole number from `least` on, as a number or typed as text; nothing for an empty cell.
struct WholeCell {
    std::optional<long long> value;
    bool bad = false;
};

// The totals add whole numbers of up to 16 bits.
constexpr long long kMostCount = 32767;

WholeCell wholeCell(const QVariant& cell, long long least) {
    WholeCell w;
    if (isEmptyCell(cell))
        return w;
    if (cell.typeId() == QMetaType::Double) {
        const double v = cell.toDouble();
        if (v == std::floor(v) && std::abs(v) < 1e15)
            w.value = (long long)v;
    } else if (cell.typeId() == QMetaType::QString) {
        w.value = wholeNumber(cell.toString());
    }
    w.bad = !w.value || *w.value < least || *w.value > kMostCount;
    return w;
}

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

class Checker {
public:
    explicit Checker(const CheckReference& reference) : ref_(reference) {}

    void error(int row0, int col, const QString& text) { out_ << Finding{row0 + 1, col, Severity::Error, text}; }
    void warning(int row0, int col, const QString& text) { out_ << Finding{row0 + 1, col, Severity::Warning, text}; }

    void header(const QList<QVariantList>& rows) {
        for (const ExpectedCaption& c : ref_.captions) {
            const int col = c.cell.at(0).unicode() - u'A';
            const int row0 = c.cell.mid(1).toInt() - 1;
            const QVariant cell = row0 < rows.size() ? cellAt(rows[row0], col) : QVariant(QString());
            if (cellText(cell).simplified() != c.text.simplified())
                error(row0, col,
                      QStringLiteral("заголовок лётной книжки изменён: в ") + c.cell + QStringLiteral(" стоит ") +
                          (isEmptyCell(cell) ? QStringLiteral("пусто") : quotedCell(cell)) +
                          QStringLiteral(", а должно быть «") + c.text + u'»');
        }
    }

    void record(int row0, const QVariantList& first, const QVariantList& second) {
        const QVariant B = cellAt(first, column::B);
        const QString type = cellText(B).trimmed();
        if (type.isEmpty())
            error(row0, column::B, entryFault(column::B, QStringLiteral("пусто"), QStringLiteral("тип самолёта")));
        else if (!ref_.aircraftTypes.contains(type))
            warning(row0, column::B,
                    QStringLiteral("тип самолёта ") + quotedCell(B) + QStringLiteral(" не из списка программы (") +
                        ref_.aircraftTypes.join(QStringLiteral(", ")) + u')');

        const QVariant C = cellAt(first, column::C);
        if (cellText(C) != u"Д" && cellText(C) != u"Н")
            error(row0, column::C,
                  entryFault(column::C,
                             isEmptyCell(C) ? QStringLiteral("пусто") : QStringLiteral("стоит ") + quotedCell(C),
                             QStringLiteral("«Д» или «Н»")));

        const QVariant D = cellAt(first, column::D);
        if (!kSeatLetters.contains(cellText(D).trimmed()))
            warning(row0, column::D,
                    QStringLiteral("в столбце D ") +
                        (isEmptyCell(D) ? QStringLiteral("пусто") : QStringLiteral("стоит ") + quotedCell(D)) +
                        QStringLiteral(", а программа пишет сидение буквой ") +
                        kSeatLetters.join(QStringLiteral(", ")));

        const QVariant E = cellAt(first, column::E);
        if (const auto exercise = exerciseOfText(cellText(E)); !exercise)
            error(row0, column::E, QStringLiteral("в столбце E нет номера упражнения: ") + quotedCell(E));
        else if (!ref_.exercises.isEmpty() && !ref_.exercises.contains(*exercise))
            warning(row0, column::E,
                    QStringLiteral("упражнения %1 нет в таблице упражнений справочника").arg(*exercise));

        // A text that is no number is what the totals refuse, in their words; a count below one or not
        // whole is no count of flights.
        const QVariant F = cellAt(first, column::F);
        if (isEmptyCell(F))
            error(row0, column::F, entryFault(column::F, QStringLiteral("пусто"), QStringLiteral("число полётов")));
        else if (F.typeId() != QMetaType::Double && !wholeNumber(F.toString()))
            error(row0, column::F,
                  entryFault(column::F, QStringLiteral("стоит ") + quotedCell(F), QStringLiteral("целое число")));
        else if (wholeCell(F, 1).bad)
            error(row0, column::F,
                  entryFault(column::F, QStringLiteral("стоит ") + quotedCell(F),
                             QStringLiteral("целое число полётов от 1")));

        // Every column but M is one merged cell over the pair's two rows: something in the second row means
        // the pair was split by hand (or the value went to the wrong row), and nothing counts it.
        for (int col = column::A; col <= records::kLastColumn; ++col) {
            if (col != column::M && !isEmptyCell(cellAt(second, col))) {
                warning(row0 + 1, col,
                        QStringLiteral("во второй строке записи стоит ") + quotedCell(cellAt(second, col)) +
                            QStringLiteral(": ячейки пары разбиты, и это значение нигде не учитывается"));
            }
        }
        times(row0, first);
        heights(row0, first, second);
        landings(row0, first);
    }

    QList<Finding> take() {
        std::stable_sort(out_.begin(), out_.end(), [](const Finding& a, const Finding& b) {
            return a.row != b.row ? a.row < b.row : a.column < b.column;
        });
        return out_;
    }

private:
    void times(int row0, const QVariantList& first) {
        std::optional<int> minutes[4];
        for (int i = 0; i < 4; ++i) {
            const int col = column::G + i;
            const TimeCell t = timeCell(cellAt(first, col));
            if (!t.fault.isEmpty()) {
                error(row0, col, entryFault(col, t.fault, QStringLiteral("время вида 1:25")));
                continue;
            }
            if (t.typedAsText)
                warning(row0, col,
                        QStringLiteral("время ") + quotedCell(cellAt(first, col)) +
                            QStringLiteral(" набрано текстом: программа его считает, но Calc в суммах его не сложит"));
            if (t.days)
                minutes[i] = minutesOf(*t.days);
        }
        const auto& G = minutes[0];
        static const char* const names[] = {"", "в закрытой кабине", "в СМУ", "в облаках"};
        for (int i = 1; i < 4; ++i) {
            if (minutes[i] && G && *minutes[i] > *G)
                error(row0, column::G + i,
                      QStringLiteral("налёт %1 (%2) больше общего налёта (%3)")
                          .arg(QString::fromUtf8(names[i]), hoursText(*minutes[i]), hoursText(*G)));
        }
        // The calculation rounds the two parts apart, so they may differ by a minute.
        if (minutes[3] && minutes[2] && *minutes[3] > *minutes[2] + 1)
            error(row0, column::J,
                  QStringLiteral("налёт в облаках (%1) больше налёта в СМУ (%2)")
                      .arg(hoursText(*minutes[3]), hoursText(*minutes[2])));
    }

    void heights(int row0, const QVariantList& first, const QVariantList& second) {
        static const QRegularExpression maxMin(QStringLiteral("^\\d+([.,]\\d+)?/\\d+([.,]\\d+)?$"));
        const QVariant K = cellAt(first, column::K);
        if (!(K.typeId() == QMetaType::Double && K.toDouble() >= 0) && !maxMin.match(cellText(K).trimmed()).hasMatch())
            warning(row0, column::K,
                    QStringLiteral("в столбце K ") +
                        (isEmptyCell(K) ? QStringLiteral("пусто") : QStringLiteral("стоит ") + quotedCell(K)) +
                        QStringLiteral(", а нужна высота в км или «макс./мин.» (5,2/0,3)"));

        const QVariant L = cellAt(first, column::L);
        const auto amount = heightOf(L);
        if (!isEmptyCell(L) && (!amount || *amount < 0 || *amount > 10))
            warning(row0, column::L,
                    QStringLiteral("в столбце L стоит ") + quotedCell(L) +
                        QStringLiteral(", а нужна облачность от 0 до 10 баллов"));

        const auto top = heightOf(cellAt(first, column::M));
        const auto base = heightOf(cellAt(second, column::M));
        if (top && base && *top < *base)
            error(row0, column::M,
                  QStringLiteral("верхняя граница облаков (%1 м) ниже нижней (%2 м)")
                      .arg(cellText(cellAt(first, column::M)), cellText(cellAt(second, column::M))));
    }

    void landings(int row0, const QVariantList& first) {
        std::optional<long long> count[4];
        const int cols[4] = {column::O, column::Q, column::R, column::S};
        for (int i = 0; i < 4; ++i) {
            const WholeCell w = wholeCell(cellAt(first, cols[i]), 0);
            if (w.bad)
                error(row0, cols[i],
                      entryFault(cols[i], QStringLiteral("стоит ") + quotedCell(cellAt(first, cols[i])),
                                 QStringLiteral("целое число")));
            else
                count[i] = w.value;
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

QVariantList rowOf(const QList<QVariantList>& block, int row0) {
    const int i = row0 - records::kFirstRow;
    return i >= 0 && i < block.size() ? block[i] : QVariantList();
}

} // namespace

QString severityText(Severity severity) {
    return severity == Severity::Error ? QStringLiteral("ошибка") : QStringLiteral("предупреждение");
}

std::optional<long long> exerciseOfText(const QString& text) {
    static const QRegularExpression number(QStringLiteral("[Уу]пр\\.\\s*(\\d+)"));
    const auto m = number.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    bool ok = false;
    const long long n = m.captured(1).toLongLong(&ok);
    return ok ? std::optional(n) : std::nullopt;
}

QList<Finding> checkBook(const QList<QVariantList>& header, const QList<QVariantList>& block,
                         const CheckReference& reference, const SheetMerges& merges) {
    Checker check(reference);
    check.header(header);
    for (const QString& cell : merges.splitCaptions)
        check.error(cell.mid(1).toInt() - 1, cell.at(0).unicode() - u'A',
                    QStringLiteral("объединение ячеек заголовка у ") + cell + QStringLiteral(" снято"));

    const BookShape shape = readBookShape(block);
    if (shape.outOfStepRow)
        check.error(*shape.outOfStepRow, column::A, outOfStepMessage(*shape.outOfStepRow));

    struct Seen {
        int row0;
        QString key;
    };
    QList<Seen> records;
    std::optional<QDate> lastDate;
    int headingRow = -1; // the row of a heading not yet followed by a record
    QString headingText;
    const SheetPair* lastUsed = shape.lastUsed();
    bool holeBefore = false;
    for (const SheetPair& pair : shape.pairs) {
        const QVariantList first = rowOf(block, pair.row);
        const QVariantList second = rowOf(block, pair.row + 1);
        switch (pair.kind) {
        case PairKind::Empty:
            holeBefore = true;
            continue;
        case PairKind::Unreadable:
            check.error(pair.row, pair.column, unreadableFault(pair, first));
            break;
        case PairKind::Heading:
            if (headingRow >= 0)
                check.warning(headingRow, column::E,
                              QStringLiteral("заголовок месяца «") + headingText.trimmed() +
                                  QStringLiteral("» без записей под ним: следом идёт другой заголовок"));
            headingRow = pair.row;
            headingText = cellText(cellAt(first, column::E));
            break;
        case PairKind::Record: {
            const QDate date = *cellDate(cellAt(first, column::A));
            const bool monthChanged = !lastDate || lastDate->month() != date.month() || lastDate->year() != date.year();
            if (headingRow >= 0) {
                if (headingText.trimmed() != PeriodCaption(date).trimmed())
                    check.warning(headingRow, column::E,
                                  QStringLiteral("заголовок месяца «") + headingText.trimmed() +
                                      QStringLiteral("» не совпадает с месяцем записи под ним (") +
                                      date.toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral(", нужен «") +
                                      PeriodCaption(date).trimmed() + QStringLiteral("»)"));
            } else if (monthChanged) {
                check.warning(pair.row, column::E,
                              QStringLiteral("нет заголовка месяца «") + PeriodCaption(date).trimmed() +
                                  QStringLiteral("» над первой записью месяца"));
            }
            headingRow = -1;
            if (lastDate && date < *lastDate)
                check.warning(pair.row, column::A,
                              QStringLiteral("дата %1 раньше даты записи выше (%2)")
                                  .arg(date.toString(QStringLiteral("dd.MM.yyyy")),
                                       lastDate->toString(QStringLiteral("dd.MM.yyyy"))));
            lastDate = date;
            check.record(pair.row, first, second);

            QString key = date.toString(Qt::ISODate);
            for (int col : {column::B, column::E, column::G, column::H, column::I, column::J})
                key += u'\x1f' + cellText(cellAt(first, col)).trimmed();
            for (const Seen& s : records) {
                if (s.key == key) {
                    check.warning(pair.row, column::A,
                                  QStringLiteral("та же запись, что в строке %1 (дата, тип, упражнение и налёт)")
                                      .arg(s.row0 + 1));
                    break;
                }
            }
            records << Seen{pair.row, key};
            break;
        }
        }
        if (holeBefore) {
            check.warning(pair.row - records::kRowsPerRecord, column::A,
                          QStringLiteral("пустая пара строк между записями: новая запись её не займёт"));
            holeBefore = false;
        }
        if (&pair == lastUsed && headingRow >= 0)
            check.warning(headingRow, column::E,
                          QStringLiteral("заголовок месяца «") + headingText.trimmed() +
                              QStringLiteral("» без записей под ним"));
    }
    return check.take();
}

} // namespace korv::logbook
