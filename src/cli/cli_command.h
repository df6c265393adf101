#pragma once
// quillon-cli subcommands. Each lives in its own file and registers itself with a static
// CliCommandRegistration, so adding one touches no shared file.

#include <string>
#include <vector>

namespace quillon::cli {

// Returns the process exit status. args excludes the program and subcommand names.
using CliCommandFunction = int (*)(const std::vector<std::string>& args);

struct CliCommand {
    const char* name;
    const char* usage;  // one line, after "quillon-cli "
    CliCommandFunction run;
};

const std::vector<CliCommand>& AllCommands();

struct CliCommandRegistration {
    explicit CliCommandRegistration(const CliCommand& command);
};

}  // namespace quillon::cli
