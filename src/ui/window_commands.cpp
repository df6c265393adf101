#include "ui/window_commands.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <memory>

#include "app/product_info.h"
#include "platform/known_folders.h"
#include "ui/custom_formats_dialog.h"
#include "ui/engine_output_window.h"
#include "ui/file_list_view.h"
#include "ui/image_button.h"
#include "ui/loading_dialog.h"
#include "ui/main_window.h"
#include "ui/opt_sheet.h"
#include "ui/output_format_box.h"
#include "ui/ui_services.h"

namespace quillon::ui {

namespace {

using namespace app::command;

QString Text(const std::string& text) { return QString::fromStdString(text); }

// The folder a folder browser starts in: the remembered one without its trailing "/".
QString StartFolder(const std::string& remembered) { return Text(remembered); }

std::unique_ptr<LoadingDialog> SearchingWindow(MainWindow* window) {
    auto loading = std::make_unique<LoadingDialog>(window);
    loading->SetStatus("Searching files...");
    loading->show();
    loading->ProcessPendingMessages();
    return loading;
}

}  // namespace

WindowCommands::WindowCommands(MainWindow* window) : QObject(window), window_(window) {
    InstallAccelerators();
    connect(window_->FormatBox(), &OutputFormatBox::CustomizeRequested, this,
            [this] { CustomizeOutputFormats(*window_); });
    FileListView* list = window_->List();
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& at) {
        // The context-menu key gives the position of the current item; open at the centre then.
        const bool keyboard = !list->viewport()->rect().contains(list->viewport()->mapFromGlobal(QCursor::pos()));
        ShowContextMenu(list->viewport()->mapToGlobal(at), keyboard);
    });
    connect(list, &QTreeWidget::itemDoubleClicked, this, [this] { Execute(kPlaySource); });
    window_->setAcceptDrops(true);
    window_->installEventFilter(this);
    list->setAcceptDrops(true);
    list->viewport()->installEventFilter(this);
}

void WindowCommands::InstallAccelerators() {
    for (const app::CommandInfo& info : app::CommandTable()) {
        // The help menu's entries carry their own keys.
        if (!*info.key || std::count(app::HelpMenuLayout().begin(), app::HelpMenuLayout().end(), info.id) > 0) continue;
        auto* action = new QAction(window_);
        action->setShortcut(QKeySequence(QString::fromLatin1(info.key)));
        action->setShortcutContext(Qt::WindowShortcut);
        const int id = info.id;
        connect(action, &QAction::triggered, this, [this, id] { Execute(id); });
        window_->addAction(action);
    }
}

QMenu* WindowCommands::BuildContextMenu() {
    app::FileList& files = window_->Files();
    const bool busy = window_->Busy();
    auto* menu = new QMenu(window_);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (int id : app::ContextMenuLayout()) {
        if (id == kSeparator) {
            menu->addSeparator();
        } else if (id == kAudioStreamsSubmenu) {
            QMenu* streams = menu->addMenu(QString::fromUtf8(app::kAudioStreamsMenuText));
            for (const app::AudioStreamEntry& entry : app::AudioStreamsMenu(files)) {
                QAction* action = streams->addAction(Text(entry.text));
                action->setEnabled(entry.enabled && !busy);
                action->setCheckable(entry.checked);
                action->setChecked(entry.checked);
                const int entryId = entry.id;
                connect(action, &QAction::triggered, this, [this, entryId] { Execute(entryId); });
            }
            streams->menuAction()->setEnabled(app::CommandEnabled(id, files, busy));
        } else {
            const app::CommandInfo* info = app::FindCommand(id);
            QAction* action = menu->addAction(QString::fromUtf8(info->menuText));
            action->setEnabled(app::CommandEnabled(id, files, busy));
            connect(action, &QAction::triggered, this, [this, id] { Execute(id); });
        }
    }
    AddEngineOutputEntry(*menu, *window_);
    return menu;
}

void WindowCommands::ShowContextMenu(const QPoint& at, bool fromKeyboard) {
    QMenu* menu = BuildContextMenu();
    FileListView* list = window_->List();
    menu->popup(fromKeyboard ? list->mapToGlobal(list->rect().center()) : at);
}

void WindowCommands::Execute(int id) {
    // Accelerators and menus answer even while the controls are greyed out.
    app::RunCommand(*this, id);
}

app::FileList& WindowCommands::Files() { return window_->Files(); }

app::SourceIndex& WindowCommands::Index() { return window_->Index(); }

bool WindowCommands::Busy() const { return window_->Busy(); }

