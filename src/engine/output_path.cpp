#include "engine/output_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <random>

#include "engine/engine_command_line.h"
#include "engine/source_preparation.h"
#include "util/paths.h"
#include "util/text.h"

namespace quillon::engine {

namespace fs = std::filesystem;

namespace {

bool AnythingAt(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// Two paths naming one file (also through links); equal texts when neither exists.
bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    return a == b;
}

std::string RandomBaseName() {
    static std::mt19937 rng{std::random_device{}()};
    const auto ticks =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    return std::to_string(gettid()) + std::to_string(static_cast<unsigned long>(ticks) & 0xffffffffUL) +
           std::to_string(rng() % 32768);
}

std::string FolderFailure(const std::string& folder) { return "Failed to create folder \"" + folder + "\""; }

}  // namespace

void RunSourceFiles::Add(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0) files_.emplace(st.st_dev, st.st_ino);
}

bool RunSourceFiles::Contains(const std::string& path) const {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && files_.count({st.st_dev, st.st_ino}) != 0;
}

bool ClaimedOutputNames::Contains(const std::string& path) const { return names_.count(util::UpperAscii(path)) != 0; }
void ClaimedOutputNames::Add(const std::string& path) { names_.insert(util::UpperAscii(path)); }

std::string NamingSourcePath(const SourceItem& source) {
    if (source.kind == SourceKind::DvdTitle) {
        return source.dvdFolder + "DVD_Title_" + std::to_string(source.dvdTitleOrdinal) + ".vob";
    }
    return source.path;
}

bool ResolveOutputPath(const formats::OutputFormat& format, SourceItem& source, bool convertToOne,
                       const OutputPathContext& context, std::string& message) {
    const formats::ConversionSettings& settings = context.settings;
    const std::string namingSource = NamingSourcePath(source);
    const std::string fileName(util::FileNamePart(namingSource));

    std::string baseName;
    int policy = formats::kTargetRename;
    bool tree = false;
    bool folderPerSource = false;
    if (convertToOne) {
        baseName = RandomBaseName();
    } else {
        const std::size_t dot = fileName.rfind('.');
        baseName = dot == std::string::npos ? fileName : fileName.substr(0, dot);
        policy = settings.TargetExistsOpt;
        tree = settings.DestOutputFolderOpt == formats::kOutputSpecificFolder && settings.CreateDirs;
        folderPerSource = settings.CreateFolderForEachSource != 0;
    }

    int folderMode = settings.DestOutputFolderOpt;
    std::string specificFolder = settings.DestSpecifiedFolder;
    bool fallbackUsed = false;
    const std::string extension = "." + format.Extension;

    for (;;) {
        bool ok = true;
        std::string folder;
        if (folderMode != formats::kOutputSpecificFolder) {
            folder = util::FolderPart(namingSource).value_or("");
        } else if (specificFolder.empty() || !util::EnsureFolder(specificFolder, true)) {
            message = FolderFailure(specificFolder);
            ok = false;
        } else {
            folder = specificFolder;
            if (folder.back() != '/') folder += '/';
            if (tree) {
                // The source's own folder path, repeated below the specific folder.
                std::string rest = util::FolderPart(namingSource).value_or("");
                for (std::size_t at; (at = rest.find("//")) != std::string::npos;) rest.erase(at, 1);
                while (!rest.empty() && rest.front() == '/') rest.erase(0, 1);
                folder += rest;
                if (!util::EnsureFolder(folder, true)) {
                    message = FolderFailure(folder);
                    ok = false;
                }
            }
        }

        if (ok) {
            if (folderPerSource) {
                folder += baseName + "/";
                util::EnsureFolder(folder, true);
            }
            const std::string stem = folder + baseName;
            std::string path = stem + extension;
            // What shows that a target is there: for an image sequence its first image.
            auto targetFile = [&](const std::string& candidate) {
                return format.Family == formats::FamilyImageSequence
                           ? ImageSequenceNamesFor(format, source, candidate).firstImage
                           : candidate;
            };
            auto isRunSource = [&](const std::string& candidate) {
                const std::string file = targetFile(candidate);
                return SameFile(file, namingSource) || (context.sources && context.sources->Contains(file));
            };
            // The next numbered name that is not taken: under Overwrite an existing file may
            // be replaced, but never one the run reads or has handed out.
            auto numberedName = [&](bool overwrite) {
                for (int n = 1;; ++n) {
                    std::string numbered = stem + "_" + std::to_string(n) + extension;
                    if (context.claimed.Contains(numbered)) continue;
                    if (overwrite ? !isRunSource(numbered) : !AnythingAt(targetFile(numbered))) return numbered;
                }
            };
            if (AnythingAt(targetFile(path)) || context.claimed.Contains(path)) {
                if (policy == formats::kTargetSkip) {
                    message = kTargetSkippedText;
                    return false;
                }
                if (policy == formats::kTargetOverwrite) {
                    if (SameFile(targetFile(path), namingSource)) {
                        message =
                            "Target file name is same as original file that can't be overwritten. Please output "
                            "files to a custom folder.";
                        return false;
                    }
                    // Another row's source or output is never overwritten: the engine would
                    // destroy a file the run still reads, or one it has just written.
                    if (context.claimed.Contains(path) || isRunSource(path)) path = numberedName(true);
                } else {
                    path = numberedName(false);
                }
            }
            const std::string probe = targetFile(path);
            const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd >= 0) {
                close(fd);
                unlink(probe.c_str());
                source.outputPath = path;
                context.claimed.Add(path);
                return true;
            }
            message = "Failed to create file \"" + probe + "\"";
        }

        if (!settings.OutputFiles2MyDocuments || fallbackUsed) return false;
        fallbackUsed = true;
        const std::string documents = context.documentsFolder ? context.documentsFolder() : std::string();
        if (documents.empty()) return false;
        specificFolder = documents;
        folderMode = formats::kOutputSpecificFolder;
    }
}

bool CopySourceFileTimes(const SourceItem& source, const std::string& outputPath,
                         const formats::ConversionSettings& settings) {
    if (outputPath.empty() || !util::Exists(outputPath)) return false;
    if (!settings.KeepDateCreated && !settings.KeepDateModified) return false;
    std::string timeSource = source.path;
    if (source.kind == SourceKind::DvdTitle) timeSource = FindDvdPiece(source.dvdFolder, source.dvdTitleNumber, 1);
    struct stat st;
    if (stat(timeSource.c_str(), &st) != 0) return false;
    // Linux has no settable creation time: KeepDateCreated alone sets nothing.
    if (!settings.KeepDateModified) return false;
    const timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    return utimensat(AT_FDCWD, outputPath.c_str(), times, 0) == 0;
}

}  // namespace quillon::engine
