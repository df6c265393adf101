#pragma once
// The texts the file list shows for a source: its ten columns and the audio cells of the chosen
// audio stream.

#include <array>
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

// Columns 6 to 8 for the item's selected audio stream.
std::array<std::string, 3> AudioCellTexts(const engine::SourceItem& item);

// Columns 1 to 8 of a row (File and Status come from the list).
RowTexts RowCellTexts(const engine::SourceItem& item);

// A name as one line: a line break shows as "\u21b5", other control characters as their
// visible pictures (U+2400...), so that nothing of a name is cut off or hidden.
std::string OneLineText(const std::string& text);

}  // namespace quillon::app
