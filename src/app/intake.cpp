#include "app/intake.h"

#include <fmt/format.h>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "app/product_info.h"
#include "audio/own_readers.h"
#include "engine/media_engine.h"
#include "engine/source_preparation.h"
#include "platform/shell_link.h"
#include "platform/system_info.h"
#include "util/paths.h"
#include "util/text.h"

namespace quillon::app {

namespace fs = std::filesystem;
using engine::SourceItem;
using engine::SourceKind;

namespace {

constexpr int kMaxReportedFailures = 30;
constexpr int kMaxDvdTitles = 99;
constexpr int64_t kMenuTitleSetSize = 1048576;
// A chain of shortcuts pointing at one another ends here instead of going round for ever.
constexpr int kMaxShortcutHops = 8;

// The entries of a folder in NaturalNameLess order of their names.
std::vector<fs::directory_entry> SortedEntries(const fs::path& folder) {
    std::vector<fs::directory_entry> entries;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) entries.push_back(entry);
    std::sort(entries.begin(), entries.end(), [](const fs::directory_entry& a, const fs::directory_entry& b) {
        return NaturalNameLess(a.path().filename().string(), b.path().filename().string());
    });
    return entries;
}

void ListFolders(const fs::path& folder, std::vector<fs::path>& folders) {
    folders.push_back(folder);
    for (const auto& entry : SortedEntries(folder)) {
        std::error_code typeError;
        if (entry.is_directory(typeError) && !entry.is_symlink(typeError)) ListFolders(entry.path(), folders);
    }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// What a probe through a pool worker found.
struct PendingSource {
    std::string path;
    std::string key;
    std::unique_ptr<SourceItem> item;
    bool found = false;
    bool probed = false;
    bool ran = false;
    bool cdTrackFailed = false;
    std::string failure;
};

std::string FailureLine(const std::string& path, const std::string& reason) {
    return reason.empty() ? path + "\n" : path + " (" + reason + ")\n";
}

SourceKind KindForReader(audio::OwnReaderKind kind) {
    switch (kind) {
    case audio::OwnReaderKind::Bass: return SourceKind::CdAudioTrack;
    case audio::OwnReaderKind::Aifc: return SourceKind::AiffFile;
    case audio::OwnReaderKind::Voice: return SourceKind::VocFile;
    case audio::OwnReaderKind::None: break;
    }
    return SourceKind::EngineFile;
}

}  // namespace

std::string SourceKey(const std::string& path) { return platform::CanonicalPath(path).value_or(path); }

std::string DvdTitleKey(const std::string& dvdFolder, int titleNumber) {
    return "DVD:" + util::WithSlash(platform::CanonicalPath(dvdFolder).value_or(dvdFolder)) +
           std::to_string(titleNumber);
}

Intake::Intake(FileList& list, SourceIndex& index, const formats::ConversionSettings& settings, std::string enginePath,
               engine::ProbePool* pool)
    : list_(list), index_(index), settings_(settings),
      enginePath_(enginePath.empty() ? engine::EnginePath() : std::move(enginePath)),
      pool_(pool ? pool : &engine::SharedProbePool(enginePath_)) {}

bool NaturalNameLess(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            // Compare the runs by value: skip leading zeros, then the longer run is larger.
            std::size_t ai = i;
            std::size_t bj = j;
            while (ai < a.size() && a[ai] == '0') ++ai;
            while (bj < b.size() && b[bj] == '0') ++bj;
            std::size_t aEnd = ai;
            std::size_t bEnd = bj;
            while (aEnd < a.size() && IsDigit(a[aEnd])) ++aEnd;
            while (bEnd < b.size() && IsDigit(b[bEnd])) ++bEnd;
            if (aEnd - ai != bEnd - bj) return aEnd - ai < bEnd - bj;
            const int order = a.compare(ai, aEnd - ai, b, bj, bEnd - bj);
            if (order != 0) return order < 0;
            i = aEnd;
            j = bEnd;
            continue;
        }
        const char ca = util::LowerAscii(a[i]);
        const char cb = util::LowerAscii(b[j]);
        if (ca != cb) return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb);
        ++i;
        ++j;
    }
    if ((i < a.size()) != (j < b.size())) return j < b.size();
    return a < b;
}

