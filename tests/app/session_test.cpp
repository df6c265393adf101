#include <gtest/gtest.h>

#include <filesystem>

#include "app/session.h"
#include "platform/known_folders.h"
#include "test_support.h"

namespace quillon::app {
namespace {

namespace fs = std::filesystem;

// Every test starts without a store.
void ForgetStore() {
    const fs::path store = platform::RegistryStore().FilePath();
    std::error_code ec;
    fs::remove_all(store, ec);
}

TEST(Session, StoredSettingsFormatsAndGroupsOverTheDefaults) {
    ForgetStore();
    {
        Session fresh;
        fresh.Load();
        // Without a store: output to the documents folder, the catalogue's own values, no groups.
        std::string documents = platform::DocumentsFolder();
        documents.pop_back();
        EXPECT_EQ(fresh.Settings().DestSpecifiedFolder, documents);
        EXPECT_TRUE(fresh.CustomGroups().empty());
        EXPECT_TRUE(fresh.Settings().ExtensionFilter.empty());
        Session defaults;
        EXPECT_EQ(formats::FindFormat(fresh.Catalogue(), 1160)->AudioBitRate,
                  formats::FindFormat(defaults.Catalogue(), 1160)->AudioBitRate);

        // What the options sheet and the groups dialog would store.
        fresh.Settings().EnableExtFilter = 1;
        fresh.Settings().FilterExts = "MKV,Avi";
        fresh.Settings().OutputFormat = 1160;
        fresh.Settings().ConversionThreads = 3;
        formats::FindFormat(fresh.Catalogue(), 1160)->AudioBitRate = 96;
        ASSERT_TRUE(formats::SaveSettings(fresh.Store(), fresh.Settings(), fresh.Catalogue(), formats::kOptionsGroup));
        fresh.CustomGroups() = {{"Phone", {1160, 80}}};
        ASSERT_TRUE(fresh.SaveCustomGroups());
        fresh.Settings().ConversionThreads = 4;
        fresh.SaveProgramState();
    }
    Session next;
    next.Load();
    EXPECT_EQ(next.Settings().OutputFormat, 1160);
    EXPECT_EQ(next.Settings().ConversionThreads, 4);
    EXPECT_EQ(next.Settings().ExtensionFilter, (std::vector<std::string>{"mkv", "avi"}));
    EXPECT_EQ(formats::FindFormat(next.Catalogue(), 1160)->AudioBitRate, 96);
    ASSERT_EQ(next.CustomGroups().size(), 1u);
    EXPECT_EQ(next.CustomGroups()[0].name, "Phone");
    EXPECT_EQ(next.CustomGroups()[0].formatIds, (std::vector<int32_t>{1160, 80}));
    ForgetStore();
}

TEST(Session, AnUnreadableStoreIsToldBeforeLoadingMovesItAside) {
    ForgetStore();
    Session missing;
    EXPECT_TRUE(missing.StoreReadable());  // no store yet is an empty one

    const fs::path path = missing.Store().FilePath();
    fs::create_directories(path.parent_path());
    test::WriteFile(path, std::string("\x01\x02 not a store \xff", 17));
    Session damaged;
    EXPECT_FALSE(damaged.StoreReadable());
    EXPECT_TRUE(fs::exists(path));  // asking changes nothing
    damaged.Load();                 // the window goes on with the defaults
    EXPECT_TRUE(damaged.CustomGroups().empty());
    EXPECT_TRUE(damaged.StoreReadable());

    // A folder where the store should be cannot be read either.
    ForgetStore();
    fs::create_directories(path);
    EXPECT_FALSE(Session().StoreReadable());
    ForgetStore();
}

}  // namespace
}  // namespace quillon::app
