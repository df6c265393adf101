#include "app/main_commands.h"

#include <fmt/format.h>

#include "app/list_cells.h"
#include "app/product_info.h"
#include "engine/source_preparation.h"
#include "util/paths.h"

namespace quillon::app {

using namespace command;

namespace {

void Convert(CommandHost& host, int id) {
    host.StartConversion(id == kConvertSelected || id == kConvertSelectedToOne,
                         id == kConvertSelectedToOne || id == kConvertAllToOne);
}

void Play(CommandHost& host, int id) { PlayFocused(host.Files(), id == kPlayDestination, host.DesktopSide()); }

void Browse(CommandHost& host, int id) { BrowseFocused(host.Files(), id == kBrowseDestination, host.DesktopSide()); }

void ShowLength(CommandHost& host, int id) {
    if (const std::optional<std::string> message = LengthMessage(host.Files(), id == kSelectedLength)) {
        host.DesktopSide().ShowMessage(*message, MessageIcon::Information);
    }
}

void OpenWeb(CommandHost& host, int id) { host.OpenAddress(WebCommandAddress(id)); }

}  // namespace

// One row a command, one line a menu group.
// clang-format off
const std::vector<CommandInfo>& CommandTable() {
    using Host = CommandHost;
    constexpr bool kReadOnly = true;  // allowed while a run or a load holds the list
    constexpr bool kChanges = false;
    static const std::vector<CommandInfo> table = {
        {kConvertSelected, "Conver&t Selected\tF4", "F4", EnableRule::Selection, kChanges, Convert},
        {kConvertAll, "&Convert All\tF5", "F5", EnableRule::Rows, kChanges, Convert},
        {kConvertSelectedToOne, "Con&vert Selected to One\tF6", "F6", EnableRule::Selection, kChanges, Convert},
        {kConvertAllToOne, "Convert All to &One\tF7", "F7", EnableRule::Rows, kChanges, Convert},
        {kPlaySource, "&Play Source\tF8", "F8", EnableRule::Selection, kReadOnly, Play},
        {kPlayDestination, "P&lay Destination\tF9", "F9", EnableRule::Output, kReadOnly, Play},
        {kBrowseSource, "&Browse Source Folder\tF11", "F11", EnableRule::Selection, kReadOnly, Browse},
        {kBrowseDestination, "Bro&wse Destination Folder\tF12", "F12", EnableRule::Output, kReadOnly, Browse},
        {kAddFiles, "&Add Files...\tCtrl+O", "Ctrl+O", EnableRule::Always, kChanges, [](Host& h, int) { h.AddFiles(); }},
        {kAddFolder, "Add &Folder\tCtrl+F", "Ctrl+F", EnableRule::Always, kChanges, [](Host& h, int) { h.AddFolder(); }},
        {kAddDvd, "Add &DVD\tCtrl+D", "Ctrl+D", EnableRule::Always, kChanges, [](Host& h, int) { h.AddDvd(); }},
        {kRemove, "&Remove\tDel", "Del", EnableRule::Selection, kChanges,
         [](Host& h, int) { RemoveSelectedRows(h.Files(), h.Index()); }},
        {kRemoveAll, "R&emove All\tCtrl+Del", "Ctrl+Del", EnableRule::Rows, kChanges,
         [](Host& h, int) { RemoveAllRows(h.Files(), h.Index()); }},
        {kSelectedLength, "Calculate Selected Len&gth\tCtrl+C", "Ctrl+C", EnableRule::Selection, kReadOnly, ShowLength},
        {kAllLength, "Calculate All Lengt&h\tCtrl+X", "Ctrl+X", EnableRule::Rows, kReadOnly, ShowLength},
        {kMoveUp, "Move &Up\tF2", "F2", EnableRule::Selection, kChanges, [](Host& h, int) { MoveSelectedUp(h.Files()); }},
        {kMoveDown, "&Move Down\tF3", "F3", EnableRule::Selection, kChanges,
         [](Host& h, int) { MoveSelectedDown(h.Files()); }},
        {kAudioStreamNone, "None", "", EnableRule::Never, kChanges, nullptr},
        {kSelectAll, "", "Ctrl+A", EnableRule::Always, kChanges, [](Host& h, int) { h.SelectAll(); }},
        {kOptions, "", "", EnableRule::Always, kChanges, [](Host& h, int) { h.OpenOptions(); }},
        {kHelpTopics, "&Help Topics\tF1", "F1", EnableRule::Always, kReadOnly, [](Host& h, int) { h.OpenHelpTopics(); }},
        {kAbout, "&About...", "", EnableRule::Always, kReadOnly, [](Host& h, int) { h.ShowAbout(); }},
        {kTellAFriend, "&Tell A Friend", "", EnableRule::Always, kReadOnly, OpenWeb},
        {kFeedback, "&Feedback and Support", "", EnableRule::Always, kReadOnly, OpenWeb},
        {kHomePage, "Home&page", "", EnableRule::Always, kReadOnly, OpenWeb},
        {kCheckUpdates, "&Check for Updates", "", EnableRule::Always, kReadOnly, OpenWeb},
        {kHelpButton, "", "", EnableRule::Always, kReadOnly, [](Host& h, int) { h.OpenHelpMenu(); }},
        {kMinimize, "", "", EnableRule::Always, kReadOnly, [](Host& h, int) { h.Minimize(); }},
        {kClose, "", "", EnableRule::Always, kReadOnly, [](Host& h, int) { h.CloseWindow(); }},
    };
    return table;
}

const CommandInfo* FindCommand(int id) {
    for (const CommandInfo& info : CommandTable()) {
        if (info.id == id) return &info;
    }
    return nullptr;
}

const std::vector<int>& ContextMenuLayout() {
    static const std::vector<int> layout = {
        kAudioStreamsSubmenu, kSeparator,
        kConvertSelected, kConvertAll, kSeparator, kConvertSelectedToOne, kConvertAllToOne, kSeparator,
        kPlaySource, kPlayDestination, kSeparator,
        kBrowseSource, kBrowseDestination, kSeparator,
        kAddFiles, kAddFolder, kAddDvd, kSeparator,
        kRemove, kRemoveAll, kSeparator,
        kSelectedLength, kAllLength, kSeparator,
        kMoveUp, kMoveDown,
    };
    return layout;
}

const std::vector<int>& HelpMenuLayout() {
    static const std::vector<int> layout = {kHelpTopics, kSeparator, kTellAFriend, kFeedback,
                                            kHomePage,   kCheckUpdates, kSeparator, kAbout};
    return layout;
}
// clang-format on

bool ChangesListOrSettings(int id) {
    if (id >= kAudioStreamFirst && id <= kAudioStreamLast) return true;
    const CommandInfo* info = FindCommand(id);
    return !info || !info->whileBusy;
}

bool CommandEnabled(int id, const FileList& list, bool busy) {
    if (busy && id != kSeparator && ChangesListOrSettings(id)) return false;
    if (id == kAudioStreamsSubmenu) {
        const std::vector<AudioStreamEntry> entries = AudioStreamsMenu(list);
        return !entries.empty() && entries.front().enabled;
    }
    if (id >= kAudioStreamFirst && id <= kAudioStreamLast) return true;
    const CommandInfo* info = FindCommand(id);
    if (!info) return true;
    switch (info->rule) {
    case EnableRule::Always: return true;
    case EnableRule::Never: return false;
    case EnableRule::Selection: return list.AnySelected();
    case EnableRule::Rows: return list.RowCount() > 0;
    case EnableRule::Output: {
        const int row = list.FocusedRow();
        return row >= 0 && !list.Item(static_cast<std::size_t>(row)).outputPath.empty();
    }
    }
    return true;
}

std::vector<AudioStreamEntry> AudioStreamsMenu(const FileList& list) {
    const int row = list.FocusedRow();
    if (row < 0) return {{kAudioStreamNone, "None", false, false}};
    const engine::SourceItem& item = list.Item(static_cast<std::size_t>(row));
    std::vector<AudioStreamEntry> entries;
    for (std::size_t i = 0; i < item.audioSampleRates.size(); ++i) {
        std::vector<std::string> parts;
        if (item.audioSampleRates[i] != 0) parts.push_back(std::to_string(item.audioSampleRates[i]) + " Hz");
        if (i < item.audioBitRates.size() && item.audioBitRates[i] != 0) {
            parts.push_back(std::to_string(item.audioBitRates[i]) + " kbps");
        }
        if (i < item.audioChannels.size() && item.audioChannels[i] != 0)
            parts.push_back(ChannelText(item.audioChannels[i]));
        std::string text = "&" + std::to_string(i + 1) + ": ";
        for (std::size_t p = 0; p < parts.size(); ++p) text += (p ? ", " : "") + parts[p];
        const int id = kAudioStreamFirst + static_cast<int>(i);
        entries.push_back({id, text, true, static_cast<int>(i) == item.selectedAudioStream});
    }
    return entries;
}

bool ChooseAudioStreamCommand(FileList& list, int id) {
    if (id < kAudioStreamFirst || id > kAudioStreamLast) return false;
    const int row = list.FocusedRow();
    if (row < 0) return false;
    return list.SetAudioStream(static_cast<std::size_t>(row), id - kAudioStreamFirst);
}

void RemoveSelectedRows(FileList& list, SourceIndex& index) {
    list.RemoveRowsIf([&list](std::size_t row, const engine::SourceItem&) { return list.Selected(row); },
                      [&index](engine::SourceItem& item) {
                          if (!item.isFormatCopy) index.RemoveItem(&item);
                      });
}

void RemoveAllRows(FileList& list, SourceIndex& index) {
    list.RemoveAll();
    index.Clear();
}

bool MoveSelectedUp(FileList& list) {
    std::size_t first = list.RowCount();
    for (std::size_t row = 0; row < list.RowCount(); ++row) {
        if (list.Selected(row)) {
            first = row;
            break;
        }
    }
    if (first == list.RowCount() || first == 0) return false;
    for (std::size_t row = first; row < list.RowCount(); ++row) {
        if (list.Selected(row)) list.SwapRows(row, row - 1);
    }
    list.ScrollIntoView(first - 1);
    return true;
}

bool MoveSelectedDown(FileList& list) {
    std::vector<std::size_t> selected;
    for (std::size_t row = 0; row < list.RowCount(); ++row) {
        if (list.Selected(row)) selected.push_back(row);
    }
    if (selected.empty() || selected.back() + 1 >= list.RowCount()) return false;
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) list.SwapRows(*it, *it + 1);
    list.ScrollIntoView(selected.back() + 1);
    return true;
}

