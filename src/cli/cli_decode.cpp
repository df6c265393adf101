// quillon-cli decode IN OUT.wav: decodes a source that the program reads itself (CD track,
// DWVW AIFC, voice-recorder file) into a 16-bit PCM WAV file, as preparation before a run does.
#include <cstdio>

#include "audio/bass_startup.h"
#include "audio/own_readers.h"
#include "cli_command.h"
#include "platform/known_folders.h"
#include "util/paths.h"

namespace quillon::cli {

namespace {

int RunDecode(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: quillon-cli decode IN OUT.wav\n");
        return 2;
    }
    const std::string& in = args[0];
    const std::string& out = args[1];
    const audio::OwnReaderKind kind = audio::OwnReaderKindForExtension(util::LowerExtension(in));
    if (kind == audio::OwnReaderKind::None) {
        std::fprintf(stderr, "%s is not a source the program decodes itself\n", in.c_str());
        return 1;
    }

    // A FIFO or device would block the read or never end.
    if (util::Exists(in) && !util::IsRegularFileOrLinkToOne(in)) {
        std::fprintf(stderr, "%s is not a regular file\n", in.c_str());
        return 1;
    }

    if (audio::StartBassLibrary(platform::ProgramFolder()) != audio::BassStartResult::Started) {
        std::fprintf(stderr, "Failed to initialize the software (0x0002020).\n");
        return 1;
    }
    std::string message;
    const bool ok = audio::DecodeToWavFile(in, kind, out, message);
    audio::ReleaseBassLibrary();
    if (!ok) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    return 0;
}

const CliCommandRegistration registration({"decode", "decode IN OUT.wav", RunDecode});

}  // namespace

}  // namespace quillon::cli
