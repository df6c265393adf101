#pragma once
// A drop-down list whose entries carry their own text and background colours and an opaque
// user pointer. The closed box shows the chosen entry in its colours too.

#include <QColor>
#include <QComboBox>

namespace quillon::ui {

class ColorComboBox : public QComboBox {
    Q_OBJECT
public:
    static constexpr int kUserPointerRole = Qt::UserRole + 1;

    explicit ColorComboBox(QWidget* parent = nullptr);

    int AddItem(const QString& text, const QColor& textColor, const QColor& backColor);
    // An index outside 0..count() appends.
    int InsertItem(int index, const QString& text, const QColor& textColor, const QColor& backColor);
    void DeleteItem(int index);
    // None for an index without an entry.
    void* GetItemUser(int index) const;
    // 0, or -1 when there is no entry at the index.
    int SetItemUser(int index, void* pointer);
    QColor ItemTextColor(int index) const;
    QColor ItemBackColor(int index) const;

    // Width of the opened list in pixels.
    void SetDropWidth(int width);
    // Draws its own drop-down mark (for a style sheet that gives the box a flat frame).
    void SetOwnArrow(bool on) {
        ownArrow_ = on;
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool ownArrow_ = false;
};

}  // namespace quillon::ui
