#pragma once
// What the program asks of the desktop: message boxes, opening documents and addresses, showing
// a file in the file manager, and powering the computer off. The window's implementation shows
// boxes over the window (ui::WindowDesktop), the command line prints to the terminal, and tests
// record.

#include <string>

namespace quillon::app {

// Exclamation is the warning's other name, as the two are one icon.
enum class MessageIcon { Information, Warning, Error, Question, Exclamation = Warning };

// Results of OpenDocument as the shell reports them: above 32 is success.
inline constexpr int kOpenSucceeded = 42;
inline constexpr int kOpenFileNotFound = 2;
inline constexpr int kOpenNoAssociation = 31;

class Desktop {
public:
    virtual ~Desktop() = default;
    // A message box captioned with the product name.
    virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;
    // Opens a web or mail address, a file or a folder with the desktop's default handler.
    virtual int OpenDocument(const std::string& target) = 0;
    // Shows the file selected in the desktop's file manager.
    virtual void ShowInFileManager(const std::string& path) = 0;
    // Asks the system to power off; false with the reason in error.
    virtual bool PowerOff(std::string& error) = 0;
};

}  // namespace quillon::app
