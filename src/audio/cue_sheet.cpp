#include "audio/cue_sheet.h"

#include <algorithm>
#include <cctype>

#include "util/text.h"

namespace quillon::audio {

namespace {

constexpr unsigned kMaxTracks = 99;
constexpr std::uint32_t kAudioSectorBytes = 2352;
constexpr std::uint64_t kLeadIn = 150;

// Words of one line; a double-quoted word may hold blanks.
std::vector<std::string> Words(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        if (i >= line.size()) break;
        std::string word;
        if (line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            const std::size_t end = close == std::string_view::npos ? line.size() : close;
            word = std::string(line.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) word += line[i++];
        }
        words.push_back(std::move(word));
    }
    return words;
}

// mm:ss:ff with 75 frames to the second; -1 when malformed.
std::int64_t ParseTime(const std::string& text) {
    std::int64_t parts[3] = {0, 0, 0};
    int part = 0;
    bool digit = false;
    for (char c : text) {
        if (c == ':') {
            if (!digit || ++part > 2) return -1;
            digit = false;
        } else if (c >= '0' && c <= '9') {
            if (parts[part] > 9999) return -1;
            parts[part] = parts[part] * 10 + (c - '0');
            digit = true;
        } else {
            return -1;
        }
    }
    if (part != 2 || !digit || parts[1] >= 60 || parts[2] >= 75) return -1;
    return (parts[0] * 60 + parts[1]) * 75 + parts[2];
}

bool ParseNumber(const std::string& text, unsigned& value) {
    if (text.empty() || text.size() > 3) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return true;
}

bool TrackMode(const std::string& mode, bool& audio, std::uint32_t& sectorBytes) {
    audio = mode == "AUDIO";
    if (audio || mode == "MODE1/2352" || mode == "MODE2/2352" || mode == "CDI/2352") sectorBytes = 2352;
    else if (mode == "MODE1/2048" || mode == "MODE2/2048") sectorBytes = 2048;
    else if (mode == "MODE2/2336" || mode == "CDI/2336") sectorBytes = 2336;
    else if (mode == "MODE2/2324") sectorBytes = 2324;
    else if (mode == "CDG") sectorBytes = 2448;
    else return false;
    return true;
}

}  // namespace

bool ParseCueSheet(std::string_view text, CueSheet& sheet) {
    sheet = {};
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::uint64_t pendingGap = 0;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const std::vector<std::string> words = Words(line);
        if (words.empty()) continue;
        const std::string command = util::UpperAscii(words[0]);

        if (command == "FILE") {
            if (words.size() < 3 || sheet.files.size() >= kMaxTracks) return false;
            const std::string type = util::UpperAscii(words.back());
            // WAVE, MP3 and AIFF files would need decoding of their own.
            if (type != "BINARY" && type != "MOTOROLA") return false;
            CueFile file;
            for (std::size_t i = 1; i + 1 < words.size(); ++i) file.name += (i > 1 ? " " : "") + words[i];
            if (file.name.empty()) return false;
            file.bigEndian = type == "MOTOROLA";
            sheet.files.push_back(std::move(file));
        } else if (command == "TRACK") {
            CueTrack track;
            if (words.size() < 3 || sheet.files.empty() || !ParseNumber(words[1], track.number)) return false;
            if (track.number == 0 || track.number > kMaxTracks) return false;
            if (!sheet.tracks.empty() && track.number <= sheet.tracks.back().number) return false;
            if (!sheet.tracks.empty() && sheet.tracks.back().index01 < 0) return false;
            if (!TrackMode(util::UpperAscii(words[2]), track.audio, track.sectorBytes)) return false;
            track.file = sheet.files.size() - 1;
            track.gap = pendingGap;
            pendingGap = 0;
            sheet.tracks.push_back(track);
        } else if (command == "INDEX") {
            unsigned number = 0;
            if (words.size() < 3 || sheet.tracks.empty() || !ParseNumber(words[1], number)) return false;
            const std::int64_t at = ParseTime(words[2]);
            if (at < 0) return false;
            CueTrack& track = sheet.tracks.back();
            const std::size_t file = sheet.files.size() - 1;
            if (number == 0) {
                if (track.index01 >= 0) return false;
                track.firstIndex = at;
                track.file = file;
            } else if (number == 1) {
                if (track.index01 >= 0) return false;
                // A gap left at the end of the previous file stays with the previous track.
                if (track.firstIndex < 0 || track.file != file) track.firstIndex = at;
                if (at < track.firstIndex) return false;
                track.file = file;
                track.index01 = at;
            }
            // Further indexes mark places inside the track and change nothing here.
        } else if (command == "PREGAP" || command == "POSTGAP") {
            if (words.size() < 2 || sheet.tracks.empty()) return false;
            const std::int64_t length = ParseTime(words[1]);
            if (length < 0) return false;
            if (command == "PREGAP") sheet.tracks.back().gap += static_cast<std::uint64_t>(length);
            else pendingGap += static_cast<std::uint64_t>(length);
        }
    }
    if (sheet.tracks.empty() || sheet.tracks.back().index01 < 0) return false;
    // Within one file the tracks follow each other.
    for (std::size_t i = 1; i < sheet.tracks.size(); ++i) {
        const CueTrack& previous = sheet.tracks[i - 1];
        const CueTrack& track = sheet.tracks[i];
        if (track.file < previous.file) return false;
        if (track.file == previous.file && track.firstIndex < previous.index01) return false;
    }
    return true;
}

