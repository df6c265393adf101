#pragma once

#include <cstdint>
#include <string>

namespace quillon::util {

// "999 B", "1.0 KB", "0.98 MB" ... in bytes; with asBytes false the size is shown as bits in
// decimal units ("1.0 kb"). Each threshold stands in the unit below (1000 bytes read 1.0 KB).
std::string FormatSize(std::int64_t size, bool asBytes);

}  // namespace quillon::util