void SourceIndex::RemoveItem(const engine::SourceItem* item) {
    for (auto it = keys_.begin(); it != keys_.end(); ++it) {
        if (it->second == item) {
            keys_.erase(it);
            return;
        }
    }
}

std::optional<std::string> Intake::AcceptedPath(const std::string& path) const {
    if (!settings_.EnableExtFilter) return path;
    std::string current = path;
    for (int hop = 0; hop <= kMaxShortcutHops; ++hop) {
        if (util::ExtensionPart(current) == std::string::npos) return std::nullopt;
        const std::string extension = util::LowerExtension(current);
        if (std::find(settings_.ExtensionFilter.begin(), settings_.ExtensionFilter.end(), extension) !=
            settings_.ExtensionFilter.end()) {
            return current;
        }
        if (extension != "lnk") return std::nullopt;
        std::optional<std::string> target = platform::ResolveShortcut(current);
        if (!target) return std::nullopt;
        current = std::move(*target);
    }
    return std::nullopt;
}

void Intake::CollectDroppedPaths(std::vector<std::string>& paths, const std::vector<std::string>& dropped) const {
    pool_->StartWorkers();  // they start while the drop is read
    for (const std::string& item : dropped) {
        if (item.empty()) continue;
        if (util::IsFolder(item)) {
            CollectFolderFiles(paths, item);
        } else if (std::optional<std::string> accepted = AcceptedPath(item)) {
            paths.push_back(std::move(*accepted));
        }
    }
}

std::string Intake::FailureReport(const std::string& failures) const {
    std::string text = "Failed to load the following files.\n\n" + failures;
    // The engine and its probe server beside it are one installation: either missing means a damaged one.
    if (!util::IsFile(enginePath_) || !util::IsFile(engine::ProbeServerBeside(enginePath_))) {
        text += "\nSome files of the program are missing or corrupted. Please reinstall the program.";
    } else if (cdTrackFailed_) {
        text += "\nIMPORTANT: please DO NOT add CDA file from hard drive, but from CD drive directly.";
    } else {
        text += kSupportLine;
    }
    return text;
}

std::string Intake::AddDvdTitles(const std::string& dvdFolder) {
    const std::string folder = util::WithSlash(dvdFolder);
    std::string failed;
    int ordinal = 1;
    for (int n = 1; n <= kMaxDvdTitles; ++n) {
        const std::string firstVob = engine::FindDvdPiece(folder, n, 1);
        if (firstVob.empty()) break;
        const std::optional<int64_t> size = util::FileSize(firstVob);
        if (size && *size < kMenuTitleSetSize) continue;  // a menu-only title set
        if (ProbeDvdTitle(folder, ordinal, n) == ProbeOutcome::Failed) {
            failed += "DVD Title " + std::to_string(ordinal) + "\n";
        }
        ++ordinal;
    }
    return failed.empty() ? std::string() : "Failed to load the following DVD Titles.\n\n" + failed;
}

std::optional<std::string> FindDvdVideoFolder(const std::string& chosen) {
    const std::string folder = util::WithSlash(chosen);
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        std::error_code typeError;
        if (!entry.is_directory(typeError) || util::UpperAscii(entry.path().filename().string()) != "VIDEO_TS")
            continue;
        const std::string videoTs = folder + entry.path().filename().string() + "/";
        if (!engine::FindDvdPiece(videoTs, 1, 1).empty()) return videoTs;
    }
    if (!engine::FindDvdPiece(folder, 1, 1).empty()) return folder;
    return std::nullopt;
}

std::string NoDvdMessage(const std::string& chosen) {
    return std::string(kProductName) + " doesn't find any DVD video files at " + util::WithSlash(chosen) + ".";
}

