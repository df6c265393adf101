// CD audio tracks for the built-in CD plug-in: a ".cda" track descriptor names the track, which
// is read from a CUE/BIN image in the descriptor's folder, else from the default CD drive.
#include <cdio/cdio.h>
#include <cdio/memory.h>
#include <cdio/logging.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <vector>

#include "audio/bass_layer.h"
#include "audio/bass_source.h"
#include "audio/cd_drive.h"

namespace quillon::audio {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kDescriptorSize = 44;
constexpr std::size_t kSectorBytes = CDIO_CD_FRAMESIZE_RAW;  // 2352
constexpr std::size_t kSectorFrames = kSectorBytes / 4;

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

bool ReadDescriptor(const std::string& path, unsigned& track) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec) || fs::file_size(path, ec) != kDescriptorSize) return false;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    unsigned char bytes[kDescriptorSize];
    const bool complete = std::fread(bytes, 1, sizeof bytes, file) == sizeof bytes;
    std::fclose(file);
    if (!complete || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "CDDA", 4) != 0)
        return false;
    track = bytes[22] | (bytes[23] << 8);
    return true;
}

bool HasCueExtension(const fs::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".cue";
}

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

bool IsAudioTrack(CdIo_t* cdio, unsigned track) {
    const track_t first = cdio_get_first_track_num(cdio);
    const track_t last = cdio_get_last_track_num(cdio);
    if (first == CDIO_INVALID_TRACK || last == CDIO_INVALID_TRACK) return false;
    if (track < first || track > last) return false;
    return cdio_get_track_format(cdio, static_cast<track_t>(track)) == TRACK_FORMAT_AUDIO;
}

// Reads one audio track: from an image directly (there are no read errors to correct, and
// a sheet may claim more sectors than its BIN holds), from a drive through cd-paranoia.
class CdTrackSource : public BassSource {
public:
    ~CdTrackSource() override {
        if (paranoia_) cdio_paranoia_free(paranoia_);
        if (drive_) cdio_cddap_close_no_free_cdio(drive_);
        if (cdio_) cdio_destroy(cdio_);
    }

    bool Start(CdIo_t* cdio, unsigned track, bool image, int& error) {
        cdio_ = cdio;
        const lsn_t firstSector = cdio_get_track_lsn(cdio_, static_cast<track_t>(track));
        const lsn_t lastSector = cdio_get_track_last_lsn(cdio_, static_cast<track_t>(track));
        if (firstSector == CDIO_INVALID_LSN || lastSector == CDIO_INVALID_LSN || lastSector < firstSector) {
            error = BASS_ERROR_FILEFORM;
            return false;
        }
        if (!image && !StartParanoia(firstSector, error)) return false;
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
        if (paranoia_) {
            const std::int16_t* sector = cdio_paranoia_read_limited(paranoia_, nullptr, kDriveRetries);
            if (!sector) return false;
            std::memcpy(sectorData_, sector, kSectorBytes);
            return true;
        }
        unsigned char raw[kSectorBytes];
        if (cdio_read_audio_sector(cdio_, raw, nextSector_) != DRIVER_OP_SUCCESS) return false;
        for (std::size_t i = 0; i < kSectorBytes / 2; ++i)
            sectorData_[i] = static_cast<std::int16_t>(raw[2 * i] | (raw[2 * i + 1] << 8));
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

}  // namespace

CdDriveFinder SetCdDriveFinder(CdDriveFinder finder) {
    std::lock_guard lock(FinderMutex());
    CdDriveFinder old = std::move(Finder());
    Finder() = std::move(finder);
    return old;
}

bool IsCdTrackDescriptor(const std::string& path) {
    unsigned track = 0;
    return ReadDescriptor(path, track);
}

std::unique_ptr<BassSource> OpenCdTrackSource(const std::string& path, int& error) {
    SilenceCdioLog();
    unsigned track = 0;
    if (!ReadDescriptor(path, track)) {
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }

    CdIo_t* cdio = nullptr;
    const std::vector<fs::path> sheets = CueSheetsBeside(path);
    if (!sheets.empty()) {
        for (const fs::path& sheet : sheets) {
            cdio = cdio_open_cue(sheet.c_str());
            if (cdio && IsAudioTrack(cdio, track)) break;
            if (cdio) cdio_destroy(cdio);
            cdio = nullptr;
        }
        if (!cdio) {
            error = BASS_ERROR_FILEFORM;
            return nullptr;
        }
    } else {
        std::string device;
        {
            std::lock_guard lock(FinderMutex());
            device = Finder() ? Finder()() : SystemDefaultDrive();
        }
        if (device.empty()) {
            error = BASS_ERROR_DEVICE;
            return nullptr;
        }
        cdio = cdio_open(device.c_str(), DRIVER_UNKNOWN);
        if (!cdio) {
            error = BASS_ERROR_DEVICE;
            return nullptr;
        }
        if (!IsAudioTrack(cdio, track)) {
            cdio_destroy(cdio);
            error = BASS_ERROR_NOTAVAIL;
            return nullptr;
        }
    }

    auto source = std::make_unique<CdTrackSource>();
    if (!source->Start(cdio, track, !sheets.empty(), error)) return nullptr;
    return source;
}

}  // namespace quillon::audio
