#include "app/video_page_model.h"

#include <algorithm>
#include <climits>

#include "util/numbers.h"
#include "util/text.h"

namespace quillon::app {

namespace {

using formats::AudioCodecInfo;
using formats::OutputFormat;
using formats::VideoCodecInfo;

// Every codec's label; the stored codec stands selected, else the first.
template <class CodecInfo>
void FillCodecList(ChoiceList& box, const std::vector<const CodecInfo*>& codecs, const std::string& stored) {
    box.Clear();
    box.enabled = true;
    int selected = -1;
    for (std::size_t i = 0; i < codecs.size(); ++i) {
        box.entries.push_back({codecs[i]->Label, static_cast<int32_t>(i)});
        if (selected < 0 && stored == codecs[i]->Name) selected = static_cast<int>(i);
    }
    box.Select(selected >= 0 ? selected : 0);
}

int32_t ClampInto(int32_t value, int32_t a, int32_t b) { return std::clamp(value, std::min(a, b), std::max(a, b)); }

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

int32_t SaturatedKilo(int32_t kbps) { return kbps > INT32_MAX / 1000 ? INT32_MAX / 1000 * 1000 : kbps * 1000; }

}  // namespace

int32_t LeadingNumber(const std::string& text) {
    // As the page's number fields read: digits first, else 0 (no sign, so never negative).
    const auto start = text.find_first_not_of(" \t");
    if (start == std::string::npos) return 0;
    int64_t value = 0;
    for (std::size_t i = start; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), INT32_MAX);
    }
    return static_cast<int32_t>(value);
}

bool IsOptimizedOgg(int32_t formatId) { return formatId == 135 || formatId == 145 || formatId == 155; }

VideoPageModel::VideoPageModel(formats::FormatCatalogue& catalogue, int32_t outputFormatId,
                               const formats::PictureSettings& picture)
    : catalogue_(catalogue) {
    state_.picture = picture;
    int index = catalogue_.empty() ? -1 : 0;
    for (std::size_t i = 0; i < catalogue_.size(); ++i) {
        if (catalogue_[i].FormatId == outputFormatId) {
            index = static_cast<int>(i);
            break;
        }
    }
    SelectFormat(index);
    state_.rotate.entries = RotateChoices();
    const int rotate = state_.rotate.Find(picture.RotateFlip);
    state_.rotate.Select(rotate >= 0 ? rotate : 0);
}

formats::OutputFormat* VideoPageModel::Record() {
    if (state_.formatIndex < 0 || state_.formatIndex >= static_cast<int>(catalogue_.size())) return nullptr;
    return &catalogue_[state_.formatIndex];
}

const formats::OutputFormat* VideoPageModel::SelectedFormat() const {
    return const_cast<VideoPageModel*>(this)->Record();
}

const formats::VideoCodecInfo* VideoPageModel::VideoCodecInfo() const {
    const OutputFormat* format = SelectedFormat();
    if (!format || !format->VideoCodecs || format->VideoCodecs->empty()) return nullptr;
    const int index = state_.videoCodec.selected;
    if (index < 0 || index >= static_cast<int>(format->VideoCodecs->size())) return format->VideoCodecs->front();
    return (*format->VideoCodecs)[index];
}

const formats::AudioCodecInfo* VideoPageModel::AudioCodecInfo() const {
    const OutputFormat* format = SelectedFormat();
    if (!format || !format->AudioCodecs || format->AudioCodecs->empty()) return nullptr;
    const int index = state_.audioCodec.selected;
    if (index < 0 || index >= static_cast<int>(format->AudioCodecs->size())) return format->AudioCodecs->front();
    return (*format->AudioCodecs)[index];
}

