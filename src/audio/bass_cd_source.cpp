// CD audio tracks for the built-in CD plug-in: a ".cda" track descriptor names the track, which
// is read from a CUE/BIN image in the descriptor's folder, else from the default CD drive.
#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/memory.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <vector>

#include "audio/bass_layer.h"
#include "audio/bass_source.h"
#include "audio/cd_drive.h"
#include "audio/cue_sheet.h"
#include "audio/regular_file.h"
#include "util/text.h"

namespace quillon::audio {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kDescriptorSize = 44;
constexpr std::size_t kSectorBytes = CDIO_CD_FRAMESIZE_RAW;  // 2352
constexpr std::size_t kSectorFrames = kSectorBytes / 4;
// Sheets are small text files; anything larger is not one.
constexpr std::size_t kMaxSheetBytes = 1u << 20;

std::mutex& FinderMutex() {
    static std::mutex mutex;
    return mutex;
}

CdDriveFinder& Finder() {
    static CdDriveFinder finder;
    return finder;
}

std::string SystemDefaultDrive() {
    char* device = cdio_get_default_device(nullptr);
    if (!device) return {};
    std::string result = device;
    cdio_free(device);
    return result;
}

void SilenceCdioLog() {
    // libcdio reports image and drive trouble on stderr; the layer reports it through its error codes.
    static std::once_flag once;
    std::call_once(once, [] { cdio_log_set_handler([](cdio_log_level_t, const char*) {}); });
}

struct TrackDescriptor {
    unsigned track = 0;
    std::uint32_t serial = 0;
    std::uint32_t start = 0;
    std::uint32_t sectors = 0;
};

std::uint32_t Le32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24); }

bool ReadDescriptor(const std::string& path, TrackDescriptor& descriptor) {
    std::FILE* file = OpenRegularFile(path);
    if (!file) return false;
    unsigned char bytes[kDescriptorSize + 1];
    const bool complete = std::fread(bytes, 1, sizeof bytes, file) == kDescriptorSize;
    std::fclose(file);
    if (!complete || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "CDDA", 4) != 0) return false;
    descriptor.track = bytes[22] | (bytes[23] << 8);
    descriptor.serial = Le32(bytes + 24);
    descriptor.start = Le32(bytes + 28);
    descriptor.sectors = Le32(bytes + 32);
    return true;
}

bool HasCueExtension(const fs::path& path) { return util::LowerAscii(path.extension().string()) == ".cue"; }

std::vector<fs::path> CueSheetsBeside(const std::string& descriptor) {
    std::vector<fs::path> sheets;
    std::error_code ec;
    fs::path folder = fs::path(descriptor).parent_path();
    if (folder.empty()) folder = ".";
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (HasCueExtension(it->path()) && it->is_regular_file(ec)) sheets.push_back(it->path());
    }
    std::sort(sheets.begin(), sheets.end());
    return sheets;
}

// The image file a sheet names: as written (relative to the sheet), by its bare name beside
// the sheet, then in any letter case, since sheets are often written on other systems.
fs::path FindImageFile(const fs::path& folder, const std::string& written) {
    std::string name = written;
    std::replace(name.begin(), name.end(), '\\', '/');
    std::error_code ec;
    const fs::path asWritten(name);
    if (asWritten.is_relative() && fs::is_regular_file(folder / asWritten, ec)) return folder / asWritten;
    const std::string bare = asWritten.filename().string();
    if (bare.empty()) return {};
    if (fs::is_regular_file(folder / bare, ec)) return folder / bare;
    const std::string lower = util::LowerAscii(bare);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (util::LowerAscii(it->path().filename().string()) == lower && it->is_regular_file(ec)) return it->path();
    }
    return {};
}

// A sheet with its image: the files it reads, their layout, and the disc's serial number.
struct ImageDisc {
    std::vector<fs::path> files;
    DiscLayout layout;
    std::uint32_t serial = 0;
};

