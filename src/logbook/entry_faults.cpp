#include "logbook/entry_faults.h"

#include "common/error.h"

#include <array>

namespace korv::logbook {

namespace column = records::column;

QString outOfStepMessage(int row) {
    return QStringLiteral("В строке %1 лётной книжки запись начинается не с нечётной строки: записи занимают по две "
                          "строки, начиная с 7-й (7–8, 9–10, …), а выше, видимо, вручную вставлена или удалена "
                          "строка; удалите или вставьте одну строку выше и повторите.")
        .arg(row + 1);
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

QString entryFault(int column, const QString& cell, const QString& expected) {
    return QStringLiteral("в столбце ") + columnName(column) + u' ' + cell + QStringLiteral(", а нужно ") + expected;
}

QString unreadableFault(const Entry& entry) {
    if (entry.column == column::A) {
        const QVariant& a = entry.cells.first[column::A];
        if (isEmptyCell(a))
            return entryFault(column::A, QStringLiteral("пусто, хотя в строке есть запись"),
                              QStringLiteral("дата полёта (для заголовка месяца — только текст в столбце E)"));
        return entryFault(column::A, QStringLiteral("стоит ") + quotedCell(a),
                          QStringLiteral("дата полёта 2000–2099 годов (24.09.04)"));
    }
    if (entry.column == column::E)
        return entryFault(column::E, QStringLiteral("пусто, хотя в столбце A стоит дата"),
                          QStringLiteral("номер упражнения и содержание задания"));
    return entryFault(entry.column, QStringLiteral("что-то стоит в строке без даты и без упражнения"),
                      QStringLiteral("дата в столбце A и упражнение в столбце E, или пустая пара строк"));
}

namespace {

[[noreturn]] void refuseWith(const Entry& e, const QString& fault) {
    const auto date = e.date();
    const QString of =
        date ? QStringLiteral(" (запись от ") + date->toString(QStringLiteral("dd.MM.yyyy")) + u')' : QString();
    throw Error(Error::BadEntry, QStringLiteral("В строке %1 лётной книжки").arg(e.sheetRow()) + of + u' ' + fault +
                                     QStringLiteral(". Исправьте запись и повторите."));
}

} // namespace

void refuseEntry(const Entry& entry, int c, const QString& cell, const QString& expected) {
    refuseWith(entry, entryFault(c, cell, expected));
}

void refuseUnreadable(const Entry& entry) { refuseWith(entry, unreadableFault(entry)); }

} // namespace korv::logbook
