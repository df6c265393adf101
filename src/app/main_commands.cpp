#include "app/main_commands.h"

#include <fmt/format.h>

#include "app/list_cells.h"
#include "app/product_info.h"
#include "engine/source_preparation.h"
#include "util/paths.h"

namespace quillon::app {

using namespace command;

const std::vector<CommandInfo>& CommandTable() {
    static const std::vector<CommandInfo> table = {
        {kConvertSelected, "Conver&t Selected\tF4", "F4", EnableRule::Selection},
        {kConvertAll, "&Convert All\tF5", "F5", EnableRule::Rows},
        {kConvertSelectedToOne, "Con&vert Selected to One\tF6", "F6", EnableRule::Selection},
        {kConvertAllToOne, "Convert All to &One\tF7", "F7", EnableRule::Rows},
        {kPlaySource, "&Play Source\tF8", "F8", EnableRule::Selection},
        {kPlayDestination, "P&lay Destination\tF9", "F9", EnableRule::Output},
        {kBrowseSource, "&Browse Source Folder\tF11", "F11", EnableRule::Selection},
        {kBrowseDestination, "Bro&wse Destination Folder\tF12", "F12", EnableRule::Output},
        {kAddFiles, "&Add Files...\tCtrl+O", "Ctrl+O", EnableRule::Always},
        {kAddFolder, "Add &Folder\tCtrl+F", "Ctrl+F", EnableRule::Always},
        {kAddDvd, "Add &DVD\tCtrl+D", "Ctrl+D", EnableRule::Always},
        {kRemove, "&Remove\tDel", "Del", EnableRule::Selection},
        {kRemoveAll, "R&emove All\tCtrl+Del", "Ctrl+Del", EnableRule::Rows},
        {kSelectedLength, "Calculate Selected Len&gth\tCtrl+C", "Ctrl+C", EnableRule::Selection},
        {kAllLength, "Calculate All Lengt&h\tCtrl+X", "Ctrl+X", EnableRule::Rows},
        {kMoveUp, "Move &Up\tF2", "F2", EnableRule::Selection},
        {kMoveDown, "&Move Down\tF3", "F3", EnableRule::Selection},
        {kAudioStreamNone, "None", "", EnableRule::Never},
        {kSelectAll, "", "Ctrl+A", EnableRule::Always},
        {kOptions, "", "", EnableRule::Always},
        {kHelpTopics, "&Help Topics\tF1", "F1", EnableRule::Always},
        {kAbout, "&About...", "", EnableRule::Always},
        {kTellAFriend, "&Tell A Friend", "", EnableRule::Always},
        {kFeedback, "&Feedback and Support", "", EnableRule::Always},
        {kHomePage, "Home&page", "", EnableRule::Always},
        {kCheckUpdates, "&Check for Updates", "", EnableRule::Always},
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

bool ChangesListOrSettings(int id) {
    if (id >= kAudioStreamFirst && id <= kAudioStreamLast) return true;
    switch (id) {
    case kPlaySource:
    case kPlayDestination:
    case kBrowseSource:
    case kBrowseDestination:
    case kSelectedLength:
    case kAllLength:
    case kHelpTopics:
    case kAbout:
    case kTellAFriend:
    case kFeedback:
    case kHomePage:
    case kCheckUpdates:
    case kHelpButton:
    case kMinimize:
    case kClose: return false;
    default: return true;
    }
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
        if (i < item.audioChannels.size() && item.audioChannels[i] != 0) parts.push_back(ChannelText(item.audioChannels[i]));
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

bool PlayFocused(const FileList& list, bool destination, Shell& shell) {
    const std::optional<std::string> path = FocusedPath(list, destination);
    if (!path) return false;
    shell.OpenPath(*path);
    return true;
}

bool BrowseFocused(const FileList& list, bool destination, Shell& shell) {
    const std::optional<std::string> path = FocusedPath(list, destination);
    if (!path) return false;
    shell.ShowInFolder(*path);
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

}  // namespace quillon::app
