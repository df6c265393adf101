#pragma once
// ferrox-probe: probes file after file in one process with the engine's own libraries.
//
// A request on standard input is a list of NUL-terminated strings closed by an empty one: a
// token chosen by the caller, then the input options and "-i PATH" as a probe command line has
// them. The answer on standard error is the text the engine's "-i" prints for that input, then
// a line "\n" + kProbeEndMarker + token + " " + status. The server ends at end of input.

namespace quillon::ferrox {

int RunProbeServer();

}  // namespace quillon::ferrox
