#pragma once
// The AMR path of ferrox (see engine/ferrox_amr.h): runs the three steps and cleans up.

#include <string>

#include "adapter_common/ferrox_amr.h"
#include "adapter_common/ferrox_engine_log.h"

namespace quillon::ferrox {

// Carries out the plan; returns the exit status of the first failing step, 0 on success. The
// first step's output goes through `log`.
int RunAmrConversion(const engine::AmrPlan& plan, const std::string& ffmpeg, const std::string& intermediate,
                     engine::EngineLog& log);

}  // namespace quillon::ferrox
