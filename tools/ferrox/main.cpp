// ferrox: the program's media engine. It runs the system's ffmpeg in its own place, so ffmpeg's
// output, progress, exit status and process id are ferrox's own, and ending ferrox's process
// group ends ffmpeg. What ffmpeg cannot write here (AMR; G.722 and GSM in AIFF) takes a detour
// with ffmpeg as ferrox's child.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "aifc_wrapping.h"
#include "amr_encoding.h"
#include "engine/ferrox_aifc.h"
#include "engine/ferrox_amr.h"
#include "engine/ferrox_arguments.h"
#include "engine/ferrox_codec_translations.h"
#include "platform/known_folders.h"
#include "util/paths.h"

int main(int argc, char** argv) {
    using namespace quillon;
    std::vector<std::string> args = engine::TranslateFerroxArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (const std::string refusal = engine::UnreadableCombination(args); !refusal.empty()) {
        std::fprintf(stderr, "%s\n", refusal.c_str());
        return 1;
    }
    const std::string program = engine::FerroxFfmpegProgram();
    args.insert(args.begin(), program);

    const std::string intermediate = util::MakeTempName(platform::TempFolder(), "ferrox", ".nut");
    if (auto plan = engine::PlanAmrEncoding(args, intermediate)) {
        return ferrox::RunAmrConversion(*plan, program, intermediate);
    }
    const std::string rawFile = util::MakeTempName(platform::TempFolder(), "ferrox", ".raw");
    if (auto plan = engine::PlanAifcWrap(args, rawFile)) return ferrox::RunAifcWrap(*plan, rawFile);

    std::vector<char*> execArgs;
    execArgs.reserve(args.size() + 1);
    for (const std::string& a : args) execArgs.push_back(const_cast<char*>(a.c_str()));
    execArgs.push_back(nullptr);
    execvp(execArgs[0], execArgs.data());

    std::fprintf(stderr, "ferrox: cannot run %s: %s\n", program.c_str(), std::strerror(errno));
    return 127;
}
