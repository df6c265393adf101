#include "formats/conversion_settings.h"

#include <algorithm>
#include <bit>
#include <climits>

#include "formats/settings_values.h"
#include "platform/registry_store.h"
#include "util/text.h"

namespace quillon::formats {

namespace {

using platform::RegistryTree;
using platform::RegValue;

struct DwordField {
    const char* name;
    int32_t ConversionSettings::*field;
};

struct StringField {
    const char* name;
    std::string ConversionSettings::*field;
};

// The globals in the order of the settings table; SettingValues and the load and save orders
// below refer to them by name.
constexpr StringField kStringFields[] = {
    {"DVDFolder", &ConversionSettings::DVDFolder},
    {"Folder", &ConversionSettings::Folder},
    {"LastAddFileDir", &ConversionSettings::LastAddFileDir},
    {"DestSpecifiedFolder", &ConversionSettings::DestSpecifiedFolder},
    {"FilterExts", &ConversionSettings::FilterExts},
};

constexpr DwordField kDwordFields[] = {
    {"DestOutputFolderOpt", &ConversionSettings::DestOutputFolderOpt},
    {"CreateDirs", &ConversionSettings::CreateDirs},
    {"CreateFolderForEachSource", &ConversionSettings::CreateFolderForEachSource},
    {"BrowseOutputFolder", &ConversionSettings::BrowseOutputFolder},
    {"OutputFiles2MyDocuments", &ConversionSettings::OutputFiles2MyDocuments},
    {"TargetExistsOpt", &ConversionSettings::TargetExistsOpt},
    {"KeepDateCreated", &ConversionSettings::KeepDateCreated},
    {"KeepDateModified", &ConversionSettings::KeepDateModified},
    {"KeepID3Tag", &ConversionSettings::KeepID3Tag},
    {"FixAudioUnsync", &ConversionSettings::FixAudioUnsync},
    {"NormalizeFile", &ConversionSettings::NormalizeFile},
    {"EnableExtFilter", &ConversionSettings::EnableExtFilter},
    {"EnableSkipLength", &ConversionSettings::EnableSkipLength},
    {"SkipLength", &ConversionSettings::SkipLength},
    {"EnableConvertLength", &ConversionSettings::EnableConvertLength},
    {"ConvertLength", &ConversionSettings::ConvertLength},
    {"EnableIgnoreTheLast", &ConversionSettings::EnableIgnoreTheLast},
    {"IgnoreLength", &ConversionSettings::IgnoreLength},
    {"RequestAudioIndex", &ConversionSettings::RequestAudioIndex},
    {"OutputFormat", &ConversionSettings::OutputFormat},
    {"ConversionPriority", &ConversionSettings::ConversionPriority},
    {"ConversionThreads", &ConversionSettings::ConversionThreads},
    {"VideoDeinterlace", &ConversionSettings::VideoDeinterlace},
    {"RotateFlip", &ConversionSettings::RotateFlip},
    {"CropPictures", &ConversionSettings::CropPictures},
    {"CropLeft", &ConversionSettings::CropLeft},
    {"CropRight", &ConversionSettings::CropRight},
    {"CropTop", &ConversionSettings::CropTop},
    {"CropBottom", &ConversionSettings::CropBottom},
    {"CropSameAsLeft", &ConversionSettings::CropSameAsLeft},
    {"CropSameAsTop", &ConversionSettings::CropSameAsTop},
    {"OptStartPageIndex", &ConversionSettings::OptStartPageIndex},
};

// The order of the globals in the settings table (strings and DWORDs together).
constexpr const char* kTableOrder[] = {
    "DVDFolder", "Folder", "LastAddFileDir", "DestOutputFolderOpt", "DestSpecifiedFolder",
    "CreateDirs", "CreateFolderForEachSource", "BrowseOutputFolder", "OutputFiles2MyDocuments",
    "TargetExistsOpt", "KeepDateCreated", "KeepDateModified", "KeepID3Tag", "FixAudioUnsync",
    "NormalizeFile", "EnableExtFilter", "FilterExts", "EnableSkipLength", "SkipLength",
    "EnableConvertLength", "ConvertLength", "EnableIgnoreTheLast", "IgnoreLength",
    "RequestAudioIndex", "OutputFormat", "ConversionPriority", "ConversionThreads",
    "VideoDeinterlace", "RotateFlip", "CropPictures", "CropLeft", "CropRight", "CropTop",
    "CropBottom", "CropSameAsLeft", "CropSameAsTop", "OptStartPageIndex",
};

constexpr const char* kLoadOrder[] = {
    "DVDFolder", "Folder", "LastAddFileDir", "DestOutputFolderOpt", "DestSpecifiedFolder",
    "CreateDirs", "CreateFolderForEachSource", "BrowseOutputFolder", "OutputFiles2MyDocuments",
    "TargetExistsOpt", "KeepDateCreated", "KeepDateModified", "KeepID3Tag", "FixAudioUnsync",
    "NormalizeFile", "EnableExtFilter", "FilterExts",
    // RebuildExtensionFilter runs here
    "EnableConvertLength", "EnableSkipLength", "ConvertLength", "SkipLength",
    "EnableIgnoreTheLast", "IgnoreLength", "RequestAudioIndex", "OutputFormat",
    "ConversionPriority", "ConversionThreads", "VideoDeinterlace", "RotateFlip", "CropPictures",
    "CropLeft", "CropRight", "CropTop", "CropBottom", "CropSameAsLeft", "CropSameAsTop",
    "OptStartPageIndex",
};

constexpr const char* kProgramStateOrder[] = {
    "ConversionPriority", "ConversionThreads", "OutputFormat", "OptStartPageIndex",
    "LastAddFileDir", "Folder", "DVDFolder",
};

constexpr const char* kOptionsOrder[] = {
    "DestOutputFolderOpt", "DestSpecifiedFolder", "CreateDirs", "CreateFolderForEachSource",
    "BrowseOutputFolder", "OutputFiles2MyDocuments", "TargetExistsOpt", "KeepDateCreated",
    "KeepDateModified", "KeepID3Tag", "FixAudioUnsync", "NormalizeFile", "EnableExtFilter",
    "FilterExts", "EnableSkipLength", "SkipLength", "EnableConvertLength", "ConvertLength",
    "EnableIgnoreTheLast", "IgnoreLength", "RequestAudioIndex", "VideoDeinterlace", "RotateFlip",
    "CropPictures", "CropLeft", "CropRight", "CropTop", "CropBottom", "CropSameAsLeft",
    "CropSameAsTop",
};

SettingValue GlobalValue(ConversionSettings& s, std::string_view name) {
    for (const StringField& f : kStringFields) {
        if (name == f.name) return SettingValue{f.name, SettingType::String, nullptr, &(s.*f.field), nullptr};
    }
    for (const DwordField& f : kDwordFields) {
        if (name == f.name) return SettingValue{f.name, SettingType::Dword, &(s.*f.field), nullptr, nullptr};
    }
    return SettingValue{std::string(name), SettingType::Dword};  // not reached: names are ours
}

bool IsCropMargin(std::string_view name) {
    return name == "CropLeft" || name == "CropRight" || name == "CropTop" || name == "CropBottom";
}

uint64_t LittleEndian(const uint8_t* bytes, int count) {
    uint64_t v = 0;
    for (int i = count - 1; i >= 0; --i) v = (v << 8) | bytes[i];
    return v;
}

// DWORDs are read whatever their stored type, but only when they fit the field exactly.
void ReadDword(const RegValue* stored, int32_t& field) {
    if (!stored || stored->data.size() != 4) return;
    field = static_cast<int32_t>(LittleEndian(stored->data.data(), 4));
}

// Strings are read only when stored as text of at least `minBytes` bytes.
void ReadString(const RegValue* stored, size_t minBytes, std::string& field) {
    if (!stored || stored->data.size() < minBytes) return;
    if (stored->type != platform::RegSz && stored->type != platform::RegExpandSz) return;
    if (std::optional<std::string> text = platform::StringFromValue(*stored)) field = std::move(*text);
}

void ReadDouble(const RegValue* stored, double& field) {
    if (!stored || stored->data.size() != 8) return;
    field = std::bit_cast<double>(LittleEndian(stored->data.data(), 8));
}

// Hand-edited or damaged stores can hold anything; each number is brought into the range the
// options pages allow, so no later step meets an absurd value.
void CorrectGlobalValue(std::string_view name, int32_t& value) {
    if (IsCropMargin(name)) {
        value = CorrectCropMargin(value);
    } else if (name == "SkipLength" || name == "ConvertLength" || name == "IgnoreLength") {
        value = std::max(value, 0);
    } else if (name == "ConversionThreads") {
        value = std::clamp(value, 1, 32);
    } else if (name == "RotateFlip") {
        if (value < 0 || value > 6) value = 0;
    } else if (name == "RequestAudioIndex") {
        value = std::clamp(value, 0, 32767);
    }
}

void CorrectFormatValues(OutputFormat& f) {
    f.VideoWidth = std::clamp(f.VideoWidth, 0, kMaxFrameSide);
    f.VideoHeight = std::clamp(f.VideoHeight, 0, kMaxFrameSide);
    f.VideoBitRate = std::clamp(f.VideoBitRate, 0, kMaxBitRate);
    f.VideoVBRQuality = std::clamp(f.VideoVBRQuality, -1, kMaxQuality);
    // Not a usable rate (NaN, infinite, 0, negative, beyond any encoder): the source's rate.
    if (!(f.VideoFrameRate > 0 && f.VideoFrameRate <= kMaxFrameRate)) f.VideoFrameRate = -1.0;
    f.AudioBitRate = std::clamp(f.AudioBitRate, 0, kMaxBitRate);
    f.AudioVBRQuality = std::clamp(f.AudioVBRQuality, -1, kMaxQuality);
    f.AudioCompressionLevel = std::clamp(f.AudioCompressionLevel, -1, kMaxQuality);
    f.AudioSampleRate = std::clamp(f.AudioSampleRate, 0, kMaxSampleRate);
    f.AudioChannels = std::clamp(f.AudioChannels, 0, kMaxChannels);
    f.AudioVolume = std::clamp(f.AudioVolume, kMinVolume, kMaxVolume);
}

}  // namespace

void WriteSettingValue(RegistryTree& store, const SettingValue& v) {
    switch (v.type) {
        case SettingType::Dword: store.SetDword(kOptionsKey, v.name, *v.dword); break;
        case SettingType::String: store.SetString(kOptionsKey, v.name, *v.text); break;
        case SettingType::Double: {
            // The 8 bytes of the IEEE 754 double, little-endian.
            const uint64_t bits = std::bit_cast<uint64_t>(*v.number);
            uint8_t bytes[8];
            for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
            store.SetBinary(kOptionsKey, v.name, bytes, sizeof bytes);
            break;
        }
    }
}

ConversionSettings DefaultSettings(const std::string& documentsFolder) {
    ConversionSettings s;
    if (!documentsFolder.empty()) {
        s.DestOutputFolderOpt = kOutputSpecificFolder;
        s.DestSpecifiedFolder = documentsFolder;
        // A folder setting names the folder itself, without a closing separator.
        while (s.DestSpecifiedFolder.size() > 1 && s.DestSpecifiedFolder.back() == '/') {
            s.DestSpecifiedFolder.pop_back();
        }
    }
    return s;
}

int32_t CorrectCropMargin(int32_t margin) {
    if (margin < 0) return 0;
    if (margin % 2 != 0) return margin == INT32_MAX ? margin - 1 : margin + 1;
    return margin;
}

void RebuildExtensionFilter(ConversionSettings& settings) {
    settings.ExtensionFilter.clear();
    if (settings.EnableExtFilter == 0) return;
    const std::string lower = util::LowerAscii(settings.FilterExts);
    // Blanks stay part of a piece: " mkv" is not "mkv".
    settings.ExtensionFilter = util::SplitText(lower, ',');
}

std::vector<SettingValue> FormatSettingValues(OutputFormat& f) {
    const std::string p = RegistryPrefix(f);
    std::vector<SettingValue> v;
    auto dword = [&](const char* name, int32_t& field) {
        v.push_back(SettingValue{p + name, SettingType::Dword, &field, nullptr, nullptr});
    };
    auto text = [&](const char* name, std::string& field) {
        v.push_back(SettingValue{p + name, SettingType::String, nullptr, &field, nullptr});
    };
    if (f.VideoCodecs) {
        dword("VideoEnable", f.VideoEnable);
        text("VideoCodec", f.VideoCodec);
        text("VideoAspect", f.VideoAspect);
        dword("VideoWidth", f.VideoWidth);
        dword("VideoHeight", f.VideoHeight);
        dword("VideoKeepAspect", f.VideoKeepAspect);
        dword("AddPadding", f.AddPadding);
        dword("VideoBitRate", f.VideoBitRate);
        dword("VideoVBRQuality", f.VideoVBRQuality);
        dword("VideoVBREnabled", f.VideoVBREnabled);
        v.push_back(SettingValue{p + "VideoFrameRate", SettingType::Double, nullptr, nullptr,
                                 &f.VideoFrameRate});
    }
    if (f.AudioCodecs) {
        dword("AudioEnable", f.AudioEnable);
        text("AudioCodec", f.AudioCodec);
        dword("AudioBitRate", f.AudioBitRate);
        dword("AudioVBRQuality", f.AudioVBRQuality);
        dword("AudioVBREnabled", f.AudioVBREnabled);
        dword("AudioCompressionLevel", f.AudioCompressionLevel);
        dword("AudioSampleRate", f.AudioSampleRate);
        dword("AudioChannels", f.AudioChannels);
        dword("AudioVolume", f.AudioVolume);
    }
    return v;
}

std::vector<SettingValue> AllSettingValues(ConversionSettings& settings, FormatCatalogue& catalogue) {
    std::vector<SettingValue> all;
    for (const char* name : kTableOrder) all.push_back(GlobalValue(settings, name));
    for (OutputFormat& f : catalogue) {
        std::vector<SettingValue> own = FormatSettingValues(f);
        all.insert(all.end(), own.begin(), own.end());
    }
    return all;
}

const char* SettingTypeName(SettingType type) {
    switch (type) {
        case SettingType::Dword: return "dword";
        case SettingType::String: return "string";
        case SettingType::Double: return "double";
    }
    return "";
}

void LoadSettings(const RegistryTree& store, ConversionSettings& settings, FormatCatalogue& catalogue) {
    if (!store.KeyExists(kOptionsKey)) return;
    for (const char* name : kLoadOrder) {
        SettingValue v = GlobalValue(settings, name);
        const RegValue* stored = store.QueryValue(kOptionsKey, name);
        if (v.type == SettingType::String) {
            // FilterExts is read only when its size is not 0; the folders the same way.
            ReadString(stored, 1, *v.text);
        } else {
            ReadDword(stored, *v.dword);
            CorrectGlobalValue(name, *v.dword);
        }
        if (v.name == "FilterExts") RebuildExtensionFilter(settings);
    }
    for (OutputFormat& f : catalogue) {
        for (const SettingValue& v : FormatSettingValues(f)) {
            const RegValue* stored = store.QueryValue(kOptionsKey, v.name);
            switch (v.type) {
                case SettingType::Dword: ReadDword(stored, *v.dword); break;
                case SettingType::String: ReadString(stored, 2, *v.text); break;
                case SettingType::Double: ReadDouble(stored, *v.number); break;
            }
            // Encoders that current engines no longer have.
            if (v.text == &f.AudioCodec && (f.AudioCodec == "libfaac" || f.AudioCodec == "libvo_aacenc")) {
                f.AudioCodec = "aac";
            }
        }
        CorrectFormatValues(f);
    }
}

void LoadSettings(platform::RegistryStore& store, ConversionSettings& settings, FormatCatalogue& catalogue) {
    LoadSettings(store.Read(), settings, catalogue);
}

void SaveSettings(RegistryTree& store, const ConversionSettings& settings,
                  const FormatCatalogue& catalogue, uint32_t groups) {
    if ((groups & (kProgramStateGroup | kOptionsGroup)) == 0) return;
    store.CreateKey(kOptionsKey);
    // The value table hands out writable fields; saving only reads through them.
    auto& s = const_cast<ConversionSettings&>(settings);
    if (groups & kProgramStateGroup) {
        for (const char* name : kProgramStateOrder) WriteSettingValue(store, GlobalValue(s, name));
    }
    if (groups & kOptionsGroup) {
        for (const char* name : kOptionsOrder) WriteSettingValue(store, GlobalValue(s, name));
        for (const OutputFormat& f : catalogue) {
            for (const SettingValue& v : FormatSettingValues(const_cast<OutputFormat&>(f))) {
                WriteSettingValue(store, v);
            }
        }
    }
}

bool SaveSettings(platform::RegistryStore& store, const ConversionSettings& settings,
                  const FormatCatalogue& catalogue, uint32_t groups) {
    if ((groups & (kProgramStateGroup | kOptionsGroup)) == 0) return true;
    return store.Update([&](RegistryTree& tree) { SaveSettings(tree, settings, catalogue, groups); });
}

}  // namespace quillon::formats
