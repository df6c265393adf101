#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "app/list_cells.h"
#include "app/main_commands.h"
#include "app/product_info.h"
#include "recording_desktop.h"
#include "test_support.h"

namespace quillon::app {
namespace {

namespace fs = std::filesystem;
using namespace command;

std::unique_ptr<engine::SourceItem> Item(const std::string& path, uint32_t seconds = 0) {
    auto item = std::make_unique<engine::SourceItem>();
    item->path = path;
    item->durationSeconds = seconds;
    return item;
}

// Rows named r0, r1, ... with the given rows selected.
void Fill(FileList& list, std::size_t count, const std::vector<std::size_t>& selected = {}) {
    for (std::size_t i = 0; i < count; ++i) list.InsertRow(Item("/m/r" + std::to_string(i)), 0);
    for (std::size_t row : selected) list.SetSelected(row, true);
}

std::vector<std::string> Paths(const FileList& list) {
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < list.RowCount(); ++i)
        paths.push_back(list.Item(i).path + (list.Selected(i) ? "*" : ""));
    return paths;
}

struct RecordingObserver : FileListObserver {
    std::vector<std::pair<std::size_t, std::size_t>> swaps;
    std::vector<std::size_t> scrolled;
    std::vector<std::size_t> audio;
    void RowsSwapped(std::size_t a, std::size_t b) override { swaps.emplace_back(a, b); }
    void ScrollIntoView(std::size_t row) override { scrolled.push_back(row); }
    void AudioCellsChanged(std::size_t row) override { audio.push_back(row); }
};

TEST(MoveCommands, MoveUpNeedsRoomAboveTheFirstSelectedRow) {
    FileList list;
    Fill(list, 4, {0, 2});
    EXPECT_FALSE(MoveSelectedUp(list));
    EXPECT_EQ(Paths(list), (std::vector<std::string>{"/m/r0*", "/m/r1", "/m/r2*", "/m/r3"}));

    FileList other;
    Fill(other, 4, {1, 3});
    other.SetFocusedRow(3);
    RecordingObserver seen;
    other.SetObserver(&seen);
    EXPECT_TRUE(MoveSelectedUp(other));
    EXPECT_EQ(Paths(other), (std::vector<std::string>{"/m/r1*", "/m/r0", "/m/r3*", "/m/r2"}));
    EXPECT_EQ(other.FocusedRow(), 2);  // focus travels with its row
    EXPECT_EQ(seen.scrolled, std::vector<std::size_t>{0});
    EXPECT_EQ(seen.swaps.size(), 2u);

    // A block of adjacent rows moves as a block.
    FileList block;
    Fill(block, 4, {2, 3});
    EXPECT_TRUE(MoveSelectedUp(block));
    EXPECT_EQ(Paths(block), (std::vector<std::string>{"/m/r0", "/m/r2*", "/m/r3*", "/m/r1"}));
}

TEST(MoveCommands, MoveDownNeedsRoomBelowTheLastSelectedRow) {
    FileList list;
    Fill(list, 3, {0, 2});
    EXPECT_FALSE(MoveSelectedDown(list));
    FileList none;
    Fill(none, 3);
    EXPECT_FALSE(MoveSelectedDown(none));
    EXPECT_FALSE(MoveSelectedUp(none));

    FileList block;
    Fill(block, 4, {0, 1});
    RecordingObserver seen;
    block.SetObserver(&seen);
    EXPECT_TRUE(MoveSelectedDown(block));
    EXPECT_EQ(Paths(block), (std::vector<std::string>{"/m/r2", "/m/r0*", "/m/r1*", "/m/r3"}));
    EXPECT_EQ(seen.scrolled, std::vector<std::size_t>{2});
}

TEST(RemoveCommands, RemovedRowsCanBeAddedAgainAndLeaveNoKeys) {
    test::TempDir dir;
    fs::create_directories(dir / "VIDEO_TS");
    FileList list;
    SourceIndex index;
    auto dvd = std::make_unique<engine::SourceItem>();
    dvd->kind = engine::SourceKind::DvdTitle;
    dvd->dvdFolder = (dir / "VIDEO_TS").string() + "/";
    dvd->dvdTitleNumber = 2;
    dvd->path = "DVD Title 1";
    const engine::SourceItem* dvdItem = dvd.get();
    const std::string dvdKey = DvdTitleKey(dvd->dvdFolder, 2);
    list.InsertRow(std::move(dvd), 0);
    index.Add(dvdKey, dvdItem);
    // A file that is renamed after being added still frees its key.
    test::WriteFile(dir / "a.wav", "x");
    const std::string fileKey = SourceKey((dir / "a.wav").string());
    list.InsertRow(Item((dir / "a.wav").string()), 0);
    index.Add(fileKey, &list.Item(1));
    fs::rename(dir / "a.wav", dir / "b.wav");
    list.InsertRow(Item("/m/keep"), 0);
    index.Add("/m/keep", &list.Item(2));

    list.SetSelected(0, true);
    list.SetSelected(1, true);
    RemoveSelectedRows(list, index);
    EXPECT_FALSE(index.Contains(dvdKey));
    EXPECT_FALSE(index.Contains(fileKey));
    EXPECT_TRUE(index.Contains("/m/keep"));
    ASSERT_EQ(list.RowCount(), 1u);
    EXPECT_EQ(list.Item(0).path, "/m/keep");

    RemoveAllRows(list, index);
    EXPECT_EQ(list.RowCount(), 0u);
    EXPECT_EQ(index.Size(), 0u);
}

TEST(LengthCommands, TotalsOfSelectedAndAllRows) {
    FileList list;
    list.InsertRow(Item("/m/a", 3000), 0);
    list.InsertRow(Item("/m/b", 1000), 0);
    list.InsertRow(Item("/m/c"), 0);  // no duration: counts 0
    EXPECT_EQ(LengthMessage(list, false), "The total length of all files is 1:06:40.");
    EXPECT_EQ(LengthMessage(list, true), std::nullopt);
    list.SetSelected(1, true);
    EXPECT_EQ(LengthMessage(list, true), "The total length of selected files is 16:40.");
    FileList empty;
    EXPECT_EQ(LengthMessage(empty, false), std::nullopt);
}

TEST(AudioStreamsMenu, EntriesOfTheFocusedRowRewriteItsCells) {
    FileList list;
    RecordingObserver seen;
    list.SetObserver(&seen);
    EXPECT_EQ(AudioStreamsMenu(list).size(), 1u);
    EXPECT_EQ(AudioStreamsMenu(list)[0].id, kAudioStreamNone);
    EXPECT_FALSE(AudioStreamsMenu(list)[0].enabled);

    auto item = Item("/m/three");
    item->audioSampleRates = {44100, 48000, 22050};
    item->audioBitRates = {128, 192, 0};
    item->audioChannels = {2, 6, 1};
    list.InsertRow(std::move(item), 0);
    list.SetSelected(0, true);
    list.SetFocusedRow(0);
    const std::vector<AudioStreamEntry> menu = AudioStreamsMenu(list);
    ASSERT_EQ(menu.size(), 3u);
    EXPECT_EQ(menu[1].text, "&2: 48000 Hz, 192 kbps, 5.1");
    EXPECT_EQ(menu[2].text, "&3: 22050 Hz, Mono");
    EXPECT_TRUE(menu[0].checked);
    EXPECT_FALSE(menu[2].checked);

    EXPECT_TRUE(ChooseAudioStreamCommand(list, kAudioStreamFirst + 2));
    EXPECT_EQ(seen.audio, std::vector<std::size_t>{0});
    EXPECT_EQ(AudioCellTexts(list.Item(0)), (std::array<std::string, 3>{"22050 Hz*3", "", "Mono"}));
    EXPECT_TRUE(AudioStreamsMenu(list)[2].checked);
    // A stream the row does not have, or an id outside the routed range, changes nothing.
    EXPECT_FALSE(ChooseAudioStreamCommand(list, kAudioStreamFirst + 3));
    EXPECT_FALSE(ChooseAudioStreamCommand(list, kAudioStreamLast + 1));
    EXPECT_EQ(list.Item(0).selectedAudioStream, 2);
}

TEST(CommandMenus, EnableRulesFollowTheListAndMenusKeepTheirOrder) {
    FileList list;
    const auto enabled = [&](int id) { return CommandEnabled(id, list); };
    // Empty list: only the always-enabled entries.
    for (int id : ContextMenuLayout()) {
        if (id == kSeparator) continue;
        const bool always = id == kAddFiles || id == kAddFolder || id == kAddDvd;
        EXPECT_EQ(enabled(id), always) << id;
    }
    for (int id : HelpMenuLayout()) {
        if (id != kSeparator) {
            EXPECT_TRUE(enabled(id)) << id;
        }
    }

    list.InsertRow(Item("/m/a"), 0);
    EXPECT_TRUE(enabled(kConvertAll));
    EXPECT_TRUE(enabled(kRemoveAll));
    EXPECT_TRUE(enabled(kAllLength));
    EXPECT_FALSE(enabled(kRemove));
    EXPECT_FALSE(enabled(kMoveUp));

    list.SetSelected(0, true);
    list.SetFocusedRow(0);
    EXPECT_TRUE(enabled(kRemove));
    EXPECT_TRUE(enabled(kPlaySource));
    EXPECT_FALSE(enabled(kPlayDestination));      // no output yet
    EXPECT_FALSE(enabled(kAudioStreamsSubmenu));  // no streams: the submenu has no entry
    list.Item(0).outputPath = "/m/out.mp3";
    list.Item(0).audioSampleRates = {8000};
    EXPECT_TRUE(enabled(kPlayDestination));
    EXPECT_TRUE(enabled(kBrowseDestination));
    EXPECT_TRUE(enabled(kAudioStreamsSubmenu));
    // A selected row without focus has no output to show.
    list.SetFocusedRow(-1);
    EXPECT_FALSE(enabled(kBrowseDestination));

    EXPECT_EQ(ContextMenuLayout().front(), kAudioStreamsSubmenu);
    EXPECT_EQ(ContextMenuLayout().back(), kMoveDown);
    EXPECT_EQ(ContextMenuLayout().size(), 26u);
    EXPECT_EQ(HelpMenuLayout(), (std::vector<int>{kHelpTopics, kSeparator, kTellAFriend, kFeedback, kHomePage,
                                                  kCheckUpdates, kSeparator, kAbout}));
    // Every accelerator is unique.
    std::set<std::string> keys;
    for (const CommandInfo& info : CommandTable()) {
        if (*info.key) {
            EXPECT_TRUE(keys.insert(info.key).second) << info.key;
        }
    }
}

TEST(CommandMenus, WhileBusyOnlyCommandsThatChangeNothingAreOffered) {
    FileList list;
    list.InsertRow(Item("/m/a"), 0);
    list.Item(0).outputPath = "/m/out.mp3";
    list.Item(0).audioSampleRates = {8000, 44100};
    list.SetSelected(0, true);
    list.SetFocusedRow(0);
    for (int id : ContextMenuLayout()) {
        if (id == kSeparator) continue;
        const bool readOnly = id == kPlaySource || id == kPlayDestination || id == kBrowseSource ||
                              id == kBrowseDestination || id == kSelectedLength || id == kAllLength;
        EXPECT_TRUE(CommandEnabled(id, list)) << id;
        EXPECT_EQ(CommandEnabled(id, list, true), readOnly) << id;
        EXPECT_EQ(ChangesListOrSettings(id), !readOnly) << id;
    }
    for (int id : {kSelectAll, kOptions, kAudioStreamFirst, kAudioStreamFirst + 1})
        EXPECT_TRUE(ChangesListOrSettings(id)) << id;
    for (int id : HelpMenuLayout()) {
        if (id != kSeparator) {
            EXPECT_FALSE(ChangesListOrSettings(id)) << id;
        }
    }
}

TEST(DesktopCommands, PlayAndBrowseOnlyExistingPathsOfTheFocusedRow) {
    test::TempDir dir;
    test::WriteFile(dir / "in.wav", "x");
    fs::create_directories(dir / "VIDEO_TS");
    test::WriteFile(dir / "VIDEO_TS" / "vts_03_1.vob", "x");
    FileList list;
    test::RecordingDesktop desktop;
    EXPECT_FALSE(PlayFocused(list, false, desktop));

    list.InsertRow(Item((dir / "in.wav").string()), 0);
    auto dvd = std::make_unique<engine::SourceItem>();
    dvd->kind = engine::SourceKind::DvdTitle;
    dvd->dvdFolder = (dir / "VIDEO_TS").string() + "/";
    dvd->dvdTitleNumber = 3;
    list.InsertRow(std::move(dvd), 0);
    list.SetSelected(0, true);
    list.SetFocusedRow(0);
    EXPECT_TRUE(PlayFocused(list, false, desktop));
    EXPECT_FALSE(PlayFocused(list, true, desktop));  // no output
    list.Item(0).outputPath = (dir / "gone.mp3").string();
    EXPECT_FALSE(BrowseFocused(list, true, desktop));  // output no longer there
    list.SetSelected(1, true);
    list.SetFocusedRow(1);
    EXPECT_TRUE(BrowseFocused(list, false, desktop));
    EXPECT_EQ(desktop.calls, (std::vector<std::string>{"open " + (dir / "in.wav").string(),
                                                       "show " + (dir / "VIDEO_TS" / "vts_03_1.vob").string()}));
    EXPECT_STREQ(WebCommandAddress(kHomePage), "https://quillon.example.org/");
    EXPECT_EQ(WebCommandAddress(kAbout), nullptr);
}

// A desktop whose information messages join the window's calls, in their order.
struct CallsDesktop : test::RecordingDesktop {
    explicit CallsDesktop(std::vector<std::string>& log) : windowCalls(log) {}
    void ShowMessage(const std::string& text, MessageIcon icon) override {
        RecordingDesktop::ShowMessage(text, icon);
        windowCalls.push_back((icon == MessageIcon::Information ? "info " : "message ") + text);
    }
    std::vector<std::string>& windowCalls;
};

// A window that only records what the commands ask of it.
struct RecordingHost : CommandHost {
    FileList list;
    SourceIndex index;
    bool busy = false;
    std::vector<std::string> calls;
    CallsDesktop desktop{calls};

