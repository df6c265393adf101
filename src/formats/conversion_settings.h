#pragma once
// The program-wide options, named by their registry values, with their defaults, and their
// loading and saving (together with every catalogue format's own encoding settings).

#include <cstdint>
#include <string>
#include <vector>

#include "formats/output_format.h"

namespace quillon::platform {
class RegistryTree;
class RegistryStore;
}  // namespace quillon::platform

namespace quillon::formats {

// DestOutputFolderOpt
inline constexpr int32_t kOutputSameAsSource = 199;
inline constexpr int32_t kOutputSpecificFolder = 399;
// TargetExistsOpt
inline constexpr int32_t kTargetRename = 11;
inline constexpr int32_t kTargetOverwrite = 22;
inline constexpr int32_t kTargetSkip = 33;
// SaveSettings groups
inline constexpr uint32_t kProgramStateGroup = 0x10;
inline constexpr uint32_t kOptionsGroup = 0x08;

inline constexpr const char* kOptionsKey = "Software\\Quillon 5\\Options";

// The picture corrections, kept together because the Video & Audio page edits them as a set.
struct PictureSettings {
    int32_t VideoDeinterlace = 0;
    int32_t RotateFlip = 0;  // 0..6
    int32_t CropPictures = 0;
    int32_t CropLeft = 0;
    int32_t CropRight = 0;
    int32_t CropTop = 0;
    int32_t CropBottom = 0;
    int32_t CropSameAsLeft = 1;
    int32_t CropSameAsTop = 1;
};

// Every value's name, stored type, load order, save group and range is one row of the settings
// table in conversion_settings.cpp; the defaults are the initial values here.
struct ConversionSettings : PictureSettings {
    std::string DVDFolder;
    std::string Folder;
    std::string LastAddFileDir;
    int32_t DestOutputFolderOpt = kOutputSameAsSource;  // 399 once the documents folder is known
    std::string DestSpecifiedFolder;                    // the documents folder once known
    int32_t CreateDirs = 0;
    int32_t CreateFolderForEachSource = 0;
    int32_t BrowseOutputFolder = 1;
    int32_t OutputFiles2MyDocuments = 1;
    int32_t TargetExistsOpt = kTargetRename;
    int32_t KeepDateCreated = 0;
    int32_t KeepDateModified = 0;
    int32_t KeepID3Tag = 1;
    int32_t FixAudioUnsync = 0;
    int32_t NormalizeFile = 1;
    int32_t EnableExtFilter = 0;
    std::string FilterExts;
    int32_t EnableSkipLength = 0;
    int32_t SkipLength = 0;  // milliseconds
    int32_t EnableConvertLength = 0;
    int32_t ConvertLength = 0;  // milliseconds
    int32_t EnableIgnoreTheLast = 0;
    int32_t IgnoreLength = 0;         // milliseconds
    int32_t RequestAudioIndex = 1;    // from 1
    int32_t OutputFormat = 110;       // FormatId, or 21001+k for the k-th custom group
    int32_t ConversionPriority = 32;  // priority-class value; 32 is normal
    int32_t ConversionThreads = 2;
    int32_t OptStartPageIndex = 0;

    // Derived from EnableExtFilter and FilterExts by RebuildExtensionFilter; not stored.
    std::vector<std::string> ExtensionFilter;

    PictureSettings& Picture() { return *this; }
    const PictureSettings& Picture() const { return *this; }
};

// The defaults; documentsFolder is the user's documents folder or empty when unknown.
ConversionSettings DefaultSettings(const std::string& documentsFolder);

// Reads the Options key into the settings and every catalogue record; unreadable values keep
// what they hold.
void LoadSettings(const platform::RegistryTree& store, ConversionSettings& settings, FormatCatalogue& catalogue);
void LoadSettings(platform::RegistryStore& store, ConversionSettings& settings, FormatCatalogue& catalogue);

// Writes the groups selected by `groups` (kProgramStateGroup, kOptionsGroup).
void SaveSettings(platform::RegistryTree& store, const ConversionSettings& settings, const FormatCatalogue& catalogue,
                  uint32_t groups);
// The same as one transaction on the store; false when the store could not be written.
bool SaveSettings(platform::RegistryStore& store, const ConversionSettings& settings, const FormatCatalogue& catalogue,
                  uint32_t groups);

void RebuildExtensionFilter(ConversionSettings& settings);

// Copies the values of the options group, the ones the Options sheet confirms.
void CopyOptionsGroup(const ConversionSettings& from, ConversionSettings& to);

// The ranges stored numbers are corrected to at load.
inline constexpr int32_t kMaxFrameSide = 32767;
inline constexpr int32_t kMaxBitRate = 1'000'000'000;  // bit/s
inline constexpr int32_t kMaxQuality = 100;
inline constexpr double kMaxFrameRate = 1000.0;
inline constexpr int32_t kMaxSampleRate = 768'000;
inline constexpr int32_t kMaxChannels = 64;
inline constexpr int32_t kMinVolume = 10;  // percent
inline constexpr int32_t kMaxVolume = 3000;
inline constexpr int32_t kMinThreads = 1;
inline constexpr int32_t kMaxThreads = 32;

// A negative margin becomes 0, an odd one the next even number.
int32_t CorrectCropMargin(int32_t margin);

}  // namespace quillon::formats
