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
        BadDatabase = 3343,     // the reference database is damaged or no database at all
        NoCurrentRecord = 3021, // a lookup that found no record
        FileNotFound = 53,
        Spreadsheet = 1004, // the spreadsheet application refused or failed an operation
        LogbookBusy = 1010, // another operation or program holds the logbook
        FileAccess = 1011,  // the file system refused: permissions, a read-only disk, no space
        BadWorkbook = 1012, // the file is not a workbook, is damaged or lacks a sheet
        Timeout = 1013,     // LibreOffice Calc did not answer in time
        BadEntry = 1014,    // an entry of the logbook that cannot be read or placed (edited by hand)
        Changed = 1015,     // the logbook is no longer what an operation was asked about (changed since)
        Stopped = 1016,     // a stop signal came while the program waited; nothing was changed
    };

    // 'detail' is what a pilot's support needs and a pilot does not: the office's or the driver's own
    // words, source locations, error codes. It goes to the program's log, never into a message.
    Error(int number, QString description, QString detail = {});

    static Error overflow();
    static Error typeMismatch(const QString& detail = {});
    static Error divisionByZero();

    int number() const noexcept { return number_; }
    const QString& description() const noexcept { return description_; }
    const QString& detail() const noexcept { return detail_; }
    // "number: description", the text of the general error message.
    QString text() const;
    const char* what() const noexcept override { return what_.c_str(); }

private:
    int number_;
    QString description_;
    QString detail_;
    std::string what_;
};

} // namespace korv
