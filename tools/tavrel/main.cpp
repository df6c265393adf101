// tavrel: the Ogg/Theora encoder. Takes the ffmpeg2theora options Quillon writes and carries
// them out with ffmpeg (libtheora, libvorbis, Ogg).
#include "adapter_common/ferrox_arguments.h"
#include "adapter_common/tavrel_arguments.h"
#include "platform/child_process.h"

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
    platform::ChildProcess ffmpeg;
    if (!ffmpeg.Start(args, options->frontend ? platform::ChildOutput::CaptureBoth
                                              : platform::ChildOutput::Inherit)) {
        std::fprintf(stderr, "tavrel: cannot start %s\n", args[0].c_str());
        return 1;
    }
    if (options->frontend) {
        engine::TavrelProgress progress(*options);
        ffmpeg.ReadLines([&](const std::string& line) {
            if (auto out = progress.Feed(line)) {
                std::printf("%s\n", out->c_str());
                std::fflush(stdout);
            }
        });
    }
    const int status = ffmpeg.Wait();
    if (options->frontend) {
        std::printf(status == 0 ? "{\"result\": \"ok\"}\n" : "{\"result\": \"failed\"}\n");
    }
    return status;
}
