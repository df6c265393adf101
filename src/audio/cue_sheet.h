#pragma once
// CUE sheets of CD images: what a sheet says, and the disc it describes once the sizes of its
// image files are known.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::audio {

struct CueFile {
    std::string name;        // as the sheet writes it
    bool bigEndian = false;  // MOTOROLA: the audio samples are stored big-endian
};

struct CueTrack {
    unsigned number = 0;
    bool audio = false;
    std::uint32_t sectorBytes = 2352;
    std::size_t file = 0;
    std::int64_t firstIndex = -1;  // INDEX 00, or INDEX 01 without one; sectors into the file
    std::int64_t index01 = -1;
    std::uint64_t gap = 0;  // PREGAP (and the previous track's POSTGAP): sectors no file holds
};

struct CueSheet {
    std::vector<CueFile> files;
    std::vector<CueTrack> tracks;
};

// False for text that is no usable sheet: no track, a track without INDEX 01 or before any
// FILE, numbers or indexes out of order, a file type other than BINARY or MOTOROLA.
bool ParseCueSheet(std::string_view text, CueSheet& sheet);

// A run of disc sectors that one image file holds.
struct DiscExtent {
    std::uint64_t lsn = 0;
    std::uint64_t sectors = 0;
    std::size_t file = 0;
    std::uint64_t byteOffset = 0;
    std::uint64_t bytesPresent = 0;  // of sectors × sectorBytes, what the file really holds
    std::uint32_t sectorBytes = 2352;
    bool bigEndian = false;
};

struct DiscTrack {
    unsigned number = 0;
    bool audio = false;
    std::uint64_t start = 0;    // INDEX 01
    std::uint64_t sectors = 0;  // to the next track's start; the last one to the end of the data
    bool lastOfItsFile = false;
};

struct DiscLayout {
    std::vector<DiscTrack> tracks;
    std::vector<DiscExtent> extents;
    std::uint64_t leadOut = 0;
};

// fileBytes holds the size of each of the sheet's files, in the sheet's order.
bool LayOutDisc(const CueSheet& sheet, const std::vector<std::uint64_t>& fileBytes, DiscLayout& layout);

// The volume serial number that track descriptors of this disc carry: the sum of the tracks'
// start addresses as minutes << 16 | seconds << 8 | frames, plus the disc's length in sectors
// when it has fewer than three tracks.
std::uint32_t DiscSerial(const DiscLayout& layout);

struct TrackPiece {
    std::size_t file = 0;
    std::uint64_t offset = 0;
    std::uint64_t bytes = 0;  // whole stereo frames
    bool bigEndian = false;
};

// Where a track's audio lies, in order: only bytes the files hold, and only up to the first
// sector that is missing, so what is read is always the start of the track.
std::vector<TrackPiece> TrackPieces(const DiscLayout& layout, std::size_t trackIndex);

}  // namespace quillon::audio
