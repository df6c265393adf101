#pragma once
// The folders the program relies on, as this operating system names them.

#include <string>

namespace quillon::platform {

// The folder of the running executable, with a trailing "/"; empty when it cannot be read.
std::string ProgramFolder();

// TMPDIR, else /tmp; with a trailing "/".
std::string TempFolder();

// A name in folder (the temporary folder when empty) under which nothing exists yet:
// prefix, process id, thread id, tick count, a random number, a counter, suffix.
// The file is not created.
std::string MakeTempName(const std::string& folder, const std::string& prefix, const std::string& suffix);

// The user's documents folder (XDG), created when missing; with a trailing "/".
// Empty when neither it nor the home folder can be found.
std::string DocumentsFolder();

// The per-user configuration folder: QUILLON_CONFIG_DIR, else $XDG_CONFIG_HOME/quillon,
// else ~/.config/quillon. No trailing "/"; not created here.
std::string ConfigFolder();

}  // namespace quillon::platform
