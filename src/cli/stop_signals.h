#pragma once

// SIGTERM, SIGINT and SIGHUP as requests to stop (common/stop_request.h): a command stops where nothing is
// left half done (a batch between two records), a command still waiting for a lock ends at once, and every
// other runs its change to the end, says what it did and ends its office; none is cut off in the middle of
// a change.

namespace korv::cli {

// Blocks the three signals in every thread and has one thread of its own wait for them. Call first in
// main, before any other thread starts, so that every thread inherits the mask.
void catchStopSignals();

} // namespace korv::cli
