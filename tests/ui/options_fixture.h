#pragma once
// The Options sheet's tests share a store in a private folder, the built catalogue and the
// settings a first start has.

#include <gtest/gtest.h>

#include <cstdint>

#include "formats/conversion_settings.h"
#include "formats/output_format.h"
#include "platform/registry_store.h"
#include "test_support.h"
#include "ui/opt_video_page.h"
#include "ui_test_support.h"

namespace quillon::test {

class OptionsTest : public testing::Test {
protected:
    void SetUp() override {
        Recorder().Reset();
        formats::BuildCatalogue(catalogue);
        settings = formats::DefaultSettings("/home/me/Documents/");
    }

    // What a restarted program reads from the store file.
    void ReadBack(formats::ConversionSettings& loaded, formats::FormatCatalogue& restarted) const {
        formats::BuildCatalogue(restarted);
        loaded = formats::DefaultSettings("/home/me/Documents/");
        platform::RegistryStore again(dir.path().string());
        formats::LoadSettings(again, loaded, restarted);
    }

    static void ChooseFormat(ui::COptVideoPage& page, int32_t id) { ChooseFormatOn(page, id); }

    TempDir dir;
    platform::RegistryStore store{dir.path().string()};
    formats::FormatCatalogue catalogue;
    formats::ConversionSettings settings;
};

}  // namespace quillon::test
