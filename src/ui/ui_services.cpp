#include "ui/ui_services.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include "app/product_info.h"
#include "platform/desktop.h"

namespace quillon::ui {

namespace {

class DesktopServices final : public UiServices {
public:
    int OpenDocument(const std::string& target) override { return OpenWithDesktop(QString::fromStdString(target)); }

    void ShowMessage(QWidget* parent, MessageIcon icon, const QString& text) override {
        QMessageBox box(BoxIcon(icon), QString::fromUtf8(app::kProductName), text, QMessageBox::Ok, parent);
        box.exec();
    }

    bool AskYesNo(QWidget* parent, MessageIcon icon, const QString& text) override {
        QMessageBox box(BoxIcon(icon), QString::fromUtf8(app::kProductName), text, QMessageBox::Yes | QMessageBox::No,
                        parent);
        return box.exec() == QMessageBox::Yes;
    }

    void ShowInFileManager(const std::string& path) override { platform::ShowFileInFileManager(path); }

    bool PowerOff(std::string& error) override { return platform::RequestPowerOff(error); }

private:
    static QMessageBox::Icon BoxIcon(MessageIcon icon) {
        switch (icon) {
        case MessageIcon::Error: return QMessageBox::Critical;
        case MessageIcon::Warning: return QMessageBox::Warning;
        case MessageIcon::Question: return QMessageBox::Question;
        case MessageIcon::Information: break;
        }
        return QMessageBox::Information;
    }
};

UiServices* g_services = nullptr;

}  // namespace

void UiServices::ShowMessage(const std::string& text, MessageIcon icon) {
    ShowMessage(nullptr, icon, QString::fromStdString(text));
}

void WindowDesktop::ShowMessage(const std::string& text, MessageIcon icon) {
    Services().ShowMessage(window_, icon, QString::fromStdString(text));
}

int WindowDesktop::OpenDocument(const std::string& target) { return Services().OpenDocument(target); }

void WindowDesktop::ShowInFileManager(const std::string& path) { Services().ShowInFileManager(path); }

bool WindowDesktop::PowerOff(std::string& error) { return Services().PowerOff(error); }

int OpenWithDesktop(const QString& target, int waitMs) {
    QUrl url;
    if (target.contains(QStringLiteral("://")) || target.startsWith(QStringLiteral("mailto:"))) {
        url = QUrl(target);
    } else {
        if (!QFileInfo::exists(target)) return kOpenFileNotFound;
        url = QUrl::fromLocalFile(target);
    }
    // xdg-open tells by its exit status whether a handler took the address; a started opener
    // alone proves nothing.
    switch (platform::OpenWithDefaultApplication(url.toString(QUrl::FullyEncoded).toStdString(), waitMs)) {
    case platform::OpenOutcome::Opened: return kOpenSucceeded;
    case platform::OpenOutcome::NotFound: return kOpenFileNotFound;
    case platform::OpenOutcome::Failed: break;
    }
    return kOpenNoAssociation;
}

UiServices& Services() {
    static DesktopServices desktop;
    return g_services ? *g_services : desktop;
}

void SetServices(UiServices* services) { g_services = services; }

bool OpenHyperlink(QWidget* parent, const QString& target) {
    const int result = Services().OpenDocument(target);
    if (result > 32) return true;
    QApplication::beep();
    Services().ShowMessage(parent, MessageIcon::Warning,
                           QStringLiteral("Unable to open hyperlink:\n\n") + OpenErrorText(result));
    return false;
}

QString OpenErrorText(int code) {
    switch (code) {
    case 0: return QStringLiteral("The operating system is out\nof memory or resources.");
    case 2: return QStringLiteral("The specified file was not found.");
    case 3: return QStringLiteral("The specified path was not found.");
    case 5: return QStringLiteral("The operating system denied\naccess to the specified file.");
    case 8: return QStringLiteral("There was not enough memory to complete the operation.");
    case 11: return QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    case 26: return QStringLiteral("A sharing violation occurred. ");
    case 27: return QStringLiteral("The filename association is\nincomplete or invalid.");
    case 28: return QStringLiteral("The DDE transaction could not\nbe completed because the request timed out.");
    case 29: return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral(
            "The DDE transaction could not\nbe completed because other DDE transactions\n"
            "were being processed.");
    case 31: return QStringLiteral("There is no application associated\nwith the given filename extension.");
    case 32: return QStringLiteral("The specified dynamic-link library was not found.");
    default: return QStringLiteral("Unknown Error (%1) occurred.").arg(code);
    }
}

}  // namespace quillon::ui
