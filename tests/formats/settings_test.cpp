#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <set>

#include "formats/conversion_settings.h"
#include "formats/settings_values.h"
#include "platform/registry_store.h"

namespace quillon::formats {
namespace {

using platform::RegistryTree;
using platform::RegValue;

struct Loaded {
    FormatCatalogue catalogue;
    ConversionSettings settings;
};

Loaded LoadFrom(const RegistryTree& store, const std::string& documents = "/home/me/Documents/") {
    Loaded l;
    BuildCatalogue(l.catalogue);
    l.settings = DefaultSettings(documents);
    LoadSettings(store, l.settings, l.catalogue);
    return l;
}

TEST(Settings, FirstRunKeepsEveryDefault) {
    Loaded l = LoadFrom(RegistryTree{});
    const ConversionSettings& s = l.settings;
    EXPECT_EQ(s.OutputFormat, 110);
    EXPECT_EQ(s.ConversionThreads, 2);
    EXPECT_EQ(s.ConversionPriority, 32);
    EXPECT_EQ(s.KeepID3Tag, 1);
    EXPECT_EQ(s.NormalizeFile, 1);
    EXPECT_EQ(s.DestOutputFolderOpt, kOutputSpecificFolder);
    EXPECT_EQ(s.DestSpecifiedFolder, "/home/me/Documents");
    EXPECT_EQ(s.TargetExistsOpt, kTargetRename);
    EXPECT_EQ(s.RequestAudioIndex, 1);
    EXPECT_EQ(s.CropSameAsLeft, 1);
    EXPECT_EQ(s.BrowseOutputFolder, 1);
    EXPECT_TRUE(s.ExtensionFilter.empty());
    FormatCatalogue fresh;
    BuildCatalogue(fresh);
    EXPECT_EQ(FindFormat(l.catalogue, 80)->VideoCodec, FindFormat(fresh, 80)->VideoCodec);

    ConversionSettings unknownDocuments = DefaultSettings("");
    EXPECT_EQ(unknownDocuments.DestOutputFolderOpt, kOutputSameAsSource);
    EXPECT_EQ(unknownDocuments.DestSpecifiedFolder, "");
}

TEST(Settings, CropMarginsAreCorrectedAsTheyLoad) {
    RegistryTree store;
    store.SetDword(kOptionsKey, "CropLeft", -3);
    store.SetDword(kOptionsKey, "CropTop", 5);
    store.SetDword(kOptionsKey, "CropRight", 8);
    store.SetDword(kOptionsKey, "CropBottom", INT32_MAX);
    Loaded l = LoadFrom(store);
    EXPECT_EQ(l.settings.CropLeft, 0);
    EXPECT_EQ(l.settings.CropTop, 6);
    EXPECT_EQ(l.settings.CropRight, 8);
    EXPECT_EQ(l.settings.CropBottom, INT32_MAX - 1);  // raising it would overflow
}

void SetDouble(RegistryTree& store, const std::string& name, double value) {
    const auto bits = std::bit_cast<uint64_t>(value);
    uint8_t bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
    store.SetBinary(kOptionsKey, name, bytes, sizeof bytes);
}

TEST(Settings, AbsurdNumbersAreBroughtIntoRangeAsTheyLoad) {
    FormatCatalogue names;
    BuildCatalogue(names);
    auto name = [&](int32_t id, const char* value) { return RegistryPrefix(*FindFormat(names, id)) + value; };
    RegistryTree store;
    SetDouble(store, name(110, "VideoFrameRate"), 2.02e301);
    SetDouble(store, name(90, "VideoFrameRate"), std::numeric_limits<double>::infinity());
    SetDouble(store, name(40, "VideoFrameRate"), std::nan(""));
    SetDouble(store, name(80, "VideoFrameRate"), -25.0);
    SetDouble(store, name(120, "VideoFrameRate"), 29.97);
    store.SetDword(kOptionsKey, "MP4VideoWidth", INT32_MAX);
    store.SetDword(kOptionsKey, "MP4VideoHeight", -480);
    store.SetDword(kOptionsKey, "MP4VideoBitRate", INT32_MAX);
    store.SetDword(kOptionsKey, "MP4AudioBitRate", -128000);
    store.SetDword(kOptionsKey, "MP4AudioSampleRate", INT32_MAX);
    store.SetDword(kOptionsKey, "MP4AudioChannels", -2);
    store.SetDword(kOptionsKey, "MP4AudioVolume", INT32_MIN);
    store.SetDword(kOptionsKey, name(90, "AudioVolume"), INT32_MAX);
    store.SetDword(kOptionsKey, "MP4VideoVBRQuality", INT32_MIN);
    store.SetDword(kOptionsKey, "SkipLength", -5000);
    store.SetDword(kOptionsKey, "ConversionThreads", 1000);
    store.SetDword(kOptionsKey, "RotateFlip", 7);
    Loaded l = LoadFrom(store);
    const OutputFormat& mp4 = *FindFormat(l.catalogue, 110);
    EXPECT_EQ(mp4.VideoFrameRate, -1.0);  // not a rate: the source's
    EXPECT_EQ(FindFormat(l.catalogue, 90)->VideoFrameRate, -1.0);
    EXPECT_EQ(FindFormat(l.catalogue, 40)->VideoFrameRate, -1.0);
    EXPECT_EQ(FindFormat(l.catalogue, 80)->VideoFrameRate, -1.0);
    EXPECT_DOUBLE_EQ(FindFormat(l.catalogue, 120)->VideoFrameRate, 29.97);
    EXPECT_EQ(mp4.VideoWidth, kMaxFrameSide);
    EXPECT_EQ(mp4.VideoHeight, 0);
    EXPECT_EQ(mp4.VideoBitRate, kMaxBitRate);
    EXPECT_EQ(mp4.AudioBitRate, 0);
    EXPECT_EQ(mp4.AudioSampleRate, kMaxSampleRate);
    EXPECT_EQ(mp4.AudioChannels, 0);
    EXPECT_EQ(mp4.AudioVolume, kMinVolume);
    EXPECT_EQ(FindFormat(l.catalogue, 90)->AudioVolume, kMaxVolume);
    EXPECT_EQ(mp4.VideoVBRQuality, -1);
    EXPECT_EQ(l.settings.SkipLength, 0);
    EXPECT_EQ(l.settings.ConversionThreads, 32);
    EXPECT_EQ(l.settings.RotateFlip, 0);

    // Every default is in range: loading a store without values changes no record.
    RegistryTree empty;
    empty.CreateKey(kOptionsKey);
    Loaded defaults = LoadFrom(empty);
    FormatCatalogue fresh;
    BuildCatalogue(fresh);
    ASSERT_EQ(defaults.catalogue.size(), fresh.size());
    for (std::size_t i = 0; i < fresh.size(); ++i) {
        const OutputFormat& a = defaults.catalogue[i];
        const OutputFormat& b = fresh[i];
        EXPECT_TRUE(a.VideoWidth == b.VideoWidth && a.VideoHeight == b.VideoHeight &&
                    a.VideoBitRate == b.VideoBitRate && a.VideoVBRQuality == b.VideoVBRQuality &&
                    a.VideoFrameRate == b.VideoFrameRate && a.AudioBitRate == b.AudioBitRate &&
                    a.AudioVBRQuality == b.AudioVBRQuality && a.AudioCompressionLevel == b.AudioCompressionLevel &&
                    a.AudioSampleRate == b.AudioSampleRate && a.AudioChannels == b.AudioChannels &&
                    a.AudioVolume == b.AudioVolume)
            << b.FormatId;
    }
}

TEST(Settings, RetiredAacEncodersLoadAsAac) {
    RegistryTree store;
    store.SetString(kOptionsKey, "MP4AudioCodec", "libfaac");
    store.SetString(kOptionsKey, "M4AAudioCodec", "libvo_aacenc");
    store.SetString(kOptionsKey, "MKVAudioCodec", "libfaac2");  // only the exact names
    Loaded l = LoadFrom(store);
    EXPECT_EQ(FindFormat(l.catalogue, 110)->AudioCodec, "aac");
    EXPECT_EQ(FindFormat(l.catalogue, 1100)->AudioCodec, "aac");
    EXPECT_EQ(FindFormat(l.catalogue, 90)->AudioCodec, "libfaac2");
}

TEST(Settings, ExtensionFilterSplitsAtCommasAndKeepsBlanks) {
    RegistryTree store;
    store.SetDword(kOptionsKey, "EnableExtFilter", 1);
    store.SetString(kOptionsKey, "FilterExts", "MP4,,Avi, mkv");
    Loaded l = LoadFrom(store);
    EXPECT_EQ(l.settings.ExtensionFilter, (std::vector<std::string>{"mp4", "avi", " mkv"}));

    l.settings.EnableExtFilter = 0;
    RebuildExtensionFilter(l.settings);
    EXPECT_TRUE(l.settings.ExtensionFilter.empty());
    l.settings.EnableExtFilter = 1;
    l.settings.FilterExts = ",,,";
    RebuildExtensionFilter(l.settings);
    EXPECT_TRUE(l.settings.ExtensionFilter.empty());
}

TEST(Settings, UnreadableValuesKeepTheirDefaults) {
    RegistryTree store;
    store.SetValue(kOptionsKey, "ConversionThreads", RegValue{platform::RegDword, {4, 0}});  // short
    store.SetValue(kOptionsKey, "OutputFormat", RegValue{platform::RegBinary, {0x90, 0x04, 0, 0}});
    store.SetDword(kOptionsKey, "Folder", 7);       // a DWORD where a text belongs
    store.SetString(kOptionsKey, "DVDFolder", "");  // a stored empty text empties the field
    store.SetValue(kOptionsKey, "MP4VideoCodec", RegValue{platform::RegSz, {}});  // no bytes at all
    store.SetString(kOptionsKey, "MP4VideoAspect", "");
    store.SetDword(kOptionsKey, "MP4VideoFrameRate", 25);  // 4 bytes where a double belongs
    Loaded l = LoadFrom(store);
    EXPECT_EQ(l.settings.ConversionThreads, 2);
    EXPECT_EQ(l.settings.OutputFormat, 1168);  // the stored type is not checked, the size is
    EXPECT_EQ(l.settings.Folder, "");
    EXPECT_EQ(l.settings.DVDFolder, "");
    EXPECT_EQ(FindFormat(l.catalogue, 110)->VideoCodec, "mpeg4");
    EXPECT_EQ(FindFormat(l.catalogue, 110)->VideoFrameRate, -1.0);

    RegistryTree aspect;
    aspect.SetString(kOptionsKey, "MP4VideoAspect", "16:9");
    Loaded withAspect = LoadFrom(aspect);
    ASSERT_EQ(FindFormat(withAspect.catalogue, 110)->VideoAspect, "16:9");
    LoadSettings(store, withAspect.settings, withAspect.catalogue);  // stored "" empties it again
    EXPECT_EQ(FindFormat(withAspect.catalogue, 110)->VideoAspect, "");
}

TEST(Settings, GroupsWriteOnlyTheirValues) {
    Loaded l = LoadFrom(RegistryTree{});
    RegistryTree none;
    SaveSettings(none, l.settings, l.catalogue, 0);
    EXPECT_FALSE(none.KeyExists(kOptionsKey));

    RegistryTree state;
    SaveSettings(state, l.settings, l.catalogue, kProgramStateGroup);
    EXPECT_EQ(state.ValueNames(kOptionsKey),
              (std::vector<std::string>{"ConversionPriority", "ConversionThreads", "OutputFormat", "OptStartPageIndex",
                                        "LastAddFileDir", "Folder", "DVDFolder"}));

    RegistryTree options;
    SaveSettings(options, l.settings, l.catalogue, kOptionsGroup);
    std::vector<std::string> names = options.ValueNames(kOptionsKey);
    EXPECT_EQ(names.front(), "DestOutputFolderOpt");
    EXPECT_EQ(std::count(names.begin(), names.end(), "OutputFormat"), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), "DIVXVideoCodec"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "MP3VideoCodec"), 0);   // no video offers
    EXPECT_EQ(std::count(names.begin(), names.end(), "APNGAudioCodec"), 0);  // no audio offers
    // 30 globals, then 11 video and 9 audio values per format that offers them, the OGG audio
    // names shared by two formats.
    size_t expected = 30;
    for (const OutputFormat& f : l.catalogue) expected += (f.VideoCodecs ? 11 : 0) + (f.AudioCodecs ? 9 : 0);
    EXPECT_EQ(names.size(), expected - 9);
    const RegValue* rate = options.QueryValue(kOptionsKey, "VCDVideoFrameRate");
    ASSERT_NE(rate, nullptr);
    EXPECT_EQ(rate->type, platform::RegBinary);
    double stored = 0;
    ASSERT_EQ(rate->data.size(), 8u);
    std::memcpy(&stored, rate->data.data(), 8);
    EXPECT_EQ(stored, 29.97);
    const RegValue* codec = options.QueryValue(kOptionsKey, "VCDVideoCodec");
    EXPECT_EQ(codec->data.size(), 2u * (std::strlen("mpeg1video") + 1));
}

