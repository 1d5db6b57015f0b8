#pragma once

#include <QStringList>

// One function per subcommand; each gets the arguments after the subcommand's name and returns the
// process exit status.
namespace korv::cli {

int runCalc(const QStringList& args);
int runNew(const QStringList& args);
int runWrite(const QStringList& args);

} // namespace korv::cli

#include "common/dialogs.h"

#include <QJsonArray>
#include <QString>

namespace korv::cli {

// FlightTables1.mdb beside the program.
QString defaultDatabasePath();
// The messages recorded since the last call, as JSON {title, text} objects.
QJsonArray takeMessages(RecordingDialogs& dialogs);

} // namespace korv::cli