void VideoPageModel::SelectFormat(int catalogueIndex) {
    state_.formatIndex = catalogueIndex;
    const OutputFormat* format = SelectedFormat();
    if (!format) {
        state_.formatIndex = -1;
        return;
    }
    const bool optimized = IsOptimizedOgg(format->FormatId);
    state_.volumeAllowed = !optimized;
    state_.paddingAllowed = !optimized;
    state_.rotationAllowed = !optimized;
    state_.fixedSizes = false;

    if (format->VideoCodecs && !format->VideoCodecs->empty()) {
        const bool sequence = format->Family == formats::FamilyImageSequence;
        state_.videoEnableChecked = sequence || format->VideoEnable != 0;
        state_.videoEnableEnabled = !sequence;
        FillVideoCodec();
    } else {
        state_.videoEnableChecked = false;
        state_.videoEnableEnabled = false;
        for (ChoiceList* list :
             {&state_.videoCodec, &state_.videoRate, &state_.frameRate, &state_.size, &state_.aspect}) {
            list->Clear();
            list->enabled = false;
        }
        state_.videoRadiosVisible = false;
        state_.videoMode = 0;
        state_.videoRateKind = RateKind::None;
        state_.aspectLocked = false;
        state_.width = 0;
        state_.height = 0;
        state_.keepAspect = false;
        state_.padding = false;
    }

    if (format->AudioCodecs && !format->AudioCodecs->empty()) {
        const bool audioFamily = format->Family == formats::FamilyAudio;
        state_.audioEnableChecked = audioFamily || format->AudioEnable != 0;
        state_.audioEnableEnabled = !audioFamily;
        FillAudioCodec();
    } else {
        state_.audioEnableChecked = false;
        state_.audioEnableEnabled = false;
        for (ChoiceList* list : {&state_.audioCodec, &state_.audioRate, &state_.sampleRate, &state_.channels}) {
            list->Clear();
            list->enabled = false;
        }
        state_.audioRadiosVisible = false;
        state_.audioMode = 0;
        state_.audioRateKind = RateKind::None;
        state_.audioRateLabel.clear();
        state_.volume = 100;
    }
}

void VideoPageModel::FillVideoCodec() {
    const OutputFormat& format = *SelectedFormat();
    FillCodecList(state_.videoCodec, *format.VideoCodecs, format.VideoCodec);
    SelectVideoCodec(state_.videoCodec.selected);
}

void VideoPageModel::SelectVideoCodec(int index) {
    const OutputFormat* format = SelectedFormat();
    if (!format || !format->VideoCodecs) return;
    state_.videoCodec.Select(index);
    const formats::VideoCodecInfo& codec = *VideoCodecInfo();

    // Rate control
    const bool both = HasBitRates(codec) && HasQuality(codec);
    state_.videoRadiosVisible = both;
    if (both) state_.videoMode = format->VideoVBREnabled ? 1 : 0;
    else if (HasBitRates(codec)) state_.videoMode = 0;
    else if (HasQuality(codec)) state_.videoMode = 1;
    else state_.videoMode = 0;
    FillVideoRate();

    // Frame rate
    ChoiceList& rates = state_.frameRate;
    rates.Clear();
    rates.enabled = codec.FrameRates != nullptr;
    if (codec.FrameRates) {
        rates.entries = FrameRateChoices(codec);
        if (format->VideoFrameRate >= 0) rates.text = FrameRateText(format->VideoFrameRate);
        else rates.Select(static_cast<int>(rates.entries.size()) - 1);
        // A typed rate that matches an entry shows as that entry.
        for (std::size_t i = 0; i < rates.entries.size() && rates.selected < 0; ++i) {
            if (rates.entries[i].text == rates.text) rates.selected = static_cast<int>(i);
        }
    }

    // Aspect ratio
    ChoiceList& aspect = state_.aspect;
    aspect.Clear();
    state_.aspectLocked = !format->VideoAspect.empty() && format->VideoAspect[0] == 'N';
    aspect.enabled = !state_.aspectLocked;
    if (!state_.aspectLocked) {
        for (const std::string& entry : AspectChoices()) aspect.entries.push_back({entry});
        aspect.text = format->VideoAspect.empty() ? std::string(kAutoChoice) : format->VideoAspect;
        for (std::size_t i = 0; i < aspect.entries.size(); ++i) {
            if (aspect.entries[i].text == aspect.text) aspect.selected = static_cast<int>(i);
        }
    }

    // Size
    state_.width = format->VideoWidth;
    state_.height = format->VideoHeight;
    FillSize();
    state_.keepAspect = format->VideoKeepAspect != 0;
    state_.padding = format->AddPadding != 0;
}

void VideoPageModel::FillVideoRate() {
    const OutputFormat& format = *SelectedFormat();
    const formats::VideoCodecInfo& codec = *VideoCodecInfo();
    ChoiceList& box = state_.videoRate;
    box.Clear();
    const bool rates = HasBitRates(codec);
    const bool quality = HasQuality(codec);
    if (!rates && !quality) {
        box.enabled = false;
        state_.videoRateKind = RateKind::None;
        state_.videoMode = 0;
        return;
    }
    box.enabled = true;
    if (state_.videoMode == 1 && quality) {
        state_.videoRateKind = RateKind::Quality;
        state_.videoRateLabel = "&Quality:";
        box.entries = VideoQualityChoices(codec);
        const int found = box.Find(ClampInto(format.VideoVBRQuality, codec.QualityLow, codec.QualityHigh));
        box.Select(found >= 0 ? found : 0);
    } else {
        state_.videoRateKind = RateKind::BitRate;
        state_.videoRateLabel = "&Bit Rate:";
        box.entries = VideoBitRateChoices(codec);
        box.text = format.VideoBitRate > 0 ? KbpsText(format.VideoBitRate) : std::string(kAutoChoice);
        for (std::size_t i = 0; i < box.entries.size(); ++i) {
            // The plain text of an entry (before its marks) selects it.
            if (box.entries[i].text.rfind(box.text, 0) == 0 &&
                (box.entries[i].text.size() == box.text.size() || box.entries[i].text[box.text.size()] == ' ')) {
                box.selected = static_cast<int>(i);
                break;
            }
        }
    }
}

