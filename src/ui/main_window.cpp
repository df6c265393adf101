#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QWindow>

#include "app/finish_notice.h"
#include "app/main_commands.h"
#include "app/product_info.h"
#include "engine/media_engine.h"
#include "ui/about_box.h"
#include "ui/countdown_dialog.h"
#include "ui/desktop_notifier.h"
#include "ui/empty_list_hint.h"
#include "ui/file_list_view.h"
#include "ui/image_button.h"
#include "ui/loading_dialog.h"
#include "ui/output_format_box.h"
#include "ui/progress_cell_delegate.h"
#include "ui/progress_dialog.h"
#include "ui/skin.h"
#include "ui/ui_services.h"
#include "ui/window_commands.h"
#include "ui/window_frame.h"
#include "util/paths.h"

namespace quillon::ui {

namespace {

const char* const kFirstRunValue = "FirstRun";

using namespace app::command;

QString Product() { return QString::fromUtf8(app::kProductName); }

// Engine reports arrive on reader threads; they run as queued calls on the window's thread.
// Stateless, so it may outlive every window (a reader can still post after its run is gone).
class QtDispatcher final : public app::UiDispatcher {
public:
    void Post(std::function<void()> call) override {
        if (QCoreApplication* app = QCoreApplication::instance()) {
            QMetaObject::invokeMethod(app, std::move(call), Qt::QueuedConnection);
        }
    }
};

app::UiDispatcher& WindowDispatcher() {
    static QtDispatcher dispatcher;
    return dispatcher;
}

QFont CaptionFont() {
    QFont font = QApplication::font();
    font.setPixelSize(11);
    font.setBold(true);
    return font;
}

}  // namespace

MainWindow::MainWindow(std::string programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), programFolder_(std::move(programFolder)) {
    // The session starts with the defaults; the stored settings overwrite them when the window is set up.
    setWindowTitle(Product());
    setWindowIcon(skin::ProgramIcon());
    setObjectName(QStringLiteral("mainWindow"));

    intake_ = std::make_unique<app::Intake>(files_, index_, Settings(), programFolder_ + engine::kEngineProgramName);
    UseEngineLaunch({});
}

void MainWindow::UseEngineLaunch(app::EngineLaunch launch) {
    if (run_ && run_->Active()) return;
    app::RunEnvironment environment{
        files_, Catalogue(), Settings(), *this, desktop_, WindowDispatcher(), std::move(launch), {}, {}, {}, {}};
    environment.enginePath = programFolder_ + engine::kEngineProgramName;
    environment.encoderPath = programFolder_ + engine::kEncoderProgramName;
    run_ = std::make_unique<app::ConversionRun>(std::move(environment));
}

MainWindow::~MainWindow() {
    // The run first (it stops its engines), then the view lets go of the rows before they go.
    if (run_->Active()) run_->OnCancel();
    // The readers of killed engines still post their last reports; let them do so while the
    // application is certainly there to take them.
    QElapsedTimer waited;
    waited.start();
    while (run_->ReportsOutstanding() > 0 && waited.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    run_.reset();
    if (list_) list_->SetList(nullptr);
}

void MainWindow::SetUpMainWindow() {
    session_.Load();

    resize(skin::kWindowWidth, skin::kWindowHeight);
    CreateControls();
    frame_ = new WindowFrame(this, session_.Store());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    frame_->Restore();
    RefreshBackground();
    notifier_ = new DesktopNotifier(this);

    formatBox_->Fill(Catalogue(), CustomGroups(), Settings());
    commands_ = new WindowCommands(this);
    OpenFirstRunHelp();
}

ImageButton* MainWindow::Button(int commandId) const {
    const auto found = buttons_.find(commandId);
    return found == buttons_.end() ? nullptr : found->second;
}

ImageButton* MainWindow::AddCommandButton(int id, ImageButton* button, const QString& tip) {
    button->SetHoverCursor(QCursor(Qt::PointingHandCursor));
    button->SetBorder(false, false);
    button->setToolTip(tip);
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QPushButton::clicked, this, [this, id] { RunCommand(id); });
    buttons_[id] = button;
    return button;
}

ImageButton* MainWindow::AddMainButton(int id, const QString& text, const QString& tip, QRect place) {
    auto* button = AddCommandButton(id, new ImageButton(text, this), tip);
    button->move(place.topLeft());
    button->SetTextFont(CaptionFont(), false);
    button->SetTextColors(skin::kCaptionColor, skin::kCaptionColor, false);
    button->SetTextOffset(0, -1, false);
    const qreal ratio = devicePixelRatioF();
    button->SetBitmaps(skin::MainButtonPicture(false, ratio), skin::MainButtonPicture(true, ratio), true, false);
    return button;
}

ImageButton* MainWindow::AddTitleButton(int id, const QString& icon, const QString& tip, QRect place) {
    auto* button = AddCommandButton(id, new ImageButton(this), tip);
    button->setGeometry(place);
    button->SetPressedOffset(false, false);
    button->SetDrawText(false, false);
    button->SetIcons(skin::TitleBarIcon(icon, false), skin::TitleBarIcon(icon, true), false, false);
    return button;
}

void MainWindow::CreateControls() {
    AddMainButton(kAddFiles, QStringLiteral("&Add Files"), QStringLiteral("Add files"), QRect(11, 72, 107, 27));
    AddMainButton(kAddFolder, QStringLiteral("Add &Folder"), QStringLiteral("Add files from a folder"),
                  QRect(11, 117, 107, 27));
    AddMainButton(kAddDvd, QStringLiteral("Add &DVD"), QStringLiteral("Add DVD video from a drive or folder"),
                  QRect(11, 163, 107, 27));
    AddMainButton(kRemoveAll, QStringLiteral("&Remove All"), QStringLiteral("Remove all files in list"),
                  QRect(11, 208, 107, 27));
    AddMainButton(kConvertAll, QStringLiteral("&Convert"), QStringLiteral("Convert all files"),
                  QRect(11, 254, 107, 27));
    AddMainButton(kConvertAllToOne, QStringLiteral("Con&vert to One"),
                  QStringLiteral("Convert all files and combine to one file"), QRect(11, 299, 107, 27));
    AddMainButton(kOptions, QStringLiteral("&Options"), QStringLiteral("Options"), QRect(11, 380, 107, 27));

    formatBox_ = new OutputFormatBox(this);
    formatBox_->setObjectName(QStringLiteral("outputFormat"));
    formatBox_->setGeometry(11, 338, 107, 24);
    formatBox_->setToolTip(QStringLiteral("Output format"));
    formatBox_->SetOwnArrow(true);
    QFont boxFont = formatBox_->font();
    boxFont.setPixelSize(11);
    formatBox_->setFont(boxFont);

    auto* home = new ImageButton(QStringLiteral("Visit %1 Homepage").arg(Product()), this);
    home->setGeometry(9, 618, 113, 20);
    home->SetHoverCursor(QCursor(Qt::PointingHandCursor));
    home->SetBorder(false, false);
    home->SetPressedOffset(false, false);
    QFont linkFont = CaptionFont();
    linkFont.setUnderline(true);
    // The link's place is fixed; a wide desktop font is narrowed rather than cut off.
    const int needed = QFontMetrics(linkFont).horizontalAdvance(home->text());
    if (needed > home->width() - 4) {
        linkFont.setStretch(std::max(70, (home->width() - 4) * 100 / needed));
    }
    home->SetTextFont(linkFont, false);
    home->SetTextColors(skin::kLinkColor, skin::kLinkHoverColor, false);
    home->setToolTip(QStringLiteral("Visit %1 Homepage").arg(Product()));
    home->setFocusPolicy(Qt::NoFocus);
    connect(home, &QPushButton::clicked, this, [this] { RunCommand(kHomePage); });
    buttons_[kHomePage] = home;

    AddTitleButton(kHelpButton, QStringLiteral("help"), QStringLiteral("Help"), QRect(867, 11, 21, 21));
    AddTitleButton(kMinimize, QStringLiteral("minimize"), QStringLiteral("Minimize"), QRect(893, 11, 21, 21));
    AddTitleButton(kClose, QStringLiteral("close"), QStringLiteral("Close"), QRect(918, 11, 21, 21));

    list_ = new FileListView(this);
    list_->setObjectName(QStringLiteral("fileList"));
    list_->setGeometry(137, 63, 803, 575);
    list_->SetList(&files_);
    InstallProgressCells(*list_, [this](const engine::SourceItem* item) -> std::optional<int> {
        const auto& running = run_->Queues().running;
        if (!item || !run_->Active() || std::find(running.begin(), running.end(), item) == running.end()) {
            return std::nullopt;
        }
        return item->progressPercent;
    });
    new EmptyListHint(list_);

    helpMenu_ = new QMenu(this);
    for (int id : app::HelpMenuLayout()) {
        if (id == kSeparator) {
            helpMenu_->addSeparator();
            continue;
        }
        const app::CommandInfo* info = app::FindCommand(id);
        // The key shows as the action's shortcut, not as part of its text.
        const QString text = QString::fromUtf8(info->menuText).section(QLatin1Char('\t'), 0, 0);
        QAction* action = helpMenu_->addAction(text, this, [this, id] { RunCommand(id); });
        if (*info->key) {
            action->setShortcut(QKeySequence(QString::fromLatin1(info->key)));
            addAction(action);  // the key works while the menu is closed too
        }
    }
}

void MainWindow::RefreshBackground() {
    // Painted for the screen's scale, so that a move to a high-density screen stays sharp.
    const qreal ratio = devicePixelRatioF();
    background_ = skin::MainBackground(ratio, size());
    const QPixmap normal = skin::MainButtonPicture(false, ratio);
    const QPixmap hover = skin::MainButtonPicture(true, ratio);
    for (auto& [id, button] : buttons_) {
        button->SetBackgroundBitmap(background_, false);
        if (!button->text().isEmpty() && id != kHomePage) button->SetBitmaps(normal, hover, false, false);
    }
    update();
}

bool MainWindow::Busy() const { return loads_ > 0 || (run_ && run_->Active()); }

bool MainWindow::Refuses(int commandId) const { return Busy() && app::ChangesListOrSettings(commandId); }

void MainWindow::RunCommand(int id) {
    if (commands_) commands_->Execute(id);
}

void MainWindow::UseProbePool(engine::ProbePool& pool) {
    intake_ =
        std::make_unique<app::Intake>(files_, index_, Settings(), programFolder_ + engine::kEngineProgramName, &pool);
}

int MainWindow::AddSource(std::unique_ptr<engine::SourceItem> item) {
    return static_cast<int>(files_.InsertRow(std::move(item), Settings().RequestAudioIndex));
}

void MainWindow::AddSourcePaths(const std::vector<std::string>& paths, LoadingDialog* open) {
    if (paths.empty() || Busy()) return;
    ++loads_;
    ApplyControlsEnabled();
    std::string failures;
    {
        std::unique_ptr<LoadingDialog> own = open ? nullptr : std::make_unique<LoadingDialog>(this);
        failures = intake_->LoadSources(paths, open ? open : own.get());
        if (open) open->close();
    }
    --loads_;
    ApplyControlsEnabled();
    if (!failures.empty()) desktop_.ShowMessage(intake_->FailureReport(failures), app::MessageIcon::Warning);
}

void MainWindow::RemoveAllRows() {
    if (Busy()) return;
    files_.RemoveAll();
    index_.Clear();
}

void MainWindow::StartConversion(bool selectedOnly, bool convertToOne) {
    if (Busy()) return;
    const int index = formatBox_->currentIndex();
    const formats::OutputFormat* selected = formatBox_->FormatAt(index);
    if (index <= 0 || !selected) return;
    formats::OutputFormat* format =
        app::ChosenOutputFormat(selected->FormatId, Catalogue(), CustomGroups(), groupRecord_);
    if (format) run_->StartRun(selectedOnly, convertToOne, format);
}

ProgressDialog* MainWindow::ProgressWindow() const { return progress_.data(); }

void MainWindow::SetMainWindowEnabled(bool enabled) {
    runDisabled_ = !enabled;
    files_.SetRemovalLocked(!enabled);
    ApplyControlsEnabled();
}

void MainWindow::RunEnded() {
    runDisabled_ = false;
    files_.SetRemovalLocked(false);
    ApplyControlsEnabled();
    if (!notifier_) return;
    if (run_->Cancelled()) {
        notifier_->HideLauncherProgress();
        return;
    }
    notifier_->SetEnabled(app::LoadNotifyWhenFinished(session_.Store()));
    notifier_->RunFinished(run_->Tally());
}

void MainWindow::ApplyControlsEnabled() {
    const bool enabled = !runDisabled_ && !Busy();
    // The controls, not the window: the progress and loading windows belong to it and stay usable.
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow()) child->setEnabled(enabled);
    }
}

