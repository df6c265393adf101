#include "engine_run.h"

#include <unistd.h>
#include <cerrno>

namespace quillon::ferrox {

namespace {

// A reader that went away must not stop ffmpeg: what cannot be written is dropped.
void WriteAll(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(STDERR_FILENO, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace

bool StartFfmpeg(const std::vector<std::string>& args, platform::OutputCapture capture,
                 platform::StartedProcess& ffmpeg) {
    std::string error;
    if (platform::StartProcessWith(args, platform::FollowingThisProgram(capture), ffmpeg, &error)) return true;
    WriteAll(error + "\n");
    return false;
}

int WaitForFfmpeg(platform::StartedProcess& ffmpeg) {
    ffmpeg.output.Close();
    ffmpeg.process.Wait(-1);
    return ffmpeg.process.ShellStatus();
}

int RunEngine(std::vector<std::string> args, engine::EngineLog& log) {
    engine::EngineLog::RequestLevelTags(args);
    platform::StartedProcess ffmpeg;
    if (!StartFfmpeg(args, platform::OutputCapture::ErrorOnly, ffmpeg)) return 127;
    platform::ReadToEnd(ffmpeg.output, [&](std::string_view bytes) { WriteAll(log.Feed(bytes)); });
    WriteAll(log.Finish());
    return WaitForFfmpeg(ffmpeg);
}

}  // namespace quillon::ferrox