void VideoPageModel::FillSize() {
    const OutputFormat& format = *SelectedFormat();
    const formats::VideoCodecInfo& codec = *VideoCodecInfo();
    ChoiceList& box = state_.size;
    box.Clear();
    box.enabled = true;
    box.entries = SizeChoices(format, codec);
    state_.fixedSizes = formats::IsFixedSizeList(codec.FrameSizes);
    int selected = -1;
    for (std::size_t i = 0; i < box.entries.size(); ++i) {
        const Choice& entry = box.entries[i];
        if (entry.value == kSizeListed && entry.width == state_.width && entry.height == state_.height) {
            selected = static_cast<int>(i);
            break;
        }
    }
    if (selected < 0 && !box.entries.empty()) {
        if (state_.fixedSizes) {
            selected = static_cast<int>(box.entries.size()) - 1;
        } else if (state_.width != 0 || state_.height != 0) {
            selected = box.Find(kSizeCustomize);
        } else {
            selected = box.Find(kSizeSameAsOriginal);
        }
    }
    box.Select(selected);
}

void VideoPageModel::SetVideoEnabled(bool on) {
    if (state_.videoEnableEnabled) state_.videoEnableChecked = on;
}

void VideoPageModel::SetVideoMode(int mode) {
    if (!state_.videoRadiosVisible) return;
    state_.videoMode = mode == 1 ? 1 : 0;
    FillVideoRate();
}

void VideoPageModel::SetVideoRateText(const std::string& text) {
    state_.videoRate.text = text;
    state_.videoRate.selected = -1;
    for (std::size_t i = 0; i < state_.videoRate.entries.size(); ++i) {
        if (state_.videoRate.entries[i].text == text) state_.videoRate.selected = static_cast<int>(i);
    }
}

void VideoPageModel::SelectVideoRate(int index) { state_.videoRate.Select(index); }

void VideoPageModel::SetFrameRateText(const std::string& text) {
    state_.frameRate.text = text;
    state_.frameRate.selected = -1;
}

void VideoPageModel::SelectFrameRate(int index) { state_.frameRate.Select(index); }

void VideoPageModel::SetAspectText(const std::string& text) {
    state_.aspect.text = text;
    state_.aspect.selected = -1;
}

void VideoPageModel::SelectAspect(int index) { state_.aspect.Select(index); }

void VideoPageModel::SelectSize(int index) { state_.size.Select(index); }

void VideoPageModel::SetCustomSize(int32_t width, int32_t height) {
    state_.width = width;
    state_.height = height;
}

void VideoPageModel::SetCropLeft(int32_t value) {
    state_.picture.CropLeft = value;
    if (state_.picture.CropSameAsLeft) state_.picture.CropRight = value;
}

void VideoPageModel::SetCropTop(int32_t value) {
    state_.picture.CropTop = value;
    if (state_.picture.CropSameAsTop) state_.picture.CropBottom = value;
}

void VideoPageModel::SetCropSameAsLeft(bool on) {
    state_.picture.CropSameAsLeft = on ? 1 : 0;
    if (on) state_.picture.CropRight = state_.picture.CropLeft;
}

void VideoPageModel::SetCropSameAsTop(bool on) {
    state_.picture.CropSameAsTop = on ? 1 : 0;
    if (on) state_.picture.CropBottom = state_.picture.CropTop;
}

void VideoPageModel::FillAudioCodec() {
    const OutputFormat& format = *SelectedFormat();
    FillCodecList(state_.audioCodec, *format.AudioCodecs, format.AudioCodec);
    SelectAudioCodec(state_.audioCodec.selected);
}

