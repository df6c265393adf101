#pragma once
// ferrox takes the ffmpeg command lines the program builds and runs the system's ffmpeg with
// them. Options that current ffmpeg no longer accepts are translated here into working
// equivalents; everything else passes through unchanged.

#include <string>
#include <vector>

namespace quillon::engine {

// `arguments` excludes the program name.
std::vector<std::string> TranslateFerroxArguments(std::vector<std::string> arguments);

// QUILLON_FFMPEG when set and not empty, else "ffmpeg" (searched in PATH).
std::string FerroxFfmpegProgram();

}  // namespace quillon::engine
