// Feeds arbitrary text to the CUE sheet parser and lays out the disc it describes with image
// files of sizes taken from the input, checking that every track's pieces lie inside its files.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "audio/cue_sheet.h"

using namespace quillon::audio;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    CueSheet sheet;
    if (!ParseCueSheet(text, sheet)) return 0;
    std::vector<std::uint64_t> sizes;
    for (std::size_t i = 0; i < sheet.files.size(); ++i) sizes.push_back((data[0] + i * 7919) % 256 * 1234);
    DiscLayout layout;
    if (!LayOutDisc(sheet, sizes, layout)) return 0;
    DiscSerial(layout);
    for (std::size_t t = 0; t < layout.tracks.size(); ++t) {
        for (const TrackPiece& piece : TrackPieces(layout, t)) {
            if (piece.file >= sizes.size() || piece.bytes == 0 || piece.bytes % 4 != 0) std::abort();
            if (piece.offset + piece.bytes > sizes[piece.file]) std::abort();
        }
    }
    return 0;
}
