#include "app/codec_choices.h"

#include <fmt/format.h>

namespace quillon::app {

namespace {

using formats::AudioCodecInfo;
using formats::FrameSize;
using formats::OutputFormat;
using formats::VideoCodecInfo;

constexpr const char* kLowMark = " (low quality, small size)";
constexpr const char* kHighMark = " (high quality, big size)";
constexpr const char* kSameAsOriginal = "Same as original video";
constexpr const char* kCustomize = "Customize";

constexpr int32_t kDvFormatId = 60;
constexpr int32_t kDvdFormatId = 65;
constexpr int32_t kVcdFormatId = 180;

struct NamedSize {
    int32_t width;
    int32_t height;
    const char* name;
};

constexpr NamedSize kSizeNames[] = {
    {128, 96, "SQCIF 4:3"},      {176, 144, "QCIF 11:9"},        {240, 160, "HQVGA 3:2"},
    {320, 240, "QVGA 240p 4:3"}, {352, 288, "CIF 11:9"},         {480, 320, "HVGA 3:2"},
    {640, 360, "nHD 360p 16:9"}, {640, 480, "VGA 4:3"},          {704, 576, "4CIF 11:9"},
    {720, 480, "WVGA 480p 3:2"}, {720, 576, "DVD PAL 5:4"},      {800, 480, "WGA 5:3"},
    {800, 600, "SVGA 4:3"},      {960, 540, "qHD 540p 16:9"},    {1024, 576, "WSVGA 16:9"},
    {1024, 768, "XGA 4:3"},      {1280, 720, "HD 720p 16:9"},    {1280, 1024, "SXGA 5:4"},
    {1366, 768, "WXGA 16:9"},    {1408, 1152, "16CIF 11:9"},     {1440, 900, "WSXGA 16:10"},
    {1600, 900, "HD+ 16:9"},     {1600, 1200, "UXGA 4:3"},       {1920, 1080, "FHD 1080p 16:9"},
    {1920, 1200, "WUXGA 16:10"}, {2048, 1152, "2K 16:9"},        {2560, 1440, "QHD 1440p 16:9"},
    {3200, 1800, "WQXGA+ 16:9"}, {3840, 2160, "UHD 2160p 16:9"}, {4096, 2304, "4K 16:9"},
};

constexpr const char* kChannelNames[8] = {"Mono", "Stereo", "2.1", "4.0", "5.0", "5.1", "6.1", "7.1"};

// low..high in steps of one towards high, each "%d", ends marked.
std::vector<Choice> QualityScale(int32_t low, int32_t high) {
    std::vector<Choice> list;
    const int32_t step = low <= high ? 1 : -1;
    for (int32_t v = low;; v += step) {
        list.push_back({std::to_string(v), v});
        if (v == high) break;
    }
    list.front().text += kLowMark;
    list.back().text += kHighMark;
    return list;
}

}  // namespace

bool HasBitRates(const VideoCodecInfo& codec) { return codec.BitRates != nullptr; }
bool HasQuality(const VideoCodecInfo& codec) { return codec.QualityHigh != -1 && codec.QualityLow != -1; }
bool HasQuality(const AudioCodecInfo& codec) { return codec.QualityHigh != -1 && codec.QualityLow != -1; }

RateKind AudioRateKind(const AudioCodecInfo& codec, bool* both) {
    *both = false;
    if ((codec.RateControl & formats::kRateCompressionLevels) && codec.BitRates) return RateKind::Compression;
    const bool rates = (codec.RateControl & formats::kRateBitRateList) && codec.BitRates;
    const bool quality = (codec.RateControl & formats::kRateVbrQuality) && HasQuality(codec);
    if (rates && quality) {
        *both = true;
        return RateKind::BitRate;  // the mode decides
    }
    if (rates) return RateKind::BitRate;
    if (quality) return RateKind::Quality;
    return RateKind::None;
}

void ChoiceList::Select(int index) {
    if (index < 0 || index >= static_cast<int>(entries.size())) {
        selected = -1;
        return;
    }
    selected = index;
    text = entries[index].text;
}

int ChoiceList::Find(int32_t value) const {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].value == value) return static_cast<int>(i);
    }
    return -1;
}

std::string FrameSizeName(int32_t formatId, int32_t width, int32_t height) {
    const auto own = [&](const char* ntsc, const char* pal, int32_t ntscW, int32_t ntscH, int32_t palW,
                         int32_t palH) -> std::string {
        if (width == ntscW && height == ntscH) return ntsc;
        if (width == palW && height == palH) return pal;
        return {};
    };
    switch (formatId) {
    case kDvFormatId: return own("DV NTSC", "DV PAL", 720, 480, 720, 576);
    case kDvdFormatId: return own("DVD NTSC", "DVD PAL", 720, 480, 720, 576);
    case kVcdFormatId: return own("VCD NTSC", "VCD PAL", 352, 240, 352, 288);
    default: break;
    }
    for (const NamedSize& size : kSizeNames) {
        if (size.width == width && size.height == height) return size.name;
    }
    return {};
}

std::string FrameSizeText(int32_t formatId, int32_t width, int32_t height) {
    std::string text = std::to_string(width) + "x" + std::to_string(height);
    const std::string name = FrameSizeName(formatId, width, height);
    if (name.empty()) return text;
    if (text.size() < 11) text.append(11 - text.size(), ' ');
    return text + "(" + name + ")";
}

