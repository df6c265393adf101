#pragma once
// Where each output of a run goes: folder options, the policy for an existing target, names
// already given to other outputs of the run, and the documents-folder fallback.

#include <functional>
#include <set>
#include <string>

#include "engine/source_item.h"
#include "formats/conversion_settings.h"
#include "formats/output_format.h"

namespace quillon::engine {

// The status of an item whose target exists under the Skip policy.
inline constexpr const char* kTargetSkippedText = "Target exists and skipped";

// Output paths handed out during one run, compared without regard to ASCII letter case (so
// two outputs never collide on a FAT or NTFS drive either).
class ClaimedOutputNames {
public:
    void Clear() { names_.clear(); }
    bool Contains(const std::string& path) const;
    void Add(const std::string& path);
    std::size_t Size() const { return names_.size(); }

private:
    std::set<std::string> names_;
};

// The files the rows of a run read. None of them may become another row's output, whatever
// the exists policy says. Known by file identity, so links and other spellings count too.
class RunSourceFiles {
public:
    void Clear() { files_.clear(); }
    // Files that do not exist (yet) are not recorded.
    void Add(const std::string& path);
    bool Contains(const std::string& path) const;

private:
    std::set<std::pair<unsigned long long, unsigned long long>> files_;  // device, inode
};

struct OutputPathContext {
    const formats::ConversionSettings& settings;
    ClaimedOutputNames& claimed;
    // The user's documents folder for the fallback (created when missing); empty when unknown.
    std::function<std::string()> documentsFolder;
    const RunSourceFiles* sources = nullptr;  // the run's sources; none when null
};

// The path the output names derive from: the source's path, or for a DVD title
// "<dvdFolder>DVD_Title_<ordinal>.vob".
std::string NamingSourcePath(const SourceItem& source);

// On success stores the path in source.outputPath, claims it and returns true; the file does
// not exist afterwards (it is created once to prove it can be, then removed). An image
// sequence is one target, named by its first image: the path stored is the plain name the
// sequence derives from. Under Overwrite a file that is a source of the run, or already
// claimed, is not overwritten: the next free numbered name is taken instead. On failure
// returns false with the status text in message and leaves outputPath alone.
bool ResolveOutputPath(const formats::OutputFormat& format, SourceItem& source, bool convertToOne,
                       const OutputPathContext& context, std::string& message);

// Gives the output the source's modification time when KeepDateModified is set (a creation
// time cannot be set here). True when a time was set.
bool CopySourceFileTimes(const SourceItem& source, const std::string& outputPath,
                         const formats::ConversionSettings& settings);

}  // namespace quillon::engine
