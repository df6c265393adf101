// Tracker modules (MOD, S3M, XM, IT, ...) through libopenmpt.
#include <libopenmpt/libopenmpt.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "audio/bass_layer.h"
#include "audio/bass_source.h"

namespace quillon::audio {

namespace {

// Modules are small; anything larger is not one worth loading into memory.
constexpr std::uint64_t kMaxModuleBytes = 64u << 20;

DWORD ModuleType(openmpt_module* module) {
    const char* type = openmpt_module_get_metadata(module, "type");
    DWORD result = BASS_CTYPE_MUSIC_MOD;
    if (type) {
        if (std::strcmp(type, "mtm") == 0) result = BASS_CTYPE_MUSIC_MTM;
        else if (std::strcmp(type, "s3m") == 0) result = BASS_CTYPE_MUSIC_S3M;
        else if (std::strcmp(type, "xm") == 0) result = BASS_CTYPE_MUSIC_XM;
        else if (std::strcmp(type, "it") == 0) result = BASS_CTYPE_MUSIC_IT;
        openmpt_free_string(type);
    }
    return result;
}

class ModuleSource : public BassSource {
public:
    ModuleSource(openmpt_module* module, bool mono) : module_(module), mono_(mono) {}
    ~ModuleSource() override { openmpt_module_destroy(module_); }

    std::size_t ReadFrames(std::int16_t* out, std::size_t frames) override {
        const auto rate = static_cast<std::int32_t>(freq);
        return mono_ ? openmpt_module_read_mono(module_, rate, frames, out)
                     : openmpt_module_read_interleaved_stereo(module_, rate, frames, out);
    }

private:
    openmpt_module* module_;
    bool mono_;
};

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& data, int& error) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = BASS_ERROR_FILEOPEN;
        return false;
    }
    if (static_cast<std::uint64_t>(st.st_size) > kMaxModuleBytes || st.st_size == 0) {
        error = BASS_ERROR_FILEFORM;
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = BASS_ERROR_FILEOPEN;
        return false;
    }
    data.resize(static_cast<std::size_t>(st.st_size));
    const std::size_t got = std::fread(data.data(), 1, data.size(), file);
    std::fclose(file);
    data.resize(got);
    return true;
}

}  // namespace

std::unique_ptr<BassSource> OpenModuleSource(const std::string& path, std::uint32_t freq, bool mono,
                                             bool ramp, int& error) {
    std::vector<unsigned char> data;
    if (!ReadWholeFile(path, data, error)) return nullptr;

    int openmptError = 0;
    openmpt_module* module =
        openmpt_module_create_from_memory2(data.data(), data.size(), openmpt_log_func_silent, nullptr,
                                           openmpt_error_func_ignore, nullptr, &openmptError, nullptr, nullptr);
    if (!module) {
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    auto source = std::make_unique<ModuleSource>(module, mono);
    // Volume ramping softens clicks; without the flag the notes start and stop hard.
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH, ramp ? -1 : 0);
    source->freq = freq;
    source->chans = mono ? 1 : 2;
    source->ctype = ModuleType(module);
    source->origres = 0;
    const double seconds = openmpt_module_get_duration_seconds(module);
    if (std::isfinite(seconds) && seconds >= 0.0 && seconds < 1e7) {
        source->frameCount = static_cast<std::uint64_t>(std::llround(seconds * freq));
        source->frameCountKnown = true;
    }
    // A module is not a stream: it has no file position to report.
    source->fileBytesKnown = false;
    return source;
}

}  // namespace quillon::audio