TEST(Settings, SavedValuesLoadBackAndTheSharedOggPrefixEndsWithTheAudioFormat) {
    Loaded a = LoadFrom(RegistryTree{});
    a.settings.OutputFormat = 21002;
    a.settings.FilterExts = "mp4,avi";
    a.settings.EnableExtFilter = 1;
    a.settings.DestSpecifiedFolder = "/media/out";
    OutputFormat& mp4 = *FindFormat(a.catalogue, 110);
    mp4.VideoFrameRate = 23.97;
    mp4.VideoAspect = "4:3";
    mp4.AudioVolume = 150;
    FindFormat(a.catalogue, 130)->AudioCodec = "flac";      // video "ogg"
    FindFormat(a.catalogue, 1180)->AudioCodec = "libopus";  // audio "ogg", written last
    FindFormat(a.catalogue, 130)->VideoWidth = 640;         // video values are its own

    RegistryTree store;
    SaveSettings(store, a.settings, a.catalogue, kProgramStateGroup | kOptionsGroup);
    Loaded b = LoadFrom(store, "");
    EXPECT_EQ(b.settings.OutputFormat, 21002);
    EXPECT_EQ(b.settings.DestOutputFolderOpt, kOutputSpecificFolder);
    EXPECT_EQ(b.settings.DestSpecifiedFolder, "/media/out");
    EXPECT_EQ(b.settings.ExtensionFilter, (std::vector<std::string>{"mp4", "avi"}));
    EXPECT_EQ(FindFormat(b.catalogue, 110)->VideoFrameRate, 23.97);
    EXPECT_EQ(FindFormat(b.catalogue, 110)->VideoAspect, "4:3");
    EXPECT_EQ(FindFormat(b.catalogue, 110)->AudioVolume, 150);
    EXPECT_EQ(FindFormat(b.catalogue, 130)->AudioCodec, "libopus");
    EXPECT_EQ(FindFormat(b.catalogue, 1180)->AudioCodec, "libopus");
    EXPECT_EQ(FindFormat(b.catalogue, 130)->VideoWidth, 640);
    // Formats sharing "mp4" keep apart.
    EXPECT_EQ(FindFormat(b.catalogue, 80)->AudioVolume, 100);
}

