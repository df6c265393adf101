#pragma once

#include <string>
#include <vector>

#include "adapter_common/ferrox_engine_log.h"
#include "platform/process.h"

namespace quillon::ferrox {

// Starts one ffmpeg run that follows ferrox (see FollowingThisProgram), with `capture` of its
// output in `ffmpeg.output`; why it cannot start goes to standard error.
bool StartFfmpeg(const std::vector<std::string>& args, platform::OutputCapture capture,
                 platform::StartedProcess& ffmpeg);
// Waits for that run: its exit status, 128 + the signal when one ended it.
int WaitForFfmpeg(platform::StartedProcess& ffmpeg);

// Runs ffmpeg (`args` starts with the program) with its standard error read through `log` and
// passed on to ferrox's; its exit status, 127 when it cannot start.
int RunEngine(std::vector<std::string> args, engine::EngineLog& log);

}  // namespace quillon::ferrox
