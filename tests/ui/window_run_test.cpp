// The real window converting real files: sources added, a format chosen, Convert pressed, the
// progress window followed to the end; Cancel pressed in the progress window; and what is
// refused told over the window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <chrono>
#include <filesystem>

#include "app/conversion_run.h"
#include "app/main_commands.h"
#include "test_support.h"
#include "ui/countdown_dialog.h"
#include "ui/file_list_view.h"
#include "ui/image_button.h"
#include "ui/main_window.h"
#include "ui/output_format_box.h"
#include "ui/progress_dialog.h"
#include "ui_test_support.h"
#include "util/paths.h"
#include "window_fixture.h"

namespace quillon::ui {
namespace {

using namespace app::command;

namespace fs = std::filesystem;

using test::WaitFor;

class WindowRunTest : public test::WindowTest {
protected:
    std::unique_ptr<MainWindow> OpenWindow() {
        auto window = NewWindow(1);
        window->show();
        return window;
    }

    void ChooseFormat(MainWindow& window, int32_t id) {
        OutputFormatBox* box = window.FormatBox();
        const int index = box->IndexOfFormat(id);
        ASSERT_GT(index, 0);
        box->setCurrentIndex(index);
        Q_EMIT box->activated(index);
        ASSERT_EQ(window.Settings().OutputFormat, id);
    }

    std::vector<fs::path> Outputs() const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(outFolder)) found.push_back(entry.path());
        return found;
    }
};

TEST_F(WindowRunTest, RefusalsAndLoadFailuresAreToldOverTheWindow) {
    auto window = OpenWindow();
    ChooseFormat(*window, 1160);
    test::Recorder().Reset();
    QTest::mouseClick(window->Button(kConvertAll), Qt::LeftButton);
    ASSERT_EQ(test::Recorder().messages.size(), 1u);
    EXPECT_EQ(test::Recorder().messages[0].text, QStringLiteral("There aren't files in list."));
    EXPECT_EQ(test::Recorder().messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(test::Recorder().messages[0].parent, window.get());
    EXPECT_FALSE(window->Run().Active());

    test::WriteFile(dir / "junk.mp4", "not media");
    window->AddSourcePaths({(dir / "junk.mp4").string()});
    ASSERT_EQ(test::Recorder().messages.size(), 2u);
    EXPECT_TRUE(test::Recorder().messages[1].text.startsWith(QStringLiteral("Failed to load the following files.")))
        << test::Recorder().messages[1].text.toStdString();
    EXPECT_EQ(test::Recorder().messages[1].icon, MessageIcon::Warning);
    EXPECT_EQ(test::Recorder().messages[1].parent, window.get());
    EXPECT_TRUE(test::Recorder().shown.isEmpty());
}

TEST_F(WindowRunTest, ConvertShowsProgressAndEndsWithOutputNames) {
    std::vector<std::string> sources;
    for (const char* name : {"first clip.mp4", "second.mkv", "third.mov"}) {
        ASSERT_TRUE(test::MakeClip(dir / name, 1.0));
        sources.push_back((dir / name).string());
    }
    auto window = OpenWindow();
    window->AddSourcePaths(sources);
    ASSERT_EQ(window->List()->ItemCount(), 3);
    EXPECT_EQ(window->List()->ItemText(0, 0), QStringLiteral("first clip.mp4"));
    EXPECT_EQ(window->List()->ItemText(0, 2), QStringLiteral("320"));
    ChooseFormat(*window, 40);  // AVI

    window->Button(kConvertAll)->click();
    ProgressDialog* progress = window->ProgressWindow();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->StatusLine()->text(), QStringLiteral("Converting 3 file(s) to AVI..."));
    EXPECT_EQ(progress->ThreadsBox()->currentText(), QStringLiteral("2"));
    EXPECT_EQ(progress->PriorityBox()->currentText(), QStringLiteral("Normal"));
    EXPECT_EQ(progress->OutputFolderLabel()->toolTip().toStdString(), outFolder);
    EXPECT_TRUE(progress->OutputFolderButton()->isEnabled());
    EXPECT_FALSE(window->Button(kConvertAll)->isEnabled());  // the window's controls wait

    ASSERT_TRUE(WaitFor([&] { return !window->Run().Active(); }, 120000));
    EXPECT_EQ(window->ProgressWindow(), nullptr);
    EXPECT_TRUE(window->Button(kConvertAll)->isEnabled());

    for (int row = 0; row < 3; ++row) {
        const engine::SourceItem* item = window->List()->ItemAt(row);
        ASSERT_FALSE(item->outputPath.empty()) << row;
        EXPECT_TRUE(fs::file_size(item->outputPath) > 0);
        EXPECT_EQ(window->List()->Status(row).toStdString(), std::string(util::FileNamePart(item->outputPath)));
        EXPECT_EQ(item->outputPath.rfind(outFolder, 0), 0u);
    }
    EXPECT_EQ(window->List()->Status(0), QStringLiteral("first clip.avi"));
    // The first output to finish is shown in the file manager; no shutdown was asked for.
    ASSERT_EQ(test::Recorder().shown.size(), 1);
    QStringList outputs;
    for (int row = 0; row < 3; ++row) outputs << QString::fromStdString(window->List()->ItemAt(row)->outputPath);
    EXPECT_TRUE(outputs.contains(test::Recorder().shown.first()));
    EXPECT_EQ(test::Recorder().powerOffRequests, 0);
}

