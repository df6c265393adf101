// Store files come from disk and may hold anything: reading must never crash, and whatever
// reads must write back to text that reads to the same tree.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/registry_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using quillon::platform::RegistryTree;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<RegistryTree> tree = RegistryTree::Parse(text);
    if (!tree) return 0;
    std::optional<RegistryTree> again = RegistryTree::Parse(tree->Serialize());
    if (!again || !(*again == *tree)) std::abort();
    return 0;
}
