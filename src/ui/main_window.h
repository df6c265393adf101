#pragma once
// The main window: a frameless 950 x 650 window with a painted background, the seven main
// buttons, the output-format box, the file list and the title-bar buttons. It owns the session
// (store, settings, catalogue and custom groups) for the life of the program.

#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/after_conversion.h"
#include "app/conversion_run.h"
#include "app/file_list.h"
#include "app/intake.h"
#include "app/run_host.h"
#include "app/session.h"
#include "engine/source_item.h"
#include "formats/conversion_settings.h"
#include "formats/custom_output_format.h"
#include "formats/output_format.h"
#include "ui/ui_services.h"

class QMenu;

namespace quillon::ui {

class DesktopNotifier;
class FileListView;
class ImageButton;
class LoadingDialog;
class WindowCommands;
class OutputFormatBox;
class ProgressDialog;
class WindowFrame;

class MainWindow : public QWidget, private app::RunHost {
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
    // The button of one of the app::command ids.
    ImageButton* Button(int commandId) const;
    app::Session& AppSession() { return session_; }
    formats::ConversionSettings& Settings() { return session_.Settings(); }
    formats::FormatCatalogue& Catalogue() { return session_.Catalogue(); }
    formats::CustomFormatList& CustomGroups() { return session_.CustomGroups(); }
    const std::string& ProgramFolderPath() const { return programFolder_; }

    app::FileList& Files() { return files_; }
    // The desktop as the window's app code asks it: messages appear over this window.
    app::Desktop& DesktopSide() { return desktop_; }
    app::ConversionRun& Run() { return *run_; }
    // Starts engines through launch instead of ferrox (tests); ignored while a run is active.
    void UseEngineLaunch(app::EngineLaunch launch);
    // The progress window of the run going on, or null.
    ProgressDialog* ProgressWindow() const;

    // Appends a probed source as a new row, which owns it.
    int AddSource(std::unique_ptr<engine::SourceItem> item);
    // Probes the files and adds them as rows (the files named on the command line), with the
    // loading window and one report of the files that could not be added.
    // A loading window already open (showing the folder search) is used instead of a new one.
    void AddSourcePaths(const std::vector<std::string>& paths, LoadingDialog* open = nullptr);
    app::Intake& SourceIntake() { return *intake_; }
    // Adding files probes through `pool` from now on (the shared pool by default).
    void UseProbePool(engine::ProbePool& pool);
    app::SourceIndex& Index() { return index_; }
    WindowCommands* Commands() const { return commands_; }
    // A run or a load holds the list; commands that would change it are refused meanwhile.
    bool Busy() const;
    bool Refuses(int commandId) const;
    // Removes every row; sources that were prepared lose their temporary files.
    void RemoveAllRows();
    // Convert, Convert Selected, Convert to One and Convert Selected to One.
    void StartConversion(bool selectedOnly, bool convertToOne);
    // Removes the rows, saves the program-state settings; what closing the window does.
    void ShutDown();

    // The countdown before a shutdown ticks once a second; tests make it quicker.
    void SetCountdownTick(int milliseconds) { countdownTickMs_ = milliseconds; }

    void OpenHelpTopics();
    void ShowAbout();
    QMenu* HelpMenu() const { return helpMenu_; }
    WindowFrame* Frame() const { return frame_; }
    DesktopNotifier* Notifier() const { return notifier_; }
    // Replaces the desktop notifier (tests give one on their own bus); the window owns it.
    void SetNotifier(DesktopNotifier* notifier);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    // A borderless button with a hand cursor that runs command `id` when clicked.
    ImageButton* AddCommandButton(int id, ImageButton* button, const QString& tip);
    ImageButton* AddMainButton(int id, const QString& text, const QString& tip, QRect place);
    ImageButton* AddTitleButton(int id, const QString& icon, const QString& tip, QRect place);
    void RefreshBackground();
    // Every control hands its command to the window's one dispatcher.
    void RunCommand(int id);
    void OpenFirstRunHelp();

    // The run's host.
    void SetMainWindowEnabled(bool enabled) override;
    void RunEnded() override;
    // The controls are usable only when neither the run nor a load holds them.
    void ApplyControlsEnabled();
    std::optional<std::string> AskConvertToOneOutput(const formats::OutputFormat& format) override;
    std::unique_ptr<app::ProgressWindow> OpenProgressWindow(const app::ProgressWindowSetup& setup) override;
    std::unique_ptr<engine::LoadingWindow> OpenLoadingWindow() override;
    void ShutdownAfterRun() override;
    void ProcessPendingMessages() override;

    std::string programFolder_;
    WindowDesktop desktop_{this};
    app::Session session_;
    app::FileList files_;
    app::SourceIndex index_;
    std::unique_ptr<app::Intake> intake_;
    formats::OutputFormat groupRecord_;        // the chosen custom group, as the run sees it
    std::unique_ptr<app::ConversionRun> run_;  // declared last: it goes first
    QPointer<ProgressDialog> progress_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // for calls posted to later turns

    QPixmap background_;
    FileListView* list_ = nullptr;
    OutputFormatBox* formatBox_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    WindowCommands* commands_ = nullptr;
    WindowFrame* frame_ = nullptr;
    DesktopNotifier* notifier_ = nullptr;
    std::map<int, ImageButton*> buttons_;
    QPoint dragOffset_;
    QPoint pressPoint_;
    bool dragging_ = false;
    bool systemMoveAsked_ = false;
    bool shutDown_ = false;
    bool runDisabled_ = false;  // the run asked for the controls to wait
    int loads_ = 0;             // loads going on (a load may run the event loop)
    int countdownTickMs_ = app::ShutdownCountdown::kTickMs;
};

}  // namespace quillon::ui