std::optional<std::string> LengthMessage(const FileList& list, bool selectedOnly) {
    uint32_t total = 0;
    bool any = false;
    for (std::size_t row = 0; row < list.RowCount(); ++row) {
        if (selectedOnly && !list.Selected(row)) continue;
        total += list.Item(row).durationSeconds;
        any = true;
    }
    if (!any) return std::nullopt;
    return std::string(selectedOnly ? "The total length of selected files is " : "The total length of all files is ") +
           DurationText(total) + ".";
}

std::string SourcePathOf(const engine::SourceItem& item) {
    if (item.kind != engine::SourceKind::DvdTitle) return item.path;
    const std::string found = engine::FindDvdPiece(item.dvdFolder, item.dvdTitleNumber, 1);
    if (!found.empty()) return found;
    return item.dvdFolder + fmt::format("VTS_{:02}_1.VOB", static_cast<int>(item.dvdTitleNumber));
}

namespace {

std::optional<std::string> FocusedPath(const FileList& list, bool destination) {
    const int row = list.FocusedRow();
    if (row < 0) return std::nullopt;
    const engine::SourceItem& item = list.Item(static_cast<std::size_t>(row));
    std::string path = destination ? item.outputPath : SourcePathOf(item);
    if (path.empty() || !util::Exists(path)) return std::nullopt;
    return path;
}

}  // namespace

bool PlayFocused(const FileList& list, bool destination, Desktop& desktop) {
    const std::optional<std::string> path = FocusedPath(list, destination);
    if (!path) return false;
    desktop.OpenDocument(*path);
    return true;
}

bool BrowseFocused(const FileList& list, bool destination, Desktop& desktop) {
    const std::optional<std::string> path = FocusedPath(list, destination);
    if (!path) return false;
    desktop.ShowInFileManager(*path);
    return true;
}

const char* WebCommandAddress(int id) {
    switch (id) {
    case kTellAFriend: return kTellAFriendMail;
    case kFeedback: return kSupportMail;
    case kHomePage: return kHomePageUrl;
    case kCheckUpdates: return kUpdatesUrl;
    default: return nullptr;
    }
}

bool RunCommand(CommandHost& host, int id) {
    if (host.Busy() && ChangesListOrSettings(id)) return false;
    if (id >= kAudioStreamFirst && id <= kAudioStreamLast) return ChooseAudioStreamCommand(host.Files(), id);
    const CommandInfo* info = FindCommand(id);
    if (!info || !info->run) return false;
    info->run(host, id);
    return true;
}

}  // namespace quillon::app
