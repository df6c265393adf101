#pragma once

#include <string>

#include "adapter_common/ferrox_aifc.h"
#include "adapter_common/ferrox_engine_log.h"

namespace quillon::ferrox {

// Runs ffmpeg for the bare stream (its output through `log`), then writes the AIFF-C file; the
// first failing exit status, or 0.
int RunAifcWrap(const engine::AifcPlan& plan, const std::string& rawFile, engine::EngineLog& log);

}  // namespace quillon::ferrox
