#include "formats/recent_entries.h"

#include <algorithm>

#include "platform/registry_store.h"

namespace quillon::formats {

RecentEntries::RecentEntries(std::string listName) : listName_(std::move(listName)) {}

std::string RecentEntries::KeyPath() const { return "Software\\Quillon 5\\" + listName_; }

bool RecentEntries::Load(const platform::RegistryTree& store) {
    entries_.clear();
    const std::string key = KeyPath();
    if (!store.KeyExists(key)) return false;
    for (size_t n = 0; n < kMaxLoaded; ++n) {
        const platform::RegValue* value = store.QueryValue(key, std::to_string(n));
        // Shorter than 3 bytes: the terminating zero alone, an empty text.
        if (!value || value->data.size() < 3) break;
        std::string text = platform::StringFromValue(*value).value_or(std::string());
        if (!text.empty()) entries_.push_back(std::move(text));
    }
    return true;
}

bool RecentEntries::Load(platform::RegistryStore& store) { return Load(store.Read()); }

bool RecentEntries::Remember(std::string_view text) {
    if (text.empty()) return false;
    if (!entries_.empty() && entries_.front() == text) return false;
    auto later = std::find(entries_.begin(), entries_.end(), text);
    if (later != entries_.end()) entries_.erase(later);
    entries_.insert(entries_.begin(), std::string(text));
    return true;
}

void RecentEntries::Save(platform::RegistryTree& store) const {
    const std::string key = KeyPath();
    store.DeleteKey(key);
    store.CreateKey(key);
    size_t n = 0;
    for (const std::string& entry : entries_) {
        if (!entry.empty()) store.SetString(key, std::to_string(n++), entry);
    }
}

bool RecentEntries::Save(platform::RegistryStore& store) const {
    return store.Update([this](platform::RegistryTree& tree) { Save(tree); });
}

}  // namespace quillon::formats
