// quillon-cli probe [--json] FILE...: what the engine finds in each file, as intake sees it.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/intake.h"
#include "audio/bass_startup.h"
#include "cli_command.h"
#include "engine/probe_pool.h"
#include "engine/source_item.h"
#include "platform/known_folders.h"
#include "util/json_writer.h"

namespace quillon::cli {

namespace {

using engine::SourceItem;

void WriteJson(util::JsonWriter& json, const SourceItem& item) {
    json.BeginObject();
    json.Key("path").String(item.path);
    json.Key("kind").String(engine::SourceKindName(item.kind));
    json.Key("durationSeconds").UInt(item.durationSeconds);
    json.Key("videoStreamId").String(item.videoStreamId);
    json.Key("width").Int(item.width);
    json.Key("height").Int(item.height);
    json.Key("frameRate").Double(item.frameRate);
    json.Key("displayAspectRatio").Double(item.displayAspectRatio);
    json.Key("videoBitRate").Int(item.videoBitRate);
    json.Key("audioStreams").BeginArray();
    for (std::size_t i = 0; i < item.audioSampleRates.size(); ++i) {
        json.BeginObject();
        json.Key("id").String(i < item.audioStreamIds.size() ? item.audioStreamIds[i] : "");
        json.Key("sampleRate").UInt(item.audioSampleRates[i]);
        json.Key("bitRate").UInt(i < item.audioBitRates.size() ? item.audioBitRates[i] : 0);
        json.Key("channels").UInt(i < item.audioChannels.size() ? item.audioChannels[i] : 0);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

void PrintText(const SourceItem& item, bool found) {
    if (!found) {
        std::printf("%s: no video or audio stream found\n", item.path.c_str());
        return;
    }
    std::printf("%s: %s, %u s\n", item.path.c_str(), engine::SourceKindName(item.kind), item.durationSeconds);
    if (!item.videoStreamId.empty() || item.width > 0) {
        std::printf("  video %s: %dx%d, %.3f fps, aspect %.4f, %d kb/s\n", item.videoStreamId.c_str(), item.width,
                    item.height, item.frameRate, item.displayAspectRatio, item.videoBitRate);
    }
    for (std::size_t i = 0; i < item.audioSampleRates.size(); ++i) {
        std::printf("  audio %s: %u Hz, %u channels, %u kb/s\n",
                    i < item.audioStreamIds.size() ? item.audioStreamIds[i].c_str() : "", item.audioSampleRates[i],
                    i < item.audioChannels.size() ? item.audioChannels[i] : 0,
                    i < item.audioBitRates.size() ? item.audioBitRates[i] : 0);
    }
}

int RunProbe(const std::vector<std::string>& args) {
    bool json = false;
    bool optionsEnded = false;
    std::vector<std::string> files;
    for (const std::string& a : args) {
        if (!optionsEnded && a == "--json") {
            json = true;
        } else if (!optionsEnded && a == "--") {
            optionsEnded = true;
        } else {
            files.push_back(a);
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: quillon-cli probe [--json] FILE...\n");
        return 2;
    }

    // CD tracks are read through the decoding layer, as the window sets it up at start.
    audio::StartBassLibrary(platform::ProgramFolder());
    // The engine runs in the program folder, so it needs full paths, as intake gives.
    for (std::string& path : files) {
        std::error_code ec;
        const std::filesystem::path full = std::filesystem::absolute(path, ec);
        if (!ec) path = full.string();
    }
    std::vector<SourceItem> items;
    const std::vector<bool> found = app::ProbeSourceItems(files, items, engine::SharedProbePool());
    util::JsonWriter writer(2);
    writer.BeginArray();
    bool allFound = true;
    for (std::size_t i = 0; i < files.size(); ++i) {
        allFound = allFound && found[i];
        if (json) {
            WriteJson(writer, items[i]);
        } else {
            PrintText(items[i], found[i]);
        }
    }
    writer.EndArray();
    if (json) std::printf("%s\n", writer.str().c_str());
    std::fflush(stdout);
    return allFound ? 0 : 1;
}

const CliCommandRegistration kRegistration({"probe", "probe [--json] FILE...", RunProbe});

}  // namespace

}  // namespace quillon::cli
