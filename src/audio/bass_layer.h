#pragma once
// The BASS 2.4 calls the program uses, provided by the program itself on libsndfile (sound
// files), libopenmpt (tracker modules) and libcdio (CD audio, through the built-in CD plug-in).
// Arguments, results and error codes follow the BASS interface; there is no sound output, so
// only the no-sound device and decoding channels exist. Paths are UTF-8 with or without
// BASS_UNICODE.

#include <cstdint>

namespace quillon::audio {

using BOOL = int;
using DWORD = std::uint32_t;
using QWORD = std::uint64_t;
using HSTREAM = DWORD;
using HMUSIC = DWORD;
using HPLUGIN = DWORD;

// BASS_GetVersion: 2.4.x in the high word.
constexpr DWORD BASSVERSION = 0x204;

// Error codes (BASS_ErrorGetCode).
constexpr int BASS_OK = 0;
constexpr int BASS_ERROR_MEM = 1;
constexpr int BASS_ERROR_FILEOPEN = 2;
constexpr int BASS_ERROR_HANDLE = 5;
constexpr int BASS_ERROR_FORMAT = 6;
constexpr int BASS_ERROR_INIT = 8;
constexpr int BASS_ERROR_ALREADY = 14;
constexpr int BASS_ERROR_ILLTYPE = 19;
constexpr int BASS_ERROR_ILLPARAM = 20;
constexpr int BASS_ERROR_DEVICE = 23;
constexpr int BASS_ERROR_NOTFILE = 27;
constexpr int BASS_ERROR_NOTAVAIL = 37;
constexpr int BASS_ERROR_FILEFORM = 41;
constexpr int BASS_ERROR_ENDED = 45;
constexpr int BASS_ERROR_UNKNOWN = -1;

// Configuration options.
constexpr DWORD BASS_CONFIG_UPDATEPERIOD = 1;

// Flags.
constexpr DWORD BASS_SAMPLE_8BITS = 0x1;
constexpr DWORD BASS_SAMPLE_MONO = 0x2;
constexpr DWORD BASS_SAMPLE_FLOAT = 0x100;
constexpr DWORD BASS_MUSIC_RAMP = 0x200;
constexpr DWORD BASS_MUSIC_RAMPS = 0x400;
constexpr DWORD BASS_MUSIC_PRESCAN = 0x20000;
constexpr DWORD BASS_STREAM_DECODE = 0x200000;
constexpr DWORD BASS_MUSIC_DECODE = BASS_STREAM_DECODE;
constexpr DWORD BASS_UNICODE = 0x80000000u;

// Position modes.
constexpr DWORD BASS_POS_BYTE = 0;
constexpr DWORD BASS_FILEPOS_CURRENT = 0;
constexpr DWORD BASS_FILEPOS_END = 2;
constexpr DWORD BASS_FILEPOS_START = 3;

// BASS_ChannelGetData: a byte count, or one of these flags.
constexpr DWORD BASS_DATA_AVAILABLE = 0;
constexpr DWORD BASS_DATA_LENGTH_MASK = 0x0FFFFFFF;

// Channel types (BASS_CHANNELINFO.ctype).
constexpr DWORD BASS_CTYPE_STREAM = 0x10000;
constexpr DWORD BASS_CTYPE_STREAM_OGG = 0x10002;
constexpr DWORD BASS_CTYPE_STREAM_MP3 = 0x10005;
constexpr DWORD BASS_CTYPE_STREAM_AIFF = 0x10006;
constexpr DWORD BASS_CTYPE_STREAM_CD = 0x10200;
constexpr DWORD BASS_CTYPE_STREAM_FLAC = 0x10900;
constexpr DWORD BASS_CTYPE_STREAM_WAV_PCM = 0x50001;
constexpr DWORD BASS_CTYPE_STREAM_WAV_FLOAT = 0x50003;
constexpr DWORD BASS_CTYPE_MUSIC_MOD = 0x20000;
constexpr DWORD BASS_CTYPE_MUSIC_MTM = 0x20001;
constexpr DWORD BASS_CTYPE_MUSIC_S3M = 0x20002;
constexpr DWORD BASS_CTYPE_MUSIC_XM = 0x20003;
constexpr DWORD BASS_CTYPE_MUSIC_IT = 0x20004;

struct BASS_CHANNELINFO {
    DWORD freq;
    DWORD chans;
    DWORD flags;
    DWORD ctype;
    DWORD origres;
    HPLUGIN plugin;
    DWORD sample;
    const char* filename;
};

DWORD BASS_GetVersion();
int BASS_ErrorGetCode();
BOOL BASS_SetConfig(DWORD option, DWORD value);
DWORD BASS_GetConfig(DWORD option);
// device 0 is the no-sound device, the only one there is.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* window, const void* classId);
BOOL BASS_Free();
// The CD plug-in is built in: loading a file named "basscd.dll" (or "libbasscd.so") from any
// folder switches it on; no such file needs to exist.
HPLUGIN BASS_PluginLoad(const char* file, DWORD flags);
BOOL BASS_PluginFree(HPLUGIN handle);

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags);
HMUSIC BASS_MusicLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD flags, DWORD freq);
BOOL BASS_StreamFree(HSTREAM handle);
BOOL BASS_MusicFree(HMUSIC handle);

BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info);
QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode);
QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode);
double BASS_ChannelBytes2Seconds(DWORD handle, QWORD position);
DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);
QWORD BASS_StreamGetFilePosition(HSTREAM handle, DWORD mode);

}  // namespace quillon::audio
