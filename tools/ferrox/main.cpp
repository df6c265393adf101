// ferrox: the program's media engine. It runs the system's ffmpeg in its own place, so ffmpeg's
// output, progress, exit status and process id are ferrox's own, and ending ferrox's process
// group ends ffmpeg.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/ferrox_arguments.h"

int main(int argc, char** argv) {
    using namespace quillon::engine;
    const std::vector<std::string> args =
        TranslateFerroxArguments(std::vector<std::string>(argv + 1, argv + argc));
    const std::string program = FerroxFfmpegProgram();

    std::vector<char*> execArgs;
    execArgs.reserve(args.size() + 2);
    execArgs.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) execArgs.push_back(const_cast<char*>(a.c_str()));
    execArgs.push_back(nullptr);
    execvp(execArgs[0], execArgs.data());

    std::fprintf(stderr, "ferrox: cannot run %s: %s\n", program.c_str(), std::strerror(errno));
    return 127;
}
