#include "engine/media_engine.h"

#include "platform/known_folders.h"
#include "platform/process.h"

namespace quillon::engine {

std::string EnginePath() { return platform::ProgramFolder() + kEngineProgramName; }

std::string EncoderPath() { return platform::ProgramFolder() + kEncoderProgramName; }

std::string MapInputFormat(std::string_view extension) {
    struct Entry {
        std::string_view extension;
        std::string_view format;
    };
    static constexpr Entry kFormats[] = {
        {"264", "h264"},
        {"h264", "h264"},
        {"263", "h263"},
        {"h263", "h263"},
        {"261", "h261"},
        {"h261", "h261"},
        {"ulw", "mulaw -ar 8k -ac 1"},
        {"ulaw", "mulaw -ar 8k -ac 1"},
        {"alw", "alaw -ar 8k -ac 1"},
        {"alaw", "alaw -ar 8k -ac 1"},
        {"mjpg", "mjpeg"},
        {"mjpeg", "mjpeg"},
        {"hevc", "hevc"},
        {"265", "hevc"},
        {"h265", "hevc"},
        {"722", "g722 -ar 7k -ac 1"},
        {"g722", "g722 -ar 7k -ac 1"},
        {"723_1", "g723_1 -ar 8k -ac 1"},
        {"g723_1", "g723_1 -ar 8k -ac 1"},
        {"729", "g729 -ar 8k -ac 1"},
        {"g729", "g729 -ar 8k -ac 1"},
        // A short GSM file looks like too many other formats to be recognised by its content.
        {"gsm", "gsm"},
    };
    for (const Entry& e : kFormats) {
        if (e.extension == extension) return std::string(e.format);
    }
    return {};
}

std::string BuildProbeCommandLine(std::string_view enginePath, std::string_view sourcePath,
                                  std::string_view extension) {
    const std::string format = MapInputFormat(extension);
    std::string line = platform::QuoteProgramName(enginePath);
    line += ' ';
    if (!format.empty()) line += "-f " + format;
    line += " -i ";
    line += platform::QuoteArgument(sourcePath);
    return line;
}

std::string BuildDvdProbeCommandLine(std::string_view enginePath, std::string_view firstVobPath) {
    return platform::QuoteProgramName(enginePath) + " -i " + platform::QuoteArgument(firstVobPath);
}

}  // namespace quillon::engine