void RememberFolder(std::string& setting, const std::string& chosen) { setting = util::WithSlash(chosen); }

void RememberAddFilesFolder(formats::ConversionSettings& settings, const std::vector<std::string>& chosenFiles) {
    if (chosenFiles.empty()) return;
    if (std::optional<std::string> folder = util::FolderPart(chosenFiles.front())) settings.LastAddFileDir = *folder;
}

std::string AddFilesStartFolder(formats::ConversionSettings& settings, const std::string& documentsFolder) {
    if (!settings.LastAddFileDir.empty() && !util::Exists(settings.LastAddFileDir)) {
        settings.LastAddFileDir = documentsFolder.empty() ? std::string() : util::WithSlash(documentsFolder);
        if (!settings.LastAddFileDir.empty()) util::EnsureFolder(settings.LastAddFileDir, true);
    }
    return settings.LastAddFileDir;
}

const std::vector<FileFilter>& AddFilesFilters() {
    static const std::vector<FileFilter> filters = {
        {"All Files (*.*)", "*.*"},
        {"3GPP Files (*.3gp;*.3gpp)", "*.3gp;*.3gpp"},
        {"3GPP2 Files (*.3g2;*.3gp2)", "*.3g2;*.3gp2"},
        {"Adobe Flash Files (*.swf)", "*.swf"},
        {"Advanced Audio Coding (*.aac)", "*.aac"},
        {"AIFF Files (*.aiff;*.aif;*.aifc;*.afc)", "*.aiff;*.aif;*.aifc;*.afc"},
        {"AMR Files (*.amr;*.awb)", "*.amr;*.awb"},
        {"AU Files (*.au;*.snd)", "*.au;*.snd"},
        {"AVI Files (*.avi)", "*.avi"},
        {"CD Audio Files (*.cda)", "*.cda"},
        {"Creative Voice Files (*.voc)", "*.voc"},
        {"CRI ADX Files (*.adx)", "*.adx"},
        {"Dolby Digital AC-3 (*.ac3)", "*.ac3"},
        {"DTS Files (*.dts)", "*.dts"},
        {"DV Video Files (*.dv;*.dif)", "*.dv;*.dif"},
        {"DVD Video Files (*.vob;*.dvd)", "*.vob;*.dvd"},
        {"Electronic Arts CDATA Files (*.cdata)", "*.cdata"},
        {"Flash Video Files (*.flv)", "*.flv"},
        {"Free Lossless Audio Codec (*.flac;*.fla)", "*.flac;*.fla"},
        {"H.264/MPEG4 AVC Video (*.m2ts;*.mts)", "*.m2ts;*.mts"},
        {"Matroska Files (*.mkv;*.mka)", "*.mkv;*.mka"},
        {"Microsoft Digital Video Recording (*.dvr-ms)", "*.dvr-ms"},
        {"MJPEG Video Files (*.mjpg;*.mjpeg)", "*.mjpg;*.mjpeg"},
        {"MMF Files (*.mmf)", "*.mmf"},
        {"Monkey's Audio (*.ape;*.mac)", "*.ape;*.mac"},
        {"MP3 Files (*.mp3)", "*.mp3"},
        {"MPEG Audio Files (*.mpa;*.mpga;*.m2a)", "*.mpa;*.mpga;*.m2a"},
        {"MPEG Video Files (*.mpg;*.mpe;*.mpeg;*.m1v;*.mp2;*.m2v;*.mp1;*.mlv)",
         "*.mpg;*.mpe;*.mpeg;*.m1v;*.mp2;*.m2v;*.mp1;*.mlv"},
        {"MPEG-4 Audio Files (*.m4a;*.m4b;*.mp4)", "*.m4a;*.m4b;*.mp4"},
        {"MPEG4 TS HD Video (*.ts)", "*.ts"},
        {"MPEG-4 Video Files (*.mp4;*.m4v;*.mpv;*.psp)", "*.mp4;*.m4v;*.mpv;*.psp"},
        {"Musepack (*.mpc;*.mp+;*.mpp)", "*.mpc;*.mp+;*.mpp"},
        {"Nullsoft Audio/Video Files (*.nsv;*.nsa)", "*.nsv;*.nsa"},
        {"NUT Files (*.nut)", "*.nut"},
        {"OGG Files (*.ogg;*.oga;*.ogm;*.ogv;*.ogx)", "*.ogg;*.oga;*.ogm;*.ogv;*.ogx"},
        {"Opus Files (*.opus)", "*.opus"},
        {"QuickTime Files (*.mov;*.qt)", "*.mov;*.qt"},
        {"Raw h261 Files (*.h261)", "*.h261"},
        {"Raw h263 Files (*.h263)", "*.h263"},
        {"Raw h264 Video Files (*.h264;*.264)", "*.h264;*.264"},
        {"Real Audio Files (*.ra;*.ram)", "*.ra;*.ram"},
        {"Real Media Files (*.rm;*.rmvb)", "*.rm;*.rmvb"},
        {"Speex (*.spx)", "*.spx"},
        {"The True Audio (*.tta)", "*.tta"},
        {"VCD Video Files (*.dat)", "*.dat"},
        {"WAV Files (*.wav;*.wave)", "*.wav;*.wave"},
        {"WavPack Files (*.wv)", "*.wv"},
        {"WebM Files (*.webm)", "*.webm"},
        {"Windows Media Files (*.wma;*.asf;*.wmv;*.wm;*.wmd;*.xwmv)", "*.wma;*.asf;*.wmv;*.wm;*.wmd;*.xwmv"},
        {"YUV Video Files (*.yuv)", "*.yuv"},
    };
    return filters;
}

