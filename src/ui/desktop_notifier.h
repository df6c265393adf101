#pragma once
// Word to the desktop: a notification when a run ends while none of our windows is active
// (freedesktop notifications; a click on it raises the window), and the run's progress on the
// launcher entry (the LauncherEntry signal). Nothing happens without a service to take them.

#include <QDBusConnection>
#include <QObject>
#include <QPointer>

#include <functional>

#include "app/conversion_run.h"

class QWidget;

namespace quillon::ui {

class DesktopNotifier final : public QObject {
    Q_OBJECT
public:
    explicit DesktopNotifier(QWidget* window, QDBusConnection bus = QDBusConnection::sessionBus());

    // "Notify me when conversions finish".
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Enabled() const { return enabled_; }
    // Whether one of the program's windows has the focus; the application's state by default.
    void SetActiveCheck(std::function<bool()> active) { active_ = std::move(active); }

    // The run ended: sends the notice when it is wanted. True when it was sent.
    bool RunFinished(const app::RunTally& tally);
    // The launcher entry's progress bar, 0..100; Hide takes it away.
    void ShowLauncherProgress(int percent);
    void HideLauncherProgress();

    // The id the service gave the last notice (0 before its answer).
    uint NoticeId() const { return noticeId_; }

Q_SIGNALS:
    // The service answered the last notice, with its id or 0 when it refused or was missing.
    void NoticeAnswered(uint id);

private Q_SLOTS:
    void OnActionInvoked(uint id, const QString& action);

private:
    void SendLauncherUpdate(double progress, bool visible);

    QPointer<QWidget> window_;
    QDBusConnection bus_;
    std::function<bool()> active_;
    bool enabled_ = true;
    uint noticeId_ = 0;
    int launcherPercent_ = -1;
};

// The notice's texts.
QString NoticeSummary();
QString NoticeBody(const app::RunTally& tally);

}  // namespace quillon::ui
