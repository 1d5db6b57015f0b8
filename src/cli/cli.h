#pragma once

// korvelanta-cli as a library: the command line read and the command run, its exit status returned. The
// executable's main only makes the application object and calls this; the tests call it too.

#include <QStringList>

namespace korv::cli {

// Runs `commandLine` (without the program's name): a command and its arguments, --help,
// --version. Writes to standard output and error; returns the exit status.
int run(const QStringList& commandLine);

// Whether the command line asks for a command that paints (it needs a GUI application object).
bool needsGui(const QStringList& args);

} // namespace korv::cli
