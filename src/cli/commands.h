#pragma once

// The subcommands of korvelanta-cli.

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

} // namespace korv::cli
