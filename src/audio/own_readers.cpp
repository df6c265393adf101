#include "audio/own_readers.h"

#include <sys/stat.h>
#include <cstdio>
#include <vector>

#include "audio/aifc_reader.h"
#include "audio/bass_file_reader.h"
#include "audio/voice_file_reader.h"
#include "audio/wav_file_writer.h"
#include "platform/system_info.h"
#include "util/paths.h"
#include "util/text.h"

namespace quillon::audio {

OwnReaderKind OwnReaderKindForExtension(const std::string& ext) {
    if (ext == "cda") return OwnReaderKind::Bass;
    if (ext == "voc") return OwnReaderKind::Voice;
    if (ext == "aif" || ext == "aiff" || ext == "aifc" || ext == "afc") return OwnReaderKind::Aifc;
    return OwnReaderKind::None;
}

std::unique_ptr<AudioSourceReader> CreateReader(OwnReaderKind kind) {
    switch (kind) {
    case OwnReaderKind::Bass: return std::make_unique<BassFileReader>();
    case OwnReaderKind::Aifc: return std::make_unique<AifcReader>();
    case OwnReaderKind::Voice: return std::make_unique<VoiceFileReader>();
    case OwnReaderKind::None: break;
    }
    return nullptr;
}

std::unique_ptr<AudioSourceReader> CreateReaderForExtension(const std::string& extensionLower) {
    return CreateReader(OwnReaderKindForExtension(extensionLower));
}

namespace {

// Only ever a regular file: the output path may name a device when the caller chose it.
void RemoveFile(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) std::remove(path.c_str());
}

std::string WriteFailureText(const std::string& wavPath, int error) {
    const std::string folder = util::FolderPart(wavPath).value_or("./");
    return "Failed to write temporary file in " + folder + ": " + platform::ErrorText(error).value_or("write error");
}

}  // namespace

bool ProbeWithOwnReader(const std::string& path, OwnReaderKind kind, OwnReaderFacts& facts) {
    std::unique_ptr<AudioSourceReader> reader = CreateReader(kind);
    if (!reader || !reader->Open(path)) return false;
    facts.durationSeconds = reader->GetDuration();
    facts.sampleRate = reader->GetSampleRate();
    facts.bitrateKbps = reader->GetBitrate();
    facts.outputChannels = reader->GetOutputChannels();
    reader->Close();
    return true;
}

bool DecodeToWavFile(const std::string& path, OwnReaderKind kind, const std::string& wavPath, std::string& message,
                     const DecodeProgress& progress) {
    // Checked here too so the user learns why: every reader refuses such a file anyway.
    if (!util::IsRegularFileOrLinkToOne(path) && util::Exists(path)) {
        message = "Failed to open file (not a regular file)";
        return false;
    }
    std::unique_ptr<AudioSourceReader> reader = CreateReader(kind);
    if (!reader || !reader->Open(path)) {
        message = "Failed to open file";
        return false;
    }
    const std::uint64_t total = reader->GetLength();

    RemoveFile(wavPath);
    WavFileWriter writer;
    if (!writer.Open(wavPath, reader->GetOutputChannels() == 2, 16, reader->GetSampleRate())) {
        RemoveFile(wavPath);
        message = "Failed to create temporary file";
        return false;
    }

    std::vector<unsigned char> buffer(kDecodeBufferBytes);
    bool cancelled = false;
    bool written = true;
    for (;;) {
        const std::size_t got = reader->Read(buffer.data(), buffer.size());
        if (got == 0) break;
        if (!writer.Write(buffer.data(), got)) {
            written = false;
            break;
        }
        if (progress && !progress(reader->GetPosition(), total)) {
            cancelled = true;
            break;
        }
    }
    reader->Close();
    reader.reset();
    if (!writer.Close()) written = false;
    if (cancelled || !written) {
        // A cut-short file must not pass for the whole source.
        message = cancelled ? "Cancelled" : WriteFailureText(wavPath, writer.LastError());
        RemoveFile(wavPath);
        return false;
    }
    return true;
}

}  // namespace quillon::audio
