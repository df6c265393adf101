#include "ui/desktop_notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QVariantMap>
#include <QWidget>

#include "app/product_info.h"

namespace quillon::ui {

namespace {

const char* const kService = "org.freedesktop.Notifications";
const char* const kPath = "/org/freedesktop/Notifications";
const char* const kInterface = "org.freedesktop.Notifications";
const char* const kDesktopEntry = "quillon";
const char* const kLauncherPath = "/org/quillon/launcher";
const char* const kLauncherInterface = "com.canonical.Unity.LauncherEntry";

QString Latin(const char* text) { return QString::fromLatin1(text); }

}  // namespace

QString NoticeSummary() { return QStringLiteral("%1: conversions finished").arg(QString::fromUtf8(app::kProductName)); }

QString NoticeBody(const app::RunTally& tally) {
    return QStringLiteral("%1 file(s) converted, %2 skipped, %3 failed.")
        .arg(tally.converted)
        .arg(tally.skipped)
        .arg(tally.failed);
}

DesktopNotifier::DesktopNotifier(QWidget* window, QDBusConnection bus)
    : QObject(window), window_(window), bus_(std::move(bus)) {
    active_ = [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; };
    if (bus_.isConnected()) {
        bus_.connect(Latin(kService), Latin(kPath), Latin(kInterface), QStringLiteral("ActionInvoked"), this,
                     SLOT(OnActionInvoked(uint, QString)));
    }
}

bool DesktopNotifier::RunFinished(const app::RunTally& tally) {
    HideLauncherProgress();
    if (!enabled_ || (active_ && active_()) || !bus_.isConnected()) return false;
    QDBusMessage call =
        QDBusMessage::createMethodCall(Latin(kService), Latin(kPath), Latin(kInterface), QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), Latin(kDesktopEntry));
    call << QString::fromUtf8(app::kProductName) << uint(0) << Latin(kDesktopEntry) << NoticeSummary()
         << NoticeBody(tally) << QStringList{QStringLiteral("default"), QStringLiteral("Show")} << hints << int(-1);
    noticeId_ = 0;
    // Never waits: without a service the call just comes back with an error.
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* answered) {
        const QDBusPendingReply<uint> reply = *answered;
        noticeId_ = reply.isError() ? 0 : reply.value();
        answered->deleteLater();
        Q_EMIT NoticeAnswered(noticeId_);
    });
    return true;
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& action) {
    if (id == 0 || id != noticeId_ || action != QLatin1String("default") || !window_) return;
    if (window_->isMinimized()) window_->showNormal();
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void DesktopNotifier::ShowLauncherProgress(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent == launcherPercent_) return;  // one signal per change, not per engine report
    launcherPercent_ = percent;
    SendLauncherUpdate(percent / 100.0, true);
}

void DesktopNotifier::HideLauncherProgress() {
    if (launcherPercent_ < 0) return;
    launcherPercent_ = -1;
    SendLauncherUpdate(0.0, false);
}

void DesktopNotifier::SendLauncherUpdate(double progress, bool visible) {
    if (!bus_.isConnected()) return;
    QDBusMessage signal =
        QDBusMessage::createSignal(Latin(kLauncherPath), Latin(kLauncherInterface), QStringLiteral("Update"));
    QVariantMap properties;
    properties.insert(QStringLiteral("progress"), progress);
    properties.insert(QStringLiteral("progress-visible"), visible);
    signal << QStringLiteral("application://%1.desktop").arg(Latin(kDesktopEntry)) << properties;
    bus_.send(signal);
}

}  // namespace quillon::ui
