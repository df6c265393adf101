#pragma once
// Helpers shared by every test area: private folders, running programs, generated media.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quillon::test {

// The folder the program's executables were built into (quillon-cli, ferrox, tavrel).
std::filesystem::path BinDir();
// The built programs, by their full paths.
std::string Cli();
std::string Ferrox();
std::string Tavrel();

// A fresh folder below the test process's private temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

struct CommandResult {
    int exitCode = -1;   // -1 when the program could not be started or was killed
    std::string output;  // standard output and error, interleaved
};

// Runs a program without a shell and collects what it prints. A fileSizeLimit above 0 limits
// the size of every file the program writes (RLIMIT_FSIZE), to act as a full disk; a uid above
// 0 runs it without root's rights (root ignores file permissions).
CommandResult RunCommand(const std::vector<std::string>& argv, std::uint64_t fileSizeLimit = 0, unsigned uid = 0);

// Runs ffmpeg quietly with the given arguments (after "-y -hide_banner -loglevel error");
// fails the current test when ffmpeg fails.
bool RunFfmpeg(const std::vector<std::string>& args);

// Generated media, tiny and made on the spot with lavfi sources.
// A clip with video (testsrc, size WxH, rate) and `audioStreams` sine streams of `channels` each.
bool MakeClip(const std::filesystem::path& out, double seconds, int audioStreams = 1, int channels = 2, int width = 320,
              int height = 240, int rate = 25);
bool MakeAudio(const std::filesystem::path& out, double seconds, int channels = 2, int sampleRate = 44100);

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

}  // namespace quillon::test
