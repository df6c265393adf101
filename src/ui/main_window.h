#pragma once
// The main window: a frameless 950 x 650 window with a painted background, the seven main
// buttons, the output-format box, the file list and the title-bar buttons. It owns the settings,
// the catalogue and the custom groups for the life of the program.

#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/source_item.h"
#include "formats/conversion_settings.h"
#include "formats/custom_output_format.h"
#include "formats/output_format.h"
#include "platform/registry_store.h"

class QMenu;

namespace quillon::ui {

class FileListView;
class ImageButton;
class OutputFormatBox;

// Command identifiers of the window's controls.
enum CommandId : int {
    kCmdAddFiles = 32773,
    kCmdAddFolder = 1024,
    kCmdAddDvd = 32789,
    kCmdRemoveAll = 1005,
    kCmdConvert = 32787,
    kCmdConvertToOne = 32778,
    kCmdOptions = 1014,
    kCmdHomePage = 32784,
    kCmdHelpButton = 1060,
    kCmdMinimize = 1030,
    kCmdClose = 1000,
    kCmdHelpTopics = 57670,
    kCmdAbout = 1017,
    kCmdTellAFriend = 32782,
    kCmdFeedback = 32783,
    kCmdCheckUpdates = 32785,
};

class MainWindow : public QWidget {
    Q_OBJECT
public:
    // programFolder holds ferrox, tavrel and the help, with a trailing "/".
    explicit MainWindow(std::string programFolder, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Loads the settings and the custom groups, lays the window out, fills the output-format
    // box and opens the help on the first run.
    void SetUpMainWindow();

    FileListView* List() const { return list_; }
    OutputFormatBox* FormatBox() const { return formatBox_; }
    ImageButton* Button(int commandId) const;
    formats::ConversionSettings& Settings() { return settings_; }
    formats::FormatCatalogue& Catalogue() { return catalogue_; }
    formats::CustomFormatList& CustomGroups() { return groups_; }
    const std::string& ProgramFolderPath() const { return programFolder_; }

    // Appends a probed source as a new row, which owns it.
    int AddSource(std::unique_ptr<engine::SourceItem> item);
    // Removes every row; sources that were prepared lose their temporary files.
    void RemoveAllRows();
    // Removes the rows, saves the program-state settings; what closing the window does.
    void ShutDown();

    void OpenHelpTopics();
    void ShowAbout();
    QMenu* HelpMenu() const { return helpMenu_; }

Q_SIGNALS:
    // Commands handled outside the window (adding sources, options, converting).
    void CommandRequested(int commandId);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    ImageButton* AddMainButton(int id, const QString& text, const QString& tip, QRect place);
    ImageButton* AddTitleButton(int id, const QString& icon, const QString& tip, QRect place);
    void RefreshBackground();
    void OnCommand(int id);
    void OpenFirstRunHelp();
    void OnListSorted();

    std::string programFolder_;
    platform::RegistryStore store_;
    formats::FormatCatalogue catalogue_;
    formats::ConversionSettings settings_;
    formats::CustomFormatList groups_;
    std::vector<std::unique_ptr<engine::SourceItem>> items_;

    QPixmap background_;
    FileListView* list_ = nullptr;
    OutputFormatBox* formatBox_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    std::map<int, ImageButton*> buttons_;
    QPoint dragOffset_;
    bool dragging_ = false;
    bool shutDown_ = false;
};

}  // namespace quillon::ui
