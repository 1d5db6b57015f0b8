#pragma once

// The subcommands of korvelanta-cli.

#include <QString>
#include <QStringList>

// One function per subcommand; each gets the arguments after the subcommand's name and returns the
// process exit status.
namespace korv::cli {

int runCalc(const QStringList& args);
int runNew(const QStringList& args);
int runWrite(const QStringList& args);
int runTotals(const QStringList& args);
int runBackups(const QStringList& args);
int runRestore(const QStringList& args);
int runCheck(const QStringList& args);
int runRecency(const QStringList& args);
int runChart(const QStringList& args);
int runExport(const QStringList& args);
int runPages(const QStringList& args);
int runRecords(const QStringList& args);
int runRemove(const QStringList& args);
int runUndo(const QStringList& args);
int runEdit(const QStringList& args);
int runImport(const QStringList& args);
int runCourse(const QStringList& args);

// The logbook folder of a command: `given` (--dir) made absolute, else the default folder, into which a
// logbook kept beside the program by earlier builds is moved first; what the pilot is to be told about
// that goes to standard error, prefixed with the command.
QString folderOfRun(const QString& given, const QString& command);

} // namespace korv::cli
