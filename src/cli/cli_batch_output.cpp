#include "cli_batch_output.h"

#include <cstdio>
#include <cstdlib>

#include "app/job_export.h"
#include "util/json_writer.h"
#include "util/numbers.h"
#include "util/paths.h"

namespace quillon::cli {

namespace {

// One object per line, flushed at once: a scheduler reads the stream while the run goes on.
void PrintLine(const util::JsonWriter& json) {
    std::fprintf(stdout, "%s\n", json.str().c_str());
    std::fflush(stdout);
}

class JsonProgressWindow : public app::ProgressWindow {
public:
    void SetStatus(const std::string& text) override {
        // The combining pass repeats its status with the time; only changes in words count.
        const std::string head = text.substr(0, text.find("  ["));
        if (head == lastStatus_) return;
        lastStatus_ = head;
        util::JsonWriter json;
        json.BeginObject().Key("type").String("status").Key("text").String(head).EndObject();
        PrintLine(json);
    }
    void SetPercentText(const std::string& text) override {
        if (text.empty() || text == lastPercent_) return;
        lastPercent_ = text;
        util::JsonWriter json;
        json.BeginObject().Key("type").String("progress").Key("percent").Int(util::LeadingInteger(text)).EndObject();
        PrintLine(json);
    }
    int BarWidth() const override { return 200; }
    void SetBarPosition(int) override {}
    void SetBarStep(int) override {}
    void StepBar() override {}
    bool ShutdownChecked() const override { return false; }

private:
    std::string lastStatus_;
    std::string lastPercent_;
};

}  // namespace

std::unique_ptr<app::ProgressWindow> MakeJsonProgressWindow() { return std::make_unique<JsonProgressWindow>(); }

void JsonRowStatusPrinter::StatusChanged(std::size_t row) {
    if (row >= list_.RowCount() || list_.Status(row).empty()) return;
    util::JsonWriter json;
    json.BeginObject()
        .Key("type")
        .String("row-status")
        .Key("row")
        .UInt(row)
        .Key("file")
        .String(list_.FileText(row))
        .Key("status")
        .String(list_.Status(row))
        .EndObject();
    PrintLine(json);
}

void PrintJsonRow(const app::FileList& list, std::size_t row, bool written) {
    const engine::SourceItem& item = list.Item(row);
    util::JsonWriter json;
    json.BeginObject()
        .Key("type")
        .String("row")
        .Key("row")
        .UInt(row)
        .Key("file")
        .String(list.FileText(row))
        .Key("source")
        .String(item.path)
        .Key("status")
        .String(list.Status(row));
    json.Key("output");
    if (item.outputPath.empty()) {
        json.Null();
    } else {
        json.String(item.outputPath);
    }
    json.Key("written").Bool(written).EndObject();
    PrintLine(json);
}

int ExportBatch(const JobExportRequest& request, app::FileList& list, formats::FormatCatalogue& catalogue,
                formats::ConversionSettings& settings, formats::OutputFormat* format, engine::LoadingWindow& loading) {
    const std::string preparedDir =
        request.preparedDir.empty() ? app::DefaultPreparedFolder(request.jobFile) : request.preparedDir;
    std::vector<std::string> jobs;
    std::string error;
    if (!app::ExportJobs({list, catalogue, settings, format, preparedDir, loading, {}, {}, {}, {}}, jobs, error) ||
        !app::WriteJobFile(request.jobFile, jobs, error)) {
        std::fprintf(stderr, "quillon-cli convert: %s\n", error.c_str());
        return 2;  // the list takes its prepared files with it
    }
    app::HandOverPreparedFiles(list);
    const bool groupRun = format->Family == formats::FamilyCustomGroup;
    bool all = true;
    for (std::size_t row = 0; row < list.RowCount(); ++row) {
        const bool exported = list.Status(row) == "Exported";
        if (request.json) {
            PrintJsonRow(list, row, false);
        } else {
            std::printf("%s\t%s\n", list.FileText(row).c_str(), list.Status(row).c_str());
        }
        if (!(groupRun && !list.Item(row).isFormatCopy)) all = all && exported;
    }
    std::fflush(stdout);
    std::fprintf(stderr, "%zu job(s) written to %s\n", jobs.size(), request.jobFile.c_str());
    return all && list.RowCount() > 0 ? 0 : 1;
}

}  // namespace quillon::cli
