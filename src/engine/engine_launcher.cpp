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

// What the reader thread of one conversion owns. It passes `source` back in its reports but
// never touches the item.
struct EngineProcess {
    platform::PipeHandle outputPipe;
    platform::ProcessHandle process;
    SourceItem* source = nullptr;
    uint32_t durationSeconds = 0;  // copied at launch
    EngineReportSink* sink = nullptr;
};

void FollowConversion(EngineProcess context) {
    ConversionOutputReader output(context.source, context.durationSeconds, *context.sink);
    ReadEngineOutput(context.outputPipe, context.process, [&](std::string_view bytes) { output.Feed(bytes); });
    output.Finish();
    std::string lastLine = output.lastLine();
    // Our references go before the report: the receiver may then close the item's copies and
    // find the descriptors gone.
    context.outputPipe.Close();
    context.process.Close();
    context.sink->EngineFinished(context.source, std::move(lastLine));
}

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

bool LaunchEngine(std::string_view commandLine, SourceItem* source, bool probeMode, uint32_t priorityClass,
                  EngineReportSink* sink) {
    if (!source || (!probeMode && !sink)) return false;
    platform::StartedProcess started;
    if (!platform::StartProcess(commandLine, platform::ProgramFolder(), started)) return false;

    if (probeMode) {
        MediaInfo& info = source->mediaInfo();
        info = MediaInfo{};
        ProbeOutputParser parser(info);
        LineAssembler lines;
        auto onLine = [&](std::string_view line) { parser.ParseLine(line); };
        ReadEngineOutput(started.output, started.process, [&](std::string_view bytes) { lines.Feed(bytes, onLine); });
        lines.Finish(onLine);
        return parser.FoundStream();
    }

    source->process = started.process;
    source->outputPipe = started.output;
    started.process.SetPriorityClass(priorityClass);
    EngineProcess context{std::move(started.output), std::move(started.process), source, source->durationSeconds, sink};
    try {
        std::thread(FollowConversion, std::move(context)).detach();
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