void WindowCommands::StartConversion(bool selectedOnly, bool convertToOne) {
    window_->StartConversion(selectedOnly, convertToOne);
}

void WindowCommands::SelectAll() {
    window_->List()->selectAll();
    window_->List()->setFocus();
}

void WindowCommands::OpenOptions() { RunOptionsSheet(*window_); }

void WindowCommands::OpenHelpMenu() {
    const ImageButton* button = window_->Button(kHelpButton);
    window_->HelpMenu()->popup(button->mapToGlobal(QPoint(0, button->height())));
}

void WindowCommands::OpenHelpTopics() { window_->OpenHelpTopics(); }

void WindowCommands::ShowAbout() { window_->ShowAbout(); }

void WindowCommands::Minimize() { window_->showMinimized(); }

void WindowCommands::CloseWindow() { window_->close(); }

app::Desktop& WindowCommands::DesktopSide() { return window_->DesktopSide(); }

void WindowCommands::OpenAddress(const std::string& address) { OpenHyperlink(window_, Text(address)); }

void WindowCommands::AddFiles() {
    formats::ConversionSettings& settings = window_->Settings();
    const std::string start = app::AddFilesStartFolder(settings, platform::DocumentsFolder());
    QFileDialog dialog(window_, QStringLiteral("Open"), Text(start));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setOption(QFileDialog::ReadOnly, false);
    QStringList filters;
    for (const app::FileFilter& filter : app::AddFilesFilters()) filters << Text(app::QtNameFilter(filter));
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.front());
    if (dialog.exec() != QDialog::Accepted) return;
    std::vector<std::string> paths;
    for (const QString& file : dialog.selectedFiles()) paths.push_back(file.toStdString());
    if (paths.empty()) return;
    app::RememberAddFilesFolder(settings, paths);
    window_->AddSourcePaths(paths);
}

void WindowCommands::AddFolder() {
    formats::ConversionSettings& settings = window_->Settings();
    const QString chosen = QFileDialog::getExistingDirectory(window_, QStringLiteral("Please choose a folder:"),
                                                             StartFolder(settings.Folder));
    if (chosen.isEmpty()) return;
    app::RememberFolder(settings.Folder, chosen.toStdString());
    std::unique_ptr<LoadingDialog> loading = SearchingWindow(window_);
    std::vector<std::string> paths;
    window_->SourceIntake().CollectFolderFiles(paths, settings.Folder);
    if (paths.empty()) return;
    window_->AddSourcePaths(paths, loading.get());
}

void WindowCommands::AddDvd() {
    formats::ConversionSettings& settings = window_->Settings();
    const QString chosen = QFileDialog::getExistingDirectory(
        window_, QStringLiteral("Please choose a DVD drive or folder:"), StartFolder(settings.DVDFolder));
    if (chosen.isEmpty()) return;
    app::RememberFolder(settings.DVDFolder, chosen.toStdString());
    const std::optional<std::string> folder = app::FindDvdVideoFolder(settings.DVDFolder);
    if (!folder) {
        Services().ShowMessage(window_, MessageIcon::Warning, Text(app::NoDvdMessage(settings.DVDFolder)));
        return;
    }
    const std::string report = window_->SourceIntake().AddDvdTitles(*folder);
    if (!report.empty()) Services().ShowMessage(window_, MessageIcon::Warning, Text(report));
}

void WindowCommands::AddDropped(const std::vector<std::string>& dropped) {
    if (window_->Refuses(kAddFiles)) return;
    std::unique_ptr<LoadingDialog> loading = SearchingWindow(window_);
    std::vector<std::string> paths;
    window_->SourceIntake().CollectDroppedPaths(paths, dropped);
    if (paths.empty()) return;
    window_->AddSourcePaths(paths, loading.get());
}

bool WindowCommands::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove || event->type() == QEvent::Drop) {
        if (window_->Refuses(kAddFiles)) {
            static_cast<QDropEvent*>(event)->ignore();
            return true;
        }
    }
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* drag = static_cast<QDropEvent*>(event);
        if (drag->mimeData()->hasUrls()) {
            drag->acceptProposedAction();
            return true;
        }
    } else if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        std::vector<std::string> dropped;
        for (const QUrl& url : drop->mimeData()->urls()) {
            if (url.isLocalFile()) dropped.push_back(url.toLocalFile().toStdString());
        }
        drop->acceptProposedAction();
        // Loading runs its own event loop; let the drag finish first.
        QMetaObject::invokeMethod(
            this, [this, dropped] { AddDropped(dropped); }, Qt::QueuedConnection);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quillon::ui
