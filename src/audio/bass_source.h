#pragma once
// Inside the BASS layer: one decoder behind a channel, delivering 16-bit interleaved PCM.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace quillon::audio {

class BassSource {
public:
    virtual ~BassSource() = default;
    // Decodes up to frames sample frames into out (channels() values each); 0 at the end.
    virtual std::size_t ReadFrames(std::int16_t* out, std::size_t frames) = 0;

    std::uint32_t freq = 0;
    std::uint32_t chans = 0;
    std::uint32_t ctype = 0;
    std::uint32_t origres = 0;
    std::uint64_t frameCount = 0;  // total frames, when known
    bool frameCountKnown = false;
    std::uint64_t fileBytes = 0;  // what BASS_FILEPOS_END reports
    bool fileBytesKnown = false;
};

// Each Open returns the source, or nullptr with a BASS error code in error.
std::unique_ptr<BassSource> OpenSoundFileSource(const std::string& path, int& error);
// With prescan the frame count is what the module really renders.
std::unique_ptr<BassSource> OpenModuleSource(const std::string& path, std::uint32_t freq, bool mono, bool ramp,
                                             bool prescan, int& error);
// Whether the file is a CD track descriptor (the 44-byte RIFF "CDDA" file).
bool IsCdTrackDescriptor(const std::string& path);
std::unique_ptr<BassSource> OpenCdTrackSource(const std::string& path, int& error);

}  // namespace quillon::audio
