#pragma once
// A recent-entries list of a combo box, kept in the store under Software\Quillon 5\<list name>
// as text values "0", "1", ... (most recent first). Widget-free: a box shows Entries().

#include <string>
#include <string_view>
#include <vector>

namespace quillon::platform {
class RegistryTree;
class RegistryStore;
}  // namespace quillon::platform

namespace quillon::formats {

inline constexpr const char* kOutputFolderList = "OutputFolder";
inline constexpr const char* kFilterExtsList = "FilterExts";

class RecentEntries {
public:
    static constexpr size_t kMaxLoaded = 30;

    explicit RecentEntries(std::string listName);

    const std::string& ListName() const { return listName_; }
    std::string KeyPath() const;
    const std::vector<std::string>& Entries() const { return entries_; }

    // Empties the list and reads at most 30 entries, stopping at the first missing or empty
    // value. False when the list's key does not exist.
    bool Load(const platform::RegistryTree& store);
    bool Load(platform::RegistryStore& store);

    // Puts `text` at the top, removing a later equal entry (case-sensitive). False when nothing
    // changed: the text is empty or already the first entry.
    bool Remember(std::string_view text);

    // Deletes the key, creates it again and writes every non-empty entry under its position.
    void Save(platform::RegistryTree& store) const;
    bool Save(platform::RegistryStore& store) const;

private:
    std::string listName_;
    std::vector<std::string> entries_;
};

}  // namespace quillon::formats
