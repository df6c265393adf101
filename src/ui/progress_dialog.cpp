#include "ui/progress_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillon::ui {

ProgressDialog::ProgressDialog(QWidget* parent, const app::ProgressWindowSetup& setup, ProgressWindowActions actions)
    : CaptionlessDialog(parent), actions_(std::move(actions)) {
    BuildWorkParts(QStringLiteral("progressWindow"), 440, 184);
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
    folderLabel_->setText(folderLabel_->fontMetrics().elidedText(folder_, Qt::ElideMiddle, folderLabel_->width()));
    CentreOnParent();
    show();
}

ProgressDialog::~ProgressDialog() { hide(); }

void ProgressDialog::SetStatus(const std::string& text) { status_->setText(QString::fromStdString(text)); }

void ProgressDialog::SetPercentText(const std::string& text) { percent_->setText(QString::fromStdString(text)); }

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

}  // namespace quillon::ui
