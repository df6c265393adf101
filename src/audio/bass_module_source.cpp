// Tracker modules (MOD, S3M, XM, IT, ...) through libopenmpt.
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "audio/bass_layer.h"
#include "audio/bass_source.h"
#include "audio/regular_file.h"

namespace quillon::audio {

namespace {

// Modules are small; anything larger is not one worth loading into memory.
constexpr std::uint64_t kMaxModuleBytes = 64u << 20;
// Modules longer than this are not rendered a second time to count their frames.
constexpr double kMaxCountedSeconds = 3 * 3600.0;

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
        // Never past the length reported, so progress never passes its total.
        if (frameCountKnown)
            frames = static_cast<std::size_t>(std::min<std::uint64_t>(frames, frameCount - delivered_));
        if (frames == 0) return 0;
        const std::size_t got = Render(module_, static_cast<std::int32_t>(freq), mono_, out, frames);
        delivered_ += got;
        return got;
    }

    static std::size_t Render(openmpt_module* module, std::int32_t rate, bool mono, std::int16_t* out,
                              std::size_t frames) {
        return mono ? openmpt_module_read_mono(module, rate, frames, out)
                    : openmpt_module_read_interleaved_stereo(module, rate, frames, out);
    }

private:
    openmpt_module* module_;
    bool mono_;
    std::uint64_t delivered_ = 0;
};

openmpt_module* CreateModule(const std::vector<unsigned char>& data, bool ramp) {
    int openmptError = 0;
    openmpt_module* module =
        openmpt_module_create_from_memory2(data.data(), data.size(), openmpt_log_func_silent, nullptr,
                                           openmpt_error_func_ignore, nullptr, &openmptError, nullptr, nullptr);
    if (!module) return nullptr;
    // Volume ramping softens clicks; without the flag the notes start and stop hard.
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH, ramp ? -1 : 0);
    // The renderer dithers its 16-bit output by default, with noise that differs on every
    // decode; the samples must come from the module alone.
    openmpt_module_ctl_set_integer(module, "dither", 0);
    return module;
}

// The frames the module really renders, counted by rendering it once with the same settings:
// the duration it reports is rounded and can be off by a block or more.
bool CountFrames(const std::vector<unsigned char>& data, std::uint32_t freq, bool mono, bool ramp,
                 std::uint64_t& frames) {
    openmpt_module* module = CreateModule(data, ramp);
    if (!module) return false;
    std::vector<std::int16_t> scratch(4096 * 2);
    frames = 0;
    std::size_t got;
    while ((got = ModuleSource::Render(module, static_cast<std::int32_t>(freq), mono, scratch.data(), 4096)) > 0)
        frames += got;
    openmpt_module_destroy(module);
    return true;
}

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& data, int& error) {
    std::uint64_t size = 0;
    std::FILE* file = OpenRegularFile(path, &size);
    if (!file) {
        error = BASS_ERROR_FILEOPEN;
        return false;
    }
    if (size > kMaxModuleBytes || size == 0) {
        std::fclose(file);
        error = BASS_ERROR_FILEFORM;
        return false;
    }
    data.resize(static_cast<std::size_t>(size));
    const std::size_t got = std::fread(data.data(), 1, data.size(), file);
    std::fclose(file);
    data.resize(got);
    return true;
}

}  // namespace

std::unique_ptr<BassSource> OpenModuleSource(const std::string& path, std::uint32_t freq, bool mono, bool ramp,
                                             bool prescan, int& error) {
    std::vector<unsigned char> data;
    if (!ReadWholeFile(path, data, error)) return nullptr;

    openmpt_module* module = CreateModule(data, ramp);
    if (!module) {
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    auto source = std::make_unique<ModuleSource>(module, mono);
    source->freq = freq;
    source->chans = mono ? 1 : 2;
    source->ctype = ModuleType(module);
    source->origres = 0;
    const double seconds = openmpt_module_get_duration_seconds(module);
    if (std::isfinite(seconds) && seconds >= 0.0 && seconds < kMaxCountedSeconds && prescan) {
        if (!CountFrames(data, freq, mono, ramp, source->frameCount)) {
            error = BASS_ERROR_FILEFORM;
            return nullptr;
        }
        source->frameCountKnown = true;
    } else if (std::isfinite(seconds) && seconds >= 0.0 && seconds < 1e7) {
        // Too long to render twice: the estimate, which delivery then never passes.
        source->frameCount = static_cast<std::uint64_t>(std::llround(seconds * freq));
        source->frameCountKnown = true;
    }
    // A module is not a stream: it has no file position to report.
    source->fileBytesKnown = false;
    return source;
}

}  // namespace quillon::audio
