#pragma once
// Ending every process this program started, without knowing who started it: the way out
// after an interrupt, when a probe or an engine may be running anywhere.

namespace quillon::platform {

// Kills (SIGKILL) each child process of this process together with its process group.
// Returns how many children were found. Safe to call from any thread, not from a signal handler.
int KillChildProcessGroups();

}  // namespace quillon::platform
