// ferrox: the program's media engine. It runs the system's ffmpeg as its child in its own
// process group, so ffmpeg's output and exit status are ferrox's (a failed run ending with
// ffmpeg's first error line), and ending ferrox's group (or ferrox alone) ends ffmpeg. What ffmpeg cannot write here
// (AMR; G.722 and GSM in AIFF) takes a detour through more than one ffmpeg run.
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <string>
#include <vector>

#include "adapter_common/ferrox_aifc.h"
#include "adapter_common/ferrox_amr.h"
#include "adapter_common/ferrox_arguments.h"
#include "adapter_common/ferrox_codec_translations.h"
#include "aifc_wrapping.h"
#include "amr_encoding.h"
#include "engine_run.h"
#include "platform/known_folders.h"
#include "util/paths.h"

namespace {

struct FileState {
    bool exists = false;
    struct stat st {};
};

FileState StateOf(const std::string& path) {
    FileState state;
    state.exists = !path.empty() && stat(path.c_str(), &state.st) == 0;
    return state;
}

bool Changed(const FileState& before, const FileState& after) {
    if (!after.exists) return false;
    if (!before.exists) return true;
    return before.st.st_ino != after.st.st_ino || before.st.st_size != after.st.st_size ||
           before.st.st_mtim.tv_sec != after.st.st_mtim.tv_sec || before.st.st_mtim.tv_nsec != after.st.st_mtim.tv_nsec;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace quillon;
    std::vector<std::string> args = engine::TranslateFerroxArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (const std::string refusal = engine::UnreadableCombination(args); !refusal.empty()) {
        std::fprintf(stderr, "%s\n", refusal.c_str());
        return 1;
    }
    // The program takes any non-empty output file for a success, so a failed run must not
    // leave the half-written file it started behind.
    const std::string output = engine::ConversionOutputFile(args);
    const FileState before = StateOf(output);

    const std::string program = engine::FerroxFfmpegProgram();
    args.insert(args.begin(), program);
    int status;
    engine::EngineLog log;
    const std::string intermediate = platform::MakeTempName(platform::TempFolder(), "ferrox", ".nut");
    const std::string rawFile = platform::MakeTempName(platform::TempFolder(), "ferrox", ".raw");
    if (auto amr = engine::PlanAmrEncoding(args, intermediate)) {
        status = ferrox::RunAmrConversion(*amr, program, intermediate, log);
    } else if (auto aifc = engine::PlanAifcWrap(args, rawFile)) {
        status = ferrox::RunAifcWrap(*aifc, rawFile, log);
    } else {
        status = ferrox::RunEngine(args, log);
    }
    // The program shows the last line of a failed run as its reason: make it ffmpeg's own.
    std::string reason;
    status = log.Conclude(status, reason);
    if (!reason.empty()) std::fprintf(stderr, "%s\n", reason.c_str());
    if (status != 0 && Changed(before, StateOf(output))) unlink(output.c_str());
    return status;
}
