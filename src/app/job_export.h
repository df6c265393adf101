#pragma once
// A batch written out as shell jobs instead of run here: everything a run does up to starting
// the engines (preparation, output folders and names, the existing-target policy), then one
// ferrox or tavrel command line per output, quoted for a POSIX shell, for GNU parallel or a
// cluster's job array to run.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/file_list.h"
#include "engine/loading_window.h"
#include "formats/conversion_settings.h"
#include "formats/output_format.h"

namespace quillon::app {

// One word for a POSIX shell: unchanged when it holds only characters no shell treats
// specially, otherwise in single quotes.
std::string ShellQuote(std::string_view word);

// An engine command line (CommandLineToArgvW rules) as a shell command with the same argv.
std::string ShellCommandLine(std::string_view engineCommandLine);

struct JobExportSetup {
    FileList& list;
    formats::FormatCatalogue& catalogue;
    formats::ConversionSettings& settings;
    formats::OutputFormat* format;  // the chosen format or group record
    // Prepared sources (decoded CD, AIFC and voice audio, joined DVD titles) are moved here,
    // so that every machine running the jobs can read them. Created when needed.
    std::string preparedFolder;
    engine::LoadingWindow& loading;
    std::function<std::string()> documentsFolder;  // DocumentsFolder() when empty
    std::function<bool(engine::SourceItem&, engine::LoadingWindow&, std::string&)> prepare;  // PrepareSource
    std::string enginePath;                                                                  // EnginePath() when empty
    std::string encoderPath;                                                                 // EncoderPath() when empty
};

// Fills jobs, one shell command per output, in the order a run would start them, and leaves
// each row's status as a run's start would (the refusal text, or "Exported"). The prepared
// files the jobs read are in preparedFolder, still owned by the list (removed with it) until
// HandOverPreparedFiles. False with error when the batch cannot be exported at all.
bool ExportJobs(JobExportSetup setup, std::vector<std::string>& jobs, std::string& error);

// Once the job file is written: the prepared files belong to the jobs and outlive the list.
void HandOverPreparedFiles(FileList& list);

// Writes the jobs one per line, through a temporary file renamed into place, so a full disk
// or a failed write never leaves a partial job file. False with error otherwise.
bool WriteJobFile(const std::string& path, const std::vector<std::string>& jobs, std::string& error);

// The default prepared folder: beside the job file, named after it.
std::string DefaultPreparedFolder(const std::string& jobFile);

}  // namespace quillon::app
