#include "engine_run.h"

#include <cerrno>
#include <unistd.h>

#include "platform/child_process.h"

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

int RunEngine(std::vector<std::string> args, engine::EngineLog& log) {
    engine::EngineLog::RequestLevelTags(args);
    platform::ChildProcess ffmpeg;
    if (!ffmpeg.Start(args, platform::ChildOutput::CaptureError)) return 127;
    char buffer[16384];
    for (;;) {
        const ssize_t n = read(ffmpeg.OutputFd(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        WriteAll(log.Feed(std::string_view(buffer, static_cast<std::size_t>(n))));
    }
    WriteAll(log.Finish());
    return ffmpeg.Wait();
}

}  // namespace quillon::ferrox
