#pragma once
// Every command of the main window goes through here, from its buttons, menus and keys: the
// accelerators, the list's context menu, Add Files / Folder / DVD, drops on the window, the
// options and the output-format box's "Customize Output Formats" entry.

#include <QObject>
#include <QPoint>

#include <string>

#include "app/main_commands.h"

class QMenu;

namespace quillon::ui {

class MainWindow;

class WindowCommands final : public QObject, private app::CommandHost {
    Q_OBJECT
public:
    explicit WindowCommands(MainWindow* window);

    // Refused while the window is busy when the command would change the list or the settings.
    void Execute(int id);
    // The context menu as it would open now (enable states and the Audio Streams submenu).
    QMenu* BuildContextMenu();

    void AddFiles() override;
    void AddFolder() override;
    void AddDvd() override;
    void AddDropped(const std::vector<std::string>& dropped);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void InstallAccelerators();
    void ShowContextMenu(const QPoint& at, bool fromKeyboard);

    // app::CommandHost: what only the window can do.
    app::FileList& Files() override;
    app::SourceIndex& Index() override;
    app::Desktop& DesktopSide() override;
    void OpenAddress(const std::string& address) override;
    bool Busy() const override;
    void StartConversion(bool selectedOnly, bool convertToOne) override;
    void SelectAll() override;
    void OpenOptions() override;
    void OpenHelpMenu() override;
    void OpenHelpTopics() override;
    void ShowAbout() override;
    void Minimize() override;
    void CloseWindow() override;

    MainWindow* window_;
};

}  // namespace quillon::ui
