#pragma once
// The texts the file list shows for a source: its ten columns and the audio cells of the chosen
// audio stream.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/source_item.h"

namespace quillon::app {

enum ListColumn : int {
    ColumnFile = 0,
    ColumnDuration,
    ColumnWidth,
    ColumnHeight,
    ColumnFrameRate,
    ColumnVideoBitRate,
    ColumnAudioRate,
    ColumnAudioBitRate,
    ColumnAudioChannels,
    ColumnStatus,
    kListColumnCount
};

using RowTexts = std::array<std::string, kListColumnCount>;

// "Mono", "Stereo", "2.1" ... "7.1", else the number.
std::string ChannelText(uint32_t count);

// "%d:%02d:%02d" from one hour on, else "%02d:%02d".
std::string DurationText(uint32_t seconds);

// The stream a new row starts with: RequestAudioIndex is 1-based; out of range gives stream 0.
int32_t ChooseAudioStream(int32_t requestAudioIndex, std::size_t streamCount);

// The File column: the file name, " (%d audios)" for several streams; format copies read
// "   to " and the format's label.
std::string FileCellText(const engine::SourceItem& item);

// Columns 6 to 8 for the item's selected audio stream.
std::array<std::string, 3> AudioCellTexts(const engine::SourceItem& item);

// Every column of a new row; the Status column is empty.
RowTexts RowCellTexts(const engine::SourceItem& item);

}  // namespace quillon::app
