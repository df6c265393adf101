#pragma once
// Requests to the desktop session and the system: opening a document or address, showing a
// file in the file manager and powering the computer off. Each is a short child process (gdbus,
// busctl, systemctl, xdg-open); the command lists are plain data so they can be checked without
// running them.

#include <functional>
#include <string>
#include <vector>

namespace quillon::platform {

// How the desktop's opener took a file, folder or address.
enum class OpenOutcome { Opened, NotFound, Failed };

// xdg-open on a URI, waiting up to waitMs for its verdict (its exit status: 2 means the file
// does not exist). An opener still running then is taken as a handler at work and is left to
// end on its own; one that cannot start has failed.
OpenOutcome OpenWithDefaultApplication(const std::string& uri, int waitMs);

// Runs one command; true when it started and exited with 0. error gets the reason otherwise.
using CommandRunner = std::function<bool(const std::vector<std::string>& argv, std::string& error)>;

// Runs argv without a shell, waits for it, and collects its output as the error text.
bool RunDesktopCommand(const std::vector<std::string>& argv, std::string& error);

// The power-off requests in the order they are tried: logind's PowerOff over D-Bus (allowing
// an authentication dialog), first through busctl, then through gdbus, then systemctl.
std::vector<std::vector<std::string>> PowerOffCommands();

// Tries each command until one succeeds. On failure error holds the last command's reason.
bool RequestPowerOff(std::string& error, const CommandRunner& run = RunDesktopCommand);

// org.freedesktop.FileManager1.ShowItems for the file, else xdg-open on its folder.
std::vector<std::vector<std::string>> ShowFileCommands(const std::string& path);
bool ShowFileInFileManager(const std::string& path, const CommandRunner& run = RunDesktopCommand);

}  // namespace quillon::platform
