#include "app/list_cells.h"

#include <fmt/format.h>

namespace quillon::app {

std::string ChannelText(uint32_t count) {
    static const char* const kNames[] = {"Mono", "Stereo", "2.1", "4.0", "4.1", "5.1", "6.1", "7.1"};
    if (count >= 1 && count <= 8) return kNames[count - 1];
    return std::to_string(count);
}

std::string DurationText(uint32_t seconds) {
    if (seconds >= 3600) {
        return fmt::format("{}:{:02}:{:02}", seconds / 3600, seconds / 60 % 60, seconds % 60);
    }
    return fmt::format("{:02}:{:02}", seconds / 60, seconds % 60);
}

std::array<std::string, 3> AudioCellTexts(const engine::SourceItem& item) {
    std::array<std::string, 3> cells;
    const std::size_t streams = item.audioSampleRates.size();
    if (item.selectedAudioStream < 0) return cells;
    const auto i = static_cast<std::size_t>(item.selectedAudioStream);
    if (i < streams) {
        if (item.audioSampleRates[i] != 0) cells[0] = fmt::format("{} Hz", item.audioSampleRates[i]);
        if (streams > 1) cells[0] += fmt::format("*{}", streams);
    }
    if (i < streams && i < item.audioBitRates.size() && item.audioBitRates[i] != 0) {
        cells[1] = fmt::format("{} kbps", item.audioBitRates[i]);
    }
    if (i < item.audioChannels.size() && item.audioChannels[i] != 0) {
        cells[2] = ChannelText(item.audioChannels[i]);
    }
    return cells;
}

RowTexts RowCellTexts(const engine::SourceItem& item) {
    RowTexts cells;
    if (item.durationSeconds > 0) cells[ColumnDuration] = DurationText(item.durationSeconds);
    if (item.width > 0) cells[ColumnWidth] = std::to_string(item.width);
    if (item.height > 0) cells[ColumnHeight] = std::to_string(item.height);
    if (item.frameRate > 0) cells[ColumnFrameRate] = fmt::format("{:.2f}", item.frameRate);
    if (item.videoBitRate > 0) cells[ColumnVideoBitRate] = fmt::format("{} kbps", item.videoBitRate);
    const auto audio = AudioCellTexts(item);
    cells[ColumnAudioRate] = audio[0];
    cells[ColumnAudioBitRate] = audio[1];
    cells[ColumnAudioChannels] = audio[2];
    return cells;
}

std::string OneLineText(const std::string& text) {
    std::string line;
    line.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\n') {
            line += "\u21b5";
        } else if (byte < 0x20) {
            // U+2400 + byte, in UTF-8: E2 90 80+byte.
            line += "\xe2\x90";
            line.push_back(static_cast<char>(0x80 + byte));
        } else if (byte == 0x7f) {
            line += "\u2421";
        } else {
            line.push_back(c);
        }
    }
    return line;
}

}  // namespace quillon::app
