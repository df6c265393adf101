#include "app/file_list.h"

#include <cstdio>
#include <utility>

#include "engine/source_preparation.h"
#include "util/paths.h"
#include "util/text.h"

namespace quillon::app {

namespace {

bool PreparedFileUsable(const engine::SourceItem& item) {
    return item.prepared && !item.preparedPath.empty() && util::IsFile(item.preparedPath);
}

}  // namespace

std::string SourceFileText(const engine::SourceItem& item) {
    std::string text(util::FileNamePart(item.path));
    if (item.audioSampleRates.size() > 1) {
        text += " (" + std::to_string(item.audioSampleRates.size()) + " audios)";
    }
    return text;
}

std::string FormatLabel(const formats::OutputFormat& format) {
    if (format.Label) return *format.Label;
    return util::UpperAscii(format.Extension);
}

std::string FormatCopyText(const formats::OutputFormat& format) { return "   to " + FormatLabel(format); }

int ChooseAudioStream(int requestAudioIndex, std::size_t streamCount) {
    if (requestAudioIndex < 2 || static_cast<std::size_t>(requestAudioIndex) > streamCount) return 0;
    return requestAudioIndex - 1;
}

bool PrepareSource(engine::SourceItem& item, engine::LoadingWindow& window, std::string& message) {
    if (item.kind == engine::SourceKind::DvdTitle) return engine::JoinDvdTitle(item, window, message);
    return engine::DecodeToWav(item, window, message);
}

FileList::~FileList() {
    // A list going away tells nobody: its observer (a view, or a test's recorder) may be gone.
    observer_ = nullptr;
    removalLocked_ = false;
    RemoveAll();
}

void FileList::InsertAt(std::size_t at, Row row) {
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), std::move(row));
    if (observer_) observer_->RowInserted(at);
}

std::size_t FileList::InsertRow(std::unique_ptr<engine::SourceItem> item, int requestAudioIndex) {
    item->selectedAudioStream = ChooseAudioStream(requestAudioIndex, item->audioSampleRates.size());
    Row row;
    row.fileText = SourceFileText(*item);
    row.item = std::move(item);
    const std::size_t at = rows_.size();
    InsertAt(at, std::move(row));
    ScrollIntoView(at);
    return at;
}

int FileList::RowOf(const engine::SourceItem* item) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].item.get() == item) return static_cast<int>(i);
    }
    return -1;
}

void FileList::SetStatus(std::size_t row, std::string text) {
    if (row >= rows_.size()) return;
    rows_[row].status = std::move(text);
    if (observer_) observer_->StatusChanged(row);
}

void FileList::SetStatus(const engine::SourceItem* item, std::string text) {
    // The run knows the row it queued; items are looked up anyway in case rows moved since.
    const int row = item && item->listRow >= 0 && static_cast<std::size_t>(item->listRow) < rows_.size() &&
                            rows_[static_cast<std::size_t>(item->listRow)].item.get() == item
                        ? item->listRow
                        : RowOf(item);
    if (row >= 0) SetStatus(static_cast<std::size_t>(row), std::move(text));
}

bool FileList::AnySelected() const {
    for (const Row& row : rows_) {
        if (row.selected) return true;
    }
    return false;
}

int FileList::FocusedRow() const {
    if (focused_ < 0 || static_cast<std::size_t>(focused_) >= rows_.size()) return -1;
    return rows_[static_cast<std::size_t>(focused_)].selected ? focused_ : -1;
}

void FileList::SwapRows(std::size_t a, std::size_t b) {
    if (a >= rows_.size() || b >= rows_.size() || a == b) return;
    std::swap(rows_[a], rows_[b]);
    if (focused_ == static_cast<int>(a)) {
        focused_ = static_cast<int>(b);
    } else if (focused_ == static_cast<int>(b)) {
        focused_ = static_cast<int>(a);
    }
    if (observer_) observer_->RowsSwapped(a, b);
}

bool FileList::SetAudioStream(std::size_t row, int stream) {
    if (row >= rows_.size() || stream < 0) return false;
    engine::SourceItem& item = *rows_[row].item;
    if (static_cast<std::size_t>(stream) >= item.audioSampleRates.size()) return false;
    item.selectedAudioStream = stream;
    if (observer_) observer_->AudioCellsChanged(row);
    return true;
}

void FileList::ScrollIntoView(std::size_t row) {
    if (observer_ && row < rows_.size()) observer_->ScrollIntoView(row);
}

bool FileList::ReorderRows(const std::vector<std::size_t>& order) {
    if (order.size() != rows_.size()) return false;
    std::vector<bool> seen(rows_.size(), false);
    for (std::size_t from : order) {
        if (from >= rows_.size() || seen[from]) return false;
        seen[from] = true;
    }
    std::vector<Row> reordered;
    reordered.reserve(rows_.size());
    int focused = -1;
    for (std::size_t from : order) {
        if (static_cast<int>(from) == focused_) focused = static_cast<int>(reordered.size());
        reordered.push_back(std::move(rows_[from]));
    }
    rows_ = std::move(reordered);
    focused_ = focused;
    return true;
}

void FileList::SetStatusColumnWidth(int width) {
    statusColumnWidth_ = width;
    if (observer_) observer_->StatusColumnWidthChanged(width);
}

void FileList::RemoveRow(std::size_t row) {
    RemoveRowsIf([row](std::size_t at, const engine::SourceItem&) { return at == row; });
}

