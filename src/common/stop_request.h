#pragma once

// A request to stop (SIGTERM, SIGINT, SIGHUP taken by the program), known process-wide: every wait for a
// lock ends at once when one came, and an operation of the office that still runs a while after it is
// ended as at its deadline. Nothing half done is left by either: both happen before or instead of a change.

namespace korv {

// Records the signal that asked to stop (the first one counts).
void requestStop(int signal);

// The signal that asked to stop, 0 while none has.
int stopRequested();

// Milliseconds of the steady clock since the request, -1 while none came.
long long msSinceStopRequest();

// "SIGTERM", "SIGINT", "SIGHUP".
const char* stopSignalName(int signal);

} // namespace korv
