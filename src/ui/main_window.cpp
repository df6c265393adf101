#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include "app/product_info.h"
#include "platform/known_folders.h"
#include "ui/about_box.h"
#include "ui/file_list_view.h"
#include "ui/image_button.h"
#include "ui/output_format_box.h"
#include "ui/skin.h"
#include "ui/ui_services.h"
#include "util/paths.h"

namespace quillon::ui {

namespace {

const char* const kFirstRunValue = "FirstRun";

QString Product() { return QString::fromUtf8(app::kProductName); }

QFont CaptionFont() {
    QFont font = QApplication::font();
    font.setPixelSize(11);
    font.setBold(true);
    return font;
}

}  // namespace

MainWindow::MainWindow(std::string programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), programFolder_(std::move(programFolder)) {
    // Defaults first; the stored settings overwrite them when the window is set up.
    formats::BuildCatalogue(catalogue_);
    settings_ = formats::DefaultSettings(platform::DocumentsFolder());
    setWindowTitle(Product());
    setWindowIcon(skin::ProgramIcon());
    setObjectName(QStringLiteral("mainWindow"));
}

MainWindow::~MainWindow() {
    // The list must not keep pointers to items that go with this window.
    if (list_) list_->DeleteAllItems();
}

void MainWindow::SetUpMainWindow() {
    formats::LoadSettings(store_, settings_, catalogue_);
    formats::LoadCustomFormats(store_, groups_);

    setFixedSize(skin::kWindowWidth, skin::kWindowHeight);
    CreateControls();
    RefreshBackground();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }

    formatBox_->Fill(catalogue_, groups_, settings_);
    OpenFirstRunHelp();
}

ImageButton* MainWindow::Button(int commandId) const {
    const auto found = buttons_.find(commandId);
    return found == buttons_.end() ? nullptr : found->second;
}

ImageButton* MainWindow::AddMainButton(int id, const QString& text, const QString& tip, QRect place) {
    auto* button = new ImageButton(text, this);
    button->move(place.topLeft());
    button->SetHoverCursor(QCursor(Qt::PointingHandCursor));
    button->SetBorder(false, false);
    button->SetTextFont(CaptionFont(), false);
    button->SetTextColors(skin::kCaptionColor, skin::kCaptionColor, false);
    button->SetTextOffset(0, -1, false);
    const qreal ratio = devicePixelRatioF();
    button->SetBitmaps(skin::MainButtonPicture(false, ratio), skin::MainButtonPicture(true, ratio),
                       true, false);
    button->setToolTip(tip);
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
    buttons_[id] = button;
    return button;
}

ImageButton* MainWindow::AddTitleButton(int id, const QString& icon, const QString& tip, QRect place) {
    auto* button = new ImageButton(this);
    button->setGeometry(place);
    button->SetHoverCursor(QCursor(Qt::PointingHandCursor));
    button->SetBorder(false, false);
    button->SetPressedOffset(false, false);
    button->SetDrawText(false, false);
    button->SetIcons(skin::TitleBarIcon(icon, false), skin::TitleBarIcon(icon, true), false, false);
    button->setToolTip(tip);
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
    buttons_[id] = button;
    return button;
}

void MainWindow::CreateControls() {
    AddMainButton(kCmdAddFiles, QStringLiteral("&Add Files"), QStringLiteral("Add files"),
                  QRect(11, 72, 107, 27));
    AddMainButton(kCmdAddFolder, QStringLiteral("Add &Folder"),
                  QStringLiteral("Add files from a folder"), QRect(11, 117, 107, 27));
    AddMainButton(kCmdAddDvd, QStringLiteral("Add &DVD"),
                  QStringLiteral("Add DVD video from a drive or folder"), QRect(11, 163, 107, 27));
    AddMainButton(kCmdRemoveAll, QStringLiteral("&Remove All"),
                  QStringLiteral("Remove all files in list"), QRect(11, 208, 107, 27));
    AddMainButton(kCmdConvert, QStringLiteral("&Convert"), QStringLiteral("Convert all files"),
                  QRect(11, 254, 107, 27));
    AddMainButton(kCmdConvertToOne, QStringLiteral("Con&vert to One"),
                  QStringLiteral("Convert all files and combine to one file"),
                  QRect(11, 299, 107, 27));
    AddMainButton(kCmdOptions, QStringLiteral("&Options"), QStringLiteral("Options"),
                  QRect(11, 380, 107, 27));

    formatBox_ = new OutputFormatBox(this);
    formatBox_->setObjectName(QStringLiteral("outputFormat"));
    formatBox_->setGeometry(11, 338, 107, 24);
    formatBox_->setToolTip(QStringLiteral("Output format"));

    auto* home = new ImageButton(QStringLiteral("Visit %1 Homepage").arg(Product()), this);
    home->setGeometry(9, 618, 113, 20);
    home->SetHoverCursor(QCursor(Qt::PointingHandCursor));
    home->SetBorder(false, false);
    home->SetPressedOffset(false, false);
    QFont linkFont = CaptionFont();
    linkFont.setUnderline(true);
    home->SetTextFont(linkFont, false);
    home->SetTextColors(skin::kLinkColor, skin::kLinkHoverColor, false);
    home->setToolTip(QStringLiteral("Visit %1 Homepage").arg(Product()));
    home->setFocusPolicy(Qt::NoFocus);
    connect(home, &QPushButton::clicked, this, [this] { OnCommand(kCmdHomePage); });
    buttons_[kCmdHomePage] = home;

    AddTitleButton(kCmdHelpButton, QStringLiteral("help"), QStringLiteral("Help"),
                   QRect(867, 11, 21, 21));
    AddTitleButton(kCmdMinimize, QStringLiteral("minimize"), QStringLiteral("Minimize"),
                   QRect(893, 11, 21, 21));
    AddTitleButton(kCmdClose, QStringLiteral("close"), QStringLiteral("Close"),
                   QRect(918, 11, 21, 21));

    list_ = new FileListView(this);
    list_->setObjectName(QStringLiteral("fileList"));
    list_->setGeometry(137, 63, 803, 575);
    connect(list_, &SortListCtrl::Sorted, this, [this](int) { OnListSorted(); });

    helpMenu_ = new QMenu(this);
    const auto addEntry = [this](const QString& text, int id, const QKeySequence& key = {}) {
        QAction* action = helpMenu_->addAction(text, this, [this, id] { OnCommand(id); });
        if (!key.isEmpty()) {
            action->setShortcut(key);
            this->addAction(action);  // the key works while the menu is closed too
        }
    };
    addEntry(QStringLiteral("&Help Topics"), kCmdHelpTopics, QKeySequence(Qt::Key_F1));
    helpMenu_->addSeparator();
    addEntry(QStringLiteral("&Tell A Friend"), kCmdTellAFriend);
    addEntry(QStringLiteral("&Feedback and Support"), kCmdFeedback);
    addEntry(QStringLiteral("Home&page"), kCmdHomePage);
    addEntry(QStringLiteral("&Check for Updates"), kCmdCheckUpdates);
    helpMenu_->addSeparator();
    addEntry(QStringLiteral("&About..."), kCmdAbout);
}

