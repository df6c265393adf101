#pragma once
// Where CD tracks come from when no disc image lies beside the track file.

#include <functional>
#include <string>

namespace quillon::audio {

// Returns the device path of the default CD drive, or "" when there is none.
using CdDriveFinder = std::function<std::string()>;

// Replaces the finder (nullptr restores the system's default drive lookup). Returns the old one.
CdDriveFinder SetCdDriveFinder(CdDriveFinder finder);

}  // namespace quillon::audio
