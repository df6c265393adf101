#pragma once
// Turning sources the engine cannot read as they are into temporary files: own-reader audio
// is decoded to 16-bit PCM WAV, a DVD title's VOB pieces are joined into one file.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "engine/loading_window.h"
#include "engine/source_item.h"

namespace quillon::engine {

// Bytes free for the user on the file system holding a folder; nullopt when unknown.
using FreeSpaceQuery = std::function<std::optional<uint64_t>(const std::string& folder)>;

// CdAudioTrack, AiffFile and VocFile sources. On success preparedPath names the WAV file; on
// failure it is empty, no file is left and message says why.
bool DecodeToWav(SourceItem& source, LoadingWindow& window, std::string& message);

// DvdTitle sources. freeSpace defaults to the system's answer for the temporary folder.
bool JoinDvdTitle(SourceItem& source, LoadingWindow& window, std::string& message,
                  const FreeSpaceQuery& freeSpace = {});

// The path of piece k of a title ("VTS_%02d_%d.VOB" in any letter case); empty when missing.
std::string FindDvdPiece(const std::string& dvdFolder, int titleNumber, int piece);

}  // namespace quillon::engine
