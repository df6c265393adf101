#include "ui/file_list_view.h"

#include <QHeaderView>

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
    {"File", Qt::AlignLeft, 175, SortText},
    {"Duration", Qt::AlignRight, 65, SortDuration},
    {"Width", Qt::AlignRight, 45, SortNumber},
    {"Height", Qt::AlignRight, 48, SortNumber},
    {"V.Frame", Qt::AlignRight, 55, SortNumber},
    {"V.BitRate", Qt::AlignRight, 70, SortNumber},
    {"A.Freq.", Qt::AlignRight, 75, SortNumber},
    {"A.BitRate", Qt::AlignRight, 65, SortNumber},
    {"A.Ch.", Qt::AlignLeft, 50, SortText},
    {"Status", Qt::AlignLeft, FileListView::kStatusWidth, SortText},
};

}  // namespace

FileListView::FileListView(QWidget* parent) : SortListCtrl(parent) {
    setColumnCount(app::kListColumnCount);
    QTreeWidgetItem* headerRow = headerItem();
    for (int column = 0; column < app::kListColumnCount; ++column) {
        const ColumnSpec& spec = kColumns[column];
        headerRow->setText(column, QString::fromLatin1(spec.header));
        headerRow->setTextAlignment(column, spec.alignment | Qt::AlignVCenter);
        setColumnWidth(column, spec.width);
        SetColumnSortType(column, spec.sortType);
    }
    header()->setMinimumSectionSize(20);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    statusColumn_ = app::ColumnStatus;
    setAlternatingRowColors(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
}

int FileListView::InsertRow(engine::SourceItem* item) {
    const int row = InsertItem(-1, QString(), item);
    RefreshRow(row);
    scrollToItem(topLevelItem(row));
    return row;
}

void FileListView::RefreshRow(int row) {
    const engine::SourceItem* item = ItemAt(row);
    if (!item) return;
    const app::RowTexts cells = app::RowCellTexts(*item);
    for (int column = 0; column < app::kListColumnCount; ++column) {
        if (column == statusColumn_) continue;
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

engine::SourceItem* FileListView::ItemAt(int row) const {
    return static_cast<engine::SourceItem*>(GetItemUser(row));
}

int FileListView::RowOf(const engine::SourceItem* item) const {
    for (int row = 0; row < ItemCount(); ++row) {
        if (ItemAt(row) == item) return row;
    }
    return -1;
}

void FileListView::SetStatus(int row, const QString& text) { SetItemText(row, statusColumn_, text); }

QString FileListView::Status(int row) const { return ItemText(row, statusColumn_); }

void FileListView::WidenStatusColumn() {
    if (statusWidth_ < 500) {
        statusWidth_ = 500;
        setColumnWidth(statusColumn_, 500);
    }
}

}  // namespace quillon::ui
