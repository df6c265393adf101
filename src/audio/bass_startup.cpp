#include "audio/bass_startup.h"

#include "audio/bass_layer.h"

namespace quillon::audio {

BassStartResult StartBassLibrary(const std::string& programFolder) {
    if ((BASS_GetVersion() >> 16) != BASSVERSION) return BassStartResult::WrongVersion;
    BASS_SetConfig(BASS_CONFIG_UPDATEPERIOD, 0);
    if (!BASS_Init(0, 44100, 0, nullptr, nullptr)) return BassStartResult::InitFailed;
    std::string folder = programFolder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    const char* const plugins[] = {"basscd.dll"};
    for (const char* name : plugins) BASS_PluginLoad((folder + name).c_str(), BASS_UNICODE);
    return BassStartResult::Started;
}

void ReleaseBassLibrary() { BASS_Free(); }

}  // namespace quillon::audio
