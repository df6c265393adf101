#include "formats/conversion_settings.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <limits>
#include <type_traits>
#include <variant>

#include "formats/settings_values.h"
#include "platform/registry_store.h"
#include "util/text.h"

namespace quillon::formats {

namespace {

using platform::RegistryTree;
using platform::RegValue;

// What a load does with a number outside the row's range [low, high].
enum class Fix : uint8_t { Keep, Clamp, Fallback, EvenMargin };

struct Range {
    Fix fix = Fix::Keep;
    double low = 0;
    double high = 0;
    double fallback = 0;
};

constexpr Range Clamp(double low, double high) { return {Fix::Clamp, low, high, 0}; }
constexpr Range OrElse(double low, double high, double fallback) { return {Fix::Fallback, low, high, fallback}; }
constexpr Range kEvenMargin{Fix::EvenMargin};
constexpr Range kNotNegative = Clamp(0, INT32_MAX);
// The smallest double above 0: a rate must be positive.
constexpr double kAboveZero = std::numeric_limits<double>::denorm_min();

template <class Record>
using Field = std::variant<int32_t Record::*, std::string Record::*, double Record::*>;

// A program-wide value. `stateRank` places it in the program-state group, which is written in an
// order of its own (1 first); 0 puts it in the options group, written in table order.
struct GlobalRow {
    const char* name;
    Field<ConversionSettings> field;
    int stateRank = 0;
    Range range = {};
};

// A value every format stores under its prefix, when it offers video (or audio).
struct FormatRow {
    const char* name;
    Field<OutputFormat> field;
    bool audio = false;
    Range range = {};
};

using S = ConversionSettings;

// The globals in table order, which is also the load order (the description's own load order
// differs only between values that do not depend on each other).
const GlobalRow kGlobalRows[] = {
    {"DVDFolder", &S::DVDFolder, 7},
    {"Folder", &S::Folder, 6},
    {"LastAddFileDir", &S::LastAddFileDir, 5},
    {"DestOutputFolderOpt", &S::DestOutputFolderOpt},
    {"DestSpecifiedFolder", &S::DestSpecifiedFolder},
    {"CreateDirs", &S::CreateDirs},
    {"CreateFolderForEachSource", &S::CreateFolderForEachSource},
    {"BrowseOutputFolder", &S::BrowseOutputFolder},
    {"OutputFiles2MyDocuments", &S::OutputFiles2MyDocuments},
    {"TargetExistsOpt", &S::TargetExistsOpt},
    {"KeepDateCreated", &S::KeepDateCreated},
    {"KeepDateModified", &S::KeepDateModified},
    {"KeepID3Tag", &S::KeepID3Tag},
    {"FixAudioUnsync", &S::FixAudioUnsync},
    {"NormalizeFile", &S::NormalizeFile},
    {"EnableExtFilter", &S::EnableExtFilter},
    {"FilterExts", &S::FilterExts},
    {"EnableSkipLength", &S::EnableSkipLength},
    {"SkipLength", &S::SkipLength, 0, kNotNegative},
    {"EnableConvertLength", &S::EnableConvertLength},
    {"ConvertLength", &S::ConvertLength, 0, kNotNegative},
    {"EnableIgnoreTheLast", &S::EnableIgnoreTheLast},
    {"IgnoreLength", &S::IgnoreLength, 0, kNotNegative},
    {"RequestAudioIndex", &S::RequestAudioIndex, 0, Clamp(0, 32767)},
    {"OutputFormat", &S::OutputFormat, 3},
    {"ConversionPriority", &S::ConversionPriority, 1},
    {"ConversionThreads", &S::ConversionThreads, 2, Clamp(kMinThreads, kMaxThreads)},
    {"VideoDeinterlace", &S::VideoDeinterlace},
    {"RotateFlip", &S::RotateFlip, 0, OrElse(0, 6, 0)},
    {"CropPictures", &S::CropPictures},
    {"CropLeft", &S::CropLeft, 0, kEvenMargin},
    {"CropRight", &S::CropRight, 0, kEvenMargin},
    {"CropTop", &S::CropTop, 0, kEvenMargin},
    {"CropBottom", &S::CropBottom, 0, kEvenMargin},
    {"CropSameAsLeft", &S::CropSameAsLeft},
    {"CropSameAsTop", &S::CropSameAsTop},
    {"OptStartPageIndex", &S::OptStartPageIndex, 4},
};
constexpr int kProgramStateRows = 7;

using F = OutputFormat;
constexpr bool kAudio = true;
constexpr bool kVideo = false;

// Video values, then audio values, in the order they are stored.
const FormatRow kFormatRows[] = {
    {"VideoEnable", &F::VideoEnable, kVideo},
    {"VideoCodec", &F::VideoCodec, kVideo},
    {"VideoAspect", &F::VideoAspect, kVideo},
    {"VideoWidth", &F::VideoWidth, kVideo, Clamp(0, kMaxFrameSide)},
    {"VideoHeight", &F::VideoHeight, kVideo, Clamp(0, kMaxFrameSide)},
    {"VideoKeepAspect", &F::VideoKeepAspect, kVideo},
    {"AddPadding", &F::AddPadding, kVideo},
    {"VideoBitRate", &F::VideoBitRate, kVideo, Clamp(0, kMaxBitRate)},
    {"VideoVBRQuality", &F::VideoVBRQuality, kVideo, Clamp(-1, kMaxQuality)},
    {"VideoVBREnabled", &F::VideoVBREnabled, kVideo},
    // Not a usable rate (NaN, infinite, 0, negative, beyond any encoder): the source's rate.
    {"VideoFrameRate", &F::VideoFrameRate, kVideo, OrElse(kAboveZero, kMaxFrameRate, -1.0)},
    {"AudioEnable", &F::AudioEnable, kAudio},
    {"AudioCodec", &F::AudioCodec, kAudio},
    {"AudioBitRate", &F::AudioBitRate, kAudio, Clamp(0, kMaxBitRate)},
    {"AudioVBRQuality", &F::AudioVBRQuality, kAudio, Clamp(-1, kMaxQuality)},
    {"AudioVBREnabled", &F::AudioVBREnabled, kAudio},
    {"AudioCompressionLevel", &F::AudioCompressionLevel, kAudio, Clamp(-1, kMaxQuality)},
    {"AudioSampleRate", &F::AudioSampleRate, kAudio, Clamp(0, kMaxSampleRate)},
    {"AudioChannels", &F::AudioChannels, kAudio, Clamp(0, kMaxChannels)},
    {"AudioVolume", &F::AudioVolume, kAudio, Clamp(kMinVolume, kMaxVolume)},
};

bool FormatStores(const OutputFormat& f, const FormatRow& row) {
    return row.audio ? f.AudioCodecs != nullptr : f.VideoCodecs != nullptr;
}

uint64_t LittleEndian(const uint8_t* bytes, int count) {
    uint64_t v = 0;
    for (int i = count - 1; i >= 0; --i) v = (v << 8) | bytes[i];
    return v;
}

// DWORDs are read whatever their stored type, but only when they fit the field exactly.
void ReadValue(const RegValue* stored, size_t, int32_t& field) {
    if (!stored || stored->data.size() != 4) return;
    field = static_cast<int32_t>(LittleEndian(stored->data.data(), 4));
}

// Strings are read only when stored as text of at least `minBytes` bytes.
void ReadValue(const RegValue* stored, size_t minBytes, std::string& field) {
    if (!stored || stored->data.size() < minBytes) return;
    if (stored->type != platform::RegSz && stored->type != platform::RegExpandSz) return;
    if (std::optional<std::string> text = platform::StringFromValue(*stored)) field = std::move(*text);
}

void ReadValue(const RegValue* stored, size_t, double& field) {
    if (!stored || stored->data.size() != 8) return;
    field = std::bit_cast<double>(LittleEndian(stored->data.data(), 8));
}

// Hand-edited or damaged stores can hold anything; each number is brought into the range the
// options pages allow, so no later step meets an absurd value.
template <class Number>
void Correct(const Range& range, Number& value) {
    switch (range.fix) {
    case Fix::Keep: break;
    case Fix::Clamp: value = static_cast<Number>(std::clamp<double>(value, range.low, range.high)); break;
    case Fix::Fallback:
        if (!(value >= range.low && value <= range.high)) value = static_cast<Number>(range.fallback);
        break;
    case Fix::EvenMargin:
        if constexpr (std::is_same_v<Number, int32_t>) value = CorrectCropMargin(value);
        break;
    }
}

void Correct(const Range&, std::string&) {}

template <class Row, class Record>
void LoadRow(const RegistryTree& store, const std::string& name, const Row& row, size_t minStringBytes,
             Record& record) {
    const RegValue* stored = store.QueryValue(kOptionsKey, name);
    std::visit(
        [&](auto member) {
            ReadValue(stored, minStringBytes, record.*member);
            Correct(row.range, record.*member);
        },
        row.field);
}

void WriteValue(RegistryTree& store, const std::string& name, int32_t value) {
    store.SetDword(kOptionsKey, name, value);
}

void WriteValue(RegistryTree& store, const std::string& name, const std::string& value) {
    store.SetString(kOptionsKey, name, value);
}

// The 8 bytes of the IEEE 754 double, little-endian.
void WriteValue(RegistryTree& store, const std::string& name, double value) {
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    uint8_t bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
    store.SetBinary(kOptionsKey, name, bytes, sizeof bytes);
}

template <class Row, class Record>
void SaveRow(RegistryTree& store, const std::string& name, const Row& row, const Record& record) {
    std::visit([&](auto member) { WriteValue(store, name, record.*member); }, row.field);
}

template <class Row, class Record>
SettingValue Bind(std::string name, const Row& row, Record& record) {
    SettingValue v{std::move(name), SettingType::Dword};
    std::visit(
        [&](auto member) {
            auto& field = record.*member;
            using T = std::remove_reference_t<decltype(field)>;
            if constexpr (std::is_same_v<T, int32_t>) {
                v.dword = &field;
            } else if constexpr (std::is_same_v<T, std::string>) {
                v.type = SettingType::String;
                v.text = &field;
            } else {
                v.type = SettingType::Double;
                v.number = &field;
            }
        },
        row.field);
    return v;
}

}  // namespace

void WriteSettingValue(RegistryTree& store, const SettingValue& v) {
    switch (v.type) {
    case SettingType::Dword: WriteValue(store, v.name, *v.dword); break;
    case SettingType::String: WriteValue(store, v.name, *v.text); break;
    case SettingType::Double: WriteValue(store, v.name, *v.number); break;
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
    // Blanks stay part of a piece: " mkv" is not "mkv".
    settings.ExtensionFilter = util::SplitText(util::LowerAscii(settings.FilterExts), ',');
}

void CopyOptionsGroup(const ConversionSettings& from, ConversionSettings& to) {
    for (const GlobalRow& row : kGlobalRows) {
        if (row.stateRank == 0) std::visit([&](auto member) { to.*member = from.*member; }, row.field);
    }
}

std::vector<SettingValue> FormatSettingValues(OutputFormat& f) {
    const std::string prefix = RegistryPrefix(f);
    std::vector<SettingValue> v;
    for (const FormatRow& row : kFormatRows) {
        if (FormatStores(f, row)) v.push_back(Bind(prefix + row.name, row, f));
    }
    return v;
}

std::vector<SettingValue> AllSettingValues(ConversionSettings& settings, FormatCatalogue& catalogue) {
    std::vector<SettingValue> all;
    for (const GlobalRow& row : kGlobalRows) all.push_back(Bind(row.name, row, settings));
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
    // A stored text is read when its size is not 0 (so a stored empty text empties the field).
    for (const GlobalRow& row : kGlobalRows) LoadRow(store, row.name, row, 1, settings);
    RebuildExtensionFilter(settings);
    for (OutputFormat& f : catalogue) {
        const std::string prefix = RegistryPrefix(f);
        // A format's text is read when it is larger than its terminating zero alone.
        for (const FormatRow& row : kFormatRows) {
            if (FormatStores(f, row)) LoadRow(store, prefix + row.name, row, 2, f);
        }
        // Encoders that current engines no longer have.
        if (f.AudioCodec == "libfaac" || f.AudioCodec == "libvo_aacenc") f.AudioCodec = "aac";
    }
}

void LoadSettings(platform::RegistryStore& store, ConversionSettings& settings, FormatCatalogue& catalogue) {
    LoadSettings(store.Read(), settings, catalogue);
}

void SaveSettings(RegistryTree& store, const ConversionSettings& settings, const FormatCatalogue& catalogue,
                  uint32_t groups) {
    if ((groups & (kProgramStateGroup | kOptionsGroup)) == 0) return;
    store.CreateKey(kOptionsKey);
    if (groups & kProgramStateGroup) {
        for (int rank = 1; rank <= kProgramStateRows; ++rank) {
            for (const GlobalRow& row : kGlobalRows) {
                if (row.stateRank == rank) SaveRow(store, row.name, row, settings);
            }
        }
    }
    if (groups & kOptionsGroup) {
        for (const GlobalRow& row : kGlobalRows) {
            if (row.stateRank == 0) SaveRow(store, row.name, row, settings);
        }
        for (const OutputFormat& f : catalogue) {
            const std::string prefix = RegistryPrefix(f);
            for (const FormatRow& row : kFormatRows) {
                if (FormatStores(f, row)) SaveRow(store, prefix + row.name, row, f);
            }
        }
    }
}

bool SaveSettings(platform::RegistryStore& store, const ConversionSettings& settings, const FormatCatalogue& catalogue,
                  uint32_t groups) {
    if ((groups & (kProgramStateGroup | kOptionsGroup)) == 0) return true;
    return store.Update([&](RegistryTree& tree) { SaveSettings(tree, settings, catalogue, groups); });
}

}  // namespace quillon::formats
