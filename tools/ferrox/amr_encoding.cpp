#include "amr_encoding.h"

#include "engine_run.h"

#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/known_folders.h"
#include "util/paths.h"

extern "C" {
#include <opencore-amrnb/interf_enc.h>
#include <vo-amrwbenc/enc_if.h>
}

namespace quillon::ferrox {

namespace {

// Encodes raw 16-bit mono PCM from the pipe into an AMR storage file ("#!AMR\n" / "#!AMR-WB\n").
bool EncodePcm(platform::PipeHandle& pcm, const engine::AmrPlan& plan, const std::string& amrFile) {
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
        if (size <= 0 ||
            std::fwrite(packet, 1, static_cast<std::size_t>(size), out) != static_cast<std::size_t>(size)) {
            ok = false;
        }
    };
    platform::ReadToEnd(pcm, [&](std::string_view piece) {
        while (!piece.empty()) {
            const std::size_t take = std::min(piece.size(), bytes.size() - filled);
            std::copy_n(piece.data(), take, bytes.data() + filled);
            piece.remove_prefix(take);
            filled += take;
            if (filled < bytes.size()) break;
            for (std::size_t i = 0; i < frameSamples; ++i) {
                frame[i] = static_cast<short>(static_cast<unsigned char>(bytes[2 * i]) |
                                              (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
            }
            encode();
            filled = 0;
        }
    });
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
    const std::string amrFile = platform::MakeTempName(platform::TempFolder(), "ferrox", ".amr");
    platform::RemoveFileOnSignal(intermediate);
    platform::RemoveFileOnSignal(amrFile);
    int status = 0;
    status = RunEngine(plan.encodeArgs, log);
    if (status == 0 && log.WriteFailed()) status = 1;
    if (status == 0) {
        platform::StartedProcess pcm;
        if (StartFfmpeg(engine::AmrPcmArguments(ffmpeg, plan, intermediate), platform::OutputCapture::OutputOnly,
                        pcm)) {
            const bool encoded = EncodePcm(pcm.output, plan, amrFile);
            status = WaitForFfmpeg(pcm);
            if (status == 0 && !encoded) status = 1;
        } else {
            status = 127;
        }
    }
    if (status == 0) {
        platform::StartedProcess mux;
        status = StartFfmpeg(engine::AmrMuxArguments(ffmpeg, plan, intermediate, amrFile),
                             platform::OutputCapture::None, mux)
                     ? WaitForFfmpeg(mux)
                     : 127;
    }
    unlink(intermediate.c_str());
    unlink(amrFile.c_str());
    return status;
}

}  // namespace quillon::ferrox
