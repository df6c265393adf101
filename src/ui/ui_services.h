#pragma once
// The window's side of the desktop: the desktop requests of app::Desktop, and message boxes
// over a window. Tests put their own implementation in place so that nothing opens a browser
// or blocks.

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

    using app::Desktop::OpenDocument;
    using app::Desktop::ShowInFileManager;
    int OpenDocument(const QString& target) { return OpenDocument(target.toStdString()); }
    void ShowInFileManager(const QString& path) { ShowInFileManager(path.toStdString()); }
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
