// Word when a run is done: the desktop notification through a fake notification service on a
// private session bus, the launcher entry's progress, and the engine's record of a failed row.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QHeaderView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

#include <chrono>
#include <filesystem>

#include "app/finish_notice.h"
#include "app/main_commands.h"
#include "platform/registry_store.h"
#include "test_support.h"
#include "ui/desktop_notifier.h"
#include "ui/engine_output_window.h"
#include "ui/file_list_view.h"
#include "ui/image_button.h"
#include "ui/main_window.h"
#include "ui/opt_output_page.h"
#include "ui/output_format_box.h"
#include "ui/window_commands.h"
#include "ui_test_support.h"
#include "window_fixture.h"

namespace quillon::ui {
namespace {

using namespace app::command;

namespace fs = std::filesystem;

// A private session bus for one test: its own dbus-daemon, stopped at the end.
class PrivateBus {
public:
    PrivateBus() {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        if (!daemon_.waitForStarted(5000)) return;
        if (!QTest::qWaitFor([this] { return daemon_.canReadLine(); }, 5000)) return;
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus() {
        for (const QString& name : names_) QDBusConnection::disconnectFromBus(name);
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    bool Running() const { return !address_.isEmpty(); }
    // A new connection to the bus.
    QDBusConnection Connect(const QString& name) {
        names_ << name;
        return QDBusConnection::connectToBus(address_, name);
    }

private:
    QProcess daemon_;
    QString address_;
    QStringList names_;
};

// org.freedesktop.Notifications as a desktop provides it: it records each notice, answers with
// an id, and can say that the user clicked one.
class FakeNotificationService final : public QDBusVirtualObject {
public:
    struct Notice {
        QString app, icon, summary, body;
        QStringList actions;
        QVariantMap hints;
    };

    explicit FakeNotificationService(QDBusConnection bus) : bus_(std::move(bus)) {
        ok_ = bus_.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"), this) &&
              bus_.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    bool Ok() const { return ok_; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() != QLatin1String("Notify") || message.arguments().size() != 8) return false;
        const QList<QVariant> a = message.arguments();
        notices.push_back({a[0].toString(), a[2].toString(), a[3].toString(), a[4].toString(), a[5].toStringList(),
                           qdbus_cast<QVariantMap>(a[6])});
        connection.send(message.createReply(QVariant::fromValue(uint(notices.size() + 40))));
        return true;
    }
    QString introspect(const QString&) const override { return {}; }

    void Click(uint id, const QString& action = QStringLiteral("default")) {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                         QStringLiteral("org.freedesktop.Notifications"),
                                                         QStringLiteral("ActionInvoked"));
        signal << id << action;
        bus_.send(signal);
    }

    std::vector<Notice> notices;

private:
    QDBusConnection bus_;
    bool ok_ = false;
};

// Records the launcher entry's Update signals.
class LauncherListener final : public QObject {
    Q_OBJECT
public:
    explicit LauncherListener(QDBusConnection bus) {
        bus.connect(QString(), QString(), QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"),
                    this, SLOT(OnUpdate(QString, QVariantMap)));
    }
    std::vector<std::pair<QString, QVariantMap>> updates;

public Q_SLOTS:
    void OnUpdate(const QString& app, const QVariantMap& properties) { updates.emplace_back(app, properties); }
};

// The context menu's "Show Engine Output..." entry as the menu would offer it now; the menu
// itself goes, the entry stays for the test to trigger.
std::unique_ptr<QAction> EngineOutputEntry(MainWindow& window) {
    std::unique_ptr<QMenu> menu(window.Commands()->BuildContextMenu());
    for (QAction* action : menu->actions()) {
        if (action->text() == QLatin1String(kShowEngineOutputText)) {
            action->setParent(nullptr);
            menu->removeAction(action);
            return std::unique_ptr<QAction>(action);
        }
    }
    ADD_FAILURE() << "no Show Engine Output entry";
    return std::make_unique<QAction>();
}

TEST(FinishNoticeTest, NotifiesThroughTheServiceAndAClickRaisesTheWindow) {
    PrivateBus bus;
    ASSERT_TRUE(bus.Running()) << "dbus-daemon did not start";
    FakeNotificationService service(bus.Connect(QStringLiteral("service")));
    ASSERT_TRUE(service.Ok());

    QWidget window;
    window.show();
    DesktopNotifier notifier(&window, bus.Connect(QStringLiteral("client")));
    bool active = true;
    notifier.SetActiveCheck([&active] { return active; });

    // The window in front: no notice.
    EXPECT_FALSE(notifier.RunFinished({3, 1, 2}));
    // Turned off: no notice either.
    active = false;
    notifier.SetEnabled(false);
    EXPECT_FALSE(notifier.RunFinished({3, 1, 2}));
    QTest::qWait(50);
    EXPECT_TRUE(service.notices.empty());

    notifier.SetEnabled(true);
    ASSERT_TRUE(notifier.RunFinished({3, 1, 2}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return notifier.NoticeId() != 0; }, 5000));
    ASSERT_EQ(service.notices.size(), 1u);
    const auto& notice = service.notices[0];
    EXPECT_EQ(notice.app, QStringLiteral("Quillon"));
    EXPECT_EQ(notice.summary, QStringLiteral("Quillon: conversions finished"));
    EXPECT_EQ(notice.body, QStringLiteral("3 file(s) converted, 1 skipped, 2 failed."));
    EXPECT_TRUE(notice.actions.contains(QStringLiteral("default")));
    EXPECT_EQ(notice.hints.value(QStringLiteral("desktop-entry")).toString(), QStringLiteral("quillon"));

