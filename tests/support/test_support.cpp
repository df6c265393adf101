#include "test_support.h"

#include <sys/resource.h>
#include <csignal>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace quillon::test {

fs::path BinDir() { return fs::path(QUILLON_BIN_DIR); }
std::string Cli() { return (BinDir() / "quillon-cli").string(); }
std::string Ferrox() { return (BinDir() / "ferrox").string(); }
std::string Tavrel() { return (BinDir() / "tavrel").string(); }

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    fs::path root = base && *base ? fs::path(base) : fs::temp_directory_path();
    static std::mt19937_64 rng{std::random_device{}()};
    for (;;) {
        path_ = root / ("t" + std::to_string(rng() % 100000000));
        std::error_code ec;
        if (fs::create_directories(path_, ec)) break;
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

CommandResult RunCommand(const std::vector<std::string>& argv, std::uint64_t fileSizeLimit, unsigned uid) {
    CommandResult result;
    int fds[2];
    if (argv.empty() || pipe2(fds, O_CLOEXEC) != 0) return result;
    pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return result;
    }
    if (pid == 0) {
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        int devnull = open("/dev/null", O_RDONLY);
        if (devnull >= 0) dup2(devnull, 0);
        if (fileSizeLimit > 0) {
            // Writes past the limit then fail with EFBIG, as on a full disk, instead of a signal.
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
        }
        if (uid != 0 && (setgid(uid) != 0 || setuid(uid) != 0)) _exit(126);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(fds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
        if (n > 0) result.output.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool RunFfmpeg(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"ffmpeg", "-nostdin", "-y", "-hide_banner", "-loglevel", "error"};
    argv.insert(argv.end(), args.begin(), args.end());
    CommandResult r = RunCommand(argv);
    EXPECT_EQ(r.exitCode, 0) << r.output;
    return r.exitCode == 0;
}

bool MakeClip(const fs::path& out, double seconds, int audioStreams, int channels, int width, int height, int rate) {
    const std::string duration = std::to_string(seconds);
    std::vector<std::string> args{"-f", "lavfi", "-i",
                                  "testsrc=size=" + std::to_string(width) + "x" + std::to_string(height) +
                                      ":rate=" + std::to_string(rate) + ":duration=" + duration};
    for (int i = 0; i < audioStreams; ++i) {
        args.insert(args.end(),
                    {"-f", "lavfi", "-i",
                     "sine=frequency=" + std::to_string(440 + 110 * i) + ":sample_rate=44100:duration=" + duration});
    }
    args.insert(args.end(), {"-map", "0:v"});
    for (int i = 0; i < audioStreams; ++i) {
        args.insert(args.end(), {"-map", std::to_string(i + 1) + ":a"});
    }
    if (audioStreams > 0) args.insert(args.end(), {"-ac", std::to_string(channels)});
    args.insert(args.end(), {"-pix_fmt", "yuv420p", "-shortest", out.string()});
    return RunFfmpeg(args);
}

bool MakeAudio(const fs::path& out, double seconds, int channels, int sampleRate) {
    return RunFfmpeg(
        {"-f", "lavfi", "-i",
         "sine=frequency=440:sample_rate=" + std::to_string(sampleRate) + ":duration=" + std::to_string(seconds), "-ac",
         std::to_string(channels), out.string()});
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace quillon::test
