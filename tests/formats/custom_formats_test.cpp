#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "formats/custom_output_format.h"
#include "formats/recent_entries.h"
#include "platform/registry_store.h"
#include "test_support.h"

namespace quillon::formats {
namespace {

using platform::RegistryTree;

// A store with these values in the groups' key, written in this order.
RegistryTree GroupsStore(std::initializer_list<std::pair<const char*, const char*>> values) {
    RegistryTree store;
    for (const auto& [name, value] : values) store.SetString(kCustomFormatsKey, name, value);
    return store;
}

TEST(CustomFormats, SkipsGroupsWithoutMembersAndRenumbersOnSave) {
    RegistryTree store = GroupsStore({{"COF1Name", "Phone and MP3"},
                                      {"COF1FIDs", "516,1160,"},
                                      {"COF2Name", "No members"},
                                      {"COF3Name", "Web"},
                                      {"COF3FIDs", "195,"},
                                      {"COF4Name", "Empty ids"},
                                      {"COF4FIDs", ""},
                                      // names need not be unique
                                      {"COF5Name", "Web"},
                                      {"COF5FIDs", "80"}});

    CustomFormatList groups{{"stale", {1}}};
    LoadCustomFormats(store, groups);
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].name, "Phone and MP3");
    EXPECT_EQ(groups[0].formatIds, (std::vector<int32_t>{516, 1160}));
    EXPECT_EQ(groups[1].name, "Web");
    EXPECT_EQ(groups[2].formatIds, (std::vector<int32_t>{80}));

    SaveCustomFormats(store, groups);
    EXPECT_EQ(store.ValueNames(kCustomFormatsKey),
              (std::vector<std::string>{"COF1Name", "COF1FIDs", "COF2Name", "COF2FIDs", "COF3Name", "COF3FIDs"}));
    EXPECT_EQ(platform::StringFromValue(*store.QueryValue(kCustomFormatsKey, "COF2FIDs")), "195,");
    EXPECT_EQ(platform::StringFromValue(*store.QueryValue(kCustomFormatsKey, "COF3FIDs")), "80,");
}

TEST(CustomFormats, AMissingOrEmptyNameEndsTheList) {
    RegistryTree store =
        GroupsStore({{"COF1Name", "A"}, {"COF1FIDs", "80,"}, {"COF3Name", "C"}, {"COF3FIDs", "1160,"}});
    CustomFormatList groups;
    LoadCustomFormats(store, groups);
    EXPECT_EQ(groups.size(), 1u);

    store.SetString(kCustomFormatsKey, "COF2Name", "");
    store.SetString(kCustomFormatsKey, "COF2FIDs", "110,");
    LoadCustomFormats(store, groups);
    EXPECT_EQ(groups.size(), 1u);

    LoadCustomFormats(RegistryTree{}, groups);
    EXPECT_TRUE(groups.empty());
}

TEST(CustomFormats, IdTextsAndResolution) {
    EXPECT_EQ(ParseFormatIds("80,,1160,"), (std::vector<int32_t>{80, 0, 1160}));
    EXPECT_EQ(ParseFormatIds("80"), (std::vector<int32_t>{80}));
    EXPECT_EQ(ParseFormatIds("-5,x,+7"), (std::vector<int32_t>{-5, 0, 7}));
    EXPECT_EQ(ParseFormatIds("12abc,99999999999,"), (std::vector<int32_t>{12, INT32_MAX}));
    EXPECT_TRUE(ParseFormatIds("").empty());
    EXPECT_EQ(FormatIdsText({80, 1160}), "80,1160,");

    FormatCatalogue catalogue;
    BuildCatalogue(catalogue);
    CustomOutputFormat group{"g", ParseFormatIds("80,,1160,")};
    std::vector<const OutputFormat*> members = ResolveCustomFormat(catalogue, group);
    ASSERT_EQ(members.size(), 2u);  // 0 names no format
    EXPECT_EQ(members[0]->FormatId, 80);
    EXPECT_EQ(members[1]->FormatId, 1160);
    EXPECT_TRUE(ResolveCustomFormat(catalogue, {"none", {0, 20000, 21001}}).empty());
}

TEST(CustomFormats, SavingReplacesEverythingInTheKey) {
    test::TempDir dir;
    platform::RegistryStore store(dir.path().string());
    ASSERT_TRUE(SaveCustomFormats(store, {{"a", {80}}, {"b", {110}}, {"c", {1160}}}));
    ASSERT_TRUE(SaveCustomFormats(store, {{"only", {195, 1160}}}));
    CustomFormatList groups;
    LoadCustomFormats(store, groups);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].name, "only");
    EXPECT_EQ(store.Read().ValueNames(kCustomFormatsKey).size(), 2u);
}

TEST(RecentEntries, RememberMovesToTheTopAndSavesWithoutGaps) {
    RecentEntries list(kOutputFolderList);
    EXPECT_FALSE(list.Load(RegistryTree{}));  // no key: the box falls back to its defaults
    EXPECT_FALSE(list.Remember(""));
    EXPECT_TRUE(list.Remember("/c"));
    EXPECT_TRUE(list.Remember("/b"));
    EXPECT_TRUE(list.Remember("/a"));
    EXPECT_FALSE(list.Remember("/a"));
    EXPECT_TRUE(list.Remember("/c"));  // third moves to the top, no duplicate
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"/c", "/a", "/b"}));
    EXPECT_TRUE(list.Remember("/C"));  // case matters
    EXPECT_EQ(list.Entries().size(), 4u);

    RegistryTree store;
    store.SetString(list.KeyPath(), "7", "old entry");
    list.Save(store);
    EXPECT_EQ(store.ValueNames("Software\\Quillon 5\\OutputFolder"), (std::vector<std::string>{"0", "1", "2", "3"}));
    RecentEntries again(kOutputFolderList);
    EXPECT_TRUE(again.Load(store));
    EXPECT_EQ(again.Entries(), list.Entries());
}

TEST(RecentEntries, LoadingStopsAtAGapOrAnEmptyValueAndAfterThirty) {
    RegistryTree store;
    const std::string key = "Software\\Quillon 5\\FilterExts";
    store.SetString(key, "0", "mp4");
    store.SetString(key, "1", "avi,mkv");
    store.SetString(key, "3", "wmv");
    RecentEntries list(kFilterExtsList);
    EXPECT_TRUE(list.Load(store));
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"mp4", "avi,mkv"}));

    store.SetString(key, "2", "");
    list.Load(store);
    EXPECT_EQ(list.Entries().size(), 2u);

    RegistryTree full;
    for (int i = 0; i < 35; ++i) full.SetString(key, std::to_string(i), "e" + std::to_string(i));
    list.Load(full);
    EXPECT_EQ(list.Entries().size(), 30u);
    EXPECT_EQ(list.Entries().back(), "e29");
}

}  // namespace
}  // namespace quillon::formats
