#pragma once

#include <string>
#include <vector>

#include "adapter_common/ferrox_engine_log.h"

namespace quillon::ferrox {

// Runs ffmpeg (`args` starts with the program) with its standard error read through `log` and
// passed on to ferrox's; its exit status, 127 when it cannot start.
int RunEngine(std::vector<std::string> args, engine::EngineLog& log);

}  // namespace quillon::ferrox
