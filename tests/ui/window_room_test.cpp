// The main window grows: the grip and the title area, the list and its columns taking the room,
// the left column staying as it is, and the size, place and maximised state kept for the next
// start, within the screens there are then.
#include <gtest/gtest.h>

#include <QSizeGrip>
#include <QTest>

#include "app/list_cells.h"
#include "app/main_commands.h"
#include "formats/conversion_settings.h"
#include "platform/registry_store.h"
#include "test_support.h"
#include "ui/file_list_view.h"
#include "ui/image_button.h"
#include "ui/main_window.h"
#include "ui/output_format_box.h"
#include "ui/window_frame.h"
#include "ui_test_support.h"

namespace quillon::ui {
namespace {

using namespace app::command;

class WindowRoomTest : public testing::Test {
protected:
    void SetUp() override {
        test::Recorder().Reset();
        Forget();
    }
    void TearDown() override { Forget(); }
    // Other tests expect the first size: the placement these tests store goes again.
    static void Forget() {
        platform::RegistryStore store;
        store.Update([](platform::RegistryTree& tree) { tree.DeleteKey(kWindowKey); });
    }
    static std::unique_ptr<MainWindow> Open() {
        auto window = std::make_unique<MainWindow>(test::BinDir().string() + "/");
        window->SetUpMainWindow();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return window;
    }
};

TEST_F(WindowRoomTest, GripEnlargesTheListAndKeepsTheLeftControls) {
    auto window = Open();
    ASSERT_EQ(window->size(), QSize(950, 650));
    FileListView* list = window->List();
    const QRect addFiles = window->Button(kAddFiles)->geometry();
    const QRect options = window->Button(kOptions)->geometry();
    const QRect box = window->FormatBox()->geometry();
    const int file = list->columnWidth(app::ColumnFile);
    const int status = list->columnWidth(list->StatusColumn());
    const int duration = list->columnWidth(app::ColumnDuration);

    // The grip sits in the corner; dragging it by 250 x 150 grows the window by as much.
    QSizeGrip* grip = window->Frame()->Grip();
    ASSERT_TRUE(grip->isVisible());
    EXPECT_EQ(grip->geometry().bottomRight(), window->rect().bottomRight());
    const QPoint start(grip->width() / 2, grip->height() / 2);
    QTest::mousePress(grip, Qt::LeftButton, {}, start);
    QTest::mouseMove(grip, start + QPoint(250, 150));
    QTest::mouseRelease(grip, Qt::LeftButton, {}, start + QPoint(250, 150));
    QTest::qWait(50);
    ASSERT_EQ(window->size(), QSize(1200, 800));

    EXPECT_EQ(list->geometry(), QRect(137, 63, 803 + 250, 575 + 150));
    EXPECT_EQ(list->columnWidth(app::ColumnFile) + list->columnWidth(list->StatusColumn()), file + status + 250);
    EXPECT_GT(list->columnWidth(app::ColumnFile), file);
    EXPECT_GT(list->columnWidth(list->StatusColumn()), status);
    EXPECT_EQ(list->columnWidth(app::ColumnDuration), duration);
    // The run widens the Status column for a failure only when the shown width is narrower.
    EXPECT_EQ(window->Files().StatusColumnWidth(), list->columnWidth(list->StatusColumn()));
    EXPECT_EQ(window->Button(kAddFiles)->geometry(), addFiles);
    EXPECT_EQ(window->Button(kOptions)->geometry(), options);
    EXPECT_EQ(window->FormatBox()->geometry(), box);
    EXPECT_EQ(window->Button(kClose)->geometry(), QRect(1200 - 32, 11, 21, 21));
    EXPECT_EQ(window->Button(kHomePage)->y(), 800 - 32);
    EXPECT_EQ(grip->geometry().bottomRight(), window->rect().bottomRight());

    // The background is painted at the new size: the list's frame runs below the list.
    const QImage picture = window->grab().toImage();
    EXPECT_EQ(picture.size(), QSize(1200, 800) * window->devicePixelRatio());
    EXPECT_NE(picture.pixelColor(600, 788), picture.pixelColor(600, 795));

    // It cannot become smaller than its first size.
    window->resize(600, 400);
    EXPECT_EQ(window->size(), QSize(950, 650));
    EXPECT_EQ(list->columnWidth(app::ColumnFile), file);
    EXPECT_EQ(list->columnWidth(list->StatusColumn()), status);
}

TEST_F(WindowRoomTest, DoubleClickOnTheTitleAreaMaximisesAndRestores) {
    auto window = Open();
    // A press alone does not move the window; a drag from a free spot does.
    const QPoint before = window->pos();
    QTest::mousePress(window.get(), Qt::LeftButton, {}, QPoint(500, 40));
    QTest::mouseMove(window.get(), QPoint(501, 40));
    EXPECT_EQ(window->pos(), before);
    QTest::mouseMove(window.get(), QPoint(560, 90));
    QTest::mouseRelease(window.get(), Qt::LeftButton, {}, QPoint(560, 90));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->pos() == before + QPoint(60, 50); }, 2000))
        << window->pos().x() << "," << window->pos().y();
    const QRect normal = window->geometry();
    // On a control it does nothing.
    QTest::mouseDClick(window->List()->viewport(), Qt::LeftButton, {}, QPoint(40, 40));
    EXPECT_FALSE(window->isMaximized());
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(500, 20));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->isMaximized() && window->width() > 950; }, 2000));
    EXPECT_EQ(window->List()->width(), window->width() - 147);
    EXPECT_EQ(window->Button(kClose)->x(), window->width() - 32);
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(500, 20));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isMaximized() && window->size() == normal.size(); }, 2000));
}

