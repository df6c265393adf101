// quillon-cli command-line --format ID [--output PATH] FILE: the exact line a conversion of FILE
// to format ID would run with the current settings.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/session.h"
#include "cli_command.h"
#include "engine/engine_command_line.h"
#include "engine/engine_launcher.h"
#include "engine/media_engine.h"
#include "engine/output_path.h"
#include "engine/source_item.h"
#include "engine/theora_command_line.h"
#include "formats/conversion_settings.h"
#include "formats/output_format.h"
#include "platform/known_folders.h"
#include "util/numbers.h"
#include "util/paths.h"

namespace quillon::cli {

namespace {

constexpr const char* kUsage = "command-line --format ID [--output PATH] FILE";

int Usage() {
    std::fprintf(stderr, "usage: quillon-cli %s\n", kUsage);
    return 2;
}

// The audio stream a new list row converts: RequestAudioIndex counts from 1.
int32_t ChooseAudioStream(int32_t requestAudioIndex, std::size_t streams) {
    if (requestAudioIndex < 2 || static_cast<std::size_t>(requestAudioIndex) > streams) return 0;
    return requestAudioIndex - 1;
}

int RunCommandLine(const std::vector<std::string>& args) {
    std::string formatText, output, file;
    bool haveOutput = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--format" && i + 1 < args.size()) {
            formatText = args[++i];
        } else if (args[i] == "--output" && i + 1 < args.size()) {
            output = args[++i];
            haveOutput = true;
        } else if (!args[i].empty() && args[i][0] == '-') {
            return Usage();
        } else if (file.empty()) {
            file = args[i];
        } else {
            return Usage();
        }
    }
    const std::optional<int32_t> id = util::ReadInteger<int32_t>(formatText);
    if (!id || file.empty()) return Usage();
    const long formatId = *id;

    app::Session session;
    session.Load();
    formats::ConversionSettings& settings = session.Settings();
    formats::OutputFormat* format = formats::FindFormat(session.Catalogue(), static_cast<int32_t>(formatId));
    if (!format) {
        std::fprintf(stderr, "quillon-cli command-line: no output format %ld\n", formatId);
        return 1;
    }

    std::error_code ec;
    engine::SourceItem item;
    item.path = std::filesystem::absolute(file, ec).lexically_normal().string();
    item.extension = util::LowerExtension(item.path);
    if (!engine::LaunchEngine(engine::BuildProbeCommandLine(engine::EnginePath(), item.path, item.extension), &item,
                              true, 0, nullptr)) {
        std::fprintf(stderr, "quillon-cli command-line: %s: no video or audio stream found\n", item.path.c_str());
        return 1;
    }
    item.selectedAudioStream = ChooseAudioStream(settings.RequestAudioIndex, item.audioSampleRates.size());

    if (haveOutput) {
        item.outputPath = output;
    } else {
        engine::ClaimedOutputNames claimed;
        const engine::OutputPathContext context{settings, claimed, [] { return platform::DocumentsFolder(); }};
        std::string message;
        if (!engine::ResolveOutputPath(*format, item, false, context, message)) {
            std::fprintf(stderr, "quillon-cli command-line: %s\n", message.c_str());
            return 1;
        }
    }
    const std::string line = engine::UsesTheoraEncoder(format->FormatId)
                                 ? engine::BuildTheoraCommandLine(*format, item, settings, engine::EncoderPath())
                                 : engine::BuildEngineCommandLine(*format, item, settings, engine::EnginePath());
    std::printf("%s\n", line.c_str());
    return 0;
}

const CliCommandRegistration kRegistration{{"command-line", kUsage, RunCommandLine}};

}  // namespace

}  // namespace quillon::cli
