#include "ui/link_label.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>

#include "ui/ui_services.h"

namespace quillon::ui {

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    target_ = text;
    setCursor(Qt::PointingHandCursor);
    setToolTip(target_);
    hoverTimer_.setInterval(100);
    connect(&hoverTimer_, &QTimer::timeout, this, &LinkLabel::OnHoverTimer);
    ResizeToText();
}

void LinkLabel::SetTarget(const QString& target) {
    target_ = target;
    if (text().isEmpty()) setText(target);
    ResizeToText();
    setToolTip(target_);
}

void LinkLabel::SetUnderlineMode(int mode) {
    if (mode != underlineMode_) {
        QFont f = font();
        f.setUnderline(mode == UnderlineAlways || (mode == UnderlineHover && hovering_));
        setFont(f);
        update();
    }
    underlineMode_ = mode;
}

void LinkLabel::SetAutoSize(bool on) {
    autoSize_ = on;
    ResizeToText();
}

void LinkLabel::SetColors(const QColor& normal, const QColor& visited, const QColor& hover) {
    normalColor_ = normal;
    visitedColor_ = visited;
    hoverColor_ = hover;
    update();
}

QColor LinkLabel::CurrentColor() const {
    if (hovering_) return hoverColor_;
    return visited_ ? visitedColor_ : normalColor_;
}

void LinkLabel::ResizeToText() {
    if (!autoSize_) return;
    QFont plain = font();
    plain.setUnderline(false);
    const QSize textSize = QFontMetrics(plain).size(Qt::TextSingleLine, text());
    const int frame = 2 * frameWidth();
    const QSize wanted(textSize.width() + frame + 2, textSize.height() + frame);
    const QRect old = geometry();
    QRect next(old.topLeft(), wanted);
    if (alignment() & Qt::AlignHCenter) next.moveCenter(QPoint(old.center().x(), next.center().y()));
    else if (alignment() & Qt::AlignRight) next.moveRight(old.right());
    if (alignment() & Qt::AlignVCenter) next.moveTop(old.center().y() - wanted.height() / 2);
    setGeometry(next);
}

void LinkLabel::StartHover() {
    if (hovering_) return;
    hovering_ = true;
    if (underlineMode_ == UnderlineHover) {
        QFont f = font();
        f.setUnderline(true);
        setFont(f);
    }
    update();
    hoverTimer_.start();
}

void LinkLabel::EndHover() {
    if (!hovering_) return;
    hovering_ = false;
    hoverTimer_.stop();
    if (underlineMode_ != UnderlineAlways) {
        QFont f = font();
        f.setUnderline(false);
        setFont(f);
    }
    update();
}

void LinkLabel::OnHoverTimer() {
    // Leave events can be lost when the pointer moves fast onto another window.
    if (!rect().contains(mapFromGlobal(QCursor::pos()))) EndHover();
}

void LinkLabel::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    StartHover();
}

void LinkLabel::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    EndHover();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        OnClick();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void LinkLabel::OnClick() {
    hovering_ = false;
    hoverTimer_.stop();
    // Only a link that really opened counts as visited.
    if (OpenHyperlink(this, target_)) visited_ = true;
    update();
}

void LinkLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(CurrentColor());
    painter.drawText(contentsRect(), static_cast<int>(alignment()) | Qt::TextSingleLine, text());
}

}  // namespace quillon::ui
