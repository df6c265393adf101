#pragma once
// ferrox-probe: probes file after file in one process with the engine's own libraries.
//
// A request on standard input is a list of NUL-terminated strings closed by an empty one: a
// token chosen by the caller, then the input options and "-i PATH" as a probe command line has
// them. The answer on standard error is the text the engine's "-i" prints for that input, then
// a line "\n" + kProbeEndMarker + token + " " + status. The server ends at end of input.

#include <string>

#include "platform/local_server.h"

namespace quillon::ferrox {

// With `guard`, tells it when a request is being worked on.
int RunProbeServer(platform::ConnectionGuard* guard = nullptr);

// The user's shared probe server on the local socket `name`: each connection gets a process of
// its own that serves it as RunProbeServer serves standard input. Returns at once with 0 when a
// server of that name is up already; otherwise the starter gets status 0 once this one listens,
// and the server ends after `idleSeconds` without a connection.
int RunSharedProbeServer(const std::string& name, int idleSeconds);

}  // namespace quillon::ferrox
