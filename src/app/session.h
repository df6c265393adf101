#pragma once
// What the window and every quillon-cli command work from: the settings store, the output-format
// catalogue, the settings and the custom groups, loaded in one order from one set of defaults.

#include "formats/conversion_settings.h"
#include "formats/custom_output_format.h"
#include "formats/output_format.h"
#include "platform/registry_store.h"

namespace quillon::app {

class Session {
public:
    // The catalogue's own values and the default settings (output to the documents folder);
    // nothing is read from the store yet.
    Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The stored settings over the defaults and the catalogue's values, then the custom groups.
    void Load();
    // False when the store is there but cannot be read or understood; a missing store is an empty
    // one. Ask before Load: loading moves a damaged store aside.
    bool StoreReadable() const;

    // The program state (priority, threads, output format, option page, folders).
    void SaveProgramState();
    // False when the store could not be written.
    bool SaveCustomGroups();

    platform::RegistryStore& Store() { return store_; }
    formats::FormatCatalogue& Catalogue() { return catalogue_; }
    formats::ConversionSettings& Settings() { return settings_; }
    formats::CustomFormatList& CustomGroups() { return groups_; }

private:
    platform::RegistryStore store_;
    formats::FormatCatalogue catalogue_;
    formats::ConversionSettings settings_;
    formats::CustomFormatList groups_;
};

}  // namespace quillon::app
