#include "audio/bass_layer.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio/bass_source.h"
#include "util/text.h"

namespace quillon::audio {

namespace {

constexpr QWORD kError64 = ~QWORD{0};
constexpr DWORD kError32 = ~DWORD{0};
constexpr HPLUGIN kCdPlugin = 0x40000001;

struct Channel {
    std::unique_ptr<BassSource> source;
    bool music = false;
    bool prescanned = true;
    bool ended = false;
    QWORD position = 0;
    std::string filename;
    std::vector<std::int16_t> scratch;
};

struct LayerState {
    std::mutex mutex;
    bool initialised = false;
    bool cdPlugin = false;
    DWORD updatePeriod = 100;
    DWORD nextHandle = 1;
    std::map<DWORD, Channel> channels;
};

LayerState& State() {
    static LayerState state;
    return state;
}

thread_local int lastError = BASS_OK;

template <typename T>
T Fail(int code, T result) {
    lastError = code;
    return result;
}

template <typename T>
T Succeed(T result) {
    lastError = BASS_OK;
    return result;
}

std::string BaseNameLower(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    return util::LowerAscii(slash == std::string::npos ? path : path.substr(slash + 1));
}

DWORD ChannelBlock(const Channel& ch) { return ch.source->chans * 2; }

// Call with the mutex held.
Channel* Find(DWORD handle) {
    auto& state = State();
    auto it = state.channels.find(handle);
    return it == state.channels.end() ? nullptr : &it->second;
}

DWORD AddChannel(Channel&& channel) {
    auto& state = State();
    // Handles are never 0 and, after a wrap-around, never one still in use.
    DWORD handle;
    do {
        handle = state.nextHandle++;
        if (state.nextHandle == 0) state.nextHandle = 1;
    } while (state.channels.count(handle) != 0);
    state.channels.emplace(handle, std::move(channel));
    return handle;
}

BOOL FreeChannel(DWORD handle, bool music) {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    auto it = state.channels.find(handle);
    if (it == state.channels.end() || it->second.music != music) return Fail(BASS_ERROR_HANDLE, 0);
    state.channels.erase(it);
    return Succeed(1);
}

}  // namespace

DWORD BASS_GetVersion() { return (BASSVERSION << 16) | 0x1100; }

int BASS_ErrorGetCode() { return lastError; }

BOOL BASS_SetConfig(DWORD option, DWORD value) {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    if (option != BASS_CONFIG_UPDATEPERIOD) return Fail(BASS_ERROR_ILLTYPE, 0);
    // 0 turns the playback updates off; otherwise 5 to 100 milliseconds.
    state.updatePeriod = value == 0 ? 0 : std::clamp<DWORD>(value, 5, 100);
    return Succeed(1);
}

DWORD BASS_GetConfig(DWORD option) {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    if (option != BASS_CONFIG_UPDATEPERIOD) return Fail(BASS_ERROR_ILLTYPE, kError32);
    return Succeed(state.updatePeriod);
}

BOOL BASS_Init(int device, DWORD /*freq*/, DWORD /*flags*/, void* /*window*/, const void* /*classId*/) {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    if (device != 0) return Fail(BASS_ERROR_DEVICE, 0);
    if (state.initialised) return Fail(BASS_ERROR_ALREADY, 0);
    state.initialised = true;
    return Succeed(1);
}

BOOL BASS_Free() {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    if (!state.initialised) return Fail(BASS_ERROR_INIT, 0);
    state.channels.clear();
    state.initialised = false;
    return Succeed(1);
}

HPLUGIN BASS_PluginLoad(const char* file, DWORD /*flags*/) {
    if (!file) return Fail(BASS_ERROR_FILEOPEN, HPLUGIN{0});
    const std::string name = BaseNameLower(file);
    if (name != "basscd.dll" && name != "libbasscd.so") return Fail(BASS_ERROR_FILEOPEN, HPLUGIN{0});
    auto& state = State();
    std::lock_guard lock(state.mutex);
    if (state.cdPlugin) return Fail(BASS_ERROR_ALREADY, HPLUGIN{0});
    state.cdPlugin = true;
    return Succeed(kCdPlugin);
}

BOOL BASS_PluginFree(HPLUGIN handle) {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    if ((handle != kCdPlugin && handle != 0) || !state.cdPlugin) return Fail(BASS_ERROR_HANDLE, 0);
    state.cdPlugin = false;
    return Succeed(1);
}

namespace {

// The checks both ways of opening a file share. BASS_OK when the request can be served.
int CheckOpenRequest(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags, DWORD refusedFlags) {
    {
        std::lock_guard lock(State().mutex);
        if (!State().initialised) return BASS_ERROR_INIT;
    }
    if (!file) return BASS_ERROR_FILEOPEN;
    // Memory files, parts of files, playback and other sample formats are not offered.
    if (mem || offset != 0 || length != 0) return BASS_ERROR_NOTAVAIL;
    if (!(flags & BASS_STREAM_DECODE)) return BASS_ERROR_NOTAVAIL;
    if (flags & refusedFlags) return BASS_ERROR_FORMAT;
    return BASS_OK;
}

DWORD RegisterChannel(std::unique_ptr<BassSource> source, int error, bool music, bool prescanned,
                      const std::string& path) {
    if (!source) return Fail(error == BASS_OK ? BASS_ERROR_UNKNOWN : error, DWORD{0});
    Channel channel;
    channel.source = std::move(source);
    channel.music = music;
    channel.prescanned = prescanned;
    channel.filename = path;
    std::lock_guard lock(State().mutex);
    // Released while the file was being opened.
    if (!State().initialised) return Fail(BASS_ERROR_INIT, DWORD{0});
    return Succeed(AddChannel(std::move(channel)));
}

}  // namespace

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags) {
    const int refused =
        CheckOpenRequest(mem, file, offset, length, flags, BASS_SAMPLE_8BITS | BASS_SAMPLE_FLOAT | BASS_SAMPLE_MONO);
    if (refused != BASS_OK) return Fail(refused, HSTREAM{0});

    const std::string path = static_cast<const char*>(file);
    bool cdPlugin;
    {
        std::lock_guard lock(State().mutex);
        cdPlugin = State().cdPlugin;
    }
    int error = BASS_OK;
    std::unique_ptr<BassSource> source =
        cdPlugin && IsCdTrackDescriptor(path) ? OpenCdTrackSource(path, error) : OpenSoundFileSource(path, error);
    return RegisterChannel(std::move(source), error, false, true, path);
}

