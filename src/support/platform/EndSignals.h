#pragma once
// The signals that end a program from outside (SIGTERM, SIGHUP, SIGINT),
// handed to the event loop instead of ending it where it stands: each one
// that arrives becomes a byte on a pipe that the loop watches.
#include <vector>

namespace mirovan::platform {

// Installs the handlers and returns the pipe's reading end, not blocking,
// the same on every call; -1 when it could not be made.
int CatchEndSignals();
// The signals that arrived since the last call, oldest first. Once one has
// been taken the default handling is back: a second one ends the process
// at once, for a program that no longer reacts.
std::vector<int> TakeEndSignals();

} // namespace mirovan::platform
