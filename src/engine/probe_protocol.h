#pragma once
// What a probe worker (ferrox-probe) and the program say to each other.

#include <string>
#include <vector>

namespace quillon::engine {

// Starts the worker's closing line of an answer: "\n" marker token " " status "\n".
inline constexpr const char* kProbeEndMarker = "@ferrox-probe-end ";
// The worker program, beside ferrox. It is a program of its own so that ferrox, started for
// every conversion and every lone probe, does not load the media libraries.
inline constexpr const char* kProbeServerProgramName = "ferrox-probe";

// One request: the token, the arguments, each NUL-terminated, then an empty string.
inline std::string EncodeProbeRequest(const std::string& token, const std::vector<std::string>& args) {
    std::string out = token;
    out.push_back('\0');
    for (const std::string& a : args) {
        out += a;
        out.push_back('\0');
    }
    out.push_back('\0');
    return out;
}

}  // namespace quillon::engine
