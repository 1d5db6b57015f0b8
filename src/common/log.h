#pragma once

// The program's log, ~/.cache/korvelanta/korvelanta.log: what went wrong in the words a pilot's support
// needs (the office's own messages, error codes), which never reach a message box.

#include "common/error.h"

#include <QString>

namespace korv::log {

// The log file; the directory is created on first write. KORV_LOG names another file (tests).
QString path();

// Appends one line with the time and the process id. The file is rotated to korvelanta.log.1 once it
// passes 512 KiB, so it never grows without bound. Failing to write is not an error of the program.
void write(const QString& line);

// What was reported and why: the operation, the description the pilot saw, and the detail behind it.
void error(const QString& operation, const Error& e);

} // namespace korv::log
