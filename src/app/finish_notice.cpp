#include "app/finish_notice.h"

#include "formats/conversion_settings.h"

namespace quillon::app {

bool LoadNotifyWhenFinished(platform::RegistryStore& store) {
    const platform::RegistryTree tree = store.Read();
    const platform::RegValue* value = tree.QueryValue(formats::kOptionsKey, kNotifyWhenFinishedValue);
    // Anything but a well-formed 0 leaves it on: a damaged value must not silence the notice.
    if (!value || value->type != platform::RegDword || value->data.size() != 4) return true;
    for (const auto byte : value->data) {
        if (byte != 0) return true;
    }
    return false;
}

bool SaveNotifyWhenFinished(platform::RegistryStore& store, bool notify) {
    return store.Update([notify](platform::RegistryTree& tree) {
        tree.SetDword(formats::kOptionsKey, kNotifyWhenFinishedValue, notify ? 1 : 0);
    });
}

}  // namespace quillon::app
