#pragma once
// The main window's commands without their widgets: the one command table with texts, keys,
// enable rules and handlers, its dispatcher, the context and help menus, the Audio Streams
// submenu, and the list commands (remove, move, lengths, play and browse).

#include <optional>
#include <string>
#include <vector>

#include "app/desktop.h"
#include "app/file_list.h"
#include "app/intake.h"

namespace quillon::app {

namespace command {
inline constexpr int kConvertSelected = 32786;
inline constexpr int kConvertAll = 32787;
inline constexpr int kConvertSelectedToOne = 32779;
inline constexpr int kConvertAllToOne = 32778;
inline constexpr int kPlaySource = 32775;
inline constexpr int kPlayDestination = 32781;
inline constexpr int kBrowseSource = 32777;
inline constexpr int kBrowseDestination = 32780;
inline constexpr int kAddFiles = 32773;
inline constexpr int kAddFolder = 1024;
inline constexpr int kAddDvd = 32789;
inline constexpr int kRemove = 32772;
inline constexpr int kRemoveAll = 1005;
inline constexpr int kSelectedLength = 32795;
inline constexpr int kAllLength = 32796;
inline constexpr int kMoveUp = 32793;
inline constexpr int kMoveDown = 32794;
inline constexpr int kAudioStreamNone = 32788;
inline constexpr int kAudioStreamFirst = 9000;
inline constexpr int kAudioStreamLast = 9099;
inline constexpr int kSelectAll = 1156;
inline constexpr int kOptions = 1014;
inline constexpr int kHelpTopics = 57670;
inline constexpr int kAbout = 1017;
inline constexpr int kTellAFriend = 32782;
inline constexpr int kFeedback = 32783;
inline constexpr int kHomePage = 32784;
inline constexpr int kCheckUpdates = 32785;
inline constexpr int kHelpButton = 1060;
inline constexpr int kMinimize = 1030;
inline constexpr int kClose = 1000;
inline constexpr int kOutputFormatBox = 1039;
// Menu layout markers.
inline constexpr int kSeparator = 0;
inline constexpr int kAudioStreamsSubmenu = -1;
}  // namespace command

enum class EnableRule { Always, Selection, Rows, Output, Never };

class CommandHost;
using CommandHandler = void (*)(CommandHost& host, int id);

struct CommandInfo {
    int id;
    const char* menuText;  // "" when the command has no menu entry
    const char* key;       // Qt key sequence text, "" without an accelerator
    EnableRule rule;
    bool whileBusy;      // changes neither the list nor the settings: works during a run or a load
    CommandHandler run;  // null for entries that only show (the "None" stream)
};

// Every command of the window's buttons, menus and keys.
const std::vector<CommandInfo>& CommandTable();
const CommandInfo* FindCommand(int id);

// The menus in their order: command ids, command::kSeparator and command::kAudioStreamsSubmenu.
const std::vector<int>& ContextMenuLayout();
const std::vector<int>& HelpMenuLayout();
inline constexpr const char* kAudioStreamsMenuText = "Audio &Streams";

// Whether a menu entry is enabled for the list as it is now; a submenu follows its first entry.
// While the list is busy (a run or a load going on) only commands that change nothing work.
bool CommandEnabled(int id, const FileList& list, bool busy = false);
// Commands that add, remove, reorder or reselect rows, convert, or change the options: none of
// them may act while a run or a load holds the list.
bool ChangesListOrSettings(int id);

struct AudioStreamEntry {
    int id;
    std::string text;
    bool enabled;
    bool checked;
};
// The Audio Streams submenu for the focused row ("None", disabled, without one).
std::vector<AudioStreamEntry> AudioStreamsMenu(const FileList& list);
// Entry 9000 + i: the focused row takes audio stream i. False when nothing changed hands.
bool ChooseAudioStreamCommand(FileList& list, int id);

// Removes the selected rows (or all), freeing their keys so they can be added again.
void RemoveSelectedRows(FileList& list, SourceIndex& index);
void RemoveAllRows(FileList& list, SourceIndex& index);

// False when nothing moved.
bool MoveSelectedUp(FileList& list);
bool MoveSelectedDown(FileList& list);

// "The total length of selected files is 1:06:40." or nullopt without rows in scope.
std::optional<std::string> LengthMessage(const FileList& list, bool selectedOnly);

// A row's source: its path, or a DVD title's first VOB file.
std::string SourcePathOf(const engine::SourceItem& item);

// Play/Browse on the focused row through the desktop; false when there is no such row or its
// path is gone.
bool PlayFocused(const FileList& list, bool destination, Desktop& desktop);
bool BrowseFocused(const FileList& list, bool destination, Desktop& desktop);

// The address behind one of the four web commands, or nullptr.
const char* WebCommandAddress(int id);

// What the commands act on: the list, the desktop, and what only the window itself can do.
class CommandHost {
public:
    virtual ~CommandHost() = default;
    virtual FileList& Files() = 0;
    virtual SourceIndex& Index() = 0;
    virtual Desktop& DesktopSide() = 0;
    // Opens a web or mail address, telling the user when nothing could.
    virtual void OpenAddress(const std::string& address) = 0;
    // A run or a load holds the list.
    virtual bool Busy() const = 0;

    virtual void StartConversion(bool selectedOnly, bool convertToOne) = 0;
    virtual void AddFiles() = 0;
    virtual void AddFolder() = 0;
    virtual void AddDvd() = 0;
    virtual void SelectAll() = 0;
    virtual void OpenOptions() = 0;
    virtual void OpenHelpMenu() = 0;
    virtual void OpenHelpTopics() = 0;
    virtual void ShowAbout() = 0;
    virtual void Minimize() = 0;
    virtual void CloseWindow() = 0;
};

// Carries out a command from any button, menu entry or key. False when the host is busy and
// the command would change the list or the settings, or when the id is no command.
bool RunCommand(CommandHost& host, int id);

}  // namespace quillon::app
