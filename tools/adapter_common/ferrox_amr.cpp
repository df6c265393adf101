#include "adapter_common/ferrox_amr.h"

#include <cstdlib>
#include <iterator>

#include "util/numbers.h"
#include "util/value_lists.h"

namespace quillon::engine {

namespace {

const int kNarrowBandRates[] = {4750, 5150, 5900, 6700, 7400, 7950, 10200, 12200, -1};
const int kWideBandRates[] = {6600, 8850, 12650, 14250, 15850, 18250, 19850, 23050, 23850, -1};

}  // namespace

int AmrModeForBitRate(AmrKind kind, int bitRate, int* chosenBitRate) {
    const int* rates = kind == AmrKind::NarrowBand ? kNarrowBandRates : kWideBandRates;
    const int chosen = util::NearestListValue(bitRate, rates);
    if (chosenBitRate) *chosenBitRate = chosen;
    int mode = 0;
    while (rates[mode] != chosen) ++mode;
    return mode;
}

std::optional<AmrPlan> PlanAmrEncoding(const std::vector<std::string>& args, const std::string& intermediate) {
    if (args.size() < 2) return std::nullopt;
    std::size_t lastInput = 0;
    for (std::size_t i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "-i") lastInput = i + 1;
    }
    AmrPlan plan;
    bool found = false;
    int bitRate = 0;
    std::vector<std::string> encode(args.begin(), args.begin() + static_cast<long>(lastInput + 1));
    const std::size_t outputAt = args.size() - 1;
    for (std::size_t i = lastInput + 1; i < outputAt; ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < outputAt;
        if ((a == "-c:a" || a == "-acodec") && hasValue &&
            (args[i + 1] == "libopencore_amrnb" || args[i + 1] == "libvo_amrwbenc")) {
            found = true;
            plan.kind = args[i + 1] == "libopencore_amrnb" ? AmrKind::NarrowBand : AmrKind::WideBand;
            encode.insert(encode.end(), {a, "pcm_s16le"});
            ++i;
        } else if ((a == "-b:a" || a == "-ab") && hasValue) {
            bitRate = util::LeadingInteger(args[++i]);
        } else if ((a == "-f" || a == "-movflags") && hasValue) {
            plan.muxOptions.insert(plan.muxOptions.end(), {a, args[i + 1]});
            ++i;
        } else if (a == "-ar" || a == "-ac") {
            ++i;  // AMR fixes both; set below
        } else {
            encode.push_back(a);
        }
    }
    if (!found) return std::nullopt;
    plan.sampleRate = plan.kind == AmrKind::NarrowBand ? 8000 : 16000;
    if (bitRate <= 0) bitRate = plan.kind == AmrKind::NarrowBand ? 12200 : 23850;
    plan.mode = AmrModeForBitRate(plan.kind, bitRate, &plan.bitRate);
    plan.output = args[outputAt];
    encode.insert(encode.end(), {"-ar", std::to_string(plan.sampleRate), "-ac", "1", "-f", "nut", intermediate});
    plan.encodeArgs = std::move(encode);
    return plan;
}

std::vector<std::string> AmrPcmArguments(const std::string& ffmpeg, const AmrPlan& plan,
                                         const std::string& intermediate) {
    return {ffmpeg,       "-nostdin", "-hide_banner", "-loglevel", "error", "-nostats", "-i",
            intermediate, "-map",     "0:a:0",        "-f",        "s16le", "-ar",      std::to_string(plan.sampleRate),
            "-ac",        "1",        "pipe:1"};
}

std::vector<std::string> AmrMuxArguments(const std::string& ffmpeg, const AmrPlan& plan,
                                         const std::string& intermediate, const std::string& amrFile) {
    std::vector<std::string> a{ffmpeg, "-nostdin", "-hide_banner", "-loglevel", "error", "-nostats", "-i", intermediate,
                               "-i",   amrFile,    "-map",         "0:v?",      "-map",  "1:a",      "-c", "copy"};
    a.insert(a.end(), plan.muxOptions.begin(), plan.muxOptions.end());
    a.insert(a.end(), {"-y", plan.output});
    return a;
}

}  // namespace quillon::engine