    // A click on another notice, or on another action, leaves the window alone; a click on
    // ours brings it back.
    window.showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isMinimized(); }, 2000));
    service.Click(notifier.NoticeId() + 1);
    service.Click(notifier.NoticeId(), QStringLiteral("other"));
    QTest::qWait(100);
    EXPECT_TRUE(window.isMinimized());
    service.Click(notifier.NoticeId());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isMinimized() && window.isVisible(); }, 5000));
}

TEST(FinishNoticeTest, WithoutANotificationServiceNothingIsShownAndNothingWaits) {
    PrivateBus bus;
    ASSERT_TRUE(bus.Running());
    QWidget window;
    DesktopNotifier notifier(&window, bus.Connect(QStringLiteral("lonely")));
    notifier.SetActiveCheck([] { return false; });
    uint answered = 99;
    QObject::connect(&notifier, &DesktopNotifier::NoticeAnswered, [&answered](uint id) { answered = id; });
    const auto start = std::chrono::steady_clock::now();
    notifier.RunFinished({1, 0, 0});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered != 99; }, 5000));
    EXPECT_EQ(answered, 0u);
    EXPECT_EQ(notifier.NoticeId(), 0u);
    notifier.ShowLauncherProgress(40);
    notifier.HideLauncherProgress();

    // No session bus at all.
    DesktopNotifier unconnected(&window, QDBusConnection(QStringLiteral("no-such-bus")));
    unconnected.SetActiveCheck([] { return false; });
    EXPECT_FALSE(unconnected.RunFinished({1, 0, 0}));
    unconnected.ShowLauncherProgress(10);
}

TEST(FinishNoticeTest, NotifyCheckBoxIsOnByDefaultAndStored) {
    platform::RegistryStore store;
    store.Update(
        [](platform::RegistryTree& tree) { tree.DeleteValue(formats::kOptionsKey, app::kNotifyWhenFinishedValue); });
    EXPECT_TRUE(app::LoadNotifyWhenFinished(store));
    formats::ConversionSettings settings = formats::DefaultSettings("");
    {
        COptOutputPage page(settings, store);
        ASSERT_NE(page.NotifyCheck(), nullptr);
        EXPECT_EQ(page.NotifyCheck()->text(), QStringLiteral("Notify me when conversions finish"));
        EXPECT_TRUE(page.NotifyCheck()->isChecked());
        page.show();
        QTest::mouseClick(page.NotifyCheck(), Qt::LeftButton, {}, QPoint(8, page.NotifyCheck()->height() / 2));
        EXPECT_FALSE(page.NotifyCheck()->isChecked());
        ASSERT_TRUE(page.LeavePage());
        page.UpdateHistories();
    }
    EXPECT_FALSE(app::LoadNotifyWhenFinished(store));
    COptOutputPage again(settings, store);
    EXPECT_FALSE(again.NotifyCheck()->isChecked());
    // A damaged value does not silence the notice.
    store.Update(
        [](platform::RegistryTree& tree) { tree.SetString(formats::kOptionsKey, app::kNotifyWhenFinishedValue, "0"); });
    EXPECT_TRUE(app::LoadNotifyWhenFinished(store));
    store.Update(
        [](platform::RegistryTree& tree) { tree.DeleteValue(formats::kOptionsKey, app::kNotifyWhenFinishedValue); });
}

