#include "util/size_text.h"

#include <cinttypes>
#include <cstdio>

namespace quillon::util {

namespace {

std::string Printf(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

}  // namespace

std::string FormatSize(std::int64_t size, bool asBytes) {
    char buffer[64];
    if (asBytes) {
        if (size < 1000) {
            std::snprintf(buffer, sizeof buffer, "%" PRId64 " B", size);
            return buffer;
        }
        const double s = static_cast<double>(size);
        if (size < 1024000) return Printf("%.1f KB", s / 1024.0);
        if (size < 1048576000) return Printf("%.2f MB", s / 1048576.0);
        if (size < 1073741824000LL) return Printf("%.2f GB", s / 1073741824.0);
        return Printf("%.2f TB", s / 1099511627776.0);
    }
    // Wraps like the 64-bit multiplication it stands for; a negative count prints its low 32 bits.
    const std::int64_t bits = static_cast<std::int64_t>(static_cast<std::uint64_t>(size) * 8u);
    if (bits < 1000) {
        std::snprintf(buffer, sizeof buffer, "%ld b",
                      static_cast<long>(static_cast<std::int32_t>(static_cast<std::uint32_t>(bits))));
        return buffer;
    }
    const double b = static_cast<double>(bits);
    if (bits < 1000000) return Printf("%.1f kb", b / 1e3);
    if (bits < 1000000000) return Printf("%.2f mb", b / 1e6);
    if (bits < 1000000000000LL) return Printf("%.2f gb", b / 1e9);
    return Printf("%.2f tb", b / 1e12);
}

}  // namespace quillon::util
