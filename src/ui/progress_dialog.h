#pragma once
// The progress window of a conversion run.

#include <functional>

#include "app/run_host.h"
#include "ui/captionless_dialog.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace quillon::ui {

// The choices the user makes in the progress window, handed on to the run.
struct ProgressWindowActions {
    std::function<void()> cancel;
    std::function<void(int)> threadCount;
    std::function<void(uint32_t)> priority;
    std::function<void(const QString&)> openFolder;
    std::function<void(int)> overallPercent;  // for the desktop's launcher
};

class ProgressDialog final : public CaptionlessDialog, public app::ProgressWindow {
    Q_OBJECT
public:
    ProgressDialog(QWidget* parent, const app::ProgressWindowSetup& setup, ProgressWindowActions actions);
    ~ProgressDialog() override;

    void SetStatus(const std::string& text) override;
    void SetPercentText(const std::string& text) override;
    int BarWidth() const override;
    void SetBarPosition(int position) override;
    void SetBarStep(int step) override { barStep_ = step; }
    void StepBar() override;
    bool ShutdownChecked() const override;
    void SetOverallPercent(int percent) override;
    void SetTimeLeft(const std::string& text) override;

    QLabel* StatusLine() const { return status_; }
    QLabel* PercentLabel() const { return percent_; }
    QLabel* TimeLeftLabel() const { return timeLeft_; }
    QProgressBar* Bar() const { return bar_; }
    QPushButton* CancelButton() const { return cancel_; }
    QPushButton* OutputFolderButton() const { return folderButton_; }
    QLabel* OutputFolderLabel() const { return folderLabel_; }
    QCheckBox* ShutdownBox() const { return shutdown_; }
    QComboBox* ThreadsBox() const { return threads_; }
    QComboBox* PriorityBox() const { return priority_; }

private:
    ProgressWindowActions actions_;
    QLabel* timeLeft_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* folderButton_ = nullptr;
    QLabel* folderLabel_ = nullptr;
    QString folder_;
    QCheckBox* shutdown_ = nullptr;
    QComboBox* threads_ = nullptr;
    QComboBox* priority_ = nullptr;
    int barStep_ = 1;
};

}  // namespace quillon::ui
