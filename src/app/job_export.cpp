#include "app/job_export.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>

#include "engine/engine_command_line.h"
#include "engine/media_engine.h"
#include "engine/output_path.h"
#include "engine/theora_command_line.h"
#include "formats/custom_output_format.h"
#include "platform/known_folders.h"
#include "platform/process.h"
#include "util/paths.h"
#include "util/text.h"

namespace quillon::app {

namespace {

bool ShellSafe(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           (c != '\0' && std::strchr("_-+=./:,@%", c) != nullptr);
}

// Moves a prepared file into folder under a fresh name; false (and nothing left behind) when
// it cannot be moved or copied there.
bool MoveInto(const std::string& folder, std::string& path, std::string& message) {
    namespace fs = std::filesystem;
    const std::string name(util::FileNamePart(path));
    const std::size_t dot = name.rfind('.');
    const std::string target =
        platform::MakeTempName(folder, "prepared-", dot == std::string::npos ? "" : name.substr(dot));
    std::error_code ec;
    fs::rename(path, target, ec);
    if (ec) {
        // Another file system: copy, then drop the original.
        ec.clear();
        fs::copy_file(path, target, fs::copy_options::none, ec);
        if (ec) {
            fs::remove(target, ec);
            std::remove(path.c_str());
            message = "Failed to create temporary file";
            return false;
        }
        std::remove(path.c_str());
    }
    path = target;
    return true;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

std::string ShellQuote(std::string_view word) {
    if (!word.empty()) {
        bool safe = true;
        for (char c : word) safe = safe && ShellSafe(c);
        if (safe) return std::string(word);
    }
    return util::SingleQuoted(word);
}

std::string ShellCommandLine(std::string_view engineCommandLine) {
    std::string line;
    for (const std::string& argument : platform::SplitCommandLine(engineCommandLine)) {
        if (!line.empty()) line += ' ';
        line += ShellQuote(argument);
    }
    return line;
}

std::string DefaultPreparedFolder(const std::string& jobFile) { return jobFile + ".prepared/"; }

bool ExportJobs(JobExportSetup setup, std::vector<std::string>& jobs, std::string& error) {
    jobs.clear();
    FileList& list = setup.list;
    if (!setup.documentsFolder) setup.documentsFolder = [] { return platform::DocumentsFolder(); };
    if (!setup.prepare) setup.prepare = PrepareSource;
    if (setup.enginePath.empty()) setup.enginePath = engine::EnginePath();
    if (setup.encoderPath.empty()) setup.encoderPath = engine::EncoderPath();
    if (list.RowCount() == 0) {
        error = "There aren't files in list.";
        return false;
    }
    formats::OutputFormat* format = setup.format;
    if (!format || format->Family == formats::FamilyCustomizeEntry) {
        error = "No output format is chosen.";
        return false;
    }

    list.RemoveFormatCopies();
    if (list.NeedsPreparation(false)) {
        const std::string folder = util::WithSlash(setup.preparedFolder);
        if (setup.preparedFolder.empty() || !util::EnsureFolder(folder, true)) {
            error = "Cannot create the folder for prepared sources: " + setup.preparedFolder;
            return false;
        }
        auto prepareThere = [&](engine::SourceItem& item, engine::LoadingWindow& window, std::string& message) {
            return setup.prepare(item, window, message) && MoveInto(folder, item.preparedPath, message);
        };
        if (!list.PrepareRows(false, setup.loading, prepareThere)) {
            error = "Cancelled";
            return false;
        }
    }

    const bool groupRun = format->Family == formats::FamilyCustomGroup;
    if (groupRun) {
        const formats::CustomOutputFormat* group = format->CustomFormat;
        std::vector<const formats::OutputFormat*> members;
        if (group) members = formats::ResolveCustomFormat(setup.catalogue, *group);
        if (members.empty()) {
            error = "There're not any output formats associated with custom format \"" +
                    (group ? group->name : std::string()) +
                    "\". Please choose one or more output formats for the format before converting.";
            return false;
        }
        list.AddFormatCopies(false, members);
    }

    RunQueues queues;
    list.QueueRows(false, groupRun, queues);
    engine::ClaimedOutputNames claimed;
    const engine::OutputPathContext context{setup.settings, claimed, setup.documentsFolder};
    std::set<std::string> preparedInUse;
    for (engine::SourceItem* item : queues.pending) {
        // The builders adjust the format's derived values in place, as a run's would.
        auto* itemFormat =
            item->isFormatCopy && item->copyFormat ? const_cast<formats::OutputFormat*>(item->copyFormat) : format;
        std::string message;
        if (!engine::ResolveOutputPath(*itemFormat, *item, false, context, message)) {
            item->outputPath.clear();
            list.SetStatus(item, message);
            continue;
        }
        const std::string line =
            engine::UsesTheoraEncoder(itemFormat->FormatId)
                ? engine::BuildTheoraCommandLine(*itemFormat, *item, setup.settings, setup.encoderPath)
                : engine::BuildEngineCommandLine(*itemFormat, *item, setup.settings, setup.enginePath);
        // One job per line: a name with a line break would split its job in two.
        bool splits = false;
        for (const std::string& argument : platform::SplitCommandLine(line)) splits = splits || HasLineBreak(argument);
        if (splits) {
            item->outputPath.clear();
            list.SetStatus(item, "A name holds a line break and cannot be written as a one-line job");
            continue;
        }
        jobs.push_back(ShellCommandLine(line));
        if (item->needsPreparation) preparedInUse.insert(item->preparedPath);
        list.SetStatus(item, "Exported");
    }

    // Prepared files no job reads are of no use to anyone.
    for (std::size_t row = 0; row < list.RowCount(); ++row) {
        engine::SourceItem& item = list.Item(row);
        if (!item.needsPreparation || item.preparedPath.empty() || preparedInUse.count(item.preparedPath) > 0) continue;
        if (!item.isFormatCopy) std::remove(item.preparedPath.c_str());
        item.preparedPath.clear();
        item.prepared = false;
    }
    return true;
}

void HandOverPreparedFiles(FileList& list) {
    for (std::size_t row = 0; row < list.RowCount(); ++row) {
        list.Item(row).preparedPath.clear();
        list.Item(row).prepared = false;
    }
}

bool WriteJobFile(const std::string& path, const std::vector<std::string>& jobs, std::string& error) {
    const std::string folder = util::FolderPart(path).value_or("./");
    const std::string temporary = platform::MakeTempName(folder, ".jobs-", ".tmp");
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    if (!out) {
        error = "Cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    bool ok = true;
    for (const std::string& job : jobs) {
        ok = ok && std::fputs(job.c_str(), out) >= 0 && std::fputc('\n', out) != EOF;
    }
    ok = std::fflush(out) == 0 && ok;
    const int writeErrno = errno;
    ok = std::fclose(out) == 0 && ok;
    if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "Cannot write " + path + ": " + std::strerror(ok ? errno : writeErrno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace quillon::app
