#pragma once
// The AMR path of ferrox (see engine/ferrox_amr.h): runs the three steps and cleans up.

#include <string>

#include "engine/ferrox_amr.h"

namespace quillon::ferrox {

// Carries out the plan; returns the exit status of the first failing step, 0 on success.
int RunAmrConversion(const engine::AmrPlan& plan, const std::string& ffmpeg, const std::string& intermediate);

}  // namespace quillon::ferrox
