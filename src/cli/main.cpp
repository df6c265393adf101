// quillon-cli: the headless face of Quillon's core.
#include "cli_command.h"
#include "quillon_version.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace quillon::cli {

static std::vector<CliCommand>& Registry() {
    static std::vector<CliCommand> commands;
    return commands;
}

const std::vector<CliCommand>& AllCommands() { return Registry(); }

CliCommandRegistration::CliCommandRegistration(const CliCommand& command) { Registry().push_back(command); }

static void PrintUsage(std::FILE* to) {
    std::fprintf(to, "usage:\n");
    std::vector<CliCommand> sorted = AllCommands();
    std::sort(sorted.begin(), sorted.end(),
              [](const CliCommand& a, const CliCommand& b) { return std::strcmp(a.name, b.name) < 0; });
    for (const CliCommand& c : sorted) std::fprintf(to, "  quillon-cli %s\n", c.usage);
    std::fprintf(to, "  quillon-cli --version\n");
    std::fprintf(to,
                 "\n"
                 "exit status of convert:\n"
                 "  0    every file was converted, or skipped because its target exists (Skip policy)\n"
                 "  1    at least one file could not be added or converted\n"
                 "  2    usage or configuration error: unknown option, format or custom group, a custom\n"
                 "       group with no output formats, a missing output folder, an unreadable settings store\n"
                 "  130  interrupted (SIGINT, SIGTERM or SIGHUP); no engine is left running\n");
}

}  // namespace quillon::cli

int main(int argc, char** argv) {
    using namespace quillon::cli;
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        PrintUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("quillon-cli (Quillon) %s\n", quillon::kVersion);
        return 0;
    }
    for (const CliCommand& c : AllCommands()) {
        if (std::strcmp(c.name, argv[1]) == 0) {
            return c.run(std::vector<std::string>(argv + 2, argv + argc));
        }
    }
    std::fprintf(stderr, "quillon-cli: unknown command \"%s\"\n", argv[1]);
    PrintUsage(stderr);
    return 2;
}
