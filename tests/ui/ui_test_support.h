#pragma once
// What the widget tests share: one QApplication for the process and desktop services that
// record instead of opening anything.

#include <QString>
#include <QStringList>
#include <QTest>

#include <chrono>
#include <cstdint>

#include <ostream>
#include <vector>

#include "ui/ui_services.h"

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace quillon::ui {
class COptVideoPage;
}

namespace quillon::test {

// Lets the event loop run until condition holds; false after timeoutMs.
template <typename Condition>
bool WaitFor(Condition condition, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        QTest::qWait(20);
    }
    return true;
}

// Chooses an output format on the video page as the user does (adds a failure without it).
void ChooseFormatOn(ui::COptVideoPage& page, int32_t id);

class RecordingServices final : public ui::UiServices {
public:
    struct Message {
        ui::MessageIcon icon;
        QString text;
        const QWidget* parent = nullptr;  // the window the box belongs to
    };

    int OpenDocument(const std::string& target) override {
        opened.push_back(QString::fromStdString(target));
        return openResult;
    }
    void ShowMessage(QWidget* parent, ui::MessageIcon icon, const QString& text) override {
        messages.push_back({icon, text, parent});
    }
    bool AskYesNo(QWidget* parent, ui::MessageIcon icon, const QString& text) override {
        messages.push_back({icon, text, parent});
        return answerYes;
    }

    void ShowInFileManager(const std::string& path) override { shown.push_back(QString::fromStdString(path)); }
    bool PowerOff(std::string& error) override {
        ++powerOffRequests;
        error = "Interactive authentication required.";
        return false;
    }

    void Reset() {
        opened.clear();
        messages.clear();
        openResult = ui::kOpenSucceeded;
        answerYes = false;
        shown.clear();
        powerOffRequests = 0;
    }

    QStringList opened;
    QStringList shown;
    int powerOffRequests = 0;
    std::vector<Message> messages;
    int openResult = ui::kOpenSucceeded;
    bool answerYes = false;
};

// The services every ui test runs with; reset before each test by the test's fixture or by hand.
RecordingServices& Recorder();

}  // namespace quillon::test