std::string QtNameFilter(const FileFilter& filter) {
    // Qt shows the text before the last parenthesised group when details are hidden, and
    // separates patterns by blanks. File names here are case-sensitive, so letters match both ways.
    std::string patterns;
    const std::string all = filter.patterns;
    std::size_t start = 0;
    while (start <= all.size()) {
        const std::size_t end = std::min(all.find(';', start), all.size());
        const std::string pattern = all.substr(start, end - start);
        if (!pattern.empty()) {
            if (!patterns.empty()) patterns += ' ';
            if (pattern == "*.*") {
                patterns += "*";
            } else {
                for (char c : pattern) {
                    const char upper = util::UpperAscii(c);
                    if (upper != c) {
                        patterns += std::string("[") + c + upper + "]";
                    } else {
                        patterns += c;
                    }
                }
            }
        }
        start = end + 1;
    }
    return std::string(filter.description) + " (" + patterns + ")";
}

void Intake::CollectFolderFiles(std::vector<std::string>& paths, const std::string& folder) const {
    pool_->StartWorkers();  // they start while the folder is read
    std::vector<fs::path> folders;
    ListFolders(fs::path(folder), folders);
    for (const fs::path& f : folders) {
        for (const auto& entry : SortedEntries(f)) {
            std::error_code typeError;
            if (entry.is_directory(typeError)) continue;
            if (std::optional<std::string> accepted = AcceptedPath(entry.path().string())) {
                paths.push_back(std::move(*accepted));
            }
        }
    }
}

namespace {

enum class FirstLook { OwnReaderRead, Failed, ForEngine };

// What every probe does before the engine: path, extension and kind set; a file that is not
// regular refused (a FIFO or a device could keep a reader waiting for ever); the program's own
// reader for CD tracks, AIFC and voice-recorder files.
FirstLook LookFirst(const std::string& path, SourceItem& item, bool& cdTrackFailed, std::string& failure) {
    item.path = path;
    item.extension = util::LowerExtension(path);
    item.kind = SourceKind::EngineFile;
    if (!util::IsRegularFileOrLinkToOne(path)) {
        if (util::Exists(path)) failure = "not a regular file";
        return FirstLook::Failed;
    }
    const audio::OwnReaderKind readerKind = audio::OwnReaderKindForExtension(item.extension);
    if (readerKind == audio::OwnReaderKind::None) return FirstLook::ForEngine;
    audio::OwnReaderFacts facts;
    if (audio::ProbeWithOwnReader(path, readerKind, facts)) {
        item.kind = KindForReader(readerKind);
        item.durationSeconds = facts.durationSeconds;
        item.audioSampleRates.push_back(facts.sampleRate);
        item.audioBitRates.push_back(facts.bitrateKbps);
        item.audioChannels.push_back(facts.outputChannels);
        item.needsPreparation = true;
        return FirstLook::OwnReaderRead;
    }
    // A CD track is nothing the engine could read; other kinds fall back to the engine
    // (a plain AIFF, a Creative Voice file).
    if (readerKind == audio::OwnReaderKind::Bass) {
        cdTrackFailed = true;
        return FirstLook::Failed;
    }
    return FirstLook::ForEngine;
}

}  // namespace

