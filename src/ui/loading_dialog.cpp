#include "ui/loading_dialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillon::ui {

LoadingDialog::LoadingDialog(QWidget* parent) : CaptionlessDialog(parent) {
    BuildWorkParts(QStringLiteral("loadingWindow"), 400, 104);
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

}  // namespace quillon::ui
