// The list commands in the window: the view follows moves and stream changes, the context menu
// carries the enable states, drops add what the filter passes, the length and web commands.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <filesystem>
#include <memory>

#include "app/list_cells.h"
#include "app/main_commands.h"
#include "test_support.h"
#include "ui/file_list_view.h"
#include "ui/main_window.h"
#include "ui/window_commands.h"
#include "ui_test_support.h"

namespace quillon::ui {
namespace {

namespace fs = std::filesystem;
using namespace app::command;

std::unique_ptr<engine::SourceItem> Item(const std::string& path, std::vector<uint32_t> rates = {}) {
    auto item = std::make_unique<engine::SourceItem>();
    item->path = path;
    item->audioSampleRates = rates;
    item->audioBitRates.assign(rates.size(), 128);
    item->audioChannels.assign(rates.size(), 2);
    item->durationSeconds = 3000;
    return item;
}

QAction* FindAction(QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions()) {
        if (action->text() == text) return action;
    }
    return nullptr;
}

TEST(WindowCommandsTest, MovesStreamsAndMenusShowInTheView) {
    test::Recorder().Reset();
    MainWindow window(test::BinDir().string() + "/");
    window.SetUpMainWindow();
    // The stored settings are shared by the tests of this process; another one may have stored
    // a second audio stream as the one to take.
    window.Settings().RequestAudioIndex = 1;
    WindowCommands* commands = window.Commands();
    ASSERT_NE(commands, nullptr);
    FileListView* view = window.List();
    window.AddSource(Item("/m/a.mp4"));
    window.AddSource(Item("/m/b.mp4", {44100, 48000, 22050}));
    window.AddSource(Item("/m/c.mp4"));

    // Select b (focused) and move it up: the view shows the new order and keeps the selection.
    view->setCurrentItem(view->topLevelItem(1));
    ASSERT_TRUE(window.Files().Selected(1));
    ASSERT_EQ(window.Files().FocusedRow(), 1);
    commands->Execute(kMoveUp);
    EXPECT_EQ(view->ItemAt(0)->path, "/m/b.mp4");
    EXPECT_TRUE(view->topLevelItem(0)->isSelected());
    EXPECT_FALSE(view->topLevelItem(1)->isSelected());
    EXPECT_EQ(window.Files().FocusedRow(), 0);
    EXPECT_TRUE(window.Files().Selected(0));
    EXPECT_FALSE(window.Files().Selected(1));

    QMenu* menu = commands->BuildContextMenu();
    QAction* streams = FindAction(menu, QStringLiteral("Audio &Streams"));
    ASSERT_NE(streams, nullptr);
    ASSERT_EQ(streams->menu()->actions().size(), 3);
    EXPECT_TRUE(streams->menu()->actions()[0]->isChecked());
    streams->menu()->actions()[2]->trigger();
    EXPECT_EQ(view->ItemText(0, app::ColumnAudioRate), QStringLiteral("22050 Hz*3"));
    EXPECT_FALSE(FindAction(menu, QStringLiteral("P&lay Destination\tF9"))->isEnabled());
    EXPECT_TRUE(FindAction(menu, QStringLiteral("&Remove\tDel"))->isEnabled());
    delete menu;

    commands->Execute(kSelectedLength);
    ASSERT_EQ(test::Recorder().messages.size(), 1u);
    EXPECT_EQ(test::Recorder().messages[0].text, QStringLiteral("The total length of selected files is 50:00."));
    EXPECT_EQ(test::Recorder().messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(test::Recorder().messages[0].parent, &window);

    commands->Execute(kRemove);
    EXPECT_EQ(view->ItemCount(), 2);
    EXPECT_EQ(window.Files().RowCount(), 2u);
    commands->Execute(kFeedback);
    ASSERT_FALSE(test::Recorder().opened.isEmpty());  // the first-run help may come first
    EXPECT_EQ(test::Recorder().opened.last(), QStringLiteral("mailto:support@quillon.example.org"));
}

TEST(WindowCommandsTest, DroppedFolderIsScannedAndFilteredBeforeLoading) {
    test::Recorder().Reset();
    test::TempDir dir;
    fs::create_directories(dir / "tree" / "sub");
    ASSERT_TRUE(test::MakeAudio(dir / "tree" / "sub" / "one.wav", 1.0));
    test::WriteFile(dir / "tree" / "readme.txt", "text");
    MainWindow window(test::BinDir().string() + "/");
    window.SetUpMainWindow();
    window.Settings().EnableExtFilter = 1;
    window.Settings().FilterExts = "wav";
    formats::RebuildExtensionFilter(window.Settings());
    window.Commands()->AddDropped({(dir / "tree").string()});
    ASSERT_EQ(window.Files().RowCount(), 1u);
    EXPECT_EQ(window.Files().Item(0).path, (dir / "tree" / "sub" / "one.wav").string());
    EXPECT_TRUE(test::Recorder().messages.empty());
}

}  // namespace
}  // namespace quillon::ui
