#pragma once
// The main window's table of sources: ten columns with their widths, alignments and sort types.
// It shows an app::FileList (which owns the rows and their SourceItems) and follows its changes;
// sorting here puts the list's rows, and so the conversion order, in the shown order, and the
// selection made here is the list's selection.

#include <QString>

#include "app/file_list.h"
#include "ui/sort_list_ctrl.h"

namespace quillon::ui {

class FileListView : public SortListCtrl, private app::FileListObserver {
    Q_OBJECT
public:
    explicit FileListView(QWidget* parent = nullptr);
    ~FileListView() override;

    // The list to show; its present rows are shown at once.
    void SetList(app::FileList* list);
    app::FileList* List() const { return list_; }

    // Rewrites the cells of a row from its item (after its audio stream was chosen again).
    void RefreshRow(int row);
    void RefreshAudioCells(int row);
    engine::SourceItem* ItemAt(int row) const;
    QString Status(int row) const;
    int StatusColumn() const { return statusColumn_; }

private:
    void RowInserted(std::size_t row) override;
    void RowRemoved(std::size_t row) override;
    void RowsRemoved(const std::vector<std::size_t>& rows) override;
    void StatusChanged(std::size_t row) override;
    void ScrollIntoView(std::size_t row) override;
    void StatusColumnWidthChanged(int width) override;
    void RowsSwapped(std::size_t a, std::size_t b) override;
    void AudioCellsChanged(std::size_t row) override;

    void OnSorted();
    void OnSelectionChanged();
    // Deletes rows (highest first) without reporting the half-updated selection, then shows
    // the list's own selection and focus.
    void DeleteRows(const std::vector<std::size_t>& rows);

    app::FileList* list_ = nullptr;
    int statusColumn_ = 0;
};

}  // namespace quillon::ui
