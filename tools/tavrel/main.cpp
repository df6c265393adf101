// tavrel: the Ogg/Theora encoder. Takes the ffmpeg2theora options Quillon writes and carries
// them out with ffmpeg (libtheora, libvorbis, Ogg).
#include "adapter_common/ferrox_arguments.h"
#include "adapter_common/tavrel_arguments.h"
#include "engine/line_assembler.h"
#include "platform/process.h"

#include <cstdio>

int main(int argc, char** argv) {
    using namespace quillon;
    std::string error;
    auto options = engine::ParseTavrelArguments(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "tavrel: %s\n", error.c_str());
        std::fprintf(stderr,
                     "usage: tavrel [--frontend] [-s SEC] [-e SEC] [-x W -y H] [-v 0-10] [-F FPS] "
                     "[--novideo|--noaudio] [-H HZ] [-c CH] [-a Q|-A KBPS] [--audiostream N] "
                     "-o OUTPUT INPUT\n");
        return 2;
    }
    const auto args = engine::BuildTavrelFfmpegArguments(*options, engine::FerroxFfmpegProgram());
    platform::StartedProcess ffmpeg;
    const auto capture = options->frontend ? platform::OutputCapture::Both : platform::OutputCapture::None;
    int status = 127;
    if (!platform::StartProcessWith(args, platform::FollowingThisProgram(capture), ffmpeg, &error)) {
        std::fprintf(stderr, "tavrel: %s\n", error.c_str());
    } else {
        if (options->frontend) {
            engine::TavrelProgress progress(*options);
            auto onLine = [&](std::string_view line) {
                if (auto out = progress.Feed(std::string(line))) {
                    std::printf("%s\n", out->c_str());
                    std::fflush(stdout);
                }
            };
            engine::LineAssembler lines;
            platform::ReadToEnd(ffmpeg.output, [&](std::string_view bytes) { lines.Feed(bytes, onLine); });
            lines.Finish(onLine);
        }
        ffmpeg.output.Close();
        ffmpeg.process.Wait(-1);
        status = ffmpeg.process.ShellStatus();
    }
    if (options->frontend) {
        std::printf(status == 0 ? "{\"result\": \"ok\"}\n" : "{\"result\": \"failed\"}\n");
    }
    return status;
}
