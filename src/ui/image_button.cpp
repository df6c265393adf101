#include "ui/image_button.h"

#include <QEnterEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace quillon::ui {

ImageButton::ImageButton(QWidget* parent) : ImageButton(QString(), parent) {}

ImageButton::ImageButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    textFont_ = font();
    textFont_.setPixelSize(11);
    normalText_ = hoverText_ = palette().color(QPalette::ButtonText);
    normalBack_ = hoverBack_ = palette().color(QPalette::Button);
    setAttribute(Qt::WA_Hover, true);
    setFlat(true);
}

void ImageButton::Release() {
    normalIcon_ = hoverIcon_ = QIcon();
    normalBitmap_ = hoverBitmap_ = QPixmap();
    imageSize_ = QSize();
}

void ImageButton::FitToImage() {
    const int d = Frame();
    resize(imageSize_.width() + d, imageSize_.height() + d);
}

void ImageButton::Update(bool redraw) {
    if (redraw) repaint();
    else update();
}

int ImageButton::SetIcons(const QIcon& normal, const QIcon& hover, bool resize, bool redraw) {
    if (normal.isNull()) return 0;
    Release();
    const auto sizes = normal.availableSizes();
    if (sizes.isEmpty()) return 0;
    normalIcon_ = normal;
    hoverIcon_ = hover;
    imageSize_ = sizes.first();
    if (resize) FitToImage();
    Update(redraw);
    return 1;
}

int ImageButton::SetBitmaps(const QPixmap& normal, const QPixmap& hover, bool resize, bool redraw) {
    if (normal.isNull()) return 0;
    Release();
    normalBitmap_ = normal;
    hoverBitmap_ = hover;
    imageSize_ = normal.deviceIndependentSize().toSize();
    if (resize) FitToImage();
    Update(redraw);
    return 1;
}

void ImageButton::SetHoverCursor(const QCursor& cursor) { setCursor(cursor); }

void ImageButton::SetTextFont(const QFont& font, bool redraw) {
    textFont_ = font;
    Update(redraw);
}

void ImageButton::SetTextColors(const QColor& normal, const QColor& hover, bool redraw) {
    normalText_ = normal;
    hoverText_ = hover.isValid() ? hover : normal;
    Update(redraw);
}

void ImageButton::SetDrawText(bool on, bool redraw) {
    drawText_ = on;
    Update(redraw);
}

void ImageButton::SetTextOffset(int x, int y, bool redraw) {
    textOffset_ = QPoint(x, y);
    Update(redraw);
}

void ImageButton::SetBorder(bool on, bool redraw) {
    border_ = on;
    Update(redraw);
}

void ImageButton::SetFlatLook(bool on, bool redraw) {
    flat_ = on;
    Update(redraw);
}

void ImageButton::SetPressedOffset(bool on, bool redraw) {
    pressedOffset_ = on;
    Update(redraw);
}

void ImageButton::SetDrawFocusRect(bool on, bool redraw) {
    focusRect_ = on;
    Update(redraw);
}

void ImageButton::SetTransparent(bool on, bool redraw) {
    transparent_ = on;
    Update(redraw);
}

void ImageButton::SetBackgroundColors(const QColor& normal, const QColor& hover, bool redraw) {
    normalBack_ = normal;
    hoverBack_ = hover.isValid() ? hover : normal;
    Update(redraw);
}

void ImageButton::SetBackgroundBitmap(const QPixmap& bitmap, bool redraw) {
    background_ = bitmap;
    captured_ = QPixmap();
    Update(redraw);
}

ImageButton::Look ImageButton::CurrentLook() const {
    Look look;
    const bool pressed = isDown();
    const bool enabled = isEnabled();
    QRect rect = this->rect();
    if (border_) {
        if (!flat_) look.border = pressed ? Border::Sunken : Border::Raised;
        else if (pressed) look.border = Border::Sunken;
        else if (hovering_) look.border = Border::Raised;
        rect.adjust(1, 1, -1, -1);
    }
    if (pressed && pressedOffset_) {
        rect.translate(1, 1);
        look.shifted = true;
    }
    look.contentRect = rect;
    const bool hasHover = !normalIcon_.isNull() ? !hoverIcon_.isNull() : !hoverBitmap_.isNull();
    const bool hasImage = !normalIcon_.isNull() || !normalBitmap_.isNull();
    if (hasImage) {
        look.image = ((hovering_ || pressed) && enabled && hasHover) ? Image::Hover : Image::Normal;
    }
    if (!enabled) look.textColor = palette().color(QPalette::Disabled, QPalette::WindowText);
    else look.textColor = (hovering_ || pressed) ? hoverText_ : normalText_;
    return look;
}

void ImageButton::paintEvent(QPaintEvent*) {
    const Look look = CurrentLook();
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    if (!transparent_) {
        painter.fillRect(rect(), (hovering_ || isDown()) ? hoverBack_ : normalBack_);
    } else if (!background_.isNull()) {
        if (captured_.isNull()) {
            const qreal ratio = background_.devicePixelRatio();
            const QRect source(QPoint(qRound(x() * ratio), qRound(y() * ratio)), size() * ratio);
            captured_ = background_.copy(source);
            captured_.setDevicePixelRatio(ratio);
        }
        painter.drawPixmap(0, 0, captured_);
    }

    if (look.border != Border::None) {
        const QColor light = palette().color(QPalette::Light);
        const QColor dark = palette().color(QPalette::Dark);
        const QColor topLeft = look.border == Border::Raised ? light : dark;
        const QColor bottomRight = look.border == Border::Raised ? dark : light;
        const QRect r = rect().adjusted(0, 0, -1, -1);
        painter.setPen(topLeft);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    }

    const QRect content = look.contentRect;
    if (!normalIcon_.isNull()) {
        const QIcon& icon = look.image == Image::Hover ? hoverIcon_ : normalIcon_;
        const QRect target(QPoint(content.x() + (content.width() - imageSize_.width()) / 2,
                                  content.y() + (content.height() - imageSize_.height()) / 2),
                           imageSize_);
        icon.paint(&painter, target, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
    } else if (!normalBitmap_.isNull()) {
        painter.drawPixmap(content.topLeft(), look.image == Image::Hover ? hoverBitmap_ : normalBitmap_);
    }

    if (drawText_ && !text().isEmpty()) {
        painter.setFont(textFont_);
        painter.setPen(look.textColor);
        painter.drawText(content.translated(textOffset_),
                         Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic | Qt::TextDontClip, text());
    }

    if (focusRect_ && hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = content.adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void ImageButton::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    if (!hovering_) {
        hovering_ = true;
        update();
    }
}

void ImageButton::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    hovering_ = false;
    update();
}

void ImageButton::resizeEvent(QResizeEvent* event) {
    QPushButton::resizeEvent(event);
    captured_ = QPixmap();
}

void ImageButton::moveEvent(QMoveEvent* event) {
    QPushButton::moveEvent(event);
    captured_ = QPixmap();
}

}  // namespace quillon::ui
