#include "util/value_lists.h"

#include <cstdint>

namespace quillon::util {

int NearestListValue(int value, const int* list) {
    if (list == nullptr || list[0] == -1) return value;
    if (value <= list[0]) return list[0];
    for (int i = 1; list[i] != -1; ++i) {
        if (value > list[i]) continue;
        // 64-bit distances: list entries may be large bit rates.
        const std::int64_t below = std::int64_t{value} - list[i - 1];
        const std::int64_t above = std::int64_t{list[i]} - value;
        return above < below ? list[i] : list[i - 1];
    }
    int last = list[0];
    for (int i = 1; list[i] != -1; ++i) last = list[i];
    return last;
}

}  // namespace quillon::util
