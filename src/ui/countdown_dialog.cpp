#include "ui/countdown_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillon::ui {

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