bool ProbeSourceItem(const std::string& path, engine::ProbeWorker& worker, const engine::ProbeBatch* batch,
                     SourceItem& item, bool& cdTrackFailed, std::string& failure) {
    failure.clear();
    const FirstLook look = LookFirst(path, item, cdTrackFailed, failure);
    if (look != FirstLook::ForEngine) return look == FirstLook::OwnReaderRead;
    // The worker takes the arguments a lone probe would get, its program name left out.
    std::vector<std::string> args =
        platform::SplitCommandLine(engine::BuildProbeCommandLine("ferrox", path, item.extension));
    args.erase(args.begin());
    return worker.Probe(args, item.mediaInfo(), failure, batch);
}

std::vector<bool> ProbeSourceItems(const std::vector<std::string>& paths, std::vector<SourceItem>& items,
                                   engine::ProbePool& pool) {
    items = std::vector<SourceItem>(paths.size());
    std::vector<char> found(paths.size(), 0);
    auto batch = std::make_shared<engine::ProbeBatch>(paths.size());
    std::vector<engine::ProbePool::Task> tasks;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        tasks.push_back([&paths, &items, &found, i](engine::ProbeWorker& worker, const engine::ProbeBatch& b) {
            bool cdTrackFailed = false;
            std::string failure;
            found[i] = ProbeSourceItem(paths[i], worker, &b, items[i], cdTrackFailed, failure);
        });
    }
    pool.Run(batch, std::move(tasks));
    batch->WaitAll();
    return std::vector<bool>(found.begin(), found.end());
}

ProbeOutcome Intake::ProbeSource(const std::string& path) {
    const std::string failures = LoadSources({path}, nullptr);
    if (!failures.empty()) return ProbeOutcome::Failed;
    return lastAddedInLoad_ ? ProbeOutcome::Added : ProbeOutcome::Duplicate;
}

ProbeOutcome Intake::ProbeDvdTitle(const std::string& dvdFolder, int ordinal, int titleNumber) {
    const std::string key = DvdTitleKey(dvdFolder, titleNumber);
    if (index_.Contains(key)) return ProbeOutcome::Duplicate;
    auto item = std::make_unique<SourceItem>();
    item->kind = SourceKind::DvdTitle;
    item->dvdFolder = util::WithSlash(dvdFolder);
    item->dvdTitleNumber = titleNumber;
    item->dvdTitleOrdinal = ordinal;
    item->needsPreparation = true;
    const std::string firstVob = engine::FindDvdPiece(item->dvdFolder, titleNumber, 1);
    if (firstVob.empty()) return ProbeOutcome::Failed;
    // Through a pool worker as well, for its time limit.
    auto batch = std::make_shared<engine::ProbeBatch>(1, &cancelRequested_);
    bool found = false;
    SourceItem* probed = item.get();
    pool_->Run(batch, {[&found, probed, firstVob](engine::ProbeWorker& worker, const engine::ProbeBatch& b) {
                   std::string failure;
                   found = worker.Probe({"-i", firstVob}, probed->mediaInfo(), failure, &b);
               }});
    batch->WaitAll();
    if (!found) return ProbeOutcome::Failed;
    item->durationSeconds = 0;  // the first piece does not tell the title's length
    item->path = "DVD Title " + std::to_string(ordinal);
    const engine::SourceItem* added = item.get();
    lastRow_ = static_cast<int>(list_.InsertRow(std::move(item), settings_.RequestAudioIndex));
    index_.Add(key, added);
    return ProbeOutcome::Added;
}