void VideoPageModel::SelectAudioCodec(int index) {
    const OutputFormat* format = SelectedFormat();
    if (!format || !format->AudioCodecs) return;
    state_.audioCodec.Select(index);
    const formats::AudioCodecInfo& codec = *AudioCodecInfo();

    bool both = false;
    const RateKind kind = AudioRateKind(codec, &both);
    state_.audioRadiosVisible = both;
    if (both) state_.audioMode = format->AudioVBREnabled ? 1 : 0;
    else state_.audioMode = kind == RateKind::Quality ? 1 : 0;
    FillAudioRate();

    ChoiceList& rates = state_.sampleRate;
    rates.Clear();
    rates.entries = SampleRateChoices(codec);
    rates.enabled = !rates.entries.empty();
    if (rates.enabled) {
        const int found = rates.Find(format->AudioSampleRate);
        rates.Select(found >= 0 ? found : 0);
    }

    ChoiceList& channels = state_.channels;
    channels.Clear();
    channels.entries = ChannelChoices(codec);
    channels.enabled = !channels.entries.empty();
    channels.Select(channels.Find(format->AudioChannels));

    state_.volume = format->AudioVolume;
}

void VideoPageModel::FillAudioRate() {
    const OutputFormat& format = *SelectedFormat();
    const formats::AudioCodecInfo& codec = *AudioCodecInfo();
    ChoiceList& box = state_.audioRate;
    box.Clear();
    bool both = false;
    RateKind kind = AudioRateKind(codec, &both);
    if (both && state_.audioMode == 1) kind = RateKind::Quality;
    state_.audioRateKind = kind;
    box.enabled = kind != RateKind::None;
    switch (kind) {
    case RateKind::Compression: {
        state_.audioRateLabel = "Co&mpression:";
        box.entries = CompressionChoices(codec);
        const int found = box.Find(format.AudioCompressionLevel);
        box.Select(found >= 0 ? found : 0);
        break;
    }
    case RateKind::BitRate: {
        state_.audioRateLabel = "Bi&t Rate:";
        box.entries = AudioBitRateChoices(codec);
        const int found = box.Find(format.AudioBitRate);
        box.Select(found >= 0 ? found : 0);
        break;
    }
    case RateKind::Quality: {
        state_.audioRateLabel = "&Quality:";
        box.entries = AudioQualityChoices(codec);
        const int found = box.Find(ClampInto(format.AudioVBRQuality, codec.QualityLow, codec.QualityHigh));
        box.Select(found >= 0 ? found : 0);
        break;
    }
    case RateKind::None:
        state_.audioRateLabel.clear();
        state_.audioMode = 0;
        break;
    }
}

void VideoPageModel::SetAudioEnabled(bool on) {
    if (state_.audioEnableEnabled) state_.audioEnableChecked = on;
}

void VideoPageModel::SetAudioMode(int mode) {
    if (!state_.audioRadiosVisible) return;
    state_.audioMode = mode == 1 ? 1 : 0;
    FillAudioRate();
}

bool VideoPageModel::VideoOn() const {
    const OutputFormat* format = SelectedFormat();
    return format && format->VideoCodecs && state_.videoEnableChecked;
}

bool VideoPageModel::AudioOn() const {
    const OutputFormat* format = SelectedFormat();
    return format && format->AudioCodecs && state_.audioEnableChecked;
}

bool VideoPageModel::SizeFieldsEnabled() const {
    const ChoiceList& size = state_.size;
    return VideoOn() && size.selected >= 0 && size.entries[size.selected].value == kSizeCustomize;
}

bool VideoPageModel::KeepAspectEnabled() const {
    const ChoiceList& size = state_.size;
    return VideoOn() && !(size.selected >= 0 && size.entries[size.selected].value == kSizeSameAsOriginal);
}

bool VideoPageModel::PaddingEnabled() const {
    return KeepAspectEnabled() && state_.paddingAllowed && !state_.fixedSizes;
}

bool VideoPageModel::CropFieldEnabled(int margin) const {
    if (!VideoOn() || !state_.picture.CropPictures) return false;
    if (margin == 1) return !state_.picture.CropSameAsLeft;
    if (margin == 3) return !state_.picture.CropSameAsTop;
    return true;
}

bool VideoPageModel::RotateEnabled() const { return VideoOn() && state_.rotationAllowed; }

bool VideoPageModel::VolumeEnabled() const { return AudioOn() && state_.volumeAllowed; }

