#pragma once

// SIGTERM, SIGINT and SIGHUP as requests to stop: a command stops where nothing is left half done (a
// batch between two records) or runs its change to the end, says what it did and ends its office; it is
// never cut off in the middle of a change.

namespace korv::cli {

// Blocks the three signals in every thread and has one thread of its own wait for them. Call first in
// main, before any other thread starts, so that every thread inherits the mask.
void catchStopSignals();

// The signal that asked to stop, 0 while none has.
int stopSignal();

// "SIGTERM", "SIGINT", "SIGHUP".
const char* signalName(int signal);

} // namespace korv::cli
