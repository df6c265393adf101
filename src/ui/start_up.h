#pragma once
// The checks before the main window opens: the media engine beside the program and the
// decoding layer. Each failure tells the user what the program needs, then the program ends.

#include <string>

namespace quillon::ui {

enum class StartUpOutcome { Ready, EngineMissing, DecoderWrongVersion, DecoderInitFailed };

// Checks programFolder (with its trailing "/"; empty means the bare engine name) for the engine,
// asking whether to open the download page when it is missing, seeds the random generator and
// starts the decoding layer.
StartUpOutcome StartApplication(const std::string& programFolder);

// Releases the decoding layer.
void ExitApplication();

// "Quillon could not start up. ..."
const char* StartUpMissingFilesText();

}  // namespace quillon::ui