TEST_F(WindowRoomTest, SizePlaceAndMaximisedStateComeBackAfterARestart) {
    {
        auto window = Open();
        window->setGeometry(60, 40, 1240, 820);
        window->close();
    }
    {
        auto window = Open();
        EXPECT_EQ(window->geometry(), QRect(60, 40, 1240, 820));
        EXPECT_EQ(window->List()->size(), QSize(1240 - 147, 820 - 75));
        window->showMaximized();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->isMaximized() && window->width() > 1240; }, 2000));
        window->close();
    }
    {
        auto window = Open();
        EXPECT_TRUE(window->isMaximized());
        window->showNormal();
        // Back to the size it had before it was maximised.
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isMaximized() && window->size() == QSize(1240, 820); }, 2000))
            << window->width() << "x" << window->height();
    }

    // A place on a screen that is gone: the window comes back onto the screen there is.
    platform::RegistryStore store;
    SaveWindowPlacement(store, {QRect(5000, 3000, 1100, 700), false});
    auto window = Open();
    const QRect screen = window->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window->geometry())) << window->geometry().x() << "," << window->geometry().y();
    EXPECT_EQ(window->size(), QSize(1100, 700));
}

TEST(WindowPlacementTest, FitsTheStoredPlaceIntoTheScreens) {
    const QSize minimum(950, 650);
    const QRect left(0, 0, 1920, 1080);
    const QRect right(1920, 0, 1280, 1024);
    const QList<QRect> both{left, right};
    // On a screen and fitting: kept.
    EXPECT_EQ(FitToScreens(QRect(100, 50, 1000, 700), both, minimum), QRect(100, 50, 1000, 700));
    EXPECT_EQ(FitToScreens(QRect(2000, 10, 1000, 700), both, minimum), QRect(2000, 10, 1000, 700));
    // Hanging over an edge: moved in, on the screen that shows most of it.
    EXPECT_EQ(FitToScreens(QRect(1800, 500, 1000, 700), both, minimum), QRect(1920, 324, 1000, 700));
    EXPECT_EQ(FitToScreens(QRect(-300, -40, 1000, 700), both, minimum), QRect(0, 0, 1000, 700));
    // Larger than its screen: as large as the screen.
    EXPECT_EQ(FitToScreens(QRect(1920, 0, 3000, 2000), both, minimum), right);
    // Too small (a damaged store): the minimum.
    EXPECT_EQ(FitToScreens(QRect(10, 10, 20, 20), both, minimum).size(), minimum);
    // On no screen: centred on the first.
    EXPECT_EQ(FitToScreens(QRect(9000, 9000, 1000, 700), both, minimum), QRect(460, 190, 1000, 700));
    // A screen smaller than the minimum: the minimum, at the screen's corner.
    EXPECT_EQ(FitToScreens(QRect(100, 100, 1000, 700), {QRect(0, 0, 800, 600)}, minimum).size(), QSize(800, 600));
}

}  // namespace
}  // namespace quillon::ui
