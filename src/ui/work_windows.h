#pragma once
// The small windows that report long work: the progress window of a conversion run, the loading
// window of adding and preparing sources, and the countdown before the computer shuts down.

#include <QDialog>
#include <QTimer>

#include <functional>

#include "app/after_conversion.h"
#include "app/run_host.h"
#include "engine/loading_window.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace quillon::ui {

// A window without a caption that the left button drags from any free spot.
class CaptionlessDialog : public QDialog {
    Q_OBJECT
public:
    explicit CaptionlessDialog(QWidget* parent);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void CentreOnParent();

private:
    QPoint dragOffset_;
    bool dragging_ = false;
};

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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ProgressWindowActions actions_;
    QLabel* status_ = nullptr;
    QLabel* percent_ = nullptr;
    QProgressBar* bar_ = nullptr;
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

class LoadingDialog final : public CaptionlessDialog, public engine::LoadingWindow {
    Q_OBJECT
public:
    explicit LoadingDialog(QWidget* parent);
    ~LoadingDialog() override;

    void SetStatus(const std::string& text) override;
    void SetPercentText(const std::string& text) override;
    int BarWidth() const override;
    void SetBarPosition(int position) override;
    void ProcessPendingMessages() override;
    bool Cancelled() const override { return cancelled_; }

    QLabel* StatusLine() const { return status_; }
    QPushButton* CancelButton() const { return cancel_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* status_ = nullptr;
    QLabel* percent_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool cancelled_ = false;
};

// The 30-second countdown: accepted when it runs out, rejected by Cancel.
class CountdownDialog final : public QDialog {
    Q_OBJECT
public:
    CountdownDialog(QWidget* parent, app::ShutdownCountdown& countdown, int tickMs = app::ShutdownCountdown::kTickMs);

    QLabel* MessageLabel() const { return message_; }
    QLabel* CountdownLabel() const { return countdownText_; }
    QPushButton* CancelButton() const { return cancel_; }

private:
    void OnTick();

    app::ShutdownCountdown& countdown_;
    QLabel* message_ = nullptr;
    QLabel* countdownText_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer timer_;
};

}  // namespace quillon::ui
