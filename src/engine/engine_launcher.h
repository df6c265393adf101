#pragma once
// Runs ferrox or tavrel and reads what it writes.
//
// Probe mode reads the whole output on the calling thread into the source's MediaInfo and
// returns whether a stream was found. Conversion mode stores the process and its pipe in the
// source, applies the priority class, and starts a reader thread that sends progress reports
// and finally exactly one finished report to the sink.

#include <cstdint>
#include <functional>
#include <string_view>

#include "engine/engine_reports.h"
#include "engine/source_item.h"
#include "platform/process.h"

namespace quillon::engine {

// Conversion mode: false when the process could not be started (nothing is sent then; the
// caller ends the item itself). Probe mode: the probe's result; `priorityClass` and `sink` are
// not used. The sink must outlive the finished report.
bool LaunchEngine(std::string_view commandLine, SourceItem* source, bool probeMode, uint32_t priorityClass,
                  EngineReportSink* sink);

// The reading loop shared by both modes: hands every block the process writes to onBytes, and
// returns once the process has ended and what it left in the pipe has been read.
void ReadEngineOutput(platform::PipeHandle& pipe, platform::ProcessHandle& process,
                      const std::function<void(std::string_view)>& onBytes);

}  // namespace quillon::engine
