#pragma once
// "Notify me when conversions finish": whether the desktop hears of a run that ended while the
// window was in the background. Stored beside the other options; on unless turned off.

#include "platform/registry_store.h"

namespace quillon::app {

inline constexpr const char* kNotifyWhenFinishedValue = "NotifyWhenFinished";
inline constexpr const char* kNotifyWhenFinishedText = "Notify me when conversions finish";

bool LoadNotifyWhenFinished(platform::RegistryStore& store);
// False when the store could not be written.
bool SaveNotifyWhenFinished(platform::RegistryStore& store, bool notify);

}  // namespace quillon::app
