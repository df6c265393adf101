#include "app/session.h"

#include <fstream>
#include <iterator>
#include <string>

#include "platform/known_folders.h"
#include "util/paths.h"

namespace quillon::app {

Session::Session() : settings_(formats::DefaultSettings(platform::DocumentsFolder())) {
    formats::BuildCatalogue(catalogue_);
}

void Session::Load() {
    // One reading, so that settings and groups come from the same state of the store.
    const platform::RegistryTree tree = store_.Read();
    formats::LoadSettings(tree, settings_, catalogue_);
    formats::LoadCustomFormats(tree, groups_);
    formats::RebuildExtensionFilter(settings_);
}

bool Session::StoreReadable() const {
    const std::string& path = store_.FilePath();
    if (!util::Exists(path)) return true;
    if (!util::IsFile(path)) return false;
    std::ifstream file(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return !file.bad() && file.is_open() && platform::RegistryTree::Parse(text).has_value();
}

void Session::SaveProgramState() { formats::SaveSettings(store_, settings_, catalogue_, formats::kProgramStateGroup); }

bool Session::SaveCustomGroups() { return formats::SaveCustomFormats(store_, groups_); }

}  // namespace quillon::app
