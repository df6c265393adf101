// The Video & Audio page's logic: the lists it offers for each codec, the entries it selects
// for stored values, what it writes back, and what it refuses.
#include <gtest/gtest.h>

#include "app/video_page_model.h"

namespace quillon::app {
namespace {

using formats::FindFormat;
using formats::FormatCatalogue;
using formats::OutputFormat;

class VideoPageTest : public testing::Test {
protected:
    void SetUp() override { formats::BuildCatalogue(catalogue); }

    VideoPageModel Open(int32_t id) { return VideoPageModel(catalogue, id, formats::PictureSettings{}); }
    OutputFormat& Format(int32_t id) { return *FindFormat(catalogue, id); }

    static std::vector<std::string> Texts(const ChoiceList& list) {
        std::vector<std::string> texts;
        for (const Choice& c : list.entries) texts.push_back(c.text);
        return texts;
    }

    FormatCatalogue catalogue;
};

TEST_F(VideoPageTest, H264QualityListRunsFromLowToHighWithItsMarks) {
    Format(80).VideoVBRQuality = 60;  // beyond the scale
    VideoPageModel page = Open(80);
    const VideoPageState& s = page.State();
    ASSERT_EQ(s.videoRateKind, RateKind::Quality);
    EXPECT_TRUE(s.videoRadiosVisible);
    EXPECT_EQ(s.videoRateLabel, "&Quality:");
    const auto texts = Texts(s.videoRate);
    ASSERT_EQ(texts.size(), 52u);
    EXPECT_EQ(texts[0], "51 (low quality, small size)");
    EXPECT_EQ(texts[51 - 26], "26 (normal quality)");
    EXPECT_EQ(texts[51 - 24], "24 (good quality)");
    EXPECT_EQ(texts[51 - 22], "22 (very good quality)");
    EXPECT_EQ(texts[51 - 18], "18 (almost lossless)");
    EXPECT_EQ(texts[51 - 17], "17");
    EXPECT_EQ(texts[51], "0 (high quality, big size)");
    EXPECT_EQ(s.videoRate.selected, 0);  // 60 is shown as 51
    EXPECT_EQ(s.videoRate.text, texts[0]);

    // CBR rebuilds the bit-rate list; the stored rate shows as typed text.
    Format(80).VideoBitRate = 1234000;
    page.SetVideoMode(0);
    EXPECT_EQ(page.State().videoRateLabel, "&Bit Rate:");
    EXPECT_EQ(page.State().videoRate.entries[0].text, "Auto");
    EXPECT_EQ(page.State().videoRate.entries[1].text, "96 kbps (low quality, small size)");
    EXPECT_EQ(page.State().videoRate.entries.back().text, "20000 kbps (high quality, big size)");
    EXPECT_EQ(page.State().videoRate.text, "1234 kbps");
}

TEST_F(VideoPageTest, QualityScalesOfTheOtherCodecs) {
    // Theora in OGG: 0 ... 10.
    VideoPageModel ogg = Open(130);
    auto texts = Texts(ogg.State().videoRate);
    ASSERT_EQ(texts.size(), 11u);
    EXPECT_EQ(texts.front(), "0 (low quality, small size)");
    EXPECT_EQ(texts.back(), "10 (high quality, big size)");
    EXPECT_EQ(ogg.State().videoRate.text, "6");

    // The 31 ... 2 scale marks 5 and 10.
    VideoPageModel mpg = Open(120);
    texts = Texts(mpg.State().videoRate);
    ASSERT_EQ(texts.size(), 30u);
    EXPECT_EQ(texts.front(), "31 (low quality, small size)");
    EXPECT_EQ(texts[31 - 10], "10 (medium quality)");
    EXPECT_EQ(texts[31 - 5], "5 (good quality)");
    EXPECT_EQ(texts.back(), "2 (high quality, big size)");
}

TEST_F(VideoPageTest, FixedSizeListsAndSizeNames) {
    Format(65).VideoWidth = 0;
    Format(65).VideoHeight = 0;
    VideoPageModel dvd = Open(65);
    const VideoPageState& s = dvd.State();
    EXPECT_EQ(Texts(s.size), (std::vector<std::string>{"720x480    (DVD NTSC)", "720x576    (DVD PAL)"}));
    EXPECT_EQ(s.size.selected, 1);  // 0x0 selects the last size
    EXPECT_FALSE(dvd.PaddingEnabled());
    EXPECT_FALSE(dvd.SizeFieldsEnabled());
    dvd.Apply();
    EXPECT_EQ(Format(65).VideoWidth, 720);
    EXPECT_EQ(Format(65).VideoHeight, 576);

    EXPECT_EQ(FrameSizeText(180, 352, 240), "352x240    (VCD NTSC)");
    EXPECT_EQ(FrameSizeText(60, 720, 576), "720x576    (DV PAL)");
    EXPECT_EQ(FrameSizeText(60, 352, 288), "352x288");  // the three formats name only their own sizes
    EXPECT_EQ(FrameSizeText(110, 640, 480), "640x480    (VGA 4:3)");
    EXPECT_EQ(FrameSizeText(110, 1920, 1080), "1920x1080  (FHD 1080p 16:9)");
    EXPECT_EQ(FrameSizeText(110, 1000, 1000), "1000x1000");

    // A free list ends with the two extra entries; a stored size off the list is "Customize".
    Format(110).VideoWidth = 642;
    Format(110).VideoHeight = 480;
    VideoPageModel mp4 = Open(110);
    const ChoiceList& size = mp4.State().size;
    EXPECT_EQ(size.entries[size.entries.size() - 2].text, "Same as original video");
    EXPECT_EQ(size.entries.back().text, "Customize");
    EXPECT_EQ(size.selected, static_cast<int>(size.entries.size()) - 1);
    EXPECT_TRUE(mp4.SizeFieldsEnabled());
    EXPECT_TRUE(mp4.PaddingEnabled());
    mp4.SelectSize(size.Find(kSizeSameAsOriginal));
    EXPECT_FALSE(mp4.SizeFieldsEnabled());
    EXPECT_FALSE(mp4.KeepAspectEnabled());
    EXPECT_FALSE(mp4.PaddingEnabled());
}

TEST_F(VideoPageTest, OptimizedOggTakesNoVolumePaddingOrRotation) {
    for (int32_t id : {135, 145, 155}) {
        VideoPageModel page = Open(id);
        EXPECT_FALSE(page.VolumeEnabled()) << id;
        EXPECT_FALSE(page.PaddingEnabled()) << id;
        EXPECT_FALSE(page.RotateEnabled()) << id;
        EXPECT_TRUE(page.AudioOn()) << id;
    }
    VideoPageModel plain = Open(130);
    EXPECT_TRUE(plain.VolumeEnabled());
    EXPECT_TRUE(plain.RotateEnabled());
}

TEST_F(VideoPageTest, AudioRateListsByCodec) {
    Format(1200).AudioCodec = "g726";
    VideoPageModel wav = Open(1200);
    EXPECT_EQ(wav.State().audioRateLabel, "Bi&t Rate:");
    EXPECT_EQ(Texts(wav.State().audioRate),
              (std::vector<std::string>{"Auto", "2 bit (low quality, small size)", "3 bit", "4 bit",
                                        "5 bit (high quality, big size)"}));

    VideoPageModel opus = Open(1182);
    ASSERT_EQ(opus.State().audioCodec.entries[opus.State().audioCodec.selected].text, "Opus");
    EXPECT_EQ(opus.State().audioRate.entries[1].text, "6 kbps (low quality, small size)");
    EXPECT_EQ(opus.State().audioRate.entries.back().text, "512 kbps (high quality, big size)");

    VideoPageModel wma = Open(1210);
    EXPECT_EQ(wma.State().audioRate.entries.back().text, "440 kbps (high quality, big size)");

    // AMR rates that are no whole kbps keep two decimals.
    VideoPageModel threeGp = Open(20);
    EXPECT_EQ(threeGp.State().audioRate.entries[1].text, "4.75 kbps (low quality, small size)");
    EXPECT_EQ(threeGp.State().audioRate.text, "12.20 kbps (high quality, big size)");

    // Levels, and both kinds with the radios.
    Format(1220).AudioCompressionLevel = 3;
    VideoPageModel wv = Open(1220);
    EXPECT_EQ(wv.State().audioRateLabel, "Co&mpression:");
    EXPECT_FALSE(wv.State().audioRadiosVisible);
    EXPECT_EQ(wv.State().audioRate.entries.front().text, "0 (fast encoding, big size)");
    EXPECT_EQ(wv.State().audioRate.entries.back().text, "4 (slow encoding, small size)");
    EXPECT_EQ(wv.State().audioRate.text, "3");

    Format(1160).AudioVBREnabled = 1;
    Format(1160).AudioVBRQuality = 4;
    VideoPageModel mp3 = Open(1160);
    EXPECT_TRUE(mp3.State().audioRadiosVisible);
    EXPECT_EQ(mp3.State().audioRateLabel, "&Quality:");
    EXPECT_EQ(mp3.State().audioRate.entries.front().text, "10 (low quality, small size)");
    EXPECT_EQ(mp3.State().audioRate.text, "4");
    EXPECT_EQ(mp3.State().sampleRate.entries[1].text, "8000 Hz (low quality)");
    EXPECT_EQ(mp3.State().sampleRate.entries.back().text, "48000 Hz (high quality)");
}

TEST_F(VideoPageTest, ChannelsNotOfferedLeaveNoSelectionAndStoreAuto) {
    // The device formats' AAC offers mono and stereo only.
    OutputFormat* device = nullptr;
    for (OutputFormat& f : catalogue) {
        if (f.Family == formats::FamilyDevice && f.AudioCodec == "aac") {
            device = &f;
            break;
        }
    }
    ASSERT_NE(device, nullptr);
    device->AudioChannels = 6;
    VideoPageModel page = Open(device->FormatId);
    EXPECT_EQ(Texts(page.State().channels), (std::vector<std::string>{"Auto", "Mono", "Stereo"}));
    EXPECT_EQ(page.State().channels.selected, -1);
    page.Apply();
    EXPECT_EQ(device->AudioChannels, 0);

    VideoPageModel mkv = Open(90);
    mkv.SelectAudioCodec(mkv.State().audioCodec.entries.size() - 2);  // Vorbis: every layout
    EXPECT_EQ(Texts(mkv.State().channels).back(), "7.1");
}

TEST_F(VideoPageTest, TypedBitRatesAndOtherTexts) {
    VideoPageModel page = Open(110);  // mpeg4 q 5
    page.SetVideoMode(0);
    page.SetVideoRateText("1500");
    page.Apply();
    EXPECT_EQ(Format(110).VideoBitRate, 1500000);
    EXPECT_EQ(Format(110).VideoVBREnabled, 0);

    page.SelectVideoRate(0);  // Auto
    page.Apply();
    EXPECT_EQ(Format(110).VideoBitRate, 0);

    page.SetVideoRateText("99999999 kbps");  // no wrap into a negative rate
    page.Apply();
    EXPECT_GT(Format(110).VideoBitRate, 0);

    page.SetFrameRateText("23.976 Hz");
    page.SetAspectText("  16:9 ");
    page.Apply();
    EXPECT_DOUBLE_EQ(Format(110).VideoFrameRate, 23.976);
    EXPECT_EQ(Format(110).VideoAspect, "16:9");
    page.SetFrameRateText("fast");
    page.SetAspectText("AUTO");
    page.Apply();
    EXPECT_EQ(Format(110).VideoFrameRate, -1.0);
    EXPECT_EQ(Format(110).VideoAspect, "");

    EXPECT_EQ(LeadingNumber("Auto"), 0);
    EXPECT_EQ(LeadingNumber(" 26 (normal quality)"), 26);
    // A sign is no digit: a typed "-3" must never become a negative bit rate.
    EXPECT_EQ(LeadingNumber("-3"), 0);
    EXPECT_EQ(LeadingNumber("+150"), 0);
    EXPECT_EQ(LeadingNumber("99999999999"), INT32_MAX);
}

TEST_F(VideoPageTest, AspectStartingWithNIsLeftAlone) {
    Format(110).VideoAspect = "N/A";
    VideoPageModel page = Open(110);
    EXPECT_TRUE(page.State().aspectLocked);
    EXPECT_TRUE(page.State().aspect.entries.empty());
    page.Apply();
    EXPECT_EQ(Format(110).VideoAspect, "N/A");
}

TEST_F(VideoPageTest, OddOrNegativeSizesAndCropsAreRefused) {
    VideoPageModel page = Open(110);
    page.SelectSize(page.State().size.Find(kSizeCustomize));
    page.SetCustomSize(641, 480);
    page.Apply();
    EXPECT_EQ(Format(110).VideoWidth, 641);  // already stored when refused
    EXPECT_EQ(page.Validate().message, "Video size must be a multiple of 2.\n");
    EXPECT_EQ(page.Validate().focus, VideoPageFocus::Size);

    page.SetCustomSize(-2, 480);
    page.Apply();
    EXPECT_EQ(page.Validate().message, "Please enter a valid video size.\n");

    page.SetCustomSize(640, 480);
    page.SetCropPictures(true);
    page.SetCropLeft(3);  // the right margin follows
    page.Apply();
    EXPECT_EQ(page.Picture().CropRight, 3);
    EXPECT_EQ(page.Validate().message, "Crop value must be a multiple of 2.\n");
    EXPECT_EQ(page.Validate().focus, VideoPageFocus::CropLeft);
    page.SetCropLeft(4);
    page.SetCropSameAsTop(false);
    page.SetCropBottom(-2);
    EXPECT_EQ(page.Validate().message, "Please enter a valid crop value.\n");
    page.SetCropBottom(2);
    EXPECT_TRUE(page.Validate().message.empty());

    // With video off nothing is checked.
    page.SetCropLeft(5);
    page.SetVideoEnabled(false);
    page.Apply();
    EXPECT_TRUE(page.Validate().message.empty());
}

TEST_F(VideoPageTest, ACustomGroupAsOutputFormatOpensOnTheFirstFormat) {
    VideoPageModel page = Open(21001);
    EXPECT_EQ(page.State().formatIndex, 0);
    EXPECT_EQ(page.AppliedFormatId(), -1);
    page.Apply();
    EXPECT_EQ(page.AppliedFormatId(), 10);
}

TEST_F(VideoPageTest, FormatsWithoutVideoOrAudio) {
    VideoPageModel mp3 = Open(1160);
    EXPECT_FALSE(mp3.State().videoEnableChecked);
    EXPECT_FALSE(mp3.State().videoEnableEnabled);
    EXPECT_FALSE(mp3.VideoOn());
    EXPECT_TRUE(mp3.State().audioEnableChecked);
    EXPECT_FALSE(mp3.State().audioEnableEnabled);  // audio formats always have audio

    VideoPageModel gif = Open(75);
    EXPECT_FALSE(gif.AudioOn());
    EXPECT_EQ(gif.State().volume, 100);
    EXPECT_TRUE(gif.State().audioCodec.entries.empty());

    // Turning video off disables the controls and keeps the record's video values.
    Format(110).VideoWidth = 640;
    Format(110).VideoHeight = 480;
    VideoPageModel mp4 = Open(110);
    mp4.SetVideoEnabled(false);
    EXPECT_FALSE(mp4.VideoOn());
    EXPECT_FALSE(mp4.RotateEnabled());
    mp4.SelectSize(mp4.State().size.Find(kSizeSameAsOriginal));
    mp4.Apply();
    EXPECT_EQ(Format(110).VideoEnable, 0);
    EXPECT_EQ(Format(110).VideoWidth, 640);
}

TEST_F(VideoPageTest, RotateEntriesAndGlobalsReachTheModel) {
    formats::PictureSettings picture;
    picture.RotateFlip = 9;  // none of the entries
    VideoPageModel page(catalogue, 110, picture);
    EXPECT_EQ(page.State().rotate.entries.size(), 7u);
    EXPECT_EQ(page.State().rotate.selected, 0);
    page.SelectRotate(4);
    page.Apply();
    EXPECT_EQ(page.Picture().RotateFlip, 4);
    EXPECT_EQ(page.State().rotate.text, "Rotate by 90 degrees counterclockwise and vertically flip");
}

// Opening the page and leaving it must not change a record: every format with its defaults,
// then every codec of every format chosen once and applied, opened again and applied again.
TEST_F(VideoPageTest, OpeningAndApplyingLeavesEveryRecordUnchanged) {
    const auto same = [](const OutputFormat& a, const OutputFormat& b) {
        return a.VideoEnable == b.VideoEnable && a.VideoCodec == b.VideoCodec && a.VideoAspect == b.VideoAspect &&
               a.VideoWidth == b.VideoWidth && a.VideoHeight == b.VideoHeight &&
               a.VideoKeepAspect == b.VideoKeepAspect && a.AddPadding == b.AddPadding &&
               a.VideoBitRate == b.VideoBitRate && a.VideoVBRQuality == b.VideoVBRQuality &&
               a.VideoVBREnabled == b.VideoVBREnabled && a.VideoFrameRate == b.VideoFrameRate &&
               a.AudioEnable == b.AudioEnable && a.AudioCodec == b.AudioCodec && a.AudioBitRate == b.AudioBitRate &&
               a.AudioVBRQuality == b.AudioVBRQuality && a.AudioVBREnabled == b.AudioVBREnabled &&
               a.AudioCompressionLevel == b.AudioCompressionLevel && a.AudioSampleRate == b.AudioSampleRate &&
               a.AudioChannels == b.AudioChannels && a.AudioVolume == b.AudioVolume;
    };
    ASSERT_EQ(catalogue.size(), 79u);
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        const OutputFormat before = catalogue[i];
        VideoPageModel page = Open(before.FormatId);
        ASSERT_EQ(page.State().formatIndex, static_cast<int>(i));
        page.Apply();
        EXPECT_TRUE(page.Validate().message.empty()) << before.FormatId;
        EXPECT_TRUE(same(before, catalogue[i])) << "defaults drift for " << before.FormatId;
    }

    formats::FormatCatalogue fresh;
    formats::BuildCatalogue(fresh);
    int walked = 0;
    for (std::size_t i = 0; i < fresh.size(); ++i) {
        const std::size_t videoCodecs = fresh[i].VideoCodecs ? fresh[i].VideoCodecs->size() : 1;
        const std::size_t audioCodecs = fresh[i].AudioCodecs ? fresh[i].AudioCodecs->size() : 1;
        for (std::size_t codec = 0; codec < std::max(videoCodecs, audioCodecs); ++codec) {
            catalogue[i] = fresh[i];
            VideoPageModel first = Open(fresh[i].FormatId);
            if (fresh[i].VideoCodecs) first.SelectVideoCodec(static_cast<int>(codec % videoCodecs));
            if (fresh[i].AudioCodecs) first.SelectAudioCodec(static_cast<int>(codec % audioCodecs));
            first.Apply();
            const OutputFormat once = catalogue[i];
            VideoPageModel again = Open(fresh[i].FormatId);
            again.Apply();
            EXPECT_TRUE(same(once, catalogue[i])) << fresh[i].FormatId << " codec " << codec;
            ++walked;
        }
    }
    EXPECT_GT(walked, 79);
}

}  // namespace
}  // namespace quillon::app
