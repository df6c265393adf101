#include "ui_test_support.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <clocale>
#include <cstdlib>
#include <memory>

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

// One QApplication for the whole test process. With QUILLON_SCREENSHOT_DIR set the tests that
// take screenshots run on the real display (Xvfb) instead of the offscreen platform.
class QtEnvironment final : public testing::Environment {
public:
    void SetUp() override {
        if (std::getenv("QUILLON_SCREENSHOT_DIR")) setenv("QT_QPA_PLATFORM", "xcb", 1);
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

const testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

}  // namespace quillon::test
