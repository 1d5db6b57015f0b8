#include "logbook/book_shape.h"

#include "common/date_serial.h"
#include "common/flightdate.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace korv::logbook {

namespace column = records::column;

bool isEmptyCell(const QVariant& cell) { return cell.typeId() == QMetaType::QString && cell.toString().isEmpty(); }

QVariant cellAt(const QVariantList& row, int c) { return c < row.size() ? row[c] : QVariant(QString()); }

std::optional<QDate> cellDate(const QVariant& cell) {
    std::optional<QDate> date;
    if (cell.typeId() == QMetaType::Double)
        date = korv::dateOfSerial(cell.toDouble());
    else if (cell.typeId() == QMetaType::QString)
        date = parseFlightDate(cell.toString().trimmed());
    if (date && (date->year() < 2000 || date->year() > 2099))
        return std::nullopt;
    return date;
}

namespace {

// The first column of A..last holding anything, or -1.
int firstUsedColumn(const QVariantList& row, int last) {
    for (int c = 0; c <= last && c < row.size(); ++c)
        if (!isEmptyCell(row[c]))
            return c;
    return -1;
}

bool rowUsed(const QVariantList& row) { return firstUsedColumn(row, int(row.size()) - 1) >= 0; }

SheetPair classify(int row, const QVariantList& first, const QVariantList& second) {
    SheetPair p{row, PairKind::Empty, -1};
    if (!rowUsed(first) && !rowUsed(second))
        return p;
    const QVariant a = cellAt(first, column::A);
    const bool hasE = !isEmptyCell(cellAt(first, column::E));
    if (cellDate(a)) {
        p.kind = hasE ? PairKind::Record : PairKind::Unreadable;
        p.column = hasE ? -1 : column::E;
        return p;
    }
    p.kind = PairKind::Unreadable;
    if (!isEmptyCell(a)) {
        p.column = column::A;
        return p;
    }
    if (hasE) {
        // A heading holds its caption alone; an E with values beside it is a record whose date is gone.
        bool alone = firstUsedColumn(second, records::kLastColumn) < 0;
        for (int c = column::B; alone && c <= records::kLastColumn; ++c)
            alone = c == column::E || isEmptyCell(cellAt(first, c));
        p.kind = alone ? PairKind::Heading : PairKind::Unreadable;
        p.column = alone ? -1 : column::A;
        return p;
    }
    const int onFirst = firstUsedColumn(first, records::kLastColumn);
    const int onSecond = firstUsedColumn(second, records::kLastColumn);
    // Beyond U nothing is judged: a note there is the pilot's own.
    if (onFirst < 0 && onSecond < 0) {
        p.kind = PairKind::Empty;
        return p;
    }
    p.column = onFirst < 0 ? onSecond : onSecond < 0 ? onFirst : std::min(onFirst, onSecond);
    return p;
}

} // namespace

const SheetPair* BookShape::lastUsed() const {
    const auto used =
        std::find_if(pairs.crbegin(), pairs.crend(), [](const SheetPair& p) { return p.kind != PairKind::Empty; });
    return used == pairs.crend() ? nullptr : &*used;
}

int BookShape::recordCount() const {
    return int(
        std::count_if(pairs.begin(), pairs.end(), [](const SheetPair& p) { return p.kind == PairKind::Record; }));
}

BookShape readBookShape(const QList<QVariantList>& block) {
    BookShape shape;
    int lastUsedRow = -1; // anything at all, beyond U too: the next entry goes below it
    const QVariantList none;
    for (int i = 0; i < block.size(); i += records::kRowsPerRecord) {
        const QVariantList& first = block[i];
        const QVariantList& second = i + 1 < block.size() ? block[i + 1] : none;
        const int row = records::kFirstRow + i;
        if (!shape.outOfStepRow && (cellDate(cellAt(second, column::A)) || !isEmptyCell(cellAt(second, column::E))))
            shape.outOfStepRow = row + 1;
        shape.pairs << classify(row, first, second);
        if (rowUsed(first) || rowUsed(second))
            lastUsedRow = row;
    }
    // Trailing empty pairs are no part of the logbook's entries.
    while (!shape.pairs.isEmpty() && shape.pairs.back().kind == PairKind::Empty && shape.pairs.back().row > lastUsedRow)
        shape.pairs.removeLast();
    shape.freeRow = lastUsedRow < 0 ? records::kFirstRow : lastUsedRow + records::kRowsPerRecord;
    return shape;
}

