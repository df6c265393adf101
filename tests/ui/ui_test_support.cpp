#include "ui_test_support.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "formats/output_format.h"
#include "ui/color_combo_box.h"
#include "ui/opt_video_page.h"

namespace quillon::test {

void ChooseFormatOn(ui::COptVideoPage& page, int32_t id) {
    ui::ColorComboBox* box = page.FormatBox();
    for (int i = 0; i < box->count(); ++i) {
        if (static_cast<const formats::OutputFormat*>(box->GetItemUser(i))->FormatId == id) {
            box->setCurrentIndex(i);
            Q_EMIT box->activated(i);
            return;
        }
    }
    ADD_FAILURE() << "no format " << id;
}

RecordingServices& Recorder() {
    static RecordingServices services;
    return services;
}

namespace {

// The offscreen platform's own screen (800 x 800) is smaller than the main window; a desktop
// screen lets the tests enlarge the window and find it again after a restart.
void UseLargeOffscreenScreen() {
    const char* tmp = std::getenv("TMPDIR");
    const std::string path = std::string(tmp ? tmp : "/tmp") + "/offscreen-screens.json";
    std::ofstream(path) << R"({"screens": [{"name": "desk", "x": 0, "y": 0, "width": 1920, "height": 1200}]})";
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + path).c_str(), 1);
}

// One QApplication for the whole test process. With QUILLON_SCREENSHOT_DIR set the tests that
// take screenshots run on the real display (Xvfb) instead of the offscreen platform.
class QtEnvironment final : public testing::Environment {
public:
    void SetUp() override {
        if (std::getenv("QUILLON_SCREENSHOT_DIR")) {
            setenv("QT_QPA_PLATFORM", "xcb", 1);
        } else {
            UseLargeOffscreenScreen();
        }
        static int argc = 1;
        static char name[] = "ui_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
        std::setlocale(LC_NUMERIC, "C");
        ui::SetServices(&Recorder());
    }
    void TearDown() override {
        ui::SetServices(nullptr);
        app_.reset();
    }

private:
    std::unique_ptr<QApplication> app_;
};

const testing::Environment* const kEnvironment = testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

}  // namespace quillon::test
