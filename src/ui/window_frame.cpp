#include "ui/window_frame.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScreen>
#include <QSizeGrip>

#include <algorithm>

#include "app/list_cells.h"
#include "app/main_commands.h"
#include "platform/registry_store.h"
#include "ui/file_list_view.h"
#include "ui/image_button.h"
#include "ui/main_window.h"
#include "ui/skin.h"

namespace quillon::ui {

namespace {

const char* const kLeft = "Left";
const char* const kTop = "Top";
const char* const kWidth = "Width";
const char* const kHeight = "Height";
const char* const kMaximized = "Maximized";

std::optional<int32_t> Dword(const platform::RegistryTree& tree, const char* name) {
    const platform::RegValue* value = tree.QueryValue(kWindowKey, name);
    if (!value || value->type != platform::RegDword || value->data.size() != 4) return std::nullopt;
    return static_cast<int32_t>(value->data[0] | value->data[1] << 8 | value->data[2] << 16 |
                                static_cast<uint32_t>(value->data[3]) << 24);
}

// Distances of the anchored controls from the right and bottom edges at the first size.
constexpr int kListLeft = 137;
constexpr int kListTop = 63;
constexpr int kListRightGap = skin::kWindowWidth - 940;
constexpr int kListBottomGap = skin::kWindowHeight - 638;
constexpr int kGripSize = 12;

}  // namespace

std::optional<WindowPlacement> LoadWindowPlacement(platform::RegistryStore& store) {
    const platform::RegistryTree tree = store.Read();
    const auto left = Dword(tree, kLeft);
    const auto top = Dword(tree, kTop);
    const auto width = Dword(tree, kWidth);
    const auto height = Dword(tree, kHeight);
    if (!left || !top || !width || !height || *width <= 0 || *height <= 0) return std::nullopt;
    WindowPlacement placement;
    placement.geometry = QRect(*left, *top, *width, *height);
    placement.maximized = Dword(tree, kMaximized).value_or(0) != 0;
    return placement;
}

bool SaveWindowPlacement(platform::RegistryStore& store, const WindowPlacement& placement) {
    return store.Update([&placement](platform::RegistryTree& tree) {
        tree.SetDword(kWindowKey, kLeft, placement.geometry.x());
        tree.SetDword(kWindowKey, kTop, placement.geometry.y());
        tree.SetDword(kWindowKey, kWidth, placement.geometry.width());
        tree.SetDword(kWindowKey, kHeight, placement.geometry.height());
        tree.SetDword(kWindowKey, kMaximized, placement.maximized ? 1 : 0);
    });
}

QRect FitToScreens(const QRect& stored, const QList<QRect>& screens, const QSize& minimum) {
    if (screens.isEmpty()) return QRect(stored.topLeft(), stored.size().expandedTo(minimum));
    // The screen that shows most of the window; a window on a screen now gone moves to the first.
    QRect screen = screens.first();
    long long most = 0;
    for (const QRect& candidate : screens) {
        const QRect shared = candidate.intersected(stored);
        const long long area = shared.isEmpty() ? 0 : static_cast<long long>(shared.width()) * shared.height();
        if (area > most) {
            most = area;
            screen = candidate;
        }
    }
    QSize size = stored.size().expandedTo(minimum).boundedTo(screen.size());
    size = size.expandedTo(minimum.boundedTo(screen.size()));
    QRect fitted(stored.topLeft(), size);
    if (most == 0) fitted.moveCenter(screen.center());
    fitted.moveLeft(
        std::clamp(fitted.left(), screen.left(), std::max(screen.left(), screen.right() - size.width() + 1)));
    fitted.moveTop(std::clamp(fitted.top(), screen.top(), std::max(screen.top(), screen.bottom() - size.height() + 1)));
    return fitted;
}

WindowFrame::WindowFrame(MainWindow* window, platform::RegistryStore& store)
    : QObject(window), window_(window), store_(store) {
    window_->setMinimumSize(skin::kWindowWidth, skin::kWindowHeight);
    window_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    grip_ = new QSizeGrip(window_);
    grip_->setObjectName(QStringLiteral("sizeGrip"));
    grip_->resize(kGripSize, kGripSize);
    window_->installEventFilter(this);
    LayOut();
}

bool WindowFrame::Restore() {
    const std::optional<WindowPlacement> stored = LoadWindowPlacement(store_);
    if (!stored) return false;
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens.push_back(screen->availableGeometry());
    window_->setGeometry(FitToScreens(stored->geometry, screens, window_->minimumSize()));
    if (stored->maximized) window_->setWindowState(window_->windowState() | Qt::WindowMaximized);
    return true;
}

void WindowFrame::Save() {
    WindowPlacement placement;
    placement.maximized = window_->isMaximized();
    // A maximised window keeps the geometry it comes back to.
    placement.geometry =
        placement.maximized && window_->normalGeometry().isValid() ? window_->normalGeometry() : window_->geometry();
    SaveWindowPlacement(store_, placement);
}

void WindowFrame::ToggleMaximized() {
    if (window_->isMaximized()) {
        window_->showNormal();
    } else {
        window_->showMaximized();
    }
}

bool WindowFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_) {
        switch (event->type()) {
        case QEvent::Resize: LayOut(); break;
        case QEvent::MouseButtonDblClick: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint at = mouse->position().toPoint();
            if (mouse->button() == Qt::LeftButton && at.y() < kTitleHeight && !window_->childAt(at)) {
                ToggleMaximized();
                return true;
            }
            break;
        }
        default: break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void WindowFrame::LayOut() {
    const int width = window_->width();
    const int height = window_->height();
    const int grow = width - skin::kWindowWidth;
    const struct {
        int id;
        int x;
    } titleButtons[] = {{app::command::kHelpButton, 867}, {app::command::kMinimize, 893}, {app::command::kClose, 918}};
    for (const auto& [id, x] : titleButtons) {
        if (ImageButton* button = window_->Button(id)) button->move(x + std::max(0, grow), button->y());
    }
    if (ImageButton* home = window_->Button(app::command::kHomePage)) {
        home->move(home->x(), std::max(618, height - (skin::kWindowHeight - 618)));
    }
    if (FileListView* list = window_->List()) {
        const int listWidth = std::max(1, width - kListLeft - kListRightGap);
        list->setGeometry(kListLeft, kListTop, listWidth, std::max(1, height - kListTop - kListBottomGap));
        // The File and Status columns share the room gained or lost, never below their first widths.
        if (listWidth_ > 0 && listWidth != listWidth_) {
            const int change = listWidth - listWidth_;
            const int fileShare = change / 2;
            const int file = app::ColumnFile;
            const int status = list->StatusColumn();
            list->setColumnWidth(file, std::max(175, list->columnWidth(file) + fileShare));
            const int statusWidth = std::max(app::kStatusColumnWidth, list->columnWidth(status) + change - fileShare);
            // The list remembers the width shown, so a failure's widening never narrows it.
            if (list->List()) {
                list->List()->SetStatusColumnWidth(statusWidth);
            } else {
                list->setColumnWidth(status, statusWidth);
            }
        }
        listWidth_ = listWidth;
    }
    grip_->move(width - kGripSize, height - kGripSize);
    grip_->raise();
}

}  // namespace quillon::ui