QString outOfStepMessage(int row) {
    return QStringLiteral("В строке %1 лётной книжки запись начинается не с нечётной строки: записи занимают по две "
                          "строки, начиная с 7-й (7–8, 9–10, …), а выше, видимо, вручную вставлена или удалена "
                          "строка; удалите или вставьте одну строку выше и повторите.")
        .arg(row + 1);
}

QString cellText(const QVariant& cell, bool dateValue) {
    if (cell.typeId() == QMetaType::Double) {
        const double v = cell.toDouble();
        if (dateValue)
            return korv::kDayZero.addDays(qint64(std::floor(v))).toString(QStringLiteral("dd.MM.yyyy"));
        return QString::number(v, 'g', 15);
    }
    return cell.toString();
}

QString quotedCell(const QVariant& cell) {
    if (!cell.isValid())
        return QStringLiteral("ошибка вычисления");
    return u'«' + cellText(cell).left(20) + u'»';
}

QString entryFault(int column, const QString& cell, const QString& expected) {
    return QStringLiteral("в столбце ") + columnName(column) + u' ' + cell + QStringLiteral(", а нужно ") + expected;
}

QString unreadableFault(const SheetPair& pair, const QVariantList& firstRow) {
    namespace column = records::column;
    if (pair.column == column::A) {
        const QVariant a = cellAt(firstRow, column::A);
        if (isEmptyCell(a))
            return entryFault(column::A, QStringLiteral("пусто, хотя в строке есть запись"),
                              QStringLiteral("дата полёта (для заголовка месяца — только текст в столбце E)"));
        return entryFault(column::A, QStringLiteral("стоит ") + quotedCell(a),
                          QStringLiteral("дата полёта 2000–2099 годов (24.09.04)"));
    }
    if (pair.column == column::E)
        return entryFault(column::E, QStringLiteral("пусто, хотя в столбце A стоит дата"),
                          QStringLiteral("номер упражнения и содержание задания"));
    return entryFault(pair.column, QStringLiteral("что-то стоит в строке без даты и без упражнения"),
                      QStringLiteral("дата в столбце A и упражнение в столбце E, или пустая пара строк"));
}

QString columnName(int c) {
    static const std::array<const char*, 22> kHeadings = {"Число месяца",
                                                          "Тип самолёта",
                                                          "Время суток",
                                                          "С какого сидения выполнен полёт",
                                                          "Номер упражнения и краткое содержание задания",
                                                          "Количество полётов",
                                                          "Налёт, общий",
                                                          "в закрытой кабине",
                                                          "в СМУ, всего",
                                                          "в облаках",
                                                          "Высота полёта",
                                                          "Метеорологические условия",
                                                          "Метеорологические условия",
                                                          "Метеорологические условия",
                                                          "Взлётов при взлётном минимуме погоды",
                                                          "Наименование системы",
                                                          "заходов",
                                                          "посадок",
                                                          "в т.ч.при уст. миним. погоды",
                                                          "Оценка боевого применения",
                                                          "Оценка за полёт",
                                                          ""};
    const QString letter(QChar(u'A' + c));
    if (c < 0 || c >= int(kHeadings.size()) || !*kHeadings[size_t(c)])
        return letter;
    return letter + QStringLiteral(" «") + QString::fromUtf8(kHeadings[size_t(c)]) + u'»';
}

} // namespace korv::logbook