std::vector<Choice> VideoBitRateChoices(const VideoCodecInfo& codec) {
    std::vector<Choice> list{{kAutoChoice, 0}};
    const std::vector<int32_t> rates = formats::ListEntries(codec.BitRates);
    for (int32_t rate : rates) list.push_back({KbpsText(rate), rate});
    if (rates.size() > 1) {
        list[1].text += kLowMark;
        list.back().text += kHighMark;
    }
    return list;
}

std::vector<Choice> VideoQualityChoices(const VideoCodecInfo& codec) {
    std::vector<Choice> list = QualityScale(codec.QualityLow, codec.QualityHigh);
    const auto mark = [&](int32_t value, const char* text) {
        for (Choice& choice : list) {
            if (choice.value == value) choice.text += text;
        }
    };
    if (codec.QualityLow == 31) {
        mark(5, " (good quality)");
        mark(10, " (medium quality)");
    } else if (codec.QualityLow == 51) {
        mark(18, " (almost lossless)");
        mark(22, " (very good quality)");
        mark(24, " (good quality)");
        mark(26, " (normal quality)");
    }
    return list;
}

std::vector<Choice> AudioBitRateChoices(const AudioCodecInfo& codec) {
    std::vector<Choice> list{{kAutoChoice, 0}};
    const std::vector<int32_t> rates = formats::ListEntries(codec.BitRates);
    for (int32_t rate : rates) {
        std::string text;
        if (rate < 1000) text = fmt::format("{} bit", rate);
        else if (rate % 1000 != 0) text = fmt::format("{:.2f} kbps", rate / 1000.0);
        else text = KbpsText(rate);
        list.push_back({text, rate});
    }
    if (rates.size() > 1) {
        list[1].text += kLowMark;
        list.back().text += kHighMark;
    }
    return list;
}

std::vector<Choice> AudioQualityChoices(const AudioCodecInfo& codec) {
    return QualityScale(codec.QualityLow, codec.QualityHigh);
}

std::vector<Choice> CompressionChoices(const AudioCodecInfo& codec) {
    std::vector<Choice> list;
    for (int32_t level : formats::ListEntries(codec.BitRates)) list.push_back({std::to_string(level), level});
    if (!list.empty()) {
        list.front().text += " (fast encoding, big size)";
        list.back().text += " (slow encoding, small size)";
    }
    return list;
}

std::vector<Choice> SampleRateChoices(const AudioCodecInfo& codec) {
    std::vector<Choice> list;
    if (!codec.SampleRates) return list;
    list.push_back({kAutoChoice, 0});
    const std::vector<int32_t> rates = formats::ListEntries(codec.SampleRates);
    for (int32_t rate : rates) list.push_back({fmt::format("{} Hz", rate), rate});
    if (rates.size() > 1) {
        list[1].text += " (low quality)";
        list.back().text += " (high quality)";
    }
    return list;
}

std::vector<Choice> ChannelChoices(const AudioCodecInfo& codec) {
    std::vector<Choice> list;
    if (codec.ChannelMask == 0) return list;
    list.push_back({kAutoChoice, 0});
    for (int bit = 0; bit < 8; ++bit) {
        if (codec.ChannelMask & (1 << bit)) list.push_back({kChannelNames[bit], bit + 1});
    }
    return list;
}

std::vector<Choice> SizeChoices(const OutputFormat& format, const VideoCodecInfo& codec) {
    std::vector<Choice> list;
    const bool fixed = formats::IsFixedSizeList(codec.FrameSizes);
    for (const FrameSize& size : formats::ListEntries(codec.FrameSizes)) {
        if (size.width == formats::kFixedSizeMarker.width && size.height == formats::kFixedSizeMarker.height) {
            continue;
        }
        list.push_back({FrameSizeText(format.FormatId, size.width, size.height), kSizeListed, size.width, size.height});
    }
    if (!fixed) {
        list.push_back({kSameAsOriginal, kSizeSameAsOriginal});
        list.push_back({kCustomize, kSizeCustomize});
    }
    return list;
}

std::vector<Choice> RotateChoices() {
    return {{"None", 0},
            {"Rotate by 90 degrees clockwise", 1},
            {"Rotate by 90 degrees clockwise and vertically flip", 2},
            {"Rotate by 90 degrees counterclockwise", 3},
            {"Rotate by 90 degrees counterclockwise and vertically flip", 4},
            {"Flip horizontally", 5},
            {"Flip vertically", 6}};
}

std::vector<std::string> AspectChoices() { return {kAutoChoice, "16:10", "16:9", "5:4", "5:3", "4:3", "3:2", "1:1"}; }

std::vector<Choice> FrameRateChoices(const VideoCodecInfo& codec) {
    std::vector<Choice> list;
    for (double rate : formats::ListEntries(codec.FrameRates)) list.push_back({FrameRateText(rate)});
    list.push_back({kSameAsOriginal});
    return list;
}

std::string FrameRateText(double rate) { return fmt::format("{:.3f} Hz", rate); }

std::string KbpsText(int32_t bitRate) { return fmt::format("{} kbps", bitRate / 1000); }

}  // namespace quillon::app
