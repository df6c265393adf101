#pragma once
// The window's side of the desktop: the desktop requests of app::Desktop, and message boxes
// over a window. Tests put their own implementation in place so that nothing opens a browser
// or blocks. WindowDesktop is the app::Desktop of one window: its messages appear over it.

#include <QString>

#include <string>

#include "app/desktop.h"

class QWidget;

namespace quillon::ui {

using app::kOpenFileNotFound;
using app::kOpenNoAssociation;
using app::kOpenSucceeded;
using app::MessageIcon;

class UiServices : public app::Desktop {
public:
    // A message box with the product name as caption.
    virtual void ShowMessage(QWidget* parent, MessageIcon icon, const QString& text) = 0;
    // Yes and No buttons; true for Yes.
    virtual bool AskYesNo(QWidget* parent, MessageIcon icon, const QString& text) = 0;
    // A box over no window.
    void ShowMessage(const std::string& text, MessageIcon icon) final;

    using app::Desktop::OpenDocument;
    using app::Desktop::ShowInFileManager;
    int OpenDocument(const QString& target) { return OpenDocument(target.toStdString()); }
    void ShowInFileManager(const QString& path) { ShowInFileManager(path.toStdString()); }
};

// The desktop as app code of one window sees it, through the services in use at each call.
class WindowDesktop final : public app::Desktop {
public:
    explicit WindowDesktop(QWidget* window) : window_(window) {}
    void ShowMessage(const std::string& text, MessageIcon icon) override;
    int OpenDocument(const std::string& target) override;
    void ShowInFileManager(const std::string& path) override;
    bool PowerOff(std::string& error) override;

private:
    QWidget* window_;
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
