#pragma once
// The file list without its widgets: rows in conversion order, each owning its SourceItem,
// with the texts the window shows, the selection, and the operations a run performs on them.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/loading_window.h"
#include "engine/source_item.h"
#include "formats/output_format.h"

namespace quillon::app {

// Told of every change so that a view can follow; every call comes on the list's thread.
class FileListObserver {
public:
    virtual ~FileListObserver() = default;
    virtual void RowInserted(std::size_t /*row*/) {}
    virtual void RowRemoved(std::size_t /*row*/) {}
    // Several rows went in one operation; rows holds their former indexes, highest first.
    // Untold, a view would see every step; by default it is told row by row.
    virtual void RowsRemoved(const std::vector<std::size_t>& rows) {
        for (const std::size_t row : rows) RowRemoved(row);
    }
    virtual void StatusChanged(std::size_t /*row*/) {}
    virtual void ScrollIntoView(std::size_t /*row*/) {}
    virtual void StatusColumnWidthChanged(int /*width*/) {}
    // Two rows changed places: cells, item, selection and focus.
    virtual void RowsSwapped(std::size_t /*a*/, std::size_t /*b*/) {}
    // The row's chosen audio stream changed.
    virtual void AudioCellsChanged(std::size_t /*row*/) {}
};

// The queues a run fills from the list.
struct RunQueues {
    std::vector<engine::SourceItem*> pending;
    std::vector<engine::SourceItem*> running;
    std::vector<engine::SourceItem*> finished;
};

inline constexpr int kStatusColumnWidth = 138;
inline constexpr int kWideStatusColumnWidth = 500;

class FileList {
public:
    FileList() = default;
    ~FileList();
    FileList(const FileList&) = delete;
    FileList& operator=(const FileList&) = delete;

    void SetObserver(FileListObserver* observer) { observer_ = observer; }

    // Appends a probed item; chooses its audio stream from requestAudioIndex (1-based).
    std::size_t InsertRow(std::unique_ptr<engine::SourceItem> item, int requestAudioIndex);

    std::size_t RowCount() const { return rows_.size(); }
    engine::SourceItem& Item(std::size_t row) { return *rows_[row].item; }
    const engine::SourceItem& Item(std::size_t row) const { return *rows_[row].item; }
    // The row of an item, or -1.
    int RowOf(const engine::SourceItem* item) const;

    // Column 0: the file name (a DVD title's "DVD Title %d"), " (%d audios)" with several
    // audio streams; "   to LABEL" for a format-copy row.
    const std::string& FileText(std::size_t row) const { return rows_[row].fileText; }
    const std::string& Status(std::size_t row) const { return rows_[row].status; }
    void SetStatus(std::size_t row, std::string text);
    void SetStatus(const engine::SourceItem* item, std::string text);

    bool Selected(std::size_t row) const { return rows_[row].selected; }
    void SetSelected(std::size_t row, bool selected) { rows_[row].selected = selected; }
    bool AnySelected() const;
    // The row that is focused and selected, or -1.
    int FocusedRow() const;
    void SetFocusedRow(int row) { focused_ = row; }
    // Exchanges two rows with their cells, items, selection and focus.
    void SwapRows(std::size_t a, std::size_t b);
    // Chooses another audio stream of a row; false when the row has no such stream.
    bool SetAudioStream(std::size_t row, int stream);

    void ScrollIntoView(std::size_t row);

    // Puts the rows in a new order: order[i] is the old index of the row that becomes row i.
    // The observer is not told (the view that sorted shows this order already). False, and
    // nothing moves, when order is not a permutation of the rows.
    bool ReorderRows(const std::vector<std::size_t>& order);

    int StatusColumnWidth() const { return statusColumnWidth_; }
    void SetStatusColumnWidth(int width);

    // Removes a row and destroys its item; a source row's prepared file goes with it.
    void RemoveRow(std::size_t row);
    // Removes every row the test picks, in one operation; the removed items are passed to
    // beforeRemoval first (while they still exist). Returns how many went.
    std::size_t RemoveRowsIf(const std::function<bool(std::size_t row, const engine::SourceItem&)>& pick,
                             const std::function<void(engine::SourceItem&)>& beforeRemoval = {});
    void RemoveAll();
    // While locked no row can be removed: a running engine reports to its row's item.
    void SetRemovalLocked(bool locked) { removalLocked_ = locked; }
    bool RemovalLocked() const { return removalLocked_; }

    // The operations a run calls, for all rows or only the selected ones; those with
    // `fromRow` look only at the rows from there on (rows added while a run is under way).
    void RemoveFormatCopies();
    // Whether PrepareRows has anything to do (and so needs a loading window).
    bool NeedsPreparation(bool selectedOnly, std::size_t fromRow = 0) const;
    // False when the user cancelled in the loading window.
    bool PrepareRows(bool selectedOnly, engine::LoadingWindow& window,
                     const std::function<bool(engine::SourceItem&, engine::LoadingWindow&, std::string&)>& prepare = {},
                     std::size_t fromRow = 0);
    void AddFormatCopies(bool selectedOnly, const std::vector<const formats::OutputFormat*>& groupFormats);
    // groupRun: only format-copy rows join the queue. From row 0 the queues start afresh;
    // from a later row its items are added to them. True when anything is pending.
    bool QueueRows(bool selectedOnly, bool groupRun, RunQueues& queues, std::size_t fromRow = 0);

private:
    struct Row {
        std::unique_ptr<engine::SourceItem> item;
        std::string fileText;
        std::string status;
        bool selected = false;
    };

    bool InScope(std::size_t row, bool selectedOnly) const { return !selectedOnly || rows_[row].selected; }
    void InsertAt(std::size_t at, Row row);

    std::vector<Row> rows_;
    FileListObserver* observer_ = nullptr;
    int statusColumnWidth_ = kStatusColumnWidth;
    int focused_ = -1;
    bool removalLocked_ = false;
};

// The File column text of a source item.
std::string SourceFileText(const engine::SourceItem& item);
// The File column text of a format-copy row.
std::string FormatCopyText(const formats::OutputFormat& format);
// Label, else the extension in capitals.
std::string FormatLabel(const formats::OutputFormat& format);
// RequestAudioIndex (1-based) to the selected stream: 0 unless it names an existing stream >= 2.
int ChooseAudioStream(int requestAudioIndex, std::size_t streamCount);

// Prepares one row's source by its kind (joining or decoding).
bool PrepareSource(engine::SourceItem& item, engine::LoadingWindow& window, std::string& message);

}  // namespace quillon::app