std::size_t FileList::RemoveRowsIf(const std::function<bool(std::size_t, const engine::SourceItem&)>& pick,
                                   const std::function<void(engine::SourceItem&)>& beforeRemoval) {
    if (removalLocked_) return 0;
    std::vector<std::size_t> removed;  // highest first
    for (std::size_t row = rows_.size(); row-- > 0;) {
        if (pick(row, *rows_[row].item)) removed.push_back(row);
    }
    if (removed.empty()) return 0;
    std::vector<Row> kept;
    kept.reserve(rows_.size() - removed.size());
    int focused = -1;
    for (std::size_t row = 0, next = removed.size(); row < rows_.size(); ++row) {
        if (next > 0 && removed[next - 1] == row) {
            --next;
            engine::SourceItem& item = *rows_[row].item;
            if (beforeRemoval) beforeRemoval(item);
            // A copy row shares its source row's prepared file; only the source row owns it.
            if (!item.isFormatCopy && item.needsPreparation && !item.preparedPath.empty()) {
                std::remove(item.preparedPath.c_str());
            }
            continue;
        }
        if (static_cast<int>(row) == focused_) focused = static_cast<int>(kept.size());
        kept.push_back(std::move(rows_[row]));
    }
    // The observer is told once the list is whole again, and the items still exist until then
    // (a view may hold pointers to them).
    std::vector<Row> gone = std::exchange(rows_, std::move(kept));
    focused_ = focused;
    if (observer_) {
        if (removed.size() == 1) observer_->RowRemoved(removed.front());
        else observer_->RowsRemoved(removed);
    }
    return removed.size();
}

void FileList::RemoveAll() {
    RemoveRowsIf([](std::size_t, const engine::SourceItem&) { return true; });
}

void FileList::RemoveFormatCopies() {
    RemoveRowsIf([](std::size_t, const engine::SourceItem& item) { return item.isFormatCopy; });
}

bool FileList::NeedsPreparation(bool selectedOnly, std::size_t fromRow) const {
    for (std::size_t i = fromRow; i < rows_.size(); ++i) {
        if (InScope(i, selectedOnly) && rows_[i].item->needsPreparation) return true;
    }
    return false;
}

bool FileList::PrepareRows(
    bool selectedOnly, engine::LoadingWindow& window,
    const std::function<bool(engine::SourceItem&, engine::LoadingWindow&, std::string&)>& prepare,
    std::size_t fromRow) {
    for (std::size_t i = fromRow; i < rows_.size(); ++i) {
        engine::SourceItem& item = *rows_[i].item;
        if (!InScope(i, selectedOnly) || !item.needsPreparation || PreparedFileUsable(item)) continue;
        ScrollIntoView(i);
        SetStatus(i, "Loading...");
        std::string message;
        item.prepared = prepare ? prepare(item, window, message) : PrepareSource(item, window, message);
        if (item.prepared) {
            SetStatus(i, "Loading OK");
        } else if (window.Cancelled()) {
            SetStatus(i, message);
            return false;
        } else {
            SetStatus(i, "Error: " + message);
        }
    }
    return true;
}

void FileList::AddFormatCopies(bool selectedOnly, const std::vector<const formats::OutputFormat*>& groupFormats) {
    for (std::size_t i = rows_.size(); i-- > 0;) {
        if (!InScope(i, selectedOnly) || rows_[i].item->isFormatCopy) continue;
        const engine::SourceItem& source = *rows_[i].item;
        if (source.needsPreparation && !source.prepared) continue;
        for (const formats::OutputFormat* format : groupFormats) {
            auto copy = std::make_unique<engine::SourceItem>();
            copy->mediaInfo() = source.mediaInfo();
            copy->kind = source.kind;
            copy->path = source.path;
            copy->extension = source.extension;
            copy->dvdTitleNumber = source.dvdTitleNumber;
            copy->dvdTitleOrdinal = source.dvdTitleOrdinal;
            copy->dvdFolder = source.dvdFolder;
            copy->selectedAudioStream = source.selectedAudioStream;
            copy->needsPreparation = source.needsPreparation;
            copy->prepared = source.prepared;
            copy->preparedPath = source.preparedPath;
            copy->isFormatCopy = true;
            copy->copyFormat = format;
            Row row;
            row.fileText = FormatCopyText(*format);
            row.item = std::move(copy);
            row.selected = selectedOnly;
            // Always directly below the source, so the copies end in reverse group order.
            InsertAt(i + 1, std::move(row));
        }
    }
}

bool FileList::QueueRows(bool selectedOnly, bool groupRun, RunQueues& queues, std::size_t fromRow) {
    if (fromRow == 0) queues = RunQueues{};
    for (std::size_t i = fromRow; i < rows_.size(); ++i) {
        if (!InScope(i, selectedOnly)) continue;
        engine::SourceItem& item = *rows_[i].item;
        item.outputPath.clear();
        if (item.needsPreparation && !item.prepared) continue;
        SetStatus(i, "");
        if (groupRun && !item.isFormatCopy) continue;
        item.listRow = static_cast<int32_t>(i);
        item.progressPercent = 0;
        item.process = {};
        item.outputPipe = {};
        queues.pending.push_back(&item);
    }
    return !queues.pending.empty();
}

}  // namespace quillon::app
