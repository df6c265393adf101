#pragma once
// The main window's commands that work on the list and on what the user adds: the accelerators,
// the list's context menu, Add Files / Folder / DVD, drops on the window, and the list commands.
// Commands the window handles itself (help menu, title buttons, convert buttons) stay there.

#include <QObject>
#include <QPoint>

#include <string>

#include "app/main_commands.h"

class QMenu;

namespace quillon::ui {

class MainWindow;

class WindowCommands final : public QObject {
    Q_OBJECT
public:
    explicit WindowCommands(MainWindow* window);

    void Execute(int id);
    // The context menu as it would open now (enable states and the Audio Streams submenu).
    QMenu* BuildContextMenu();

    void AddFiles();
    void AddFolder();
    void AddDvd();
    void AddDropped(const std::vector<std::string>& dropped);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void InstallAccelerators();
    void ShowContextMenu(const QPoint& at, bool fromKeyboard);
    void ShowLength(bool selectedOnly);

    MainWindow* window_;
};

}  // namespace quillon::ui
