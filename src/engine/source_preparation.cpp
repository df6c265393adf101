#include "engine/source_preparation.h"

#include <fmt/format.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "audio/own_readers.h"
#include "platform/known_folders.h"
#include "platform/system_info.h"
#include "util/paths.h"
#include "util/size_text.h"
#include "util/text.h"

namespace quillon::engine {

namespace {

constexpr std::size_t kJoinBlockBytes = 4096;
constexpr uint64_t kFreeSpaceMargin = 104'857'600;  // 100 MiB above the title's size
constexpr int kMaxDvdPieces = 9;

audio::OwnReaderKind ReaderKindFor(SourceKind kind) {
    switch (kind) {
    case SourceKind::CdAudioTrack: return audio::OwnReaderKind::Bass;
    case SourceKind::AiffFile: return audio::OwnReaderKind::Aifc;
    case SourceKind::VocFile: return audio::OwnReaderKind::Voice;
    default: return audio::OwnReaderKind::None;
    }
}

}  // namespace

LoadingMeter::LoadingMeter(LoadingWindow& window, uint64_t total) : window_(window) {
    const uint64_t width = window.BarWidth() > 0 ? static_cast<uint64_t>(window.BarWidth()) : 1;
    unitsPerPixel_ = std::max<uint64_t>(1, total / width);
    unitsPerPercent_ = std::max<uint64_t>(1, total / 100);
    window_.SetBarPosition(0);
}

void LoadingMeter::Update(uint64_t done) {
    const int64_t percent = std::min<int64_t>(100, static_cast<int64_t>(done / unitsPerPercent_));
    if (percent > shownPercent_) {
        shownPercent_ = percent;
        window_.SetPercentText(std::to_string(percent) + "%");
    }
    const int64_t position = static_cast<int64_t>(done / unitsPerPixel_);
    if (position > shownPosition_) {
        shownPosition_ = std::min<int64_t>(position, window_.BarWidth());
        window_.SetBarPosition(static_cast<int>(shownPosition_));
    }
    window_.ProcessPendingMessages();
}

void LoadingMeter::Complete() {
    window_.SetBarPosition(window_.BarWidth());
    window_.SetPercentText("100%");
    window_.ProcessPendingMessages();
}

bool DecodeToWav(SourceItem& source, LoadingWindow& window, std::string& message) {
    source.preparedPath.clear();
    const audio::OwnReaderKind kind = ReaderKindFor(source.kind);
    window.SetStatus("Loading " + std::string(util::FileNamePart(source.path)) + "...");
    const std::string wavPath = platform::MakeTempName(platform::TempFolder(), "", ".wav");

    std::optional<LoadingMeter> meter;
    const bool ok = audio::DecodeToWavFile(source.path, kind, wavPath, message, [&](uint64_t done, uint64_t total) {
        if (!meter) meter.emplace(window, total);
        meter->Update(done);
        return !window.Cancelled();
    });
    if (!ok) {
        std::remove(wavPath.c_str());
        return false;
    }
    if (!meter) meter.emplace(window, 1);
    meter->Complete();
    source.preparedPath = wavPath;
    return true;
}

std::string FindDvdPiece(const std::string& dvdFolder, int titleNumber, int piece) {
    const std::string name = fmt::format("VTS_{:02}_{}.VOB", titleNumber, piece);
    const std::string folder = util::WithSlash(dvdFolder);
    if (util::IsFile(folder + name)) return folder + name;
    // Discs copied to a Linux disk keep whatever letter case they were given.
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string found = entry.path().filename().string();
        if (util::UpperAscii(found) == name && util::IsFile(folder + found)) return folder + found;
    }
    return {};
}

bool JoinDvdTitle(SourceItem& source, LoadingWindow& window, std::string& message, const FreeSpaceQuery& freeSpace) {
    source.preparedPath.clear();
    std::vector<std::string> pieces;
    uint64_t total = 0;
    for (int k = 1; k <= kMaxDvdPieces; ++k) {
        std::string piece = FindDvdPiece(source.dvdFolder, source.dvdTitleNumber, k);
        if (piece.empty()) break;
        total += static_cast<uint64_t>(util::FileSize(piece).value_or(0));
        pieces.push_back(std::move(piece));
    }
    if (pieces.empty() || total == 0) {
        message = "Failed to load from DVD";
        return false;
    }

    const std::string tempFolder = platform::TempFolder();
    const std::string joined = platform::MakeTempName(tempFolder, "", ".vob");
    std::remove(joined.c_str());
    const std::optional<uint64_t> free = freeSpace ? freeSpace(tempFolder) : platform::FreeSpace(tempFolder);
    if (free && *free < total + kFreeSpaceMargin) {
        // There are no drive letters here: the folder names the place that is short of space.
        message = util::FormatSize(static_cast<int64_t>(total + kFreeSpaceMargin), true) +
                  " free space is required for converting. There isn't enough free space on drive " + tempFolder + ".";
        return false;
    }

    std::FILE* out = std::fopen(joined.c_str(), "wb");
    if (!out) {
        message = "Failed to create temporary file";
        return false;
    }
    window.SetStatus(fmt::format("Loading DVD Title {}...", source.dvdTitleOrdinal));

    LoadingMeter meter(window, total);
    uint64_t done = 0;
    bool ok = true;
    std::vector<char> buffer(kJoinBlockBytes);
    for (const std::string& piece : pieces) {
        std::FILE* in = std::fopen(piece.c_str(), "rb");
        if (!in) {
            message = "Failed to open file " + piece;
            ok = false;
            break;
        }
        for (;;) {
            const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), in);
            if (got == 0) break;
            if (std::fwrite(buffer.data(), 1, got, out) != got) {
                message = platform::ErrorText(errno).value_or("Failed to write temporary file");
                ok = false;
                break;
            }
            done += got;
            meter.Update(done);
            if (window.Cancelled()) {
                message = "Cancelled";
                ok = false;
                break;
            }
        }
        std::fclose(in);
        if (!ok) break;
    }
    if (std::fclose(out) != 0 && ok) {
        message = platform::ErrorText(errno).value_or("Failed to write temporary file");
        ok = false;
    }
    if (!ok) {
        std::remove(joined.c_str());
        return false;
    }
    source.preparedPath = joined;
    return true;
}

}  // namespace quillon::engine
