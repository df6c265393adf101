#pragma once
// The Video & Audio options page without its widgets: which format is being edited, which entry
// of each list stands selected, what is enabled, and how the page's state is written back into
// the format's record. A widget page shows State() and forwards the user's actions to the
// mutators.

#include <cstdint>
#include <string>
#include <vector>

#include "app/codec_choices.h"
#include "formats/conversion_settings.h"
#include "formats/output_format.h"

namespace quillon::app {

struct VideoPageState {
    int formatIndex = -1;  // into the catalogue; -1: no format selected
    bool volumeAllowed = true;
    bool paddingAllowed = true;  // the format's permission, before the codec's fixed sizes
    bool rotationAllowed = true;
    bool fixedSizes = false;  // the codec's size list is a fixed-size list

    bool videoEnableChecked = false;
    bool videoEnableEnabled = false;
    ChoiceList videoCodec;
    bool videoRadiosVisible = false;
    int videoMode = 0;  // 0 bit rate, 1 quality
    RateKind videoRateKind = RateKind::None;
    std::string videoRateLabel = "&Bit Rate:";
    ChoiceList videoRate;       // editable
    ChoiceList frameRate;       // editable
    bool aspectLocked = false;  // the stored aspect begins with N: left alone
    ChoiceList aspect;          // editable
    ChoiceList size;            // entry value: kSize*
    int32_t width = 0;
    int32_t height = 0;
    bool keepAspect = false;
    bool padding = false;

    formats::PictureSettings picture;  // a copy of the settings' own
    ChoiceList rotate;

    bool audioEnableChecked = false;
    bool audioEnableEnabled = false;
    ChoiceList audioCodec;
    bool audioRadiosVisible = false;
    int audioMode = 0;
    RateKind audioRateKind = RateKind::None;
    std::string audioRateLabel;
    ChoiceList audioRate;
    ChoiceList sampleRate;
    ChoiceList channels;
    int32_t volume = 100;
};

// Why leaving the page was refused, and where the focus goes.
enum class VideoPageFocus { None, Size, CropLeft };
struct VideoPageProblem {
    std::string message;  // empty: no problem
    VideoPageFocus focus = VideoPageFocus::None;
};

class VideoPageModel {
public:
    // The page edits the catalogue's own records.
    VideoPageModel(formats::FormatCatalogue& catalogue, int32_t outputFormatId,
                   const formats::PictureSettings& picture);

    const VideoPageState& State() const { return state_; }
    const formats::OutputFormat* SelectedFormat() const;
    // The id noted by the last Apply (the page's OutputFormat), -1 before.
    int32_t AppliedFormatId() const { return appliedFormatId_; }
    const formats::PictureSettings& Picture() const { return state_.picture; }

    // Reactions to the user.
    void SelectFormat(int catalogueIndex);
    void SetVideoEnabled(bool on);
    void SelectVideoCodec(int index);
    void SetVideoMode(int mode);  // the CBR (0) / VBR (1) radios
    void SetVideoRateText(const std::string& text);
    void SelectVideoRate(int index);
    void SetFrameRateText(const std::string& text);
    void SelectFrameRate(int index);
    void SetAspectText(const std::string& text);
    void SelectAspect(int index);
    void SelectSize(int index);
    void SetCustomSize(int32_t width, int32_t height);
    void SetKeepAspect(bool on) { state_.keepAspect = on; }
    void SetPadding(bool on) { state_.padding = on; }
    void SetDeinterlace(bool on) { state_.picture.VideoDeinterlace = on ? 1 : 0; }
    void SetCropPictures(bool on) { state_.picture.CropPictures = on ? 1 : 0; }
    void SetCropLeft(int32_t value);
    void SetCropRight(int32_t value) { state_.picture.CropRight = value; }
    void SetCropTop(int32_t value);
    void SetCropBottom(int32_t value) { state_.picture.CropBottom = value; }
    void SetCropSameAsLeft(bool on);
    void SetCropSameAsTop(bool on);
    void SelectRotate(int index) { state_.rotate.Select(index); }
    void SetAudioEnabled(bool on);
    void SelectAudioCodec(int index);
    void SetAudioMode(int mode);
    void SelectAudioRate(int index) { state_.audioRate.Select(index); }
    void SelectSampleRate(int index) { state_.sampleRate.Select(index); }
    void SelectChannels(int index) { state_.channels.Select(index); }
    void SetVolume(int32_t volume) { state_.volume = volume; }

    // Writes the page into the selected format's record and notes its id.
    void Apply();
    // The checks after Apply.
    VideoPageProblem Validate() const;

    // Whether each control takes input now.
    bool VideoOn() const;
    bool AudioOn() const;
    bool SizeFieldsEnabled() const;
    bool KeepAspectEnabled() const;
    bool PaddingEnabled() const;
    bool CropFieldEnabled(int margin) const;  // 0 left, 1 right, 2 top, 3 bottom
    bool RotateEnabled() const;
    bool VolumeEnabled() const;

private:
    formats::OutputFormat* Record();
    const formats::VideoCodecInfo* VideoCodecInfo() const;
    const formats::AudioCodecInfo* AudioCodecInfo() const;
    void FillVideoCodec();
    void FillVideoRate();
    void FillSize();
    void FillAudioCodec();
    void FillAudioRate();

    formats::FormatCatalogue& catalogue_;
    VideoPageState state_;
    int32_t appliedFormatId_ = -1;
};

// The optimized Ogg formats take no volume, padding or rotation.
bool IsOptimizedOgg(int32_t formatId);

// The number at the start of a text, as the rate and size boxes read it; no digit reads as 0.
int32_t LeadingNumber(const std::string& text);

}  // namespace quillon::app