TEST(Settings, EveryValueHasOneFieldAndATypeThatMatchesIt) {
    Loaded l = LoadFrom(RegistryTree{});
    std::vector<SettingValue> all = AllSettingValues(l.settings, l.catalogue);
    ASSERT_GE(all.size(), 37u);
    EXPECT_EQ(all[0].name, "DVDFolder");
    for (const SettingValue& v : all) {
        const int fields = (v.dword != nullptr) + (v.text != nullptr) + (v.number != nullptr);
        EXPECT_EQ(fields, 1) << v.name;
        EXPECT_EQ(v.type == SettingType::Dword, v.dword != nullptr) << v.name;
        EXPECT_EQ(v.type == SettingType::String, v.text != nullptr) << v.name;
    }
}

// Each name reaches its own field: a distinct in-range value in every field survives a save and a
// load under the same name, and no two names share a field.
TEST(Settings, EveryNameRoundTripsThroughItsOwnField) {
    Loaded a = LoadFrom(RegistryTree{});
    std::vector<SettingValue> values = AllSettingValues(a.settings, a.catalogue);
    std::set<const void*> fields;
    int next = 1;
    for (SettingValue& v : values) {
        fields.insert(v.dword  ? static_cast<const void*>(v.dword)
                      : v.text ? static_cast<const void*>(v.text)
                               : static_cast<const void*>(v.number));
        switch (v.type) {
        case SettingType::Dword:
            // Not the default, and inside every range (even for the crop margins, 0..6 for
            // the rotation, 10 and up for the volume).
            if (v.name == "RotateFlip") *v.dword = *v.dword == 2 ? 4 : 2;
            else *v.dword = *v.dword == 12 ? 14 : 12;
            break;
        case SettingType::String: *v.text = "text " + std::to_string(next); break;
        case SettingType::Double: *v.number = next / 8.0; break;
        }
        ++next;
    }
    EXPECT_EQ(fields.size(), values.size());

    RegistryTree store;
    SaveSettings(store, a.settings, a.catalogue, kProgramStateGroup | kOptionsGroup);
    Loaded b = LoadFrom(store);
    std::vector<SettingValue> loaded = AllSettingValues(b.settings, b.catalogue);
    ASSERT_EQ(loaded.size(), values.size());
    std::map<std::string, std::string> written;  // the last format to write a shared name wins
    for (const SettingValue& v : values) {
        written[v.name] = v.dword ? std::to_string(*v.dword) : v.text ? *v.text : std::to_string(*v.number);
    }
    for (const SettingValue& v : loaded) {
        const std::string text = v.dword ? std::to_string(*v.dword) : v.text ? *v.text : std::to_string(*v.number);
        EXPECT_EQ(text, written[v.name]) << v.name;
    }
    // The options group copies what the sheet confirms and leaves the program state alone.
    ConversionSettings copy = DefaultSettings("");
    copy.OutputFormat = 5;
    copy.DVDFolder = "/dvd";
    CopyOptionsGroup(b.settings, copy);
    EXPECT_EQ(copy.OutputFormat, 5);
    EXPECT_EQ(copy.DVDFolder, "/dvd");
    EXPECT_EQ(copy.CropSameAsTop, b.settings.CropSameAsTop);
    EXPECT_EQ(copy.FilterExts, b.settings.FilterExts);
    EXPECT_EQ(copy.DestOutputFolderOpt, b.settings.DestOutputFolderOpt);
}

}  // namespace
}  // namespace quillon::formats
