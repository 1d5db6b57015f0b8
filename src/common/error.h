#pragma once

// The program's one error type: a number and a description.

#include <QString>

#include <exception>
#include <string>

namespace korv {

// The one error type of the program: a number and a description, as the forms show them
// ("6: Переполнение"). Numbers below 1000 follow the classic runtime numbering so that the
// overflow (6) and type-mismatch (13) cases keep their well-known numbers.
class Error : public std::exception {
public:
    enum Number : int {
        Overflow = 6,
        DivisionByZero = 11,
        TypeMismatch = 13,
        ItemNotFound = 3265,    // a named query or table that the reference database does not hold
        NoCurrentRecord = 3021, // a lookup that found no record
        FileNotFound = 53,
        Spreadsheet = 1004, // the spreadsheet application refused or failed an operation
    };

    Error(int number, QString description);

    static Error overflow();
    static Error typeMismatch(const QString& detail = {});
    static Error divisionByZero();

    int number() const noexcept { return number_; }
    const QString& description() const noexcept { return description_; }
    // "number: description", the text of the general error message.
    QString text() const;
    const char* what() const noexcept override { return what_.c_str(); }

private:
    int number_;
    QString description_;
    std::string what_;
};

} // namespace korv
