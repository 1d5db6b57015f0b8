#pragma once

// The JSON form input of korvelanta-cli and the answer of one press of "Считать".

#include "common/notice.h"
#include "flight/input_form.h"
#include "flight/shift_calculation.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace korv::cli {

// The form objects of standard input, checked in full before anything runs.
struct FormInput {
    QList<flight::InputForm> forms; // the inputs of each object over a fresh form
    QString error;                  // why the input was refused; empty when it was taken
};

// Reads a JSON array of form objects (a single object counts as an array of one). Keys are the input
// form's control names; texts are strings, options booleans; a missing text is empty ("0" for
// txtTpolChas), a missing option unchosen. Unknown keys, wrong types and two chosen options of one
// group are refused.
FormInput parseFormInput(const QByteArray& json);

// What copying one form object's inputs changed.
struct AppliedInputs {
    bool changed = false; // any input: the results shown are no longer the inputs'
    bool refresh = false; // a control whose change runs RefreshInputState
};

// Copies the inputs of `from` into `to`, leaving the result boxes and buttons.
AppliedInputs applyInputs(const flight::InputForm& from, flight::InputForm& to);

QJsonObject resultObject(const flight::InputForm& form, const QJsonArray& messages);

// Reads and checks the form objects of standard input; on refusal prints why, prefixed with the
// command's name, and gives nothing (the command then ends with status 2).
std::optional<FormInput> readFormInput(const QString& command);

// Applies one form object as the pilot would type it and presses "Считать"; what the press says.
Notices pressCalculate(flight::ShiftSession& session, const flight::InputForm& form);

// Notices as the answer's JSON {title, text} objects.
QJsonArray messagesJson(const Notices& notices);

// FlightTables1.mdb among the program's files (common/program_files.h).
QString defaultDatabasePath();

} // namespace korv::cli
