#include "common/error.h"

namespace korv {

Error::Error(int number, QString description, QString detail)
    : number_(number), description_(std::move(description)), detail_(std::move(detail)), what_(text().toStdString()) {}

Error Error::overflow() { return Error(Overflow, QStringLiteral("Переполнение")); }

Error Error::typeMismatch(const QString& detail) {
    QString d = QStringLiteral("Несоответствие типа");
    if (!detail.isEmpty())
        d += QStringLiteral(": ") + detail;
    return Error(TypeMismatch, d);
}

Error Error::divisionByZero() { return Error(DivisionByZero, QStringLiteral("Деление на ноль")); }

QString Error::text() const { return QString::number(number_) + QStringLiteral(": ") + description_; }

} // namespace korv