bool LayOutDisc(const CueSheet& sheet, const std::vector<std::uint64_t>& fileBytes, DiscLayout& layout) {
    layout = {};
    if (fileBytes.size() != sheet.files.size() || sheet.tracks.empty()) return false;
    std::uint64_t cursor = 0;
    std::uint64_t byteCursor = 0;
    for (std::size_t i = 0; i < sheet.tracks.size(); ++i) {
        const CueTrack& track = sheet.tracks[i];
        const bool firstOfFile = i == 0 || sheet.tracks[i - 1].file != track.file;
        const bool lastOfFile = i + 1 == sheet.tracks.size() || sheet.tracks[i + 1].file != track.file;
        if (firstOfFile) byteCursor = 0;
        // A file's first run starts at its first byte, whatever its first index says.
        const auto from = firstOfFile ? std::uint64_t{0} : static_cast<std::uint64_t>(track.firstIndex);
        const auto index01 = static_cast<std::uint64_t>(track.index01);
        const std::uint64_t size = fileBytes[track.file];
        const std::uint64_t held = size > byteCursor ? size - byteCursor : 0;

        DiscExtent extent;
        cursor += track.gap;
        extent.lsn = cursor;
        extent.file = track.file;
        extent.byteOffset = byteCursor;
        extent.sectorBytes = track.sectorBytes;
        extent.bigEndian = sheet.files[track.file].bigEndian;
        if (lastOfFile) {
            // The file's end ends the run; a last sector cut short still counts as one.
            extent.sectors = std::max((held + track.sectorBytes - 1) / track.sectorBytes, index01 - from);
        } else {
            extent.sectors = static_cast<std::uint64_t>(sheet.tracks[i + 1].firstIndex) - from;
        }
        extent.bytesPresent = std::min(held, extent.sectors * track.sectorBytes);
        byteCursor += extent.sectors * track.sectorBytes;
        cursor = extent.lsn + extent.sectors;
        layout.extents.push_back(extent);

        DiscTrack disc;
        disc.number = track.number;
        disc.audio = track.audio;
        disc.start = extent.lsn + (index01 - from);
        disc.lastOfItsFile = lastOfFile;
        layout.tracks.push_back(disc);
    }
    layout.leadOut = cursor;
    for (std::size_t i = 0; i < layout.tracks.size(); ++i) {
        const std::uint64_t end = i + 1 < layout.tracks.size() ? layout.tracks[i + 1].start : layout.leadOut;
        if (end < layout.tracks[i].start) return false;
        layout.tracks[i].sectors = end - layout.tracks[i].start;
    }
    return true;
}

std::uint32_t DiscSerial(const DiscLayout& layout) {
    std::uint32_t serial = 0;
    for (const DiscTrack& track : layout.tracks) {
        const std::uint64_t address = track.start + kLeadIn;
        serial += static_cast<std::uint32_t>(((address / 4500) << 16) | ((address / 75 % 60) << 8) | (address % 75));
    }
    if (!layout.tracks.empty() && layout.tracks.size() < 3)
        serial += static_cast<std::uint32_t>(layout.leadOut - layout.tracks.front().start);
    return serial;
}

std::vector<TrackPiece> TrackPieces(const DiscLayout& layout, std::size_t trackIndex) {
    std::vector<TrackPiece> pieces;
    if (trackIndex >= layout.tracks.size()) return pieces;
    const DiscTrack& track = layout.tracks[trackIndex];
    std::uint64_t next = track.start;
    const std::uint64_t end = track.start + track.sectors;
    for (const DiscExtent& extent : layout.extents) {
        if (next >= end) break;
        const std::uint64_t extentEnd = extent.lsn + extent.sectors;
        if (extentEnd <= next) continue;
        // Sectors that no file holds (a gap) end what can be read.
        if (extent.lsn > next || extent.sectorBytes != kAudioSectorBytes) break;
        const std::uint64_t until = std::min(end, extentEnd);
        const std::uint64_t offset = (next - extent.lsn) * kAudioSectorBytes;
        const std::uint64_t wanted = (until - next) * kAudioSectorBytes;
        const std::uint64_t held = extent.bytesPresent > offset ? extent.bytesPresent - offset : 0;
        std::uint64_t bytes = std::min(wanted, held);
        bytes -= bytes % 4;
        if (bytes > 0) pieces.push_back({extent.file, extent.byteOffset + offset, bytes, extent.bigEndian});
        if (bytes < wanted) break;
        next = until;
    }
    return pieces;
}

}  // namespace quillon::audio
