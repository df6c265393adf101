#pragma once
// One source of the file list (a file, a DVD title, or the joined input of Convert to One) and
// the facts the engine's probe gives about it.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/process.h"

namespace quillon::formats {
struct OutputFormat;
}

namespace quillon::engine {

enum class SourceKind : int32_t {
    EngineFile = 0,  // probed and read by the engine
    DvdTitle = 1,
    CdAudioTrack = 2,  // kinds 2 to 4 are read by the program's own audio readers
    AiffFile = 3,
    VocFile = 4,
    ConcatList = 5,  // the joined input of Convert to One, never in the list
};

// The name of a kind as written in code ("EngineFile", ...); "Unknown" for other values.
const char* SourceKindName(SourceKind kind);

// The probed facts of a source. Unknown values: 0, -1.0 for frameRate and displayAspectRatio,
// empty texts and arrays.
struct MediaInfo {
    std::string videoStreamId;  // specifier of the first video stream, e.g. "0:0"
    int32_t width = 0;          // pixels, rounded up to even
    int32_t height = 0;
    double frameRate = -1.0;           // frames per second
    double displayAspectRatio = -1.0;  // width / height
    int32_t videoBitRate = 0;          // kbit/s
    // One entry per audio stream, in the engine's order; all four have the same length for
    // probed sources (own-reader sources have no specifiers).
    std::vector<std::string> audioStreamIds;
    std::vector<uint32_t> audioChannels;
    std::vector<uint32_t> audioSampleRates;  // Hz; its length is the number of audio streams
    std::vector<uint32_t> audioBitRates;     // kbit/s
    uint32_t durationSeconds = 0;            // whole seconds; 0 = unknown
};

// The MediaInfo fields are reached directly (item.width), as every user of a source reads them.
struct SourceItem : MediaInfo {
    SourceKind kind = SourceKind::EngineFile;
    std::string path;        // file path; "DVD Title %d" for a DVD title; the list file for ConcatList
    std::string extension;   // lower-case text after the last dot of the file name
    std::string outputPath;  // output of the current run; empty before and after a failed run
    int32_t dvdTitleNumber = 0;
    int32_t dvdTitleOrdinal = 0;
    std::string dvdFolder;

    int32_t selectedAudioStream = 0;  // below the number of audio streams when there are any

    int32_t listRow = -1;
    platform::ProcessHandle process;  // running engine process of the current conversion
    platform::PipeHandle outputPipe;  // read end of that process's output
    int32_t progressPercent = 0;
    std::string engineOutput;  // what the engine wrote in the last conversion (bounded)

    bool needsPreparation = false;
    bool prepared = false;
    std::string preparedPath;

    bool isFormatCopy = false;
    const quillon::formats::OutputFormat* copyFormat = nullptr;

    MediaInfo& mediaInfo() { return *this; }
    const MediaInfo& mediaInfo() const { return *this; }
};

}  // namespace quillon::engine