TEST_F(WindowRunTest, CancelFromTheProgressWindowStopsEverything) {
    std::vector<std::string> sources;
    for (int i = 0; i < 4; ++i) {
        const fs::path path = dir / ("long" + std::to_string(i) + ".mp4");
        ASSERT_TRUE(test::MakeClip(path, 12.0, 1, 2, 640, 480));
        sources.push_back(path.string());
    }
    auto window = OpenWindow();
    window->AddSourcePaths(sources);
    ASSERT_EQ(window->List()->ItemCount(), 4);
    ChooseFormat(*window, 80);  // H.264 AVC

    window->Button(kConvertAll)->click();
    ProgressDialog* progress = window->ProgressWindow();
    ASSERT_NE(progress, nullptr);
    ASSERT_TRUE(window->Run().Active());
    ASSERT_EQ(window->Run().Queues().running.size(), 2u);
    // Let the engines get going, then cancel.
    ASSERT_TRUE(WaitFor([&] { return !Outputs().empty(); }, 30000));
    progress->CancelButton()->click();
    ASSERT_TRUE(WaitFor([&] { return !window->Run().Active(); }, 10000));

    EXPECT_EQ(window->ProgressWindow(), nullptr);
    EXPECT_EQ(window->List()->Status(0), QStringLiteral("Cancelled"));
    EXPECT_EQ(window->List()->Status(1), QStringLiteral("Cancelled"));
    EXPECT_EQ(window->List()->Status(2), QString());
    EXPECT_EQ(window->List()->Status(3), QString());
    EXPECT_TRUE(Outputs().empty());
    EXPECT_TRUE(test::Recorder().shown.isEmpty());
    // Nothing arrives later to change the rows.
    QTest::qWait(300);
    EXPECT_EQ(window->List()->Status(0), QStringLiteral("Cancelled"));
    EXPECT_TRUE(Outputs().empty());
}

}  // namespace
}  // namespace quillon::ui

namespace quillon::ui {
namespace {

TEST_F(WindowRunTest, ShutdownBoxCountsDownThenReportsARefusedPowerOff) {
    ASSERT_TRUE(test::MakeAudio(dir / "tone.wav", 1.0));
    auto window = OpenWindow();
    window->SetCountdownTick(5);
    window->Settings().BrowseOutputFolder = 0;
    window->AddSourcePaths({(dir / "tone.wav").string()});
    ChooseFormat(*window, 1160);  // MP3

    // The countdown window is modal: look at it while it runs.
    QStringList countdownTexts;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (auto* countdown = window->findChild<CountdownDialog*>()) {
            const QString text = countdown->CountdownLabel()->text();
            if (countdownTexts.isEmpty() || countdownTexts.last() != text) countdownTexts << text;
            EXPECT_EQ(countdown->windowTitle(), QStringLiteral("Quillon"));
            EXPECT_TRUE(countdown->windowFlags() & Qt::WindowStaysOnTopHint);
            EXPECT_EQ(countdown->MessageLabel()->text(),
                      QStringLiteral("Quillon is going to shut down the computer. Please click Cancel "
                                     "if you want to keep the computer running."));
            EXPECT_EQ(countdown->MessageLabel()->font().pixelSize(), 14);
            EXPECT_TRUE(countdown->MessageLabel()->font().bold());
        }
    });
    watcher.start(1);

    window->Button(kConvertAll)->click();
    ASSERT_NE(window->ProgressWindow(), nullptr);
    window->ProgressWindow()->ShutdownBox()->setChecked(true);
    ASSERT_TRUE(WaitFor([&] { return !window->Run().Active() && test::Recorder().powerOffRequests > 0; }, 60000));
    watcher.stop();

    EXPECT_EQ(test::Recorder().powerOffRequests, 1);
    ASSERT_FALSE(test::Recorder().messages.empty());
    EXPECT_EQ(test::Recorder().messages.back().text,
              QStringLiteral("Quillon failed to shut down the computer because of the following error."
                             "\n\nInteractive authentication required."));
    EXPECT_EQ(test::Recorder().messages.back().parent, window.get());
    ASSERT_FALSE(countdownTexts.isEmpty());
    EXPECT_TRUE(countdownTexts.contains(QStringLiteral("30 seconds remaining")));
    EXPECT_EQ(countdownTexts.last(), QStringLiteral("1 seconds remaining"));
    EXPECT_EQ(window->List()->Status(0), QStringLiteral("tone.mp3"));
}

}  // namespace
}  // namespace quillon::ui

namespace quillon::ui {
namespace {

TEST_F(WindowRunTest, ClosingTheWindowDuringARunCancelsIt) {
    ASSERT_TRUE(test::MakeClip(dir / "long.mp4", 12.0, 1, 2, 640, 480));
    auto window = OpenWindow();
    window->AddSourcePaths({(dir / "long.mp4").string()});
    ChooseFormat(*window, 80);
    window->Button(kConvertAll)->click();
    ASSERT_TRUE(WaitFor([&] { return !Outputs().empty(); }, 30000));

    window->close();  // Alt+F4 reaches a window whose buttons wait for the run
    EXPECT_FALSE(window->Run().Active());
    EXPECT_EQ(window->List()->ItemCount(), 0);
    window.reset();
    EXPECT_TRUE(Outputs().empty());
}

}  // namespace
}  // namespace quillon::ui
