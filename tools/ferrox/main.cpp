// ferrox: the program's media engine. It runs the system's ffmpeg in its own place, so ffmpeg's
// output, progress, exit status and process id are ferrox's own, and ending ferrox's process
// group ends ffmpeg. What ffmpeg lacks is translated; AMR output is encoded by ferrox itself.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "amr_encoding.h"
#include "engine/ferrox_amr.h"
#include "engine/ferrox_arguments.h"
#include "platform/known_folders.h"
#include "util/paths.h"

int main(int argc, char** argv) {
    using namespace quillon;
    std::vector<std::string> args{engine::FerroxFfmpegProgram()};
    for (std::string& a : engine::TranslateFerroxArguments(std::vector<std::string>(argv + 1, argv + argc))) {
        args.push_back(std::move(a));
    }
    const std::string intermediate = util::MakeTempName(platform::TempFolder(), "ferrox", ".nut");
    if (auto plan = engine::PlanAmrEncoding(args, intermediate)) {
        return ferrox::RunAmrConversion(*plan, args[0], intermediate);
    }

    std::vector<char*> execArgs;
    execArgs.reserve(args.size() + 1);
    for (std::string& a : args) execArgs.push_back(a.data());
    execArgs.push_back(nullptr);
    execvp(execArgs[0], execArgs.data());

    std::fprintf(stderr, "ferrox: cannot run %s: %s\n", args[0].c_str(), std::strerror(errno));
    return 127;
}
