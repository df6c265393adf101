// The resident memory of the window program after start-up: the main window set up and shown
// with an empty list (goal: under 45 MB). The figure is the counter rss_MB.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "formats/conversion_settings.h"
#include "platform/registry_store.h"
#include "ui/main_window.h"
#include "ui/skin.h"
#include "ui/ui_services.h"

namespace {

// Nothing may open a browser or block on a message box while measuring.
class QuietServices final : public quillon::ui::UiServices {
public:
    int OpenDocument(const std::string&) override { return quillon::ui::kOpenSucceeded; }
    void ShowMessage(QWidget*, quillon::ui::MessageIcon, const QString&) override {}
    bool AskYesNo(QWidget*, quillon::ui::MessageIcon, const QString&) override { return false; }
    void ShowInFileManager(const std::string&) override {}
    bool PowerOff(std::string& error) override {
        error = "not here";
        return false;
    }
};

double ResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    }
    return 0;
}

void BM_ResidentMemoryAfterStartUp(benchmark::State& state) {
    // A private settings folder that has seen its first run.
    char folder[] = "/tmp/bench_window_XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    setenv("QUILLON_CONFIG_DIR", folder, 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    quillon::platform::RegistryStore store;
    store.Update(
        [](quillon::platform::RegistryTree& tree) { tree.SetDword(quillon::formats::kOptionsKey, "FirstRun", 0); });
    QuietServices services;
    quillon::ui::SetServices(&services);

    int argc = 1;
    char name[] = "quillon";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    quillon::ui::skin::Install(app);
    const std::string programFolder = std::string(QUILLON_BIN_DIR) + "/";
    double megabytes = 0;
    {
        quillon::ui::MainWindow window(programFolder);
        window.SetUpMainWindow();
        window.show();
        for (int i = 0; i < 20; ++i) QApplication::processEvents();
        for (auto _ : state) {
            megabytes = ResidentMegabytes();
            benchmark::DoNotOptimize(megabytes);
        }
    }
    state.counters["rss_MB"] = megabytes;
    quillon::ui::SetServices(nullptr);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ResidentMemoryAfterStartUp)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
