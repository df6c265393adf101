#include "platform/registry_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <ctime>
#include <filesystem>

#include "platform/known_folders.h"

namespace quillon::platform {

namespace {

constexpr std::string_view kFileName = "quillon.reg";

bool ReadWholeFile(const std::string& path, std::string& text, bool& missing) {
    missing = false;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        missing = errno == ENOENT;
        return false;
    }
    text.clear();
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// An exclusive lock on the store's lock file for the lifetime of the object. The lock file is
// separate from the store because the store itself is replaced by rename.
class StoreLock {
public:
    explicit StoreLock(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ < 0) return;
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~StoreLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Keeps a damaged store for the user to inspect; never replaces an earlier kept copy.
void MoveAside(const std::string& path) {
    char stamp[32];
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    std::string base = path + ".damaged-" + stamp;
    std::string target = base;
    struct stat st;
    for (int n = 2; ::lstat(target.c_str(), &st) == 0; ++n) target = base + "-" + std::to_string(n);
    ::rename(path.c_str(), target.c_str());
}

}  // namespace

RegistryStore::RegistryStore() : RegistryStore(ConfigFolder()) {}

RegistryStore::RegistryStore(std::string folder)
    : folder_(std::move(folder)), path_(folder_ + "/" + std::string(kFileName)) {}

RegistryTree RegistryStore::Read() {
    std::string text;
    bool missing = false;
    if (!ReadWholeFile(path_, text, missing)) return {};
    if (std::optional<RegistryTree> tree = RegistryTree::Parse(text)) return std::move(*tree);

    // Damaged, or caught between two writers on a file system without atomic rename: look
    // again under the lock before keeping it aside.
    StoreLock lock(path_ + ".lock");
    if (!lock.Held()) return {};
    if (!ReadWholeFile(path_, text, missing)) return {};
    if (std::optional<RegistryTree> tree = RegistryTree::Parse(text)) return std::move(*tree);
    MoveAside(path_);
    return {};
}

bool RegistryStore::Update(const std::function<void(RegistryTree&)>& apply) {
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    StoreLock lock(path_ + ".lock");
    if (!lock.Held()) return false;

    std::string before;
    bool missing = false;
    RegistryTree tree;
    if (ReadWholeFile(path_, before, missing)) {
        if (std::optional<RegistryTree> parsed = RegistryTree::Parse(before)) {
            tree = std::move(*parsed);
        } else {
            MoveAside(path_);
            missing = true;
        }
    } else if (!missing) {
        return false;  // unreadable: writing would throw its values away
    }
    apply(tree);
    const std::string after = tree.Serialize();
    if (!missing && after == before) return true;

    const std::string temp = path_ + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, after) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), path_.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    int dir = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace quillon::platform
