#pragma once
// Named groups of catalogue formats: one conversion run produces every member format.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/output_format.h"

namespace quillon::platform {
class RegistryTree;
class RegistryStore;
}  // namespace quillon::platform

namespace quillon::formats {

inline constexpr const char* kCustomFormatsKey = "Software\\Quillon 5\\CustomOutFormats";

struct CustomOutputFormat {
    std::string name;                // as typed; need not be unique
    std::vector<int32_t> formatIds;  // member FormatIds, in member order
};

using CustomFormatList = std::vector<CustomOutputFormat>;

// Replaces `groups` with the stored groups; groups without members are dropped.
void LoadCustomFormats(const platform::RegistryTree& store, CustomFormatList& groups);
void LoadCustomFormats(platform::RegistryStore& store, CustomFormatList& groups);

// Rewrites the key from `groups`, numbering them from 1.
void SaveCustomFormats(platform::RegistryTree& store, const CustomFormatList& groups);
bool SaveCustomFormats(platform::RegistryStore& store, const CustomFormatList& groups);

// "80,1160," <-> {80, 1160}. An item without digits reads as 0.
std::vector<int32_t> ParseFormatIds(std::string_view text);
std::string FormatIdsText(const std::vector<int32_t>& ids);

// The member formats found in the catalogue, in member order; unknown ids are skipped.
std::vector<const OutputFormat*> ResolveCustomFormat(const FormatCatalogue& catalogue, const CustomOutputFormat& group);

}  // namespace quillon::formats