void MainWindow::RefreshBackground() {
    background_ = skin::MainBackground(devicePixelRatioF());
    for (auto& [id, button] : buttons_) button->SetBackgroundBitmap(background_, false);
    update();
}

void MainWindow::OnCommand(int id) {
    switch (id) {
    case kCmdRemoveAll: RemoveAllRows(); return;
    case kCmdHelpButton:
        helpMenu_->popup(Button(kCmdHelpButton)->mapToGlobal(QPoint(0, Button(kCmdHelpButton)->height())));
        return;
    case kCmdMinimize: showMinimized(); return;
    case kCmdClose: close(); return;
    case kCmdHelpTopics: OpenHelpTopics(); return;
    case kCmdAbout: ShowAbout(); return;
    case kCmdHomePage: Services().OpenDocument(QString::fromUtf8(app::kHomePageUrl)); return;
    case kCmdTellAFriend: Services().OpenDocument(QString::fromUtf8(app::kTellAFriendMail)); return;
    case kCmdFeedback: Services().OpenDocument(QString::fromUtf8(app::kSupportMail)); return;
    case kCmdCheckUpdates: Services().OpenDocument(QString::fromUtf8(app::kUpdatesUrl)); return;
    default: Q_EMIT CommandRequested(id); return;
    }
}

int MainWindow::AddSource(std::unique_ptr<engine::SourceItem> item) {
    engine::SourceItem* raw = item.get();
    items_.push_back(std::move(item));
    return list_->InsertRow(raw);
}

void MainWindow::RemoveAllRows() {
    for (int row = 0; row < list_->ItemCount(); ++row) {
        const engine::SourceItem* item = list_->ItemAt(row);
        if (item && !item->isFormatCopy && item->needsPreparation && !item->preparedPath.empty()) {
            std::remove(item->preparedPath.c_str());
        }
    }
    list_->DeleteAllItems();
    items_.clear();
}

void MainWindow::OnListSorted() {
    // The conversion follows the list's order: keep the items in the rows' order.
    std::vector<std::unique_ptr<engine::SourceItem>> ordered;
    ordered.reserve(items_.size());
    for (int row = 0; row < list_->ItemCount(); ++row) {
        engine::SourceItem* item = list_->ItemAt(row);
        for (auto& owned : items_) {
            if (owned.get() == item) ordered.push_back(std::move(owned));
        }
    }
    items_ = std::move(ordered);
}

void MainWindow::ShutDown() {
    if (shutDown_) return;
    shutDown_ = true;
    RemoveAllRows();
    formats::SaveSettings(store_, settings_, catalogue_, formats::kProgramStateGroup);
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
    const platform::RegistryTree tree = store_.Read();
    const platform::RegValue* value = tree.QueryValue(formats::kOptionsKey, kFirstRunValue);
    int32_t firstRun = 1;
    if (value && value->type == platform::RegDword && value->data.size() == 4) {
        firstRun = static_cast<int32_t>(value->data[0] | value->data[1] << 8 | value->data[2] << 16 |
                                        static_cast<uint32_t>(value->data[3]) << 24);
    }
    if (firstRun == 0) return;
    // When the store cannot be written the help opens at every start.
    store_.Update([](platform::RegistryTree& t) { t.SetDword(formats::kOptionsKey, kFirstRunValue, 0); });
    Services().OpenDocument(QString::fromStdString(programFolder_ + "help/index.html"));
}

void MainWindow::paintEvent(QPaintEvent*) {
    if (background_.isNull() || !qFuzzyCompare(background_.devicePixelRatio(), devicePixelRatioF())) {
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
    // Any spot that is no control drags the window.
    if (windowHandle() && windowHandle()->startSystemMove()) return;
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - dragOffset_);
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
    dragging_ = false;
    QWidget::mouseReleaseEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    ShutDown();
    event->accept();
}

}  // namespace quillon::ui
