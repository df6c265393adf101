#include "engine/engine_launcher.h"

#include <memory>
#include <system_error>
#include <thread>

#include "engine/engine_output.h"
#include "engine/line_assembler.h"
#include "engine/probe_parser.h"
#include "platform/known_folders.h"

namespace quillon::engine {

namespace {

constexpr std::size_t kReadSize = 51'196;
// How long the end of a process may go unnoticed while it writes nothing.
constexpr int kEndCheckMs = 100;

}  // namespace

void ReadEngineOutput(platform::PipeHandle& pipe, platform::ProcessHandle& process,
                      const std::function<void(std::string_view)>& onBytes) {
    using Status = platform::PipeHandle::ReadStatus;
    auto buffer = std::make_unique<char[]>(kReadSize);
    for (;;) {
        const auto r = pipe.Read(buffer.get(), kReadSize, kEndCheckMs);
        if (r.status == Status::Data) onBytes(std::string_view(buffer.get(), r.bytes));
        // After data, only look; after the end of the output, give the process time to exit.
        const bool ended = process.Wait(r.status == Status::End ? kEndCheckMs : 0);
        if (!ended) continue;
        // Drain what the process wrote before it ended. Something it started may still hold
        // the pipe open, so stop at the first moment nothing is there.
        for (;;) {
            const auto rest = pipe.Read(buffer.get(), kReadSize, 0);
            if (rest.status != Status::Data) return;
            onBytes(std::string_view(buffer.get(), rest.bytes));
        }
    }
}

bool LaunchEngine(std::string_view commandLine, SourceItem* source, bool probeMode,
                  uint32_t priorityClass, EngineReportSink* sink) {
    if (!source || (!probeMode && !sink)) return false;
    platform::StartedProcess started;
    if (!platform::StartProcess(commandLine, platform::ProgramFolder(), started)) return false;

    if (probeMode) {
        MediaInfo& info = source->mediaInfo();
        info = MediaInfo{};
        ProbeOutputParser parser(info);
        LineAssembler lines;
        auto onLine = [&](std::string_view line) { parser.ParseLine(line); };
        ReadEngineOutput(started.output, started.process,
                         [&](std::string_view bytes) { lines.Feed(bytes, onLine); });
        lines.Finish(onLine);
        return parser.FoundStream();
    }

    source->process = started.process;
    source->outputPipe = started.output;
    started.process.SetPriorityClass(priorityClass);
    const uint32_t durationSeconds = source->durationSeconds;
    try {
        // The thread keeps its own references; it never touches the item, only passes its
        // address back.
        std::thread reader([pipe = std::move(started.output), process = std::move(started.process),
                            source, durationSeconds, sink]() mutable {
            ConversionOutputReader output(source, durationSeconds, *sink);
            ReadEngineOutput(pipe, process, [&](std::string_view bytes) { output.Feed(bytes); });
            output.Finish();
            std::string lastLine = output.lastLine();
            pipe.Close();
            process.Close();
            sink->EngineFinished(source, std::move(lastLine));
        });
        reader.detach();
    } catch (const std::system_error&) {
        // No reader, no report: end the process now rather than leave it unwatched.
        source->process.Terminate();
        source->process.Close();
        source->outputPipe.Close();
        return false;
    }
    return true;
}

}  // namespace quillon::engine
