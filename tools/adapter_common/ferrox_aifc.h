#pragma once
// ffmpeg's AIFF writer cannot store G.722 or GSM 6.10, although AIFF-C defines both and ffmpeg
// reads them. ferrox then has ffmpeg write the bare stream and puts the AIFF-C frame around it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon::engine {

enum class AifcCodec { G722, Gsm };

struct AifcPlan {
    AifcCodec codec = AifcCodec::Gsm;
    int sampleRate = 8000;
    int channels = 1;
    std::string output;
    std::vector<std::string> encodeArgs;  // writes the bare stream into the raw file
};

// The ffmpeg argument list (program first) writes G.722 or GSM into an AIFF file: the plan.
std::optional<AifcPlan> PlanAifcWrap(const std::vector<std::string>& args, const std::string& rawFile);

// FORM/AIFC, FVER, COMM and the SSND chunk header for `dataBytes` bytes of stream; a pad byte
// follows the data when dataBytes is odd.
std::string AifcHeader(const AifcPlan& plan, uint32_t dataBytes);

}  // namespace quillon::engine
