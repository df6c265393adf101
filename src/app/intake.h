#pragma once
// Adding sources to the file list without any window: the folder scan, the extension filter,
// the probe (own readers for CD tracks, AIFC and voice-recorder files, the engine otherwise)
// and the duplicate check. The window's Add commands and the command line build on it.

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "app/file_list.h"
#include "engine/loading_window.h"
#include "formats/conversion_settings.h"

namespace quillon::app {

// Keys of the sources in the list: canonical absolute paths (a file reached by two paths is
// one source; letter case matters), and "DVD:<folder><title>" for DVD titles.
class SourceIndex {
public:
    bool Contains(const std::string& key) const { return keys_.count(key) != 0; }
    void Add(const std::string& key) { keys_.insert(key); }
    void Remove(const std::string& key) { keys_.erase(key); }
    void Clear() { keys_.clear(); }

private:
    std::set<std::string> keys_;
};

std::string SourceKey(const std::string& path);
std::string DvdTitleKey(const std::string& dvdFolder, int titleNumber);

enum class ProbeOutcome { Added, Duplicate, Failed };

class Intake {
public:
    Intake(FileList& list, SourceIndex& index, const formats::ConversionSettings& settings,
           std::string enginePath = {});

    // The accepted files below folder: the folder and all its subfolders (each followed by its
    // own subfolders), then the files of each in that order.
    void CollectFolderFiles(std::vector<std::string>& paths, const std::string& folder) const;
    // The extension filter for scanned and dropped files (Add Files takes every file).
    bool Accepted(const std::string& path) const;

    ProbeOutcome ProbeSource(const std::string& path);
    ProbeOutcome ProbeDvdTitle(const std::string& dvdFolder, int ordinal, int titleNumber);

    // Probes each path in order; stops after the current path when the window is cancelled.
    // Returns the failure report ("" when every path was added or was a duplicate).
    std::string LoadSources(const std::vector<std::string>& paths, engine::LoadingWindow* window);

    bool CdTrackFailed() const { return cdTrackFailed_; }
    int LastRow() const { return lastRow_; }

private:
    FileList& list_;
    SourceIndex& index_;
    const formats::ConversionSettings& settings_;
    std::string enginePath_;
    bool cdTrackFailed_ = false;
    int lastRow_ = -1;
};

}  // namespace quillon::app
