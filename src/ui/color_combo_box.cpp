#include "ui/color_combo_box.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStylePainter>
#include <QStyledItemDelegate>

namespace quillon::ui {

namespace {

// Entries are drawn in their own colours, the selected one in the highlight colours.
class ColorItemDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QVariant fore = index.data(Qt::ForegroundRole);
        if (!fore.isValid()) return;  // an entry without its record draws nothing
        const bool selected = option.state & QStyle::State_Selected;
        const QColor back =
            selected ? option.palette.color(QPalette::Highlight) : index.data(Qt::BackgroundRole).value<QColor>();
        const QColor text = selected ? option.palette.color(QPalette::HighlightedText) : fore.value<QColor>();
        painter->save();
        painter->fillRect(option.rect, back);
        painter->setPen(text);
        painter->setFont(option.font);
        painter->drawText(option.rect.adjusted(2, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(qMax(size.height(), option.fontMetrics.height() + 6));
        return size;
    }
};

}  // namespace

ColorComboBox::ColorComboBox(QWidget* parent) : QComboBox(parent) { setItemDelegate(new ColorItemDelegate(this)); }

int ColorComboBox::AddItem(const QString& text, const QColor& textColor, const QColor& backColor) {
    return InsertItem(count(), text, textColor, backColor);
}

int ColorComboBox::InsertItem(int index, const QString& text, const QColor& textColor, const QColor& backColor) {
    if (index < 0 || index > count()) index = count();
    insertItem(index, text);
    setItemData(index, textColor, Qt::ForegroundRole);
    setItemData(index, backColor, Qt::BackgroundRole);
    setItemData(index, QVariant::fromValue<quintptr>(0), kUserPointerRole);
    return index;
}

void ColorComboBox::DeleteItem(int index) {
    if (index >= 0 && index < count()) removeItem(index);
}

void* ColorComboBox::GetItemUser(int index) const {
    if (index < 0 || index >= count()) return nullptr;
    return reinterpret_cast<void*>(itemData(index, kUserPointerRole).value<quintptr>());
}

int ColorComboBox::SetItemUser(int index, void* pointer) {
    if (index < 0 || index >= count()) return -1;
    setItemData(index, QVariant::fromValue(reinterpret_cast<quintptr>(pointer)), kUserPointerRole);
    return 0;
}

QColor ColorComboBox::ItemTextColor(int index) const { return itemData(index, Qt::ForegroundRole).value<QColor>(); }

QColor ColorComboBox::ItemBackColor(int index) const { return itemData(index, Qt::BackgroundRole).value<QColor>(); }

void ColorComboBox::SetDropWidth(int width) { view()->setMinimumWidth(width); }

void ColorComboBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const int current = currentIndex();
    if (current >= 0 && isEnabled()) {
        const QColor text = ItemTextColor(current);
        if (text.isValid()) {
            option.palette.setColor(QPalette::ButtonText, text);
            option.palette.setColor(QPalette::Text, text);
        }
    }
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    if (ownArrow_) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(isEnabled() ? QColor(0x4b, 0x5a, 0x6e) : QColor(0xb0, 0xb8, 0xc4), 1.6, Qt::SolidLine,
                            Qt::RoundCap, Qt::RoundJoin));
        const QPointF c(width() - 10.5, height() / 2.0 + 0.5);
        const QPointF points[3] = {{c.x() - 3.5, c.y() - 2}, {c.x(), c.y() + 1.8}, {c.x() + 3.5, c.y() - 2}};
        painter.drawPolyline(points, 3);
    }
}

}  // namespace quillon::ui
