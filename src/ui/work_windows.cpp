#include "ui/work_windows.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/product_info.h"

namespace quillon::ui {

namespace {

void PaintWorkWindow(QWidget& window) {
    QPainter painter(&window);
    const QRect all = window.rect();
    painter.fillRect(all, QColor(0xf6, 0xf8, 0xfb));
    QLinearGradient accent(0, 0, all.width(), 0);
    accent.setColorAt(0, QColor(0x37, 0xc6, 0xf4));
    accent.setColorAt(1, QColor(0x2a, 0x5f, 0xdc));
    painter.fillRect(QRect(0, 0, all.width(), 4), accent);
    painter.setPen(QColor(0x27, 0x36, 0x4b));
    painter.drawRect(all.adjusted(0, 0, -1, -1));
}

QLabel* NewStatusLine(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("statusLine"));
    label->setTextFormat(Qt::PlainText);
    label->setMinimumWidth(10);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return label;
}

QLabel* NewPercentLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("percentLabel"));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(44);
    return label;
}

QProgressBar* NewBar(QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setTextVisible(false);
    bar->setFixedHeight(14);
    bar->setRange(0, 100);
    bar->setValue(0);
    return bar;
}

}  // namespace

CaptionlessDialog::CaptionlessDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setModal(false);
}

void CaptionlessDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragging_ = true;
        dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
    QDialog::mousePressEvent(event);
}

void CaptionlessDialog::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - dragOffset_);
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CaptionlessDialog::keyPressEvent(QKeyEvent* event) {
    // Escape would hide the window while its work goes on; Cancel is the way to stop.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CaptionlessDialog::closeEvent(QCloseEvent* event) {
    // Only the work ending closes these windows; a closed window would leave its work going
    // on unseen, with the main window waiting for it.
    event->ignore();
}

void CaptionlessDialog::CentreOnParent() {
    if (QWidget* owner = parentWidget()) {
        const QRect area = owner->frameGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

// ---- progress window ----

ProgressDialog::ProgressDialog(QWidget* parent, const app::ProgressWindowSetup& setup,
                               ProgressWindowActions actions)
    : CaptionlessDialog(parent), actions_(std::move(actions)) {
    setObjectName(QStringLiteral("progressWindow"));
    setWindowTitle(QString::fromUtf8(app::kProductName));
    setFixedSize(440, 184);

    status_ = NewStatusLine(this);
    percent_ = NewPercentLabel(this);
    bar_ = NewBar(this);
    timeLeft_ = new QLabel(this);
    timeLeft_->setObjectName(QStringLiteral("timeLeft"));
    timeLeft_->setTextFormat(Qt::PlainText);
    timeLeft_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    folderButton_ = new QPushButton(QStringLiteral("&Output Folder:"), this);
    folder_ = QString::fromStdString(setup.outputFolderLabel);
    folderLabel_ = new QLabel(folder_, this);
    folderLabel_->setTextFormat(Qt::PlainText);
    folderLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    folderLabel_->setToolTip(folderLabel_->text());
    folderButton_->setEnabled(setup.outputFolderButtonEnabled);
    shutdown_ = new QCheckBox(QStringLiteral("&Shut down the computer after converting"), this);

    threads_ = new QComboBox(this);
    for (int n = 1; n <= 32; ++n) threads_->addItem(QString::number(n), n);
    const int threadIndex = threads_->findData(setup.threadCount);
    threads_->setCurrentIndex(threadIndex >= 0 ? threadIndex : 0);
    priority_ = new QComboBox(this);
    const std::pair<const char*, uint32_t> priorities[] = {
        {"High", 0x80}, {"Above Normal", 0x8000}, {"Normal", 0x20}, {"Below Normal", 0x4000}, {"Idle", 0x40}};
    for (const auto& [name, value] : priorities) priority_->addItem(QString::fromLatin1(name), value);
    priority_->setCurrentIndex(priority_->findData(setup.priorityClass));
    auto* threadsLabel = new QLabel(QStringLiteral("&Threads:"), this);
    threadsLabel->setBuddy(threads_);
    auto* priorityLabel = new QLabel(QStringLiteral("&Priority:"), this);
    priorityLabel->setBuddy(priority_);

    connect(cancel_, &QPushButton::clicked, this, [this] {
        if (actions_.cancel) actions_.cancel();
    });
    connect(threads_, &QComboBox::activated, this, [this](int index) {
        if (actions_.threadCount) actions_.threadCount(threads_->itemData(index).toInt());
    });
    connect(priority_, &QComboBox::activated, this, [this](int index) {
        if (actions_.priority) actions_.priority(priority_->itemData(index).toUInt());
    });
    connect(folderButton_, &QPushButton::clicked, this, [this] {
        if (actions_.openFolder) actions_.openFolder(folder_);
    });

    auto* top = new QHBoxLayout();
    top->addWidget(status_, 1);
    top->addWidget(percent_);
    auto* folder = new QHBoxLayout();
    folder->addWidget(folderButton_);
    folder->addWidget(folderLabel_, 1);
    auto* bottom = new QHBoxLayout();
    bottom->addWidget(threadsLabel);
    bottom->addWidget(threads_);
    bottom->addSpacing(10);
    bottom->addWidget(priorityLabel);
    bottom->addWidget(priority_);
    bottom->addStretch();
    bottom->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 14);
    layout->setSpacing(8);
    layout->addLayout(top);
    layout->addWidget(bar_);
    layout->addWidget(timeLeft_);
    layout->addLayout(folder);
    layout->addWidget(shutdown_);
    layout->addStretch();
    layout->addLayout(bottom);

    ensurePolished();
    layout->activate();
    bar_->setRange(0, BarWidth());
    // A long folder keeps its start and its end in view.
    folderLabel_->setText(folderLabel_->fontMetrics().elidedText(folder_, Qt::ElideMiddle,
                                                                 folderLabel_->width()));
    CentreOnParent();
    show();
}

ProgressDialog::~ProgressDialog() { hide(); }

void ProgressDialog::SetStatus(const std::string& text) { status_->setText(QString::fromStdString(text)); }

void ProgressDialog::SetPercentText(const std::string& text) {
    percent_->setText(QString::fromStdString(text));
}

int ProgressDialog::BarWidth() const { return std::max(1, bar_->width()); }

void ProgressDialog::SetBarPosition(int position) { bar_->setValue(std::clamp(position, 0, bar_->maximum())); }

void ProgressDialog::StepBar() {
    // The combining pass steps without a known end: start over when the bar is full.
    int next = bar_->value() + barStep_;
    if (next > bar_->maximum()) next = 0;
    bar_->setValue(next);
}

bool ProgressDialog::ShutdownChecked() const { return shutdown_->isChecked(); }

void ProgressDialog::SetOverallPercent(int percent) {
    if (actions_.overallPercent) actions_.overallPercent(percent);
}

void ProgressDialog::SetTimeLeft(const std::string& text) { timeLeft_->setText(QString::fromStdString(text)); }

void ProgressDialog::paintEvent(QPaintEvent*) { PaintWorkWindow(*this); }

// ---- loading window ----

LoadingDialog::LoadingDialog(QWidget* parent) : CaptionlessDialog(parent) {
    setObjectName(QStringLiteral("loadingWindow"));
    setWindowTitle(QString::fromUtf8(app::kProductName));
    setFixedSize(400, 104);
    status_ = NewStatusLine(this);
    percent_ = NewPercentLabel(this);
    bar_ = NewBar(this);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });

    auto* top = new QHBoxLayout();
    top->addWidget(status_, 1);
    top->addWidget(percent_);
    auto* bottom = new QHBoxLayout();
    bottom->addWidget(bar_, 1);
    bottom->addSpacing(10);
    bottom->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 14);
    layout->addLayout(top);
    layout->addStretch();
    layout->addLayout(bottom);

    ensurePolished();
    layout->activate();
    bar_->setRange(0, BarWidth());
    CentreOnParent();
    show();
    QApplication::processEvents();
}

