#include "ui/file_list_view.h"

#include <QSignalBlocker>

#include <QHeaderView>
#include <QTextDocument>

#include <unordered_map>

#include <unordered_map>

#include "app/list_cells.h"

namespace quillon::ui {

namespace {

struct ColumnSpec {
    const char* header;
    Qt::Alignment alignment;
    int width;
    int sortType;
};

const ColumnSpec kColumns[app::kListColumnCount] = {
    {"File", Qt::AlignLeft, 175, SortText},      {"Duration", Qt::AlignRight, 65, SortDuration},
    {"Width", Qt::AlignRight, 45, SortNumber},   {"Height", Qt::AlignRight, 48, SortNumber},
    {"V.Frame", Qt::AlignRight, 55, SortNumber}, {"V.BitRate", Qt::AlignRight, 70, SortNumber},
    {"A.Freq.", Qt::AlignRight, 75, SortNumber}, {"A.BitRate", Qt::AlignRight, 65, SortNumber},
    {"A.Ch.", Qt::AlignLeft, 50, SortText},      {"Status", Qt::AlignLeft, app::kStatusColumnWidth, SortText},
};

}  // namespace

FileListView::FileListView(QWidget* parent) : SortListCtrl(parent) {
    setColumnCount(app::kListColumnCount);
    QTreeWidgetItem* headerRow = headerItem();
    for (int column = 0; column < app::kListColumnCount; ++column) {
        const ColumnSpec& info = kColumns[column];
        headerRow->setText(column, QString::fromLatin1(info.header));
        headerRow->setTextAlignment(column, info.alignment | Qt::AlignVCenter);
        setColumnWidth(column, info.width);
        SetColumnSortType(column, info.sortType);
    }
    header()->setMinimumSectionSize(20);
    statusColumn_ = app::ColumnStatus;
    setAlternatingRowColors(true);
    connect(this, &SortListCtrl::Sorted, this, [this](int) { OnSorted(); });
    connect(this, &QTreeWidget::itemSelectionChanged, this, &FileListView::OnSelectionChanged);
    connect(this, &QTreeWidget::currentItemChanged, this, &FileListView::OnSelectionChanged);
}

FileListView::~FileListView() {
    if (list_) list_->SetObserver(nullptr);
}

void FileListView::SetList(app::FileList* list) {
    if (list_) list_->SetObserver(nullptr);
    DeleteAllItems();
    list_ = list;
    if (!list_) return;
    list_->SetObserver(this);
    for (std::size_t row = 0; row < list_->RowCount(); ++row) RowInserted(row);
}

void FileListView::RowInserted(std::size_t row) {
    engine::SourceItem& item = list_->Item(row);
    const int at = InsertItem(static_cast<int>(row), QString(), &item);
    RefreshRow(at);
    SetItemText(at, statusColumn_, QString::fromStdString(list_->Status(row)));
    if (list_->Selected(row)) topLevelItem(at)->setSelected(true);
}

void FileListView::RowRemoved(std::size_t row) { DeleteRows({row}); }

void FileListView::RowsRemoved(const std::vector<std::size_t>& rows) { DeleteRows(rows); }

void FileListView::DeleteRows(const std::vector<std::size_t>& rows) {
    const QSignalBlocker quiet(this);
    for (const std::size_t row : rows) DeleteItem(static_cast<int>(row));
    if (!list_) return;
    for (int row = 0; row < ItemCount() && static_cast<std::size_t>(row) < list_->RowCount(); ++row) {
        topLevelItem(row)->setSelected(list_->Selected(static_cast<std::size_t>(row)));
    }
    const int focused = list_->FocusedRow();
    if (focused >= 0) setCurrentItem(topLevelItem(focused), 0, QItemSelectionModel::NoUpdate);
}

void FileListView::StatusChanged(std::size_t row) {
    SetItemText(static_cast<int>(row), statusColumn_, QString::fromStdString(list_->Status(row)));
}

void FileListView::ScrollIntoView(std::size_t row) {
    if (QTreeWidgetItem* item = topLevelItem(static_cast<int>(row))) scrollToItem(item);
}

void FileListView::StatusColumnWidthChanged(int width) { setColumnWidth(statusColumn_, width); }

void FileListView::RowsSwapped(std::size_t a, std::size_t b) {
    // The list swapped the rows already; the view takes their new contents and states without
    // reporting its half-updated selection back.
    const QSignalBlocker quiet(this);
    for (const std::size_t row : {a, b}) {
        const int at = static_cast<int>(row);
        SetItemUser(at, &list_->Item(row));
        RefreshRow(at);
        SetItemText(at, statusColumn_, QString::fromStdString(list_->Status(row)));
        if (QTreeWidgetItem* item = topLevelItem(at)) item->setSelected(list_->Selected(row));
    }
    const int focused = list_->FocusedRow();
    if (focused >= 0) setCurrentItem(topLevelItem(focused), 0, QItemSelectionModel::NoUpdate);
}

void FileListView::AudioCellsChanged(std::size_t row) { RefreshAudioCells(static_cast<int>(row)); }

void FileListView::RefreshRow(int row) {
    const engine::SourceItem* item = ItemAt(row);
    if (!item || !list_) return;
    const app::RowTexts cells = app::RowCellTexts(*item);
    // A name may hold line breaks: one line in the cell, the name as it is in the tooltip. Other
    // names get the cell's own tooltip, shown only when the column cuts them.
    const std::string& name = list_->FileText(static_cast<std::size_t>(row));
    const std::string line = app::OneLineText(name);
    SetItemText(row, app::ColumnFile, QString::fromStdString(line));
    if (QTreeWidgetItem* cell = topLevelItem(row)) {
        cell->setToolTip(
            app::ColumnFile,
            line == name ? QString() : Qt::convertFromPlainText(QString::fromStdString(name), Qt::WhiteSpacePre));
    }
    for (int column = app::ColumnDuration; column < app::ColumnStatus; ++column) {
        SetItemText(row, column, QString::fromStdString(cells[column]));
    }
}

void FileListView::RefreshAudioCells(int row) {
    const engine::SourceItem* item = ItemAt(row);
    if (!item) return;
    const auto cells = app::AudioCellTexts(*item);
    SetItemText(row, app::ColumnAudioRate, QString::fromStdString(cells[0]));
    SetItemText(row, app::ColumnAudioBitRate, QString::fromStdString(cells[1]));
    SetItemText(row, app::ColumnAudioChannels, QString::fromStdString(cells[2]));
}

engine::SourceItem* FileListView::ItemAt(int row) const { return static_cast<engine::SourceItem*>(GetItemUser(row)); }

QString FileListView::Status(int row) const { return ItemText(row, statusColumn_); }

void FileListView::OnSorted() {
    if (!list_) return;
    // The conversion follows the list's order: give the list the order shown.
    // One look-up table, not a search of the list per row: a sort of many rows stays quick.
    std::unordered_map<const engine::SourceItem*, std::size_t> rowOf;
    rowOf.reserve(list_->RowCount());
    for (std::size_t row = 0; row < list_->RowCount(); ++row) rowOf.emplace(&list_->Item(row), row);
    std::vector<std::size_t> order;
    order.reserve(static_cast<std::size_t>(ItemCount()));
    for (int row = 0; row < ItemCount(); ++row) {
        const auto found = rowOf.find(ItemAt(row));
        if (found == rowOf.end()) return;  // the view and the list disagree: leave the list as it is
        order.push_back(found->second);
    }
    list_->ReorderRows(order);
}

void FileListView::OnSelectionChanged() {
    if (!list_) return;
    // By item, never by position: while rows come and go the two may briefly differ.
    std::unordered_map<const engine::SourceItem*, std::size_t> rowOf;
    rowOf.reserve(list_->RowCount());
    for (std::size_t row = 0; row < list_->RowCount(); ++row) rowOf.emplace(&list_->Item(row), row);
    for (int row = 0; row < ItemCount(); ++row) {
        const auto found = rowOf.find(ItemAt(row));
        if (found != rowOf.end()) list_->SetSelected(found->second, topLevelItem(row)->isSelected());
    }
    int focused = -1;
    if (QTreeWidgetItem* current = currentItem()) {
        const auto found = rowOf.find(ItemAt(indexOfTopLevelItem(current)));
        if (found != rowOf.end()) focused = static_cast<int>(found->second);
    }
    list_->SetFocusedRow(focused);
}

}  // namespace quillon::ui
