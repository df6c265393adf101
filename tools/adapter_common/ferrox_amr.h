#pragma once
// ffmpeg as packaged here has no AMR encoder, so ferrox encodes AMR itself: the line is first
// run with 16-bit PCM in place of AMR into an intermediate file, its audio is then piped out as
// raw PCM and encoded with the AMR libraries, and the result is muxed into the real output.

#include <optional>
#include <string>
#include <vector>

namespace quillon::engine {

enum class AmrKind { NarrowBand, WideBand };

struct AmrPlan {
    AmrKind kind = AmrKind::NarrowBand;
    int bitRate = 0;  // bit/s of the chosen mode
    int mode = 0;     // the library's mode number
    int sampleRate = 8000;
    std::string output;                   // the real output path
    std::vector<std::string> encodeArgs;  // first run: everything, audio as PCM, into the intermediate
    std::vector<std::string> muxOptions;  // output options that belong to the real container
};

// The ffmpeg argument list (program first) asks for an AMR encoder: the plan, else nothing.
std::optional<AmrPlan> PlanAmrEncoding(const std::vector<std::string>& args, const std::string& intermediate);

// Second run: the intermediate's audio as raw 16-bit mono PCM on standard output.
std::vector<std::string> AmrPcmArguments(const std::string& ffmpeg, const AmrPlan& plan,
                                         const std::string& intermediate);

// Third run: the intermediate's video (if any) and the AMR file into the real output.
std::vector<std::string> AmrMuxArguments(const std::string& ffmpeg, const AmrPlan& plan,
                                         const std::string& intermediate, const std::string& amrFile);

// Mode for a bit rate: the nearest offered rate of the kind (4750..12200 or 6600..23850).
int AmrModeForBitRate(AmrKind kind, int bitRate, int* chosenBitRate = nullptr);

}  // namespace quillon::engine
