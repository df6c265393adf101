// ferrox: the media engine. Accepts the ffmpeg command lines Quillon writes and runs the
// system's ffmpeg, translating what it lacks.
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "amr_encoding.h"
#include "engine/ferrox_amr.h"
#include "platform/child_process.h"
#include "platform/known_folders.h"
#include "util/paths.h"

int main(int argc, char** argv) {
    using namespace quillon;
    std::vector<std::string> args{platform::FfmpegProgram()};
    args.insert(args.end(), argv + 1, argv + argc);
    const std::string intermediate = util::MakeTempName(platform::TempFolder(), "ferrox", ".nut");
    if (auto plan = engine::PlanAmrEncoding(args, intermediate)) {
        return ferrox::RunAmrConversion(*plan, args[0], intermediate);
    }
    std::vector<char*> raw;
    for (auto& a : args) raw.push_back(a.data());
    raw.push_back(nullptr);
    execvp(raw[0], raw.data());
    std::fprintf(stderr, "ferrox: cannot run %s\n", raw[0]);
    return 127;
}
