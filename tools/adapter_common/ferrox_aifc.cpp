#include "adapter_common/ferrox_aifc.h"

#include <cstdlib>

#include "util/numbers.h"
#include "util/paths.h"

namespace quillon::engine {

namespace {

void Put16(std::string& out, uint32_t v) {
    out.push_back(static_cast<char>(v >> 8));
    out.push_back(static_cast<char>(v));
}

void Put32(std::string& out, uint32_t v) {
    Put16(out, v >> 16);
    Put16(out, v & 0xffff);
}

// A whole number of hertz as the 80-bit extended float AIFF wants.
void PutExtended(std::string& out, uint32_t value) {
    if (value == 0) {
        out.append(10, '\0');
        return;
    }
    int exponent = 31;
    while (!(value & 0x80000000u)) {
        value <<= 1;
        --exponent;
    }
    Put16(out, static_cast<uint32_t>(16383 + exponent));
    Put32(out, value);
    Put32(out, 0);
}

}  // namespace

std::optional<AifcPlan> PlanAifcWrap(const std::vector<std::string>& args, const std::string& rawFile) {
    if (args.size() < 3) return std::nullopt;
    const std::string extension = util::LowerExtension(args.back());
    if (extension != "aiff" && extension != "aif" && extension != "aifc") return std::nullopt;
    std::size_t start = 0;
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "-i") start = i + 2;
    }
    if (start == 0) return std::nullopt;
    AifcPlan plan;
    bool found = false;
    std::vector<std::string> encode(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(start));
    for (std::size_t i = start; i + 1 < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 2 < args.size();
        if (a == "-f" && hasValue) return std::nullopt;  // another container asked for
        if ((a == "-write_id3v2" || a == "-id3v2_version") && hasValue) {
            ++i;  // options of the AIFF writer, which is not used
            continue;
        }
        if ((a == "-c:a" || a == "-acodec") && hasValue && (args[i + 1] == "g722" || args[i + 1] == "libgsm")) {
            found = true;
            plan.codec = args[i + 1] == "g722" ? AifcCodec::G722 : AifcCodec::Gsm;
        }
        if (a == "-ar" && hasValue) plan.sampleRate = util::LeadingInteger(args[i + 1]);
        if (a == "-ac" && hasValue) plan.channels = util::LeadingInteger(args[i + 1]);
        encode.push_back(a);
    }
    if (!found) return std::nullopt;
    if (plan.channels <= 0) plan.channels = 1;
    encode.insert(encode.end(), {"-f", plan.codec == AifcCodec::G722 ? "g722" : "gsm", "-y", rawFile});
    plan.output = args.back();
    plan.encodeArgs = std::move(encode);
    return plan;
}

std::string AifcHeader(const AifcPlan& plan, uint32_t dataBytes) {
    const bool g722 = plan.codec == AifcCodec::G722;
    // ffmpeg counts GSM in 33-byte blocks and G.722 in bytes.
    const uint32_t frames = g722 ? dataBytes : dataBytes / 33;
    const std::string name = g722 ? "G722" : "GSM 6.10";
    std::string comm;
    Put16(comm, static_cast<uint32_t>(plan.channels));
    Put32(comm, frames);
    Put16(comm, 16);
    PutExtended(comm, static_cast<uint32_t>(plan.sampleRate));
    comm += g722 ? "G722" : "GSM ";
    comm.push_back(static_cast<char>(name.size()));
    comm += name;
    if (comm.size() % 2) comm.push_back('\0');

    std::string body = "AIFCFVER";
    Put32(body, 4);
    Put32(body, 0xA2805140);  // AIFC version 1
    body += "COMM";
    Put32(body, static_cast<uint32_t>(comm.size()));
    body += comm;
    body += "SSND";
    Put32(body, dataBytes + 8);
    Put32(body, 0);  // offset
    Put32(body, 0);  // block size
    std::string header = "FORM";
    Put32(header, static_cast<uint32_t>(body.size()) + dataBytes + (dataBytes % 2));
    return header + body;
}

}  // namespace quillon::engine
