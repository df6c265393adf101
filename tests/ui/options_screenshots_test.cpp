// Pictures of the Options sheet's two pages and of the Customize Output Formats dialog for the
// documentation. They run only when QUILLON_SCREENSHOT_DIR names a folder (scripts/screenshots.sh
// runs them on Xvfb); otherwise they are skipped.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QTest>

#include "options_fixture.h"
#include "platform/registry_store.h"
#include "screenshot_support.h"
#include "test_support.h"
#include "ui/custom_formats_dialog.h"
#include "ui/opt_output_page.h"
#include "ui/opt_sheet.h"
#include "ui/opt_video_page.h"
#include "ui/skin.h"
#include "ui_test_support.h"

namespace quillon::ui {
namespace {

using test::ShotFolder;

void Shoot(QWidget& window, const QString& name) {
    window.move(30, 30);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    test::Save(test::Screen(window.frameGeometry()), name);
}

class OptionsScreenshotsTest : public test::OptionsTest {
protected:
    void SetUp() override {
        if (ShotFolder().isEmpty()) GTEST_SKIP() << "QUILLON_SCREENSHOT_DIR is not set";
        OptionsTest::SetUp();
        skin::Install(*qApp);
        settings.EnableExtFilter = 1;
        settings.FilterExts = "mp4,mkv,avi";
        settings.EnableSkipLength = 1;
        settings.SkipLength = 90500;
        settings.OutputFormat = 80;
    }
};

TEST_F(OptionsScreenshotsTest, GeneralPage) {
    settings.OptStartPageIndex = 0;
    COptSheet sheet(settings, catalogue, store);
    Shoot(sheet, QStringLiteral("options-general.png"));
}

TEST_F(OptionsScreenshotsTest, VideoAndAudioPage) {
    settings.OptStartPageIndex = 1;
    settings.CropPictures = 1;
    settings.CropLeft = settings.CropRight = 8;
    COptSheet sheet(settings, catalogue, store);
    Shoot(sheet, QStringLiteral("options-video-audio.png"));
}

TEST_F(OptionsScreenshotsTest, CustomizeOutputFormatsDialog) {
    CustomFormatsDialog dialog(catalogue, {{"Phone and music", {80, 1160}}, {"Web", {195, 1182}}});
    dialog.AvailableList()->item(3)->setSelected(true);
    Shoot(dialog, QStringLiteral("customize-output-formats.png"));
}

}  // namespace
}  // namespace quillon::ui