bool LoadImageDisc(const fs::path& sheetPath, ImageDisc& disc) {
    std::FILE* file = OpenRegularFile(sheetPath.string());
    if (!file) return false;
    std::string text(kMaxSheetBytes + 1, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    CueSheet sheet;
    if (text.size() > kMaxSheetBytes || !ParseCueSheet(text, sheet)) return false;

    const fs::path folder = sheetPath.parent_path();
    std::vector<std::uint64_t> sizes;
    for (const CueFile& named : sheet.files) {
        fs::path found = FindImageFile(folder, named.name);
        // A sheet of one image that was renamed with it: the image under the sheet's own name.
        if (found.empty() && sheet.files.size() == 1) {
            for (const char* ext : {".bin", ".img"}) {
                found = FindImageFile(folder, sheetPath.stem().string() + ext);
                if (!found.empty()) break;
            }
        }
        std::error_code ec;
        const std::uintmax_t size = found.empty() ? 0 : fs::file_size(found, ec);
        if (found.empty() || ec) return false;
        disc.files.push_back(found);
        sizes.push_back(size);
    }
    if (!LayOutDisc(sheet, sizes, disc.layout)) return false;
    disc.serial = DiscSerial(disc.layout);
    return true;
}

// How well a disc fits the descriptor; -1 when it is not the descriptor's disc. The track must
// start where the descriptor says and be as long, and the serial number tells discs of one
// layout apart. The last track of an image file may be shorter (its file may have been cut),
// but then the serial number must agree.
int MatchScore(const ImageDisc& disc, const TrackDescriptor& descriptor, std::size_t& trackIndex) {
    for (std::size_t i = 0; i < disc.layout.tracks.size(); ++i) {
        const DiscTrack& track = disc.layout.tracks[i];
        if (track.number != descriptor.track) continue;
        if (!track.audio || track.start != descriptor.start) return -1;
        const bool serial = disc.serial == descriptor.serial;
        trackIndex = i;
        if (track.sectors == descriptor.sectors) return serial ? 3 : 2;
        return track.lastOfItsFile && track.sectors < descriptor.sectors && serial ? 1 : -1;
    }
    return -1;
}

bool IsAudioTrack(CdIo_t* cdio, unsigned track) {
    const track_t first = cdio_get_first_track_num(cdio);
    const track_t last = cdio_get_last_track_num(cdio);
    if (first == CDIO_INVALID_TRACK || last == CDIO_INVALID_TRACK) return false;
    if (track < first || track > last) return false;
    return cdio_get_track_format(cdio, static_cast<track_t>(track)) == TRACK_FORMAT_AUDIO;
}

// Reads one audio track from a drive through cd-paranoia, which corrects read errors.
class CdTrackSource : public BassSource {
public:
    ~CdTrackSource() override {
        if (paranoia_) cdio_paranoia_free(paranoia_);
        if (drive_) cdio_cddap_close_no_free_cdio(drive_);
        if (cdio_) cdio_destroy(cdio_);
    }

    bool Start(CdIo_t* cdio, unsigned track, int& error) {
        cdio_ = cdio;
        const lsn_t firstSector = cdio_get_track_lsn(cdio_, static_cast<track_t>(track));
        const lsn_t lastSector = cdio_get_track_last_lsn(cdio_, static_cast<track_t>(track));
        if (firstSector == CDIO_INVALID_LSN || lastSector == CDIO_INVALID_LSN || lastSector < firstSector) {
            error = BASS_ERROR_FILEFORM;
            return false;
        }
        if (!StartParanoia(firstSector, error)) return false;
        nextSector_ = firstSector;
        lastSector_ = lastSector;
        const auto sectors = static_cast<std::uint64_t>(lastSector - firstSector + 1);
        freq = 44100;
        chans = 2;
        ctype = BASS_CTYPE_STREAM_CD;
        origres = 16;
        frameCount = sectors * kSectorFrames;
        frameCountKnown = true;
        // The track's audio data stands for the file, so the bit rate reads as CD audio's.
        fileBytes = sectors * kSectorBytes;
        fileBytesKnown = true;
        return true;
    }

    std::size_t ReadFrames(std::int16_t* out, std::size_t frames) override {
        std::size_t done = 0;
        while (done < frames) {
            if (held_ == used_) {
                if (nextSector_ > lastSector_ || !ReadSector()) break;
                ++nextSector_;
                held_ = kSectorFrames;
                used_ = 0;
            }
            const std::size_t take = std::min(frames - done, held_ - used_);
            std::memcpy(out + done * 2, sectorData_ + used_ * 2, take * 4);
            used_ += take;
            done += take;
        }
        return done;
    }

private:
    bool StartParanoia(lsn_t firstSector, int& error) {
        drive_ = cdio_cddap_identify_cdio(cdio_, CDDA_MESSAGE_FORGETIT, nullptr);
        if (!drive_) {
            error = BASS_ERROR_DEVICE;
            return false;
        }
        // MMC drives deliver little-endian samples; guessing the order from the music can
        // swap the bytes of an unusual track.
        drive_->bigendianp = 0;
        if (cdio_cddap_open(drive_) != 0) {
            error = BASS_ERROR_DEVICE;
            return false;
        }
        paranoia_ = cdio_paranoia_init(drive_);
        if (!paranoia_) {
            error = BASS_ERROR_MEM;
            return false;
        }
        cdio_paranoia_modeset(paranoia_, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
        if (cdio_paranoia_seek(paranoia_, firstSector, SEEK_SET) < 0) {
            error = BASS_ERROR_FILEFORM;
            return false;
        }
        return true;
    }

    bool ReadSector() {
        const std::int16_t* sector = cdio_paranoia_read_limited(paranoia_, nullptr, kDriveRetries);
        if (!sector) return false;
        std::memcpy(sectorData_, sector, kSectorBytes);
        return true;
    }

    static constexpr int kDriveRetries = 20;

    CdIo_t* cdio_ = nullptr;
    cdrom_drive_t* drive_ = nullptr;
    cdrom_paranoia_t* paranoia_ = nullptr;
    lsn_t nextSector_ = 0;
    lsn_t lastSector_ = -1;
    std::int16_t sectorData_[kSectorBytes / 2] = {};
    std::size_t held_ = 0;
    std::size_t used_ = 0;
};

// Reads one audio track of a disc image straight from its files: only bytes the files hold
// reach the output, as many as they hold.
class ImageTrackSource : public BassSource {
public:
    ImageTrackSource(std::vector<fs::path> files, std::vector<TrackPiece> pieces)
        : files_(std::move(files)), pieces_(std::move(pieces)) {}
    ~ImageTrackSource() override {
        if (open_) std::fclose(open_);
    }

    std::size_t ReadFrames(std::int16_t* out, std::size_t frames) override {
        std::size_t done = 0;
        while (done < frames && piece_ < pieces_.size()) {
            const TrackPiece& piece = pieces_[piece_];
            if (!open_ && !OpenPiece(piece)) break;
            const std::uint64_t left = piece.bytes - used_;
            const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>((frames - done) * 4, left));
            auto* bytes = reinterpret_cast<unsigned char*>(out + done * 2);
            const std::size_t got = std::fread(bytes, 1, take, open_);
            const std::size_t whole = got - got % 4;
            for (std::size_t i = 0; i < whole / 2; ++i) {
                const unsigned char a = bytes[2 * i], b = bytes[2 * i + 1];
                out[done * 2 + i] =
                    piece.bigEndian ? static_cast<std::int16_t>((a << 8) | b) : static_cast<std::int16_t>(a | (b << 8));
            }
            done += whole / 4;
            used_ += whole;
            if (got < take) {
                // The file shrank since the track was opened: what is left is not there.
                piece_ = pieces_.size();
                break;
            }
            if (used_ == piece.bytes) NextPiece();
        }
        return done;
    }

private:
    bool OpenPiece(const TrackPiece& piece) {
        open_ = OpenRegularFile(files_[piece.file].string());
        if (!open_ || fseeko(open_, static_cast<off_t>(piece.offset), SEEK_SET) != 0) {
            piece_ = pieces_.size();
            return false;
        }
        used_ = 0;
        return true;
    }

    void NextPiece() {
        std::fclose(open_);
        open_ = nullptr;
        ++piece_;
        used_ = 0;
    }

    std::vector<fs::path> files_;
    std::vector<TrackPiece> pieces_;
    std::size_t piece_ = 0;
    std::uint64_t used_ = 0;
    std::FILE* open_ = nullptr;
};

std::unique_ptr<BassSource> OpenImageTrack(const std::vector<fs::path>& sheets, const TrackDescriptor& descriptor,
                                           int& error) {
    int best = -1;
    ImageDisc chosen;
    std::vector<TrackPiece> chosenPieces;
    bool ambiguous = false;
    for (const fs::path& sheet : sheets) {
        ImageDisc disc;
        std::size_t trackIndex = 0;
        if (!LoadImageDisc(sheet, disc)) continue;
        const int score = MatchScore(disc, descriptor, trackIndex);
        if (score < 0 || score < best) continue;
        std::vector<TrackPiece> pieces = TrackPieces(disc.layout, trackIndex);
        if (score == best) {
            // Two sheets of one image (a copy of the sheet, say) are one disc.
            const bool same = pieces.size() == chosenPieces.size() &&
                              std::equal(pieces.begin(), pieces.end(), chosenPieces.begin(),
                                         [&](const TrackPiece& a, const TrackPiece& b) {
                                             std::error_code ec;
                                             return a.offset == b.offset && a.bytes == b.bytes &&
                                                    fs::equivalent(disc.files[a.file], chosen.files[b.file], ec);
                                         });
            ambiguous = ambiguous || !same;
            continue;
        }
        best = score;
        ambiguous = false;
        chosen = std::move(disc);
        chosenPieces = std::move(pieces);
    }
    // No disc, or two discs that fit equally well: the wrong disc's sound is no answer.
    if (best < 0 || ambiguous) {
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    std::uint64_t bytes = 0;
    for (const TrackPiece& piece : chosenPieces) bytes += piece.bytes;
    if (bytes == 0) {
        // The image holds none of the track.
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    auto source = std::make_unique<ImageTrackSource>(std::move(chosen.files), std::move(chosenPieces));
    source->freq = 44100;
    source->chans = 2;
    source->ctype = BASS_CTYPE_STREAM_CD;
    source->origres = 16;
    // The length is what the image really holds of the track, so that it is what is delivered.
    source->frameCount = bytes / 4;
    source->frameCountKnown = true;
    // The track's audio data stands for the file, so the bit rate reads as CD audio's.
    source->fileBytes = bytes;
    source->fileBytesKnown = true;
    return source;
}

}  // namespace

CdDriveFinder SetCdDriveFinder(CdDriveFinder finder) {
    std::lock_guard lock(FinderMutex());
    CdDriveFinder old = std::move(Finder());
    Finder() = std::move(finder);
    return old;
}

bool IsCdTrackDescriptor(const std::string& path) {
    TrackDescriptor descriptor;
    return ReadDescriptor(path, descriptor);
}

std::unique_ptr<BassSource> OpenCdTrackSource(const std::string& path, int& error) {
    SilenceCdioLog();
    TrackDescriptor descriptor;
    if (!ReadDescriptor(path, descriptor)) {
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }

    const std::vector<fs::path> sheets = CueSheetsBeside(path);
    if (!sheets.empty()) return OpenImageTrack(sheets, descriptor, error);

    std::string device;
    {
        std::lock_guard lock(FinderMutex());
        device = Finder() ? Finder()() : SystemDefaultDrive();
    }
    if (device.empty()) {
        error = BASS_ERROR_DEVICE;
        return nullptr;
    }
    CdIo_t* cdio = cdio_open(device.c_str(), DRIVER_UNKNOWN);
    if (!cdio) {
        error = BASS_ERROR_DEVICE;
        return nullptr;
    }
    if (!IsAudioTrack(cdio, descriptor.track)) {
        cdio_destroy(cdio);
        error = BASS_ERROR_NOTAVAIL;
        return nullptr;
    }
    auto source = std::make_unique<CdTrackSource>();
    if (!source->Start(cdio, descriptor.track, error)) return nullptr;
    return source;
}

}  // namespace quillon::audio
