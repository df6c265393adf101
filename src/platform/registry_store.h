#pragma once
// A per-user store shaped like the registry of the current user (see registry_tree.h). It is
// kept in one text file in the registry export format, and every batch of writes is one
// transaction on that file, so several running instances never lose each other's values and a
// killed writer never leaves a torn file.

#include <functional>
#include <string>

#include "platform/registry_tree.h"

namespace quillon::platform {

// The store file and its transactions.
class RegistryStore {
public:
    // The file quillon.reg in ConfigFolder().
    RegistryStore();
    explicit RegistryStore(std::string folder);

    const std::string& FilePath() const { return path_; }

    // The current contents. A missing file is an empty store; a damaged one is renamed aside
    // (quillon.reg.damaged-...) and the store starts empty.
    RegistryTree Read();

    // One transaction: lock, re-read, apply, write a temporary file, flush it to the disk,
    // rename it over the store and flush the folder. False when the store could not be written.
    bool Update(const std::function<void(RegistryTree&)>& apply);

private:
    std::string folder_;
    std::string path_;
};

}  // namespace quillon::platform
