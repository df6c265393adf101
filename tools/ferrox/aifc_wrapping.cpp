#include "aifc_wrapping.h"

#include "engine_run.h"

#include <unistd.h>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "platform/process.h"

namespace quillon::ferrox {

int RunAifcWrap(const engine::AifcPlan& plan, const std::string& rawFile, engine::EngineLog& log) {
    platform::RemoveFileOnSignal(rawFile);
    int status;
    status = RunEngine(plan.encodeArgs, log);
    if (status == 0 && log.WriteFailed()) status = 1;
    if (status == 0) {
        std::ifstream in(rawFile, std::ios::binary);
        const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::ofstream out(plan.output, std::ios::binary | std::ios::trunc);
        out << engine::AifcHeader(plan, static_cast<uint32_t>(data.size())) << data;
        if (data.size() % 2) out.put('\0');
        out.close();
        if (!in || !out) {
            std::fprintf(stderr, "%s: cannot write the AIFF-C file\n", plan.output.c_str());
            unlink(plan.output.c_str());
            status = 1;
        }
    }
    unlink(rawFile.c_str());
    return status;
}

}  // namespace quillon::ferrox
