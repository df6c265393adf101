#pragma once

#include <string>
#include <vector>

namespace quillon::engine {

// Arguments joined by blanks, for comparing argument lists as one readable text.
inline std::string Join(const std::vector<std::string>& args) {
    std::string s;
    for (const auto& a : args) s += (s.empty() ? "" : " ") + a;
    return s;
}

}  // namespace quillon::engine
