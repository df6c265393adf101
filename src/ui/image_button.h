#pragma once
// A push button drawn from images: a normal and a hover picture (icons centred, bitmaps at the
// top-left), an optional caption, a flat 3-D border and a one-pixel shift while pressed. With
// transparency on it shows the part of its parent's background picture that lies under it.

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>

namespace quillon::ui {

class ImageButton : public QPushButton {
    Q_OBJECT
public:
    enum class Border { None, Raised, Sunken };
    enum class Image { None, Normal, Hover };

    // What a paint draws in the button's current state.
    struct Look {
        Border border = Border::None;
        bool shifted = false;  // content moved one pixel right and down
        Image image = Image::None;
        QColor textColor;
        QRect contentRect;  // where images and text go
    };

    explicit ImageButton(QWidget* parent = nullptr);
    explicit ImageButton(const QString& text, QWidget* parent = nullptr);

    // A null normal icon is refused (0). The icon's size is its first available size; with
    // resize the button keeps its top-left corner and fits the image plus border and shift.
    int SetIcons(const QIcon& normal, const QIcon& hover, bool resize, bool redraw);
    int SetBitmaps(const QPixmap& normal, const QPixmap& hover, bool resize, bool redraw);
    void SetHoverCursor(const QCursor& cursor);
    void SetTextFont(const QFont& font, bool redraw);
    // An invalid hover colour means the normal one.
    void SetTextColors(const QColor& normal, const QColor& hover, bool redraw);
    void SetDrawText(bool on, bool redraw);
    void SetTextOffset(int x, int y, bool redraw);
    void SetBorder(bool on, bool redraw);
    void SetFlatLook(bool on, bool redraw);
    void SetPressedOffset(bool on, bool redraw);
    void SetDrawFocusRect(bool on, bool redraw);
    void SetTransparent(bool on, bool redraw);
    void SetBackgroundColors(const QColor& normal, const QColor& hover, bool redraw);
    // The parent's background picture (in the parent's coordinates); the part under the button
    // is taken again at the next paint.
    void SetBackgroundBitmap(const QPixmap& bitmap, bool redraw);

    bool IsHovering() const { return hovering_; }
    QSize ImageSize() const { return imageSize_; }
    QColor NormalTextColor() const { return normalText_; }
    QColor HoverTextColor() const { return hoverText_; }
    const QFont& TextFont() const { return textFont_; }
    Look CurrentLook() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void Release();
    void FitToImage();
    void Update(bool redraw);
    int Frame() const { return (pressedOffset_ ? 1 : 0) + (border_ ? 2 : 0); }

    QIcon normalIcon_, hoverIcon_;
    QPixmap normalBitmap_, hoverBitmap_;
    QSize imageSize_;
    QPixmap background_;
    QPixmap captured_;
    QFont textFont_;
    QColor normalText_, hoverText_;
    QColor normalBack_, hoverBack_;
    QPoint textOffset_;
    bool drawText_ = true;
    bool focusRect_ = false;
    bool border_ = true;
    bool flat_ = true;
    bool pressedOffset_ = true;
    bool transparent_ = true;
    bool hovering_ = false;
};

}  // namespace quillon::ui
