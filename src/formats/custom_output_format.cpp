#include "formats/custom_output_format.h"

#include <limits>

#include "platform/registry_store.h"

namespace quillon::formats {

namespace {

std::string ValueName(size_t n, const char* what) { return "COF" + std::to_string(n) + what; }

// The leading decimal number of the text (after blanks and an optional sign), 0 without digits;
// out-of-range numbers stop at the int32 limits.
int32_t LeadingNumber(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    int64_t value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        value = value * 10 + (text[pos] - '0');
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1)
            value = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) value = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

}  // namespace

std::vector<int32_t> ParseFormatIds(std::string_view text) {
    std::vector<int32_t> ids;
    size_t pos = 0;
    while (pos < text.size()) {
        ids.push_back(LeadingNumber(text.substr(pos)));
        size_t comma = text.find(',', pos);
        if (comma == std::string_view::npos) break;
        pos = comma + 1;
    }
    return ids;
}

std::string FormatIdsText(const std::vector<int32_t>& ids) {
    std::string text;
    for (int32_t id : ids) text += std::to_string(id) + ",";
    return text;
}

void LoadCustomFormats(const platform::RegistryTree& store, CustomFormatList& groups) {
    groups.clear();
    if (!store.KeyExists(kCustomFormatsKey)) return;
    for (size_t n = 1;; ++n) {
        // An empty name (its terminating zero alone, 2 bytes) ends the list like a missing one.
        const platform::RegValue* name = store.QueryValue(kCustomFormatsKey, ValueName(n, "Name"));
        if (!name || name->data.size() <= 2) break;
        const platform::RegValue* ids = store.QueryValue(kCustomFormatsKey, ValueName(n, "FIDs"));
        if (!ids || ids->data.size() <= 2) continue;
        CustomOutputFormat group;
        group.name = platform::StringFromValue(*name).value_or(std::string());
        group.formatIds = ParseFormatIds(platform::StringFromValue(*ids).value_or(std::string()));
        if (!group.formatIds.empty()) groups.push_back(std::move(group));
    }
}

void LoadCustomFormats(platform::RegistryStore& store, CustomFormatList& groups) {
    LoadCustomFormats(store.Read(), groups);
}

void SaveCustomFormats(platform::RegistryTree& store, const CustomFormatList& groups) {
    store.DeleteKey(kCustomFormatsKey);
    store.CreateKey(kCustomFormatsKey);
    for (size_t i = 0; i < groups.size(); ++i) {
        store.SetString(kCustomFormatsKey, ValueName(i + 1, "Name"), groups[i].name);
        store.SetString(kCustomFormatsKey, ValueName(i + 1, "FIDs"), FormatIdsText(groups[i].formatIds));
    }
}

bool SaveCustomFormats(platform::RegistryStore& store, const CustomFormatList& groups) {
    return store.Update([&](platform::RegistryTree& tree) { SaveCustomFormats(tree, groups); });
}

std::vector<const OutputFormat*> ResolveCustomFormat(const FormatCatalogue& catalogue,
                                                     const CustomOutputFormat& group) {
    std::vector<const OutputFormat*> formats;
    for (int32_t id : group.formatIds) {
        if (const OutputFormat* f = FindFormat(catalogue, id)) formats.push_back(f);
    }
    return formats;
}

}  // namespace quillon::formats
