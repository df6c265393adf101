#pragma once
// What the windows ask of the desktop: opening documents and addresses, and message boxes.
// Tests put their own implementation in place so that nothing opens a browser or blocks.

#include <QString>

#include <string>

class QWidget;

namespace quillon::ui {

enum class MessageIcon { Error, Warning, Information, Question };

// Results of OpenDocument as the shell reports them: above 32 is success.
inline constexpr int kOpenSucceeded = 42;
inline constexpr int kOpenFileNotFound = 2;
inline constexpr int kOpenNoAssociation = 31;

class UiServices {
public:
    virtual ~UiServices() = default;
    // Opens a web or mail address, a file or a folder with the desktop's default handler.
    virtual int OpenDocument(const QString& target) = 0;
    // A message box with the product name as caption.
    virtual void ShowMessage(QWidget* parent, MessageIcon icon, const QString& text) = 0;
    // Yes and No buttons; true for Yes.
    virtual bool AskYesNo(QWidget* parent, MessageIcon icon, const QString& text) = 0;
    // Shows the file selected in the desktop's file manager.
    virtual void ShowInFileManager(const QString& path) = 0;
    // Asks the system to power off; false with the reason in error.
    virtual bool PowerOff(std::string& error) = 0;
};

// The desktop's opener (xdg-open) on a file, folder or address, waiting up to waitMs for its
// verdict: kOpenSucceeded, kOpenFileNotFound, or kOpenNoAssociation when it is missing or failed.
int OpenWithDesktop(const QString& target, int waitMs = 3000);

// The services in use: the desktop's unless replaced.
UiServices& Services();
// Replaces the services (nullptr restores the desktop's); the caller keeps ownership.
void SetServices(UiServices* services);

// The text a failed OpenDocument result stands for.
QString OpenErrorText(int code);

// Opens a link or web address; a failure is told ("Unable to open hyperlink" and the reason)
// rather than passed over. False when it failed.
bool OpenHyperlink(QWidget* parent, const QString& target);

}  // namespace quillon::ui
