// The real window adding files while a slow stand-in worker answers: the loading window keeps
// repainting and counting, and its Cancel button stops the load at once.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>

#include "engine/probe_pool.h"
#include "fake_probe_worker.h"
#include "process_census.h"
#include "test_support.h"
#include "ui/file_list_view.h"
#include "ui/loading_dialog.h"
#include "ui/main_window.h"
#include "ui_test_support.h"

namespace quillon::ui {
namespace {

class PaintCounter final : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

TEST(LoadingWindowWhileProbing, RepaintsCountsAndCancels) {
    test::Recorder().Reset();
    test::TempDir dir;
    std::vector<std::string> paths;
    for (int i = 1; i <= 40; ++i) {
        const std::filesystem::path file = dir / ("clip" + std::to_string(i) + ".wav");
        test::WriteFile(file, "RIFF");
        paths.push_back(file.string());
    }
    engine::ProbePoolOptions options;
    options.workerCommand = test::FakeProbeWorker(dir.path(), 0.15);
    options.workers = 1;
    engine::ProbePool pool(options);

    MainWindow window(test::BinDir().string() + "/");
    window.SetUpMainWindow();
    window.show();
    window.UseProbePool(pool);

    PaintCounter counter;
    QPointer<LoadingDialog> loading;
    QStringList statuses;
    bool clicked = false;
    QTimer watcher;
    watcher.setInterval(5);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (!loading) {
            loading = window.findChild<LoadingDialog*>();
            if (loading) loading->StatusLine()->installEventFilter(&counter);
            return;
        }
        const QString status = loading->StatusLine()->text();
        if (statuses.isEmpty() || statuses.back() != status) statuses.push_back(status);
        // A person presses Cancel once a few files are in.
        if (!clicked && status.startsWith(QStringLiteral("[4/40]"))) {
            clicked = true;
            QTest::mouseClick(loading->CancelButton(), Qt::LeftButton);
        }
    });
    watcher.start();
    window.AddSourcePaths(paths);
    watcher.stop();

    ASSERT_TRUE(clicked) << statuses.join(QStringLiteral(" | ")).toStdString();
    // The timer ran during the load: the window's events were served while answers were awaited.
    EXPECT_TRUE(statuses.contains(QStringLiteral("[1/40] Adding file clip1.wav...")));
    EXPECT_TRUE(statuses.contains(QStringLiteral("[3/40] Adding file clip3.wav...")));
    EXPECT_GE(counter.paints, 3);
    const int rows = window.List()->ItemCount();
    EXPECT_GE(rows, 3);
    EXPECT_LE(rows, 4);
    EXPECT_TRUE(test::Recorder().messages.empty())
        << test::Recorder().messages.front().text.toStdString() << statuses.join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(window.isEnabled());
}

}  // namespace
}  // namespace quillon::ui
