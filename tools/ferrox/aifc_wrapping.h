#pragma once

#include <string>

#include "engine/ferrox_aifc.h"

namespace quillon::ferrox {

// Runs ffmpeg for the bare stream, then writes the AIFF-C file; the first failing exit status, or 0.
int RunAifcWrap(const engine::AifcPlan& plan, const std::string& rawFile);

}  // namespace quillon::ferrox
