#pragma once
// Every value of the Options key by its name: the global settings and each catalogue format's
// own settings under its prefix, with the value's type and the field that holds it.

#include <string>
#include <string_view>
#include <vector>

#include "formats/conversion_settings.h"
#include "formats/output_format.h"

namespace quillon::formats {

enum class SettingType { Dword, String, Double };

struct SettingValue {
    std::string name;  // registry value name, e.g. "OutputFormat" or "DIVXVideoCodec"
    SettingType type;
    int32_t* dword = nullptr;     // for Dword
    std::string* text = nullptr;  // for String
    double* number = nullptr;     // for Double (stored as 8 binary bytes)
};

// The global values in the order of the settings table, then every format's video values (when it
// offers video) and audio values (when it offers audio), in catalogue order. Names shared by
// two formats (the OGG prefix) appear once per format.
std::vector<SettingValue> AllSettingValues(ConversionSettings& settings, FormatCatalogue& catalogue);

// The values of one format, video then audio, as they are stored.
std::vector<SettingValue> FormatSettingValues(OutputFormat& format);

const char* SettingTypeName(SettingType type);

// Writes the value under its name in the Options key: DWORD, string, or the double's 8 bytes.
void WriteSettingValue(platform::RegistryTree& store, const SettingValue& value);

}  // namespace quillon::formats
