#pragma once
// The main window's frame: it may grow beyond its first 950 x 650. A grip at the bottom-right
// corner resizes it, a double-click on the title area maximises and restores it; the list and
// its File and Status columns take the room, the left column keeps its controls, the title-bar
// buttons stay at the right edge and the home page link at the bottom. Size, position and the
// maximised state are kept in the store and come back within the present screens.

#include <QList>
#include <QObject>
#include <QRect>
#include <QSize>

#include <optional>

class QSizeGrip;

namespace quillon::platform {
class RegistryStore;
}

namespace quillon::ui {

class MainWindow;

struct WindowPlacement {
    QRect geometry;  // the normal (not maximised) geometry
    bool maximized = false;
};

inline constexpr const char* kWindowKey = "Software\\Quillon 5\\Window";

std::optional<WindowPlacement> LoadWindowPlacement(platform::RegistryStore& store);
bool SaveWindowPlacement(platform::RegistryStore& store, const WindowPlacement& placement);

// The stored geometry made to fit the screens: no smaller than minimum, no larger than the
// screen it overlaps most (or the first, when it overlaps none), and wholly on that screen.
QRect FitToScreens(const QRect& stored, const QList<QRect>& screens, const QSize& minimum);

class WindowFrame final : public QObject {
    Q_OBJECT
public:
    WindowFrame(MainWindow* window, platform::RegistryStore& store);

    // Puts the window where it was left; false when nothing usable was stored.
    bool Restore();
    void Save();
    void ToggleMaximized();

    QSizeGrip* Grip() const { return grip_; }
    // The title area: a double-click there maximises.
    static constexpr int kTitleHeight = 52;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LayOut();

    MainWindow* window_;
    platform::RegistryStore& store_;
    QSizeGrip* grip_ = nullptr;
    int listWidth_ = -1;  // the list's width at the last layout
};

}  // namespace quillon::ui