HMUSIC BASS_MusicLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD flags, DWORD freq) {
    const int refused = CheckOpenRequest(mem, file, offset, length, flags, BASS_SAMPLE_8BITS | BASS_SAMPLE_FLOAT);
    if (refused != BASS_OK) return Fail(refused, HMUSIC{0});
    if (freq != 0 && (freq < 1000 || freq > 384000)) return Fail(BASS_ERROR_ILLPARAM, HMUSIC{0});

    const std::string path = static_cast<const char*>(file);
    int error = BASS_OK;
    auto source =
        OpenModuleSource(path, freq == 0 ? 44100 : freq, (flags & BASS_SAMPLE_MONO) != 0,
                         (flags & (BASS_MUSIC_RAMP | BASS_MUSIC_RAMPS)) != 0, (flags & BASS_MUSIC_PRESCAN) != 0, error);
    return RegisterChannel(std::move(source), error, true, (flags & BASS_MUSIC_PRESCAN) != 0, path);
}

BOOL BASS_StreamFree(HSTREAM handle) { return FreeChannel(handle, false); }

BOOL BASS_MusicFree(HMUSIC handle) { return FreeChannel(handle, true); }

BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info) {
    std::lock_guard lock(State().mutex);
    Channel* ch = Find(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, 0);
    if (!info) return Fail(BASS_ERROR_ILLPARAM, 0);
    std::memset(info, 0, sizeof *info);
    info->freq = ch->source->freq;
    info->chans = ch->source->chans;
    info->flags = ch->music ? BASS_MUSIC_DECODE : BASS_STREAM_DECODE;
    info->ctype = ch->source->ctype;
    info->origres = ch->source->origres;
    info->plugin = ch->source->ctype == BASS_CTYPE_STREAM_CD ? kCdPlugin : 0;
    info->filename = ch->filename.c_str();
    return Succeed(1);
}

QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode) {
    std::lock_guard lock(State().mutex);
    Channel* ch = Find(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, kError64);
    if (mode != BASS_POS_BYTE) return Fail(BASS_ERROR_NOTAVAIL, kError64);
    // A module's length is known only when it was scanned at load time.
    if (!ch->source->frameCountKnown || (ch->music && !ch->prescanned)) return Fail(BASS_ERROR_NOTAVAIL, kError64);
    return Succeed(ch->source->frameCount * ChannelBlock(*ch));
}

QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode) {
    std::lock_guard lock(State().mutex);
    Channel* ch = Find(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, kError64);
    if (mode != BASS_POS_BYTE) return Fail(BASS_ERROR_NOTAVAIL, kError64);
    return Succeed(ch->position);
}

double BASS_ChannelBytes2Seconds(DWORD handle, QWORD position) {
    std::lock_guard lock(State().mutex);
    Channel* ch = Find(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, -1.0);
    if (position == kError64) return Fail(BASS_ERROR_ILLPARAM, -1.0);
    const double bytesPerSecond = static_cast<double>(ch->source->freq) * ChannelBlock(*ch);
    if (bytesPerSecond <= 0.0) return Fail(BASS_ERROR_NOTAVAIL, -1.0);
    return Succeed(static_cast<double>(position) / bytesPerSecond);
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
    std::lock_guard lock(State().mutex);
    Channel* ch = Find(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, kError32);
    // Nothing is buffered ahead for a decoding channel; FFT and level requests are not offered.
    if (length == BASS_DATA_AVAILABLE) return Succeed(DWORD{0});
    if (length & ~BASS_DATA_LENGTH_MASK) return Fail(BASS_ERROR_NOTAVAIL, kError32);
    if (!buffer) return Fail(BASS_ERROR_ILLPARAM, kError32);
    if (ch->ended) return Fail(BASS_ERROR_ENDED, kError32);

    // Whole sample frames only, so the result never exceeds the length asked for.
    const DWORD block = ChannelBlock(*ch);
    const std::size_t frames = length / block;
    if (frames == 0) return Succeed(DWORD{0});
    ch->scratch.resize(frames * ch->source->chans);
    const std::size_t got = ch->source->ReadFrames(ch->scratch.data(), frames);
    if (got == 0) {
        ch->ended = true;
        return Fail(BASS_ERROR_ENDED, kError32);
    }
    const std::size_t bytes = std::min(got, frames) * block;
    std::memcpy(buffer, ch->scratch.data(), bytes);
    ch->position += bytes;
    return Succeed(static_cast<DWORD>(bytes));
}

QWORD BASS_StreamGetFilePosition(HSTREAM handle, DWORD mode) {
    std::lock_guard lock(State().mutex);
    Channel* ch = Find(handle);
    if (!ch || ch->music) return Fail(BASS_ERROR_HANDLE, kError64);
    switch (mode) {
    case BASS_FILEPOS_START: return Succeed(QWORD{0});
    case BASS_FILEPOS_END:
        if (!ch->source->fileBytesKnown) return Fail(BASS_ERROR_NOTFILE, kError64);
        return Succeed(ch->source->fileBytes);
    default: return Fail(BASS_ERROR_NOTAVAIL, kError64);
    }
}

}  // namespace quillon::audio
