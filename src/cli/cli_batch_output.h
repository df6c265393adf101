#pragma once
// What quillon-cli convert adds for schedulers and clusters: JSON lines on standard output
// (--json) and the export of a batch as shell jobs (--emit-jobs).

#include <cstddef>
#include <memory>
#include <string>

#include "app/file_list.h"
#include "app/run_host.h"
#include "engine/loading_window.h"
#include "formats/conversion_settings.h"
#include "formats/output_format.h"

namespace quillon::cli {

// The run's overall status and percent as {"type":"status"|"progress",...} lines.
std::unique_ptr<app::ProgressWindow> MakeJsonProgressWindow();

// Every row status the list shows during a run as a {"type":"row-status",...} line.
class JsonRowStatusPrinter : public app::FileListObserver {
public:
    explicit JsonRowStatusPrinter(const app::FileList& list) : list_(list) {}
    void StatusChanged(std::size_t row) override;

private:
    const app::FileList& list_;
};

// A final row: {"type":"row","row":N,"file":...,"status":...,"output":...,"written":bool}.
void PrintJsonRow(const app::FileList& list, std::size_t row, bool written);

struct JobExportRequest {
    std::string jobFile;      // absolute
    std::string preparedDir;  // absolute; empty for the folder beside the job file
    bool json = false;
};

// Exports the loaded list as jobs and prints the rows. Returns the exit status: 0 when every
// row became a job, 1 when some did not, 2 when nothing could be exported or written.
int ExportBatch(const JobExportRequest& request, app::FileList& list, formats::FormatCatalogue& catalogue,
                formats::ConversionSettings& settings, formats::OutputFormat* format, engine::LoadingWindow& loading);

}  // namespace quillon::cli
