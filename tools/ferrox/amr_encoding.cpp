#include "amr_encoding.h"

#include "engine_run.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <unistd.h>
#include <vector>

#include "platform/child_process.h"
#include "platform/known_folders.h"
#include "util/paths.h"

extern "C" {
#include <opencore-amrnb/interf_enc.h>
#include <vo-amrwbenc/enc_if.h>
}

namespace quillon::ferrox {

namespace {

// Encodes raw 16-bit mono PCM from fd into an AMR storage file ("#!AMR\n" / "#!AMR-WB\n").
bool EncodePcm(int fd, const engine::AmrPlan& plan, const std::string& amrFile) {
    const bool narrow = plan.kind == engine::AmrKind::NarrowBand;
    const std::size_t frameSamples = narrow ? 160 : 320;
    std::FILE* out = std::fopen(amrFile.c_str(), "wb");
    if (!out) {
        std::fprintf(stderr, "%s: cannot create intermediate file\n", amrFile.c_str());
        return false;
    }
    void* state = narrow ? Encoder_Interface_init(0) : E_IF_init();
    const char* magic = narrow ? "#!AMR\n" : "#!AMR-WB\n";
    bool ok = state != nullptr && std::fputs(magic, out) >= 0;
    std::vector<short> frame(frameSamples);
    std::vector<char> bytes(frameSamples * 2);
    std::size_t filled = 0;
    unsigned char packet[64];
    auto encode = [&]() {
        const int size = narrow ? Encoder_Interface_Encode(state, static_cast<Mode>(plan.mode), frame.data(), packet, 0)
                                : E_IF_encode(state, plan.mode, frame.data(), packet, 0);
        if (size <= 0 || std::fwrite(packet, 1, static_cast<std::size_t>(size), out) != static_cast<std::size_t>(size)) {
            ok = false;
        }
    };
    for (;;) {
        const ssize_t n = read(fd, bytes.data() + filled, bytes.size() - filled);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        filled += static_cast<std::size_t>(n);
        if (filled == bytes.size()) {
            for (std::size_t i = 0; i < frameSamples; ++i) {
                frame[i] = static_cast<short>(static_cast<unsigned char>(bytes[2 * i]) |
                                              (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
            }
            encode();
            filled = 0;
        }
    }
    if (ok && filled > 0) {  // the last, short frame is padded with silence
        std::fill(frame.begin(), frame.end(), 0);
        for (std::size_t i = 0; i < filled / 2; ++i) {
            frame[i] = static_cast<short>(static_cast<unsigned char>(bytes[2 * i]) |
                                          (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
        }
        encode();
    }
    if (state) narrow ? Encoder_Interface_exit(state) : E_IF_exit(state);
    if (std::fclose(out) != 0) ok = false;
    if (!ok) std::fprintf(stderr, "AMR encoding failed\n");
    return ok;
}

}  // namespace

int RunAmrConversion(const engine::AmrPlan& plan, const std::string& ffmpeg, const std::string& intermediate,
                     engine::EngineLog& log) {
    const std::string amrFile = util::MakeTempName(platform::TempFolder(), "ferrox", ".amr");
    platform::RemoveFileOnSignal(intermediate);
    platform::RemoveFileOnSignal(amrFile);
    int status = 0;
    status = RunEngine(plan.encodeArgs, log);
    if (status == 0 && log.WriteFailed()) status = 1;
    if (status == 0) {
        platform::ChildProcess pcm;
        if (pcm.Start(engine::AmrPcmArguments(ffmpeg, plan, intermediate), platform::ChildOutput::Capture)) {
            const bool encoded = EncodePcm(pcm.OutputFd(), plan, amrFile);
            status = pcm.Wait();
            if (status == 0 && !encoded) status = 1;
        } else {
            status = 127;
        }
    }
    if (status == 0) {
        platform::ChildProcess mux;
        status = mux.Start(engine::AmrMuxArguments(ffmpeg, plan, intermediate, amrFile), platform::ChildOutput::Inherit)
                     ? mux.Wait()
                     : 127;
    }
    unlink(intermediate.c_str());
    unlink(amrFile.c_str());
    return status;
}

}  // namespace quillon::ferrox
