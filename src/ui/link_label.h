#pragma once
// A text label that behaves like a web link: hand cursor, tooltip with its target, hover colour
// and underline, and a click that opens the target (reporting a failure in a message).

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QTimer>

namespace quillon::ui {

class LinkLabel : public QLabel {
    Q_OBJECT
public:
    enum UnderlineMode { UnderlineHover = -1, UnderlineNever = 0, UnderlineAlways = 1 };

    explicit LinkLabel(const QString& text = QString(), QWidget* parent = nullptr);

    void SetTarget(const QString& target);
    const QString& Target() const { return target_; }
    void SetUnderlineMode(int mode);
    int UnderlineModeValue() const { return underlineMode_; }
    void SetAutoSize(bool on);
    void SetColors(const QColor& normal, const QColor& visited, const QColor& hover);

    bool IsHovering() const { return hovering_; }
    bool IsVisited() const { return visited_; }
    QColor CurrentColor() const;
    bool IsUnderlined() const { return font().underline(); }

    // Opens the target as a click does.
    void OnClick();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void StartHover();
    void EndHover();
    void OnHoverTimer();
    void ResizeToText();

    QColor normalColor_{0, 0, 238};
    QColor visitedColor_{85, 26, 139};
    QColor hoverColor_{255, 0, 0};
    bool hovering_ = false;
    bool visited_ = false;
    int underlineMode_ = UnderlineHover;
    bool autoSize_ = true;
    QString target_;
    QTimer hoverTimer_;
};

}  // namespace quillon::ui
