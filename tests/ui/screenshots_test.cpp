// Pictures of the real windows for the documentation. They run only when QUILLON_SCREENSHOT_DIR
// names a folder (scripts/screenshots.sh runs them on Xvfb); otherwise they are skipped.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <functional>

#include "app/main_commands.h"
#include "screenshot_support.h"
#include "test_support.h"
#include "ui/about_box.h"
#include "ui/engine_output_window.h"
#include "ui/file_list_view.h"
#include "ui/image_button.h"
#include "ui/main_window.h"
#include "ui/output_format_box.h"
#include "ui/progress_dialog.h"
#include "ui/skin.h"
#include "ui/window_commands.h"
#include "ui_test_support.h"
#include "window_fixture.h"

namespace quillon::ui {
namespace {

using namespace app::command;

namespace fs = std::filesystem;

using test::Save;
using test::Screen;
using test::ShotFolder;

class ScreenshotsTest : public testing::Test {
protected:
    void SetUp() override {
        if (ShotFolder().isEmpty()) GTEST_SKIP() << "QUILLON_SCREENSHOT_DIR is not set";
        test::Recorder().Reset();
        skin::Install(*qApp);
        const fs::path media = dir.path() / "Holiday 2024";
        fs::create_directories(media);
        ASSERT_TRUE(test::MakeClip(media / "Beach walk.mp4", 14.0, 1, 2, 1280, 720, 30));
        ASSERT_TRUE(test::MakeClip(media / "Birthday party.mkv", 9.0, 2, 6, 640, 360, 25));
        ASSERT_TRUE(test::MakeClip(media / "Drone over the bay.mov", 11.0, 1, 2, 854, 480, 24));
        ASSERT_TRUE(test::MakeAudio(media / "Campfire song.wav", 12.0, 2, 48000));
        ASSERT_TRUE(test::MakeAudio(media / "Interview.flac", 7.0, 1, 22050));
        for (const auto& entry : fs::directory_iterator(media)) sources.push_back(entry.path().string());
        std::sort(sources.begin(), sources.end());
        out = (dir / "Converted").string() + "/";
        fs::create_directories(out);
    }

    std::unique_ptr<MainWindow> OpenWindow() {
        auto window = std::make_unique<MainWindow>(test::BinDir().string() + "/");
        window->SetUpMainWindow();
        window->Settings().DestOutputFolderOpt = formats::kOutputSpecificFolder;
        window->Settings().DestSpecifiedFolder = out;
        window->Settings().ConversionThreads = 2;
        window->move(20, 20);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->AddSourcePaths(sources);
        const int index = window->FormatBox()->IndexOfFormat(80);
        window->FormatBox()->setCurrentIndex(index);
        Q_EMIT window->FormatBox()->activated(index);
        return window;
    }

    // Pictures the window once `ready` holds during its run (a minute at most), then cancels it.
    static void ShootDuringTheRun(MainWindow& window, ProgressDialog& progress, const std::function<bool()>& ready,
                                  const QString& name) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < end && window.Run().Active() && !ready()) QTest::qWait(20);
        ASSERT_TRUE(window.Run().Active());
        Save(Screen(window.frameGeometry()), name);
        progress.CancelButton()->click();
        QTest::qWait(200);
    }

    test::TempDir dir;
    std::vector<std::string> sources;
    std::string out;
};

TEST_F(ScreenshotsTest, MainWindowWithRows) {
    auto window = OpenWindow();
    window->List()->topLevelItem(1)->setSelected(true);
    Save(Screen(window->frameGeometry()), QStringLiteral("main-window.png"));
}

TEST_F(ScreenshotsTest, ProgressWindowDuringARun) {
    auto window = OpenWindow();
    window->Button(kConvertAll)->click();
    ProgressDialog* progress = window->ProgressWindow();
    ASSERT_NE(progress, nullptr);
    // Once the running rows show their percent.
    ShootDuringTheRun(
        *window, *progress, [&] { return progress->PercentLabel()->text().remove(QChar(0x25)).toInt() >= 30; },
        QStringLiteral("progress-window.png"));
}

TEST_F(ScreenshotsTest, EnlargedWindowDuringARun) {
    auto window = OpenWindow();
    window->resize(1200, 740);
    // Long work, so the bars and the estimate are there to see.
    window->Settings().ConversionThreads = 3;
    window->Button(kConvertAll)->click();
    ProgressDialog* progress = window->ProgressWindow();
    ASSERT_NE(progress, nullptr);
    progress->move(window->frameGeometry().center() - QPoint(progress->width() / 2, -120));
    ShootDuringTheRun(
        *window, *progress,
        [&] {
            return !progress->TimeLeftLabel()->text().isEmpty() &&
                   progress->PercentLabel()->text().remove(QChar(0x25)).toInt() >= 20;
        },
        QStringLiteral("enlarged-window-run.png"));
}

TEST_F(ScreenshotsTest, EngineOutputWindow) {
    auto window = OpenWindow();
    // A damaged file among the sources: its conversion fails and keeps what the engine said.
    const fs::path broken = dir.path() / "Holiday 2024" / "Damaged.mp4";
    test::WriteFile(broken, std::string(4096, '\x5a'));
    const int row = window->AddSource(test::VideoRow(broken, 4, 640, 360));
    window->List()->clearSelection();
    window->List()->topLevelItem(row)->setSelected(true);
    window->Commands()->Execute(app::command::kConvertSelected);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < end && window->Run().Active()) QTest::qWait(20);
    EngineOutputWindow* shown = ShowEngineOutput(*window, row);
    ASSERT_NE(shown, nullptr);
    shown->move(window->frameGeometry().topLeft() + QPoint(180, 120));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(shown));
    Save(Screen(window->frameGeometry()), QStringLiteral("engine-output-window.png"));
    shown->close();
}

TEST_F(ScreenshotsTest, AboutBox) {
    auto window = OpenWindow();
    AboutBox box(window.get());
    box.show();
    box.move(window->frameGeometry().center() - QPoint(box.width() / 2, box.height() / 2));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    QRect area = box.frameGeometry().adjusted(-40, -40, 40, 40);
    Save(Screen(area), QStringLiteral("about-box.png"));
}

}  // namespace
}  // namespace quillon::ui
