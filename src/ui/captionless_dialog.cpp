#include "ui/captionless_dialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QProgressBar>

#include "app/product_info.h"

namespace quillon::ui {

CaptionlessDialog::CaptionlessDialog(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
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

void CaptionlessDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect all = rect();
    painter.fillRect(all, QColor(0xf6, 0xf8, 0xfb));
    QLinearGradient accent(0, 0, all.width(), 0);
    accent.setColorAt(0, QColor(0x37, 0xc6, 0xf4));
    accent.setColorAt(1, QColor(0x2a, 0x5f, 0xdc));
    painter.fillRect(QRect(0, 0, all.width(), 4), accent);
    painter.setPen(QColor(0x27, 0x36, 0x4b));
    painter.drawRect(all.adjusted(0, 0, -1, -1));
}

void CaptionlessDialog::BuildWorkParts(const QString& objectName, int width, int height) {
    setObjectName(objectName);
    setWindowTitle(QString::fromUtf8(app::kProductName));
    setFixedSize(width, height);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("statusLine"));
    status_->setTextFormat(Qt::PlainText);
    status_->setMinimumWidth(10);
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    percent_ = new QLabel(this);
    percent_->setObjectName(QStringLiteral("percentLabel"));
    percent_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    percent_->setMinimumWidth(44);

    bar_ = new QProgressBar(this);
    bar_->setTextVisible(false);
    bar_->setFixedHeight(14);
    bar_->setRange(0, 100);
    bar_->setValue(0);
}

}  // namespace quillon::ui