void VideoPageModel::Apply() {
    OutputFormat* format = Record();
    if (!format) return;
    appliedFormatId_ = format->FormatId;
    format->VideoEnable = state_.videoEnableChecked ? 1 : 0;

    if (format->VideoEnable && format->VideoCodecs && !format->VideoCodecs->empty()) {
        const formats::VideoCodecInfo& codec = *VideoCodecInfo();
        format->VideoCodec = codec.Name;
        const int32_t number = LeadingNumber(state_.videoRate.text);
        if (HasBitRates(codec) && HasQuality(codec)) {
            format->VideoVBREnabled = state_.videoMode;
            if (state_.videoMode == 1) format->VideoVBRQuality = number;
            else format->VideoBitRate = SaturatedKilo(number);
        } else if (HasBitRates(codec)) {
            format->VideoVBREnabled = 0;
            format->VideoBitRate = SaturatedKilo(number);
        } else if (HasQuality(codec)) {
            format->VideoVBREnabled = 1;
            format->VideoVBRQuality = number;
        }
        if (codec.FrameRates) {
            const double rate = util::TextToNumber(state_.frameRate.text);
            format->VideoFrameRate = rate > 0 ? rate : -1.0;
        }
        if (!state_.aspectLocked) {
            const std::string aspect = util::LowerAscii(Trim(state_.aspect.text));
            format->VideoAspect = aspect == "auto" ? std::string() : aspect;
        }
        const ChoiceList& size = state_.size;
        const int pick = size.selected >= 0 ? size.selected : 0;
        if (pick < static_cast<int>(size.entries.size())) {
            const Choice& entry = size.entries[pick];
            if (entry.value == kSizeCustomize) {
                format->VideoWidth = state_.width;
                format->VideoHeight = state_.height;
            } else if (entry.value == kSizeSameAsOriginal) {
                format->VideoWidth = 0;
                format->VideoHeight = 0;
            } else {
                format->VideoWidth = LeadingNumber(entry.text);
                const auto x = entry.text.find('x');
                format->VideoHeight = x == std::string::npos ? 0 : LeadingNumber(entry.text.substr(x + 1));
            }
        }
        format->VideoKeepAspect = state_.keepAspect ? 1 : 0;
        format->AddPadding = state_.padding ? 1 : 0;
        const ChoiceList& rotate = state_.rotate;
        const int rotation = rotate.selected >= 0 ? rotate.selected : 0;
        state_.picture.RotateFlip = rotate.entries.empty() ? 0 : rotate.entries[rotation].value;
    }

    format->AudioEnable = state_.audioEnableChecked ? 1 : 0;
    if (format->AudioEnable && format->AudioCodecs && !format->AudioCodecs->empty()) {
        const formats::AudioCodecInfo& codec = *AudioCodecInfo();
        format->AudioCodec = codec.Name;
        const ChoiceList& rate = state_.audioRate;
        const int pick = rate.selected >= 0 ? rate.selected : 0;
        const int32_t value = pick < static_cast<int>(rate.entries.size()) ? rate.entries[pick].value : 0;
        bool both = false;
        switch (AudioRateKind(codec, &both)) {
        case RateKind::Compression: format->AudioCompressionLevel = value; break;
        case RateKind::BitRate:
            if (both) {
                format->AudioVBREnabled = state_.audioMode;
                if (state_.audioMode == 1) format->AudioVBRQuality = value;
                else format->AudioBitRate = value;
            } else {
                format->AudioVBREnabled = 0;
                format->AudioBitRate = value;
            }
            break;
        case RateKind::Quality:
            format->AudioVBREnabled = 1;
            format->AudioVBRQuality = value;
            break;
        case RateKind::None: break;
        }
        const auto pickValue = [](const ChoiceList& list) {
            if (list.entries.empty()) return 0;
            return list.entries[list.selected >= 0 ? list.selected : 0].value;
        };
        if (codec.SampleRates) format->AudioSampleRate = pickValue(state_.sampleRate);
        format->AudioChannels = pickValue(state_.channels);
        if (state_.volume > 0) format->AudioVolume = state_.volume;
    }
}

VideoPageProblem VideoPageModel::Validate() const {
    const OutputFormat* format = SelectedFormat();
    if (!format || !state_.videoEnableChecked) return {};
    if (format->VideoWidth < 0 || format->VideoHeight < 0) {
        return {"Please enter a valid video size.\n", VideoPageFocus::Size};
    }
    if (format->VideoWidth % 2 != 0 || format->VideoHeight % 2 != 0) {
        return {"Video size must be a multiple of 2.\n", VideoPageFocus::Size};
    }
    if (state_.picture.CropPictures) {
        const formats::PictureSettings& p = state_.picture;
        const int32_t margins[] = {p.CropLeft, p.CropRight, p.CropTop, p.CropBottom};
        for (int32_t margin : margins) {
            if (margin < 0) return {"Please enter a valid crop value.\n", VideoPageFocus::CropLeft};
        }
        for (int32_t margin : margins) {
            if (margin % 2 != 0) return {"Crop value must be a multiple of 2.\n", VideoPageFocus::CropLeft};
        }
    }
    return {};
}

}  // namespace quillon::app