std::optional<std::string> MainWindow::AskConvertToOneOutput(const formats::OutputFormat& format) {
    const QString extension = QString::fromStdString(format.Extension);
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("*.%1 (*.%1)").arg(extension));
    dialog.setDefaultSuffix(extension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::unique_ptr<app::ProgressWindow> MainWindow::OpenProgressWindow(const app::ProgressWindowSetup& setup) {
    // The run carries the choices out on a later turn, never inside the window's own handler
    // (Cancel closes the window that sent it).
    std::weak_ptr<bool> alive = alive_;
    const auto post = [this, alive](std::function<void(app::ConversionRun&)> action) {
        WindowDispatcher().Post([this, alive, action = std::move(action)] {
            if (alive.lock()) action(*run_);
        });
    };
    ProgressWindowActions actions;
    actions.cancel = [post] { post([](app::ConversionRun& run) { run.OnCancel(); }); };
    actions.threadCount = [post](int n) { post([n](app::ConversionRun& run) { run.OnThreadCountChange(n); }); };
    actions.priority = [post](uint32_t p) { post([p](app::ConversionRun& run) { run.OnPriorityChange(p); }); };
    actions.overallPercent = [this](int percent) {
        if (notifier_) notifier_->ShowLauncherProgress(percent);
    };
    actions.openFolder = [](const QString& folder) {
        if (util::IsFolder(folder.toStdString())) Services().OpenDocument(folder);
    };
    auto window = std::make_unique<ProgressDialog>(this, setup, std::move(actions));
    progress_ = window.get();
    return window;
}

std::unique_ptr<engine::LoadingWindow> MainWindow::OpenLoadingWindow() { return std::make_unique<LoadingDialog>(this); }

void MainWindow::ShutdownAfterRun() {
    app::ShutdownAfterRun(
        [this](app::ShutdownCountdown& countdown) {
            CountdownDialog dialog(this, countdown, countdownTickMs_);
            return dialog.exec() == QDialog::Accepted;
        },
        desktop_);
}

void MainWindow::ProcessPendingMessages() { QApplication::processEvents(); }

void MainWindow::SetNotifier(DesktopNotifier* notifier) {
    if (notifier_ != notifier) delete notifier_;
    notifier_ = notifier;
    if (notifier_) notifier_->setParent(this);
}

void MainWindow::ShutDown() {
    if (shutDown_) return;
    shutDown_ = true;
    if (frame_) frame_->Save();
    RemoveAllRows();
    session_.SaveProgramState();
}

void MainWindow::OpenHelpTopics() {
    if (programFolder_.empty()) return;
    Services().OpenDocument(QString::fromStdString(programFolder_ + "help/index.html"));
}

void MainWindow::ShowAbout() {
    AboutBox box(this);
    box.exec();
}

void MainWindow::OpenFirstRunHelp() {
    const platform::RegistryTree tree = session_.Store().Read();
    const platform::RegValue* value = tree.QueryValue(formats::kOptionsKey, kFirstRunValue);
    int32_t firstRun = 1;
    if (value && value->type == platform::RegDword && value->data.size() == 4) {
        firstRun = static_cast<int32_t>(value->data[0] | value->data[1] << 8 | value->data[2] << 16 |
                                        static_cast<uint32_t>(value->data[3]) << 24);
    }
    if (firstRun == 0) return;
    // When the store cannot be written the help opens at every start.
    session_.Store().Update([](platform::RegistryTree& t) { t.SetDword(formats::kOptionsKey, kFirstRunValue, 0); });
    Services().OpenDocument(QString::fromStdString(programFolder_ + "help/index.html"));
}

void MainWindow::paintEvent(QPaintEvent*) {
    if (background_.isNull() || !qFuzzyCompare(background_.devicePixelRatio(), devicePixelRatioF()) ||
        background_.deviceIndependentSize().toSize() != size().expandedTo(minimumSize())) {
        RefreshBackground();
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, background_);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape do nothing: the window closes only through its close button or Alt+F4.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape: event->accept(); return;
    default: QWidget::keyPressEvent(event);
    }
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // Any spot that is no control drags the window. The move starts once the mouse moves, so
    // that a double-click on the title area still reaches the window (it maximises it).
    dragging_ = true;
    systemMoveAsked_ = false;
    pressPoint_ = event->globalPosition().toPoint();
    dragOffset_ = pressPoint_ - frameGeometry().topLeft();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        const QPoint at = event->globalPosition().toPoint();
        if (!systemMoveAsked_) {
            if ((at - pressPoint_).manhattanLength() < QApplication::startDragDistance()) return;
            systemMoveAsked_ = true;
            if (windowHandle() && windowHandle()->startSystemMove()) {
                dragging_ = false;
                return;
            }
        }
        move(at - dragOffset_);
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
    dragging_ = false;
    QWidget::mouseReleaseEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closed during a run (Alt+F4 still reaches the window): stop the engines first, so that
    // no process keeps writing and no half-written output stays behind.
    if (run_->Active()) run_->OnCancel();
    ShutDown();
    event->accept();
}

}  // namespace quillon::ui