std::string Intake::LoadSources(const std::vector<std::string>& paths, engine::LoadingWindow* window) {
    cdTrackFailed_ = false;
    lastAddedInLoad_ = false;
    const std::size_t total = paths.size();

    // Keys first: a duplicate, of a row or of an earlier path of this load, is never probed.
    auto pending = std::make_shared<std::vector<PendingSource>>(total);
    std::vector<std::size_t> toProbe;
    {
        std::unordered_map<std::string, bool> seen;
        for (std::size_t i = 0; i < total; ++i) {
            PendingSource& p = (*pending)[i];
            p.path = paths[i];
            p.key = SourceKey(p.path);
            if (index_.Contains(p.key) || !seen.emplace(p.key, true).second) continue;
            p.probed = true;
            toProbe.push_back(i);
        }
    }
    auto batch = std::make_shared<engine::ProbeBatch>(toProbe.size(), &cancelRequested_);
    std::vector<engine::ProbePool::Task> tasks;
    tasks.reserve(toProbe.size());
    for (std::size_t i : toProbe) {
        tasks.push_back([pending, i](engine::ProbeWorker& worker, const engine::ProbeBatch& b) {
            PendingSource& p = (*pending)[i];
            auto item = std::make_unique<SourceItem>();
            p.found = ProbeSourceItem(p.path, worker, &b, *item, p.cdTrackFailed, p.failure);
            if (p.found) p.item = std::move(item);
            p.ran = true;
        });
    }
    pool_->Run(batch, std::move(tasks));

    // Rows go in in path order, whatever order the answers come in.
    constexpr int kPumpMs = 15;
    std::string failures;
    int failureCount = 0;
    std::size_t batchIndex = 0;
    bool cancelled = false;
    for (std::size_t i = 0; i < total && !cancelled; ++i) {
        PendingSource& p = (*pending)[i];
        if (window) {
            window->SetStatus(fmt::format("[{}/{}] Adding file {}...", i + 1, total, util::FileNamePart(p.path)));
            window->SetBarPosition(static_cast<int>(
                (i + 1) * static_cast<std::size_t>(std::max(1, window->BarWidth())) / std::max<std::size_t>(1, total)));
        }
        if (p.probed) {
            const std::size_t index = batchIndex++;
            while (!batch->WaitDone(index, window ? kPumpMs : 1000)) {
                if (window) {
                    window->ProcessPendingMessages();
                    if (window->Cancelled()) batch->Cancel();
                }
            }
            if (batch->Cancelled()) {
                // This file may have been cut short: it is neither a row nor a failure.
                if (!p.ran || (!p.found && p.failure == "cancelled")) break;
                cancelled = true;
            }
            if (p.cdTrackFailed) cdTrackFailed_ = true;
            if (p.found) {
                const engine::SourceItem* added = p.item.get();
                lastRow_ = static_cast<int>(list_.InsertRow(std::move(p.item), settings_.RequestAudioIndex));
                index_.Add(p.key, added);
                lastAddedInLoad_ = true;
            } else {
                if (failureCount < kMaxReportedFailures) {
                    failures += FailureLine(p.path, p.failure);
                } else if (failureCount == kMaxReportedFailures) {
                    failures += "<more files>...\n";
                }
                ++failureCount;
            }
        }
        if (window) {
            window->ProcessPendingMessages();
            if (window->Cancelled()) {
                batch->Cancel();
                cancelled = true;
            }
        }
        if (batch->Cancelled()) cancelled = true;
    }
    batch->Cancel();  // whatever is left is not wanted any more
    batch->WaitAll();
    return failures;
}

}  // namespace quillon::app
