#include "ui/progress_cell_delegate.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextDocument>
#include <QToolTip>

#include <algorithm>

#include "ui/file_list_view.h"

namespace quillon::ui {

namespace {

const char* const kFailurePrefix = "Conversion failure";

int TextMargin(const QWidget* widget) {
    const QStyle* style = widget ? widget->style() : QApplication::style();
    return style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
}

// Plain text for a tooltip that wraps long lines and shows every character as it is.
QString TooltipText(const QString& text) { return Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal); }

}  // namespace

ProgressCellDelegate::ProgressCellDelegate(FileListView* view, ProgressLookup progress)
    : QStyledItemDelegate(view), view_(view), progress_(std::move(progress)) {}

std::optional<int> ProgressCellDelegate::ProgressOf(const QModelIndex& index) const {
    if (!progress_ || !view_ || index.column() != view_->StatusColumn()) return std::nullopt;
    return progress_(view_->ItemAt(index.row()));
}

void ProgressCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const std::optional<int> percent = ProgressOf(index);
    if (!percent) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);  // background, selection

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    const QRectF track = QRectF(opt.rect).adjusted(2.5, 2.5, -2.5, -2.5);
    const qreal radius = std::min<qreal>(4.0, track.height() / 2);
    painter->setPen(QPen(QColor(0x9a, 0xa9, 0xbd), 1.0));
    painter->setBrush(QColor(0xee, 0xf2, 0xf7));
    painter->drawRoundedRect(track, radius, radius);
    const int shown = std::clamp(*percent, 0, 100);
    if (shown > 0) {
        QRectF done = track.adjusted(1, 1, -1, -1);
        done.setWidth(done.width() * shown / 100.0);
        QLinearGradient fill(done.topLeft(), done.bottomLeft());
        fill.setColorAt(0, QColor(0x5c, 0xd0, 0x7a));
        fill.setColorAt(1, QColor(0x2e, 0xa0, 0x4f));
        QPainterPath clip;
        clip.addRoundedRect(track.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
        painter->setClipPath(clip);
        painter->fillRect(done, fill);
        painter->setClipping(false);
    }
    painter->setPen(QColor(0x1b, 0x25, 0x33));
    painter->setFont(opt.font);
    const QString fitted = opt.fontMetrics.elidedText(text, Qt::ElideRight, static_cast<int>(track.width()) - 4);
    painter->drawText(track, Qt::AlignCenter, fitted);
    painter->restore();
}

bool ProgressCellDelegate::TextCut(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (opt.text.isEmpty()) return false;
    const QWidget* widget = opt.widget ? opt.widget : view_;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    const int room = textRect.width() - 2 * TextMargin(widget);
    // A line break shows as a cut too: the cell draws one line only (the delegate has made the
    // break a line separator by now).
    if (opt.text.contains(QChar('\n')) || opt.text.contains(QChar::LineSeparator)) return true;
    return opt.fontMetrics.horizontalAdvance(opt.text) > room;
}

bool ProgressCellDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) {
    if (!event || event->type() != QEvent::ToolTip || !index.isValid()) {
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    // A cell that carries its own tooltip (a name drawn with symbols for its line breaks) shows it.
    if (const QString own = index.data(Qt::ToolTipRole).toString(); !own.isEmpty()) {
        QToolTip::showText(event->globalPos(), own, view, view->visualRect(index));
        return true;
    }
    const QString text = index.data(Qt::DisplayRole).toString();
    const bool failure = view_ && index.column() == view_->StatusColumn() &&
                         text.startsWith(QLatin1String(kFailurePrefix)) && text.size() > int(qstrlen(kFailurePrefix));
    if (failure || TextCut(option, index)) {
        QToolTip::showText(event->globalPos(), TooltipText(text), view, view->visualRect(index));
        return true;
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}

void InstallProgressCells(FileListView& view, ProgressLookup progress) {
    view.setItemDelegate(new ProgressCellDelegate(&view, std::move(progress)));
}

}  // namespace quillon::ui