// A real run in the real window: one clip converts, one damaged file fails. The notice counts
// them, the launcher entry followed the run, and the failed row keeps the engine's output.
TEST(FinishNoticeTest, WindowRunEndsWithNoticeAndKeepsTheFailedRowsEngineOutput) {
    test::Recorder().Reset();
    test::TempDir dir;
    const fs::path out = dir / "out";
    fs::create_directories(out);
    ASSERT_TRUE(test::MakeClip(dir / "good.mp4", 1.0));
    const fs::path broken = dir / "broken.mp4";
    test::WriteFile(broken, std::string(4096, '\x5a'));

    PrivateBus bus;
    ASSERT_TRUE(bus.Running());
    FakeNotificationService service(bus.Connect(QStringLiteral("service")));
    ASSERT_TRUE(service.Ok());
    LauncherListener launcher(bus.Connect(QStringLiteral("listener")));

    MainWindow window(test::BinDir().string() + "/");
    window.SetUpMainWindow();
    auto* notifier = new DesktopNotifier(&window, bus.Connect(QStringLiteral("window")));
    notifier->SetActiveCheck([] { return false; });
    window.SetNotifier(notifier);
    formats::ConversionSettings& settings = window.Settings();
    settings.DestOutputFolderOpt = formats::kOutputSpecificFolder;
    settings.DestSpecifiedFolder = out.string() + "/";
    settings.BrowseOutputFolder = 0;
    window.show();
    window.AddSourcePaths({(dir / "good.mp4").string()});
    window.AddSource(test::VideoRow(broken, 1, 320, 240));
    ASSERT_EQ(window.List()->ItemCount(), 2);
    const int avi = window.FormatBox()->IndexOfFormat(40);
    window.FormatBox()->setCurrentIndex(avi);
    Q_EMIT window.FormatBox()->activated(avi);

    // Before any conversion a row has no record to show.
    FileListView* list = window.List();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(20, list->visualItemRect(list->topLevelItem(1)).center().y()));
    ASSERT_EQ(window.Files().FocusedRow(), 1);
    EXPECT_FALSE(EngineOutputEntry(window)->isEnabled());

    window.Button(kConvertAll)->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.Run().Active(); }, 120000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !service.notices.empty(); }, 5000));
    EXPECT_EQ(service.notices[0].body, QStringLiteral("1 file(s) converted, 0 skipped, 1 failed."));
    // The launcher entry showed the run's progress and lost it at the end.
    ASSERT_TRUE(QTest::qWaitFor([&] { return launcher.updates.size() >= 2; }, 5000));
    EXPECT_EQ(launcher.updates.front().first, QStringLiteral("application://quillon.desktop"));
    EXPECT_TRUE(launcher.updates.front().second.value(QStringLiteral("progress-visible")).toBool());
    EXPECT_FALSE(launcher.updates.back().second.value(QStringLiteral("progress-visible")).toBool());
    for (std::size_t i = 0; i + 1 < launcher.updates.size(); ++i) {
        const double progress = launcher.updates[i].second.value(QStringLiteral("progress")).toDouble();
        EXPECT_GE(progress, 0.0);
        EXPECT_LE(progress, 1.0);
    }

    // The failed row: its whole reason in the Status tooltip, its output in the window the
    // context menu opens.
    const QString status = list->Status(1);
    ASSERT_TRUE(status.startsWith(QStringLiteral("Conversion failure ("))) << status.toStdString();
    const QRect cell = list->visualItemRect(list->topLevelItem(1));
    const QPoint statusPoint(list->header()->sectionViewportPosition(list->StatusColumn()) + 10, cell.center().y());
    QHelpEvent help(QEvent::ToolTip, statusPoint, list->viewport()->mapToGlobal(statusPoint));
    QApplication::sendEvent(list->viewport(), &help);
    EXPECT_TRUE(QToolTip::text().contains(status.mid(20, 20).toHtmlEscaped())) << QToolTip::text().toStdString();

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(20, cell.center().y()));
    ASSERT_EQ(window.Files().FocusedRow(), 1);
    std::unique_ptr<QAction> show = EngineOutputEntry(window);
    EXPECT_TRUE(show->isEnabled());
    show->trigger();
    EngineOutputWindow* shown = window.findChild<EngineOutputWindow*>();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_TRUE(shown->Text()->isReadOnly());
    const QString record = shown->Text()->toPlainText();
    EXPECT_TRUE(record.startsWith(QStringLiteral("> "))) << record.toStdString();
    EXPECT_TRUE(record.contains(QStringLiteral("broken.mp4")));
    // The reason the status names is in the record, at its end.
    const QString reason = status.mid(20, status.size() - 21);
    EXPECT_TRUE(record.trimmed().endsWith(reason)) << record.toStdString();
    QApplication::clipboard()->clear();
    QTest::mouseClick(shown->CopyButton(), Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), record);
    QTest::mouseClick(shown->CloseButton(), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.findChild<EngineOutputWindow*>() == nullptr; }, 2000));
}

}  // namespace
}  // namespace quillon::ui

#include "finish_notice_test.moc"