LoadingDialog::~LoadingDialog() { hide(); }

void LoadingDialog::SetStatus(const std::string& text) { status_->setText(QString::fromStdString(text)); }

void LoadingDialog::SetPercentText(const std::string& text) { percent_->setText(QString::fromStdString(text)); }

int LoadingDialog::BarWidth() const { return std::max(1, bar_->width()); }

void LoadingDialog::SetBarPosition(int position) { bar_->setValue(std::clamp(position, 0, bar_->maximum())); }

void LoadingDialog::ProcessPendingMessages() { QApplication::processEvents(); }

void LoadingDialog::paintEvent(QPaintEvent*) { PaintWorkWindow(*this); }

// ---- countdown ----

CountdownDialog::CountdownDialog(QWidget* parent, app::ShutdownCountdown& countdown, int tickMs)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), countdown_(countdown) {
    setObjectName(QStringLiteral("countdownWindow"));
    setWindowTitle(QString::fromStdString(countdown_.Caption()));
    QFont bold = font();
    bold.setPixelSize(14);
    bold.setWeight(QFont::Bold);
    QPalette red = palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));

    message_ = new QLabel(QString::fromStdString(countdown_.MessageText()), this);
    message_->setWordWrap(true);
    countdownText_ = new QLabel(QString::fromStdString(countdown_.CountdownText()), this);
    countdownText_->setAlignment(Qt::AlignCenter);
    for (QLabel* label : {message_, countdownText_}) {
        label->setFont(bold);
        label->setPalette(red);
        label->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    }
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->addWidget(message_);
    layout->addSpacing(8);
    layout->addWidget(countdownText_);
    layout->addSpacing(8);
    layout->addWidget(cancel_, 0, Qt::AlignHCenter);
    setFixedWidth(380);

    timer_.setInterval(tickMs);
    connect(&timer_, &QTimer::timeout, this, &CountdownDialog::OnTick);
    timer_.start();
}

void CountdownDialog::OnTick() {
    if (countdown_.Tick()) {
        timer_.stop();
        accept();
        return;
    }
    countdownText_->setText(QString::fromStdString(countdown_.CountdownText()));
}

}  // namespace quillon::ui
