// Sound files (WAV, AIFF, FLAC, Ogg, MP3, ...) through libsndfile.
#include <sndfile.h>
#include <unistd.h>

#include <cstdio>

#include <vector>

#include "audio/bass_layer.h"
#include "audio/bass_source.h"
#include "audio/regular_file.h"

namespace quillon::audio {

namespace {

DWORD ChannelType(int format) {
    switch (format & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
    case SF_FORMAT_RF64: {
        const int sub = format & SF_FORMAT_SUBMASK;
        return (sub == SF_FORMAT_FLOAT || sub == SF_FORMAT_DOUBLE) ? BASS_CTYPE_STREAM_WAV_FLOAT
                                                                   : BASS_CTYPE_STREAM_WAV_PCM;
    }
    case SF_FORMAT_AIFF: return BASS_CTYPE_STREAM_AIFF;
    case SF_FORMAT_OGG: return BASS_CTYPE_STREAM_OGG;
    case SF_FORMAT_MPEG: return BASS_CTYPE_STREAM_MP3;
    case SF_FORMAT_FLAC: return BASS_CTYPE_STREAM_FLAC;
    default: return BASS_CTYPE_STREAM;
    }
}

DWORD OriginalResolution(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8: return 8;
    case SF_FORMAT_PCM_16: return 16;
    case SF_FORMAT_PCM_24: return 24;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT: return 32;
    default: return 0;
    }
}

class SoundFileSource : public BassSource {
public:
    explicit SoundFileSource(SNDFILE* file) : file_(file) {}
    ~SoundFileSource() override { sf_close(file_); }

    std::size_t ReadFrames(std::int16_t* out, std::size_t frames) override {
        const sf_count_t got = sf_readf_short(file_, out, static_cast<sf_count_t>(frames));
        return got > 0 ? static_cast<std::size_t>(got) : 0;
    }

private:
    SNDFILE* file_;
};

}  // namespace

std::unique_ptr<BassSource> OpenSoundFileSource(const std::string& path, int& error) {
    std::uint64_t size = 0;
    std::FILE* opened = OpenRegularFile(path, &size);
    if (!opened) {
        error = BASS_ERROR_FILEOPEN;
        return nullptr;
    }
    // libsndfile reads through its own descriptor, which it closes with the file.
    const int fd = dup(fileno(opened));
    std::fclose(opened);
    if (fd < 0) {
        error = BASS_ERROR_FILEOPEN;
        return nullptr;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open_fd(fd, SFM_READ, &info, SF_TRUE);
    if (!file) {
        error = sf_error(nullptr) == SF_ERR_SYSTEM ? BASS_ERROR_FILEOPEN : BASS_ERROR_FILEFORM;
        return nullptr;
    }
    if (info.channels <= 0 || info.samplerate <= 0) {
        sf_close(file);
        error = BASS_ERROR_FORMAT;
        return nullptr;
    }
    auto source = std::make_unique<SoundFileSource>(file);
    // Float samples beyond full scale are clipped instead of wrapping round.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    source->freq = static_cast<std::uint32_t>(info.samplerate);
    source->chans = static_cast<std::uint32_t>(info.channels);
    source->ctype = ChannelType(info.format);
    source->origres = OriginalResolution(info.format);
    source->fileBytes = size;
    source->fileBytesKnown = true;
    if (info.frames >= 0 && info.frames < SF_COUNT_MAX) {
        source->frameCount = static_cast<std::uint64_t>(info.frames);
        source->frameCountKnown = true;
    } else if (info.seekable) {
        // Some codecs cannot tell their length in advance: count the frames once.
        std::vector<std::int16_t> scratch(4096 * static_cast<std::size_t>(info.channels));
        std::uint64_t total = 0;
        sf_count_t got;
        while ((got = sf_readf_short(file, scratch.data(), 4096)) > 0) total += static_cast<std::uint64_t>(got);
        if (sf_seek(file, 0, SEEK_SET) == 0) {
            source->frameCount = total;
            source->frameCountKnown = true;
        } else {
            error = BASS_ERROR_FILEFORM;
            return nullptr;
        }
    }
    return source;
}

}  // namespace quillon::audio
