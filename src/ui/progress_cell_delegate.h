#pragma once
// How the file list draws and explains its cells: a converting row's Status cell is a progress
// bar with the percent and the elapsed time on it, and a cell whose text does not fit shows the
// whole text in its tooltip (a failed row's reason always).

#include <QStyledItemDelegate>

#include <functional>
#include <optional>

namespace quillon::engine {
struct SourceItem;
}

namespace quillon::ui {

class FileListView;

// The percent of an item that converts now (-1 while its length is unknown), or nothing.
using ProgressLookup = std::function<std::optional<int>(const engine::SourceItem*)>;

class ProgressCellDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    ProgressCellDelegate(FileListView* view, ProgressLookup progress);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // Whether the cell's text is cut at its present width.
    bool TextCut(const QStyleOptionViewItem& option, const QModelIndex& index) const;

private:
    std::optional<int> ProgressOf(const QModelIndex& index) const;

    FileListView* view_;
    ProgressLookup progress_;
};

// Gives the list its progress cells and full-text tooltips.
void InstallProgressCells(FileListView& view, ProgressLookup progress);

}  // namespace quillon::ui
