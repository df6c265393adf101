// Engine and encoder command lines from arbitrary formats, settings and paths: building never
// crashes, and every path comes back whole when the line is split as the launcher splits it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "adapter_common/ferrox_aifc.h"
#include "adapter_common/ferrox_amr.h"
#include "adapter_common/ferrox_arguments.h"
#include "adapter_common/tavrel_arguments.h"
#include "engine/engine_command_line.h"
#include "engine/theora_command_line.h"
#include "platform/process.h"

namespace {

using namespace quillon;

class Bytes {
public:
    Bytes(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    int32_t Int() {
        int32_t v = 0;
        for (int i = 0; i < 4; ++i) v = static_cast<int32_t>((static_cast<uint32_t>(v) << 8) | Byte());
        return v;
    }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    // Text up to a 0 byte (paths cannot hold one).
    std::string Text() {
        std::string s;
        while (at_ < size_ && data_[at_] != 0) s.push_back(static_cast<char>(data_[at_++]));
        ++at_;
        return s;
    }

private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static formats::FormatCatalogue catalogue = [] {
        formats::FormatCatalogue c;
        formats::BuildCatalogue(c);
        return c;
    }();
    Bytes in(data, size);
    formats::OutputFormat format = catalogue[in.Byte() % catalogue.size()];
    const auto pick = [&](auto* list) -> std::string {
        if (!list || list->empty()) return {};
        return (*list)[in.Byte() % list->size()]->Name;
    };
    format.VideoCodec = pick(format.VideoCodecs);
    format.AudioCodec = pick(format.AudioCodecs);
    format.VideoWidth = in.Int();
    format.VideoHeight = in.Int();
    format.VideoKeepAspect = in.Byte() & 1;
    format.AddPadding = in.Byte() & 1;
    format.VideoBitRate = in.Int();
    format.VideoVBRQuality = in.Int();
    format.VideoVBREnabled = in.Byte() & 1;
    format.VideoFrameRate = in.Int() / 1000.0;
    format.AudioBitRate = in.Int();
    format.AudioVBRQuality = in.Int();
    format.AudioVBREnabled = in.Byte() & 1;
    format.AudioCompressionLevel = in.Int();
    format.AudioSampleRate = in.Int();
    format.AudioChannels = in.Int();
    format.AudioVolume = in.Int();
    format.VideoAspect = in.Text();

    formats::ConversionSettings settings;
    settings.KeepID3Tag = in.Byte() & 1;
    settings.FixAudioUnsync = in.Byte() & 1;
    settings.VideoDeinterlace = in.Byte() & 1;
    settings.RotateFlip = in.Byte() % 9 - 1;
    settings.CropPictures = in.Byte() & 1;
    settings.CropLeft = formats::CorrectCropMargin(in.Int());
    settings.CropRight = formats::CorrectCropMargin(in.Int());
    settings.CropTop = formats::CorrectCropMargin(in.Int());
    settings.CropBottom = formats::CorrectCropMargin(in.Int());
    settings.CropSameAsLeft = in.Byte() & 1;
    settings.CropSameAsTop = in.Byte() & 1;
    settings.EnableSkipLength = in.Byte() & 1;
    settings.SkipLength = in.Int();
    settings.EnableConvertLength = in.Byte() & 1;
    settings.ConvertLength = in.Int();
    settings.EnableIgnoreTheLast = in.Byte() & 1;
    settings.IgnoreLength = in.Int();

    engine::SourceItem source;
    source.kind = in.Byte() & 1 ? engine::SourceKind::ConcatList : engine::SourceKind::EngineFile;
    source.width = in.Int();
    source.height = in.Int();
    source.frameRate = in.Int() / 1000.0;
    source.displayAspectRatio = in.Int() / 1000.0;
    source.durationSeconds = static_cast<uint32_t>(in.Int());
    const int streams = in.Byte() % 4;
    for (int i = 0; i < streams; ++i) {
        source.audioStreamIds.push_back("0:" + std::to_string(i + 1));
        source.audioChannels.push_back(static_cast<uint32_t>(in.Int()));
        source.audioSampleRates.push_back(static_cast<uint32_t>(in.Int()));
        source.audioBitRates.push_back(0);
    }
    source.selectedAudioStream = in.Int();
    source.videoStreamId = "0:0";
    source.path = in.Text();
    source.outputPath = in.Text();
    const std::string output = source.outputPath;

    engine::SourceItem theoraSource = source;
    formats::OutputFormat theoraFormat = format;
    formats::ConversionSettings theoraSettings = settings;

    const std::string line = engine::BuildEngineCommandLine(format, source, settings, "/opt/quillon/ferrox");
    std::vector<std::string> args = platform::SplitCommandLine(line);
    Check(args.size() >= 4 && args[0] == "/opt/quillon/ferrox");
    std::size_t input = 1;
    while (input < args.size() && args[input] != "-i") ++input;
    Check(input + 1 < args.size() && args[input + 1] == source.path);
    if (format.Family != formats::FamilyImageSequence) Check(args.back() == output);

    args.erase(args.begin());
    args = engine::TranslateFerroxArguments(args);
    args.insert(args.begin(), "ffmpeg");
    engine::PlanAmrEncoding(args, "/tmp/m.nut");
    engine::PlanAifcWrap(args, "/tmp/r.raw");

    const std::string theora =
        engine::BuildTheoraCommandLine(theoraFormat, theoraSource, theoraSettings, "/opt/quillon/tavrel");
    std::vector<std::string> targs = platform::SplitCommandLine(theora);
    Check(targs.size() >= 5 && targs[targs.size() - 1] == theoraSource.path && targs[targs.size() - 2] == output);
    targs.erase(targs.begin());
    std::string error;
    if (auto options = engine::ParseTavrelArguments(targs, error))
        engine::BuildTavrelFfmpegArguments(*options, "ffmpeg");
    return 0;
}
