#include "platform/desktop.h"

#include <string_view>
#include <thread>

#include "platform/process.h"

namespace quillon::platform {

namespace {

// A file URI with every byte outside the unreserved set and "/" percent-encoded.
std::string FileUri(const std::string& path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' ||
                           c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 15];
        }
    }
    return uri;
}

std::string Folder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool RunDesktopCommand(const std::vector<std::string>& argv, std::string& error) {
    StartedProcess started;
    if (!StartProcess(argv, {}, started, &error)) return false;
    std::string output;
    char buffer[4096];
    for (;;) {
        const auto r = started.output.Read(buffer, sizeof buffer, 1000);
        if (r.status == PipeHandle::ReadStatus::Data) {
            output.append(buffer, r.bytes);
        } else if (r.status == PipeHandle::ReadStatus::End || started.process.HasEnded()) {
            break;
        }
    }
    started.process.Wait(-1);
    const std::optional<int> code = started.process.ExitCode();
    if (code && *code == 0) return true;
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
    for (char& c : output) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    error = output.empty() ? argv.front() + " failed" : output;
    return false;
}

OpenOutcome OpenWithDefaultApplication(const std::string& uri, int waitMs) {
    // The opener stays in this program's group, its messages go where this program's go, and
    // whatever it starts (a browser) is not ended with it.
    ProcessOptions options;
    options.capture = OutputCapture::None;
    options.ownSession = false;
    StartedProcess started;
    if (!StartProcessWith({"xdg-open", uri}, options, started)) return OpenOutcome::Failed;
    if (!started.process.Wait(waitMs)) {
        // Reaped when it ends rather than killed with a dropped handle.
        std::thread([opener = started.process]() mutable { opener.Wait(-1); }).detach();
        return OpenOutcome::Opened;
    }
    const std::optional<int> code = started.process.ExitCode();
    if (code && *code == 0) return OpenOutcome::Opened;
    return code && *code == 2 ? OpenOutcome::NotFound : OpenOutcome::Failed;
}

std::vector<std::vector<std::string>> PowerOffCommands() {
    return {
        {"busctl", "call", "org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
         "PowerOff", "b", "true"},
        {"gdbus", "call", "--system", "--dest", "org.freedesktop.login1", "--object-path", "/org/freedesktop/login1",
         "--method", "org.freedesktop.login1.Manager.PowerOff", "true"},
        {"systemctl", "poweroff"},
    };
}

bool RequestPowerOff(std::string& error, const CommandRunner& run) {
    for (const auto& argv : PowerOffCommands()) {
        if (run(argv, error)) return true;
    }
    return false;
}

std::vector<std::vector<std::string>> ShowFileCommands(const std::string& path) {
    return {
        {"gdbus", "call", "--session", "--dest", "org.freedesktop.FileManager1", "--object-path",
         "/org/freedesktop/FileManager1", "--method", "org.freedesktop.FileManager1.ShowItems",
         "['" + FileUri(path) + "']", ""},
        {"xdg-open", Folder(path)},
    };
}

bool ShowFileInFileManager(const std::string& path, const CommandRunner& run) {
    std::string error;
    for (const auto& argv : ShowFileCommands(path)) {
        if (run(argv, error)) return true;
    }
    return false;
}

}  // namespace quillon::platform
