#pragma once
// The main window as the window tests open it: in a private folder, converting into an output
// folder of its own, and source rows made without probing a file.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/source_item.h"
#include "test_support.h"
#include "ui/main_window.h"
#include "ui_test_support.h"

namespace quillon::test {

// A row as the probe describes an MP4 video of that length and picture size.
inline std::unique_ptr<engine::SourceItem> VideoRow(const std::filesystem::path& path, uint32_t seconds, int32_t width,
                                                    int32_t height) {
    auto item = std::make_unique<engine::SourceItem>();
    item->path = path.string();
    item->extension = "mp4";
    item->durationSeconds = seconds;
    item->width = width;
    item->height = height;
    return item;
}

// A fresh folder with an empty out/ in it, and no recorded messages.
class WindowTest : public testing::Test {
protected:
    void SetUp() override {
        Recorder().Reset();
        outFolder = (dir / "out").string() + "/";
        std::filesystem::create_directories(outFolder);
    }

    // The window set up as on start, converting into outFolder two files at a time.
    std::unique_ptr<ui::MainWindow> NewWindow(int32_t browseOutputFolder) const {
        auto window = std::make_unique<ui::MainWindow>(BinDir().string() + "/");
        window->SetUpMainWindow();
        formats::ConversionSettings& settings = window->Settings();
        settings.DestOutputFolderOpt = formats::kOutputSpecificFolder;
        settings.DestSpecifiedFolder = outFolder;
        settings.BrowseOutputFolder = browseOutputFolder;
        settings.ConversionThreads = 2;
        return window;
    }

    TempDir dir;
    std::string outFolder;
};

}  // namespace quillon::test
