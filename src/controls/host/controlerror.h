#pragma once

// The error a control raises through its dispatch interface.

#include <QString>

#include <exception>
#include <string>

namespace korv::host {

// The error a control raises through its dispatch interface: a number and a description. The numbers
// follow the classic automation runtime, so that a caller can tell an overflow (6) from a value that
// does not convert (13) in the same way as the program's own errors.
class ControlError : public std::exception {
public:
    enum Number : int {
        Overflow = 6,
        DivisionByZero = 11,
        TypeMismatch = 13,
        InvalidPropertyValue = 380,
        CannotCreateObject = 429,
        NotSupported = 438,
        InvalidPicture = 481,
    };

    ControlError(int number, QString description)
        : number_(number), description_(std::move(description)),
          what_(QString(QString::number(number) + QStringLiteral(": ") + description_).toStdString()) {}

    static ControlError overflow() { return {Overflow, QStringLiteral("Переполнение")}; }
    static ControlError divisionByZero() { return {DivisionByZero, QStringLiteral("Деление на ноль")}; }
    static ControlError typeMismatch(const QString& detail = {}) {
        QString d = QStringLiteral("Несоответствие типа");
        if (!detail.isEmpty())
            d += QStringLiteral(": ") + detail;
        return {TypeMismatch, d};
    }
    static ControlError notSupported(const QString& member) {
        return {NotSupported, QStringLiteral("Объект не поддерживает это свойство или метод: ") + member};
    }
    static ControlError invalidPicture(const QString& detail = {}) {
        QString d = QStringLiteral("Недопустимое изображение");
        if (!detail.isEmpty())
            d += QStringLiteral(": ") + detail;
        return {InvalidPicture, d};
    }
    static ControlError cannotCreate(const QString& detail) {
        return {CannotCreateObject, QStringLiteral("Не удаётся создать объект ActiveX: ") + detail};
    }

    int number() const noexcept { return number_; }
    const QString& description() const noexcept { return description_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    int number_;
    QString description_;
    std::string what_;
};

} // namespace korv::host