    FileList& Files() override { return list; }
    SourceIndex& Index() override { return index; }
    Desktop& DesktopSide() override { return desktop; }
    void OpenAddress(const std::string& address) override { calls.push_back("url " + address); }
    bool Busy() const override { return busy; }
    void StartConversion(bool selectedOnly, bool convertToOne) override {
        calls.push_back(std::string("convert") + (selectedOnly ? " selected" : " all") +
                        (convertToOne ? " to one" : ""));
    }
    void AddFiles() override { calls.push_back("add files"); }
    void AddFolder() override { calls.push_back("add folder"); }
    void AddDvd() override { calls.push_back("add dvd"); }
    void SelectAll() override { calls.push_back("select all"); }
    void OpenOptions() override { calls.push_back("options"); }
    void OpenHelpMenu() override { calls.push_back("help menu"); }
    void OpenHelpTopics() override { calls.push_back("help topics"); }
    void ShowAbout() override { calls.push_back("about"); }
    void Minimize() override { calls.push_back("minimize"); }
    void CloseWindow() override { calls.push_back("close"); }
};

TEST(CommandDispatch, EveryButtonMenuEntryAndKeyReachesItsOwnHandler) {
    const std::vector<std::pair<int, std::string>> expected = {
        {kConvertSelected, "convert selected"},
        {kConvertAll, "convert all"},
        {kConvertSelectedToOne, "convert selected to one"},
        {kConvertAllToOne, "convert all to one"},
        {kAddFiles, "add files"},
        {kAddFolder, "add folder"},
        {kAddDvd, "add dvd"},
        {kSelectAll, "select all"},
        {kOptions, "options"},
        {kHelpButton, "help menu"},
        {kHelpTopics, "help topics"},
        {kAbout, "about"},
        {kMinimize, "minimize"},
        {kClose, "close"},
        {kSelectedLength, "info The total length of selected files is 00:20."},
        {kAllLength, "info The total length of all files is 00:30."},
    };
    for (const auto& [id, call] : expected) {
        RecordingHost host;
        host.list.InsertRow(Item("/m/a", 20), 0);
        host.list.InsertRow(Item("/m/b", 10), 0);
        host.list.SetSelected(0, true);
        EXPECT_TRUE(RunCommand(host, id)) << id;
        EXPECT_EQ(host.calls, std::vector<std::string>{call}) << id;
    }
    // The four web commands open their addresses.
    RecordingHost web;
    for (int id : {kTellAFriend, kFeedback, kHomePage, kCheckUpdates}) EXPECT_TRUE(RunCommand(web, id));
    EXPECT_EQ(web.calls,
              (std::vector<std::string>{std::string("url ") + kTellAFriendMail, std::string("url ") + kSupportMail,
                                        std::string("url ") + kHomePageUrl, std::string("url ") + kUpdatesUrl}));
    // Every entry of both menus has a handler; only the "None" stream is shown without one.
    for (const std::vector<int>* layout : {&ContextMenuLayout(), &HelpMenuLayout()}) {
        for (int id : *layout) {
            if (id == kSeparator || id == kAudioStreamsSubmenu) continue;
            ASSERT_NE(FindCommand(id), nullptr) << id;
            EXPECT_NE(FindCommand(id)->run, nullptr) << id;
        }
    }
    RecordingHost none;
    EXPECT_FALSE(RunCommand(none, kAudioStreamNone));
    EXPECT_FALSE(RunCommand(none, kOutputFormatBox));  // a control, not a command
    EXPECT_FALSE(RunCommand(none, 4242));
    EXPECT_TRUE(none.calls.empty());
}

TEST(CommandDispatch, ABusyHostRefusesWhatChangesTheListAndStillPlaysAndShows) {
    RecordingHost host;
    for (int i = 0; i < 3; ++i) host.list.InsertRow(Item("/m/r" + std::to_string(i), 5), 0);
    host.list.Item(1).audioSampleRates = {8000, 44100};
    host.list.SetSelected(1, true);
    host.list.SetFocusedRow(1);
    const int stream = host.list.Item(1).selectedAudioStream;
    host.busy = true;
    for (int id : {kRemove, kRemoveAll, kMoveUp, kMoveDown, kConvertAll, kConvertSelectedToOne, kAddFiles, kAddFolder,
                   kAddDvd, kSelectAll, kOptions, kAudioStreamFirst + 1}) {
        EXPECT_FALSE(RunCommand(host, id)) << id;
    }
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(Paths(host.list), (std::vector<std::string>{"/m/r0", "/m/r1*", "/m/r2"}));
    EXPECT_EQ(host.list.Item(1).selectedAudioStream, stream);

    // Reading commands and the window's own buttons still answer.
    for (int id : {kSelectedLength, kHelpTopics, kMinimize, kClose, kHomePage}) EXPECT_TRUE(RunCommand(host, id)) << id;
    EXPECT_EQ(host.calls, (std::vector<std::string>{"info The total length of selected files is 00:05.", "help topics",
                                                    "minimize", "close", std::string("url ") + kHomePageUrl}));

    // Once the run is over the same commands act.
    host.busy = false;
    EXPECT_TRUE(RunCommand(host, kAudioStreamFirst + 1));
    EXPECT_EQ(host.list.Item(1).selectedAudioStream, 1);
    EXPECT_TRUE(RunCommand(host, kMoveUp));
    EXPECT_TRUE(RunCommand(host, kRemove));
    EXPECT_EQ(Paths(host.list), (std::vector<std::string>{"/m/r0", "/m/r2"}));
    EXPECT_TRUE(RunCommand(host, kRemoveAll));
    EXPECT_EQ(host.list.RowCount(), 0u);
}

}  // namespace
}  // namespace quillon::app
