#pragma once
// Setting up and releasing the BASS layer at program start and exit.

#include <string>

namespace quillon::audio {

enum class BassStartResult { Started, WrongVersion, InitFailed };

// Checks the version (2.4), turns the update thread off, opens the no-sound device and loads
// the CD plug-in from programFolder (a missing plug-in only disables CD tracks).
BassStartResult StartBassLibrary(const std::string& programFolder);
void ReleaseBassLibrary();

}  // namespace quillon::audio
