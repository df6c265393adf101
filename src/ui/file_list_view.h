#pragma once
// The main window's table of sources: ten columns with their widths, alignments and sort types,
// one row per SourceItem (the row's user pointer), the probed facts as cell texts and the
// status of the current run.

#include <QString>

#include "engine/source_item.h"
#include "ui/sort_list_ctrl.h"

namespace quillon::ui {

class FileListView : public SortListCtrl {
    Q_OBJECT
public:
    static constexpr int kStatusWidth = 138;

    explicit FileListView(QWidget* parent = nullptr);

    // Appends a row showing the item's facts; the row is scrolled into view.
    int InsertRow(engine::SourceItem* item);
    // Rewrites every cell but Status from the row's item.
    void RefreshRow(int row);
    void RefreshAudioCells(int row);
    engine::SourceItem* ItemAt(int row) const;
    int RowOf(const engine::SourceItem* item) const;
    void SetStatus(int row, const QString& text);
    QString Status(int row) const;
    int StatusColumn() const { return statusColumn_; }
    // A status with the engine's reason widens the column once to 500 pixels.
    void WidenStatusColumn();

private:
    int statusColumn_ = 0;
    int statusWidth_ = kStatusWidth;
};

}  // namespace quillon::ui
