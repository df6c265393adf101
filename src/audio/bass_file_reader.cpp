#include "audio/bass_file_reader.h"

#include <algorithm>

namespace quillon::audio {

BassFileReader::~BassFileReader() { Close(); }

void BassFileReader::Close() {
    if (handle_ != 0) {
        if (isMusic_) BASS_MusicFree(handle_);
        else BASS_StreamFree(handle_);
    }
    handle_ = 0;
    isMusic_ = 0;
    ResetFacts();
}

int BassFileReader::Open(const std::string& path) {
    Close();
    handle_ = BASS_StreamCreateFile(0, path.c_str(), 0, 0, BASS_UNICODE | BASS_STREAM_DECODE);
    if (handle_ == 0) {
        handle_ = BASS_MusicLoad(0, path.c_str(), 0, 0,
                                 BASS_UNICODE | BASS_MUSIC_DECODE | BASS_MUSIC_PRESCAN | BASS_MUSIC_RAMP, 0);
        if (handle_ == 0) return 0;
        isMusic_ = 1;
    }

    length_ = BASS_ChannelGetLength(handle_, BASS_POS_BYTE);
    const double seconds = BASS_ChannelBytes2Seconds(handle_, length_);
    durationSeconds_ = seconds > 0.0 && seconds < 4294967296.0 ? static_cast<std::uint32_t>(seconds) : 0;

    BASS_CHANNELINFO info{};
    BASS_ChannelGetInfo(handle_, &info);
    if (info.chans > 2 || (info.flags & (BASS_SAMPLE_8BITS | BASS_SAMPLE_FLOAT)) != 0) {
        Close();
        return 0;
    }
    sampleRate_ = info.freq;
    channels_ = outputChannels_ = info.chans;
    bitsPerSample_ = 16;
    bytesPerSample_ = 2;

    const QWORD fileBytes = BASS_StreamGetFilePosition(handle_, BASS_FILEPOS_END);
    if (seconds > 0.0 && fileBytes != ~QWORD{0}) {
        const double kbps = static_cast<double>(fileBytes) / (seconds * 125.0) + 0.5;
        bitrateKbps_ = kbps < 4294967296.0 ? static_cast<std::uint32_t>(kbps) : 0xFFFFFFFFu;
    } else {
        bitrateKbps_ = (sampleRate_ * channels_ * 16) / 1000;
    }
    return 1;
}

std::size_t BassFileReader::Read(void* buffer, std::size_t byteCount) {
    if (handle_ == 0) return 0;
    const DWORD length = static_cast<DWORD>(std::min<std::size_t>(byteCount, BASS_DATA_LENGTH_MASK));
    // 0 would ask how much is buffered rather than for data.
    if (length == 0) return 0;
    const DWORD got = BASS_ChannelGetData(handle_, buffer, length);
    return got == ~DWORD{0} ? 0 : got;
}

std::uint64_t BassFileReader::GetPosition() const {
    if (handle_ == 0) return position_;
    const QWORD position = BASS_ChannelGetPosition(handle_, BASS_POS_BYTE);
    return position == ~QWORD{0} ? 0 : position;
}

}  // namespace quillon::audio
