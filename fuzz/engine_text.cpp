// Engine output and command-line text from arbitrary bytes: the parsers must not crash, and
// quoting must always split back to the argument it was given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "adapter_common/ferrox_engine_log.h"
#include "engine/engine_output.h"
#include "engine/probe_parser.h"
#include "platform/process.h"

namespace {

class NullSink : public quillon::engine::EngineReportSink {
public:
    void EngineProgress(quillon::engine::SourceItem*, int32_t percent, int64_t elapsedMs) override {
        if (percent < -1 || percent > 100 || elapsedMs < 0) std::abort();
    }
    void EngineFinished(quillon::engine::SourceItem*, std::string) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    quillon::engine::MediaInfo info;
    quillon::engine::ParseProbeOutput(info, text);
    if (info.audioStreamIds.size() != info.audioSampleRates.size() ||
        info.audioChannels.size() != info.audioSampleRates.size() ||
        info.audioBitRates.size() != info.audioSampleRates.size() || (info.width % 2) != 0) {
        std::abort();
    }

    NullSink sink;
    quillon::engine::ConversionOutputReader reader(nullptr, size % 7, sink);
    reader.Feed(text.substr(0, size / 2));
    reader.Feed(text.substr(size / 2));
    reader.Finish();

    // ferrox only takes level tags out of what it passes on; text without brackets goes through whole.
    quillon::engine::EngineLog log;
    std::string passed = log.Feed(text.substr(0, size / 3));
    passed += log.Feed(text.substr(size / 3));
    passed += log.Finish();
    if (passed.size() > size || (text.find('[') == std::string_view::npos && passed != text)) std::abort();
    std::string closing;
    log.Conclude(static_cast<int>(size % 300), closing);

    quillon::platform::SplitCommandLine(text);
    const auto items = quillon::platform::SplitCommandLine("p " + quillon::platform::QuoteArgument(text));
    if (items.size() != 2 || items[1] != text) std::abort();
    return 0;
}
