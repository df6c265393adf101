#pragma once
// Opening a source for reading only when it is a regular file (or a link to one).

#include <cstdint>
#include <cstdio>
#include <string>

namespace quillon::audio {

// The file opened "rb", or nullptr when it cannot be opened or is no regular file. A FIFO or
// device is never waited for: the test and the open are one step, so nothing can be swapped in
// between them. With `size`, the file's length in bytes goes there.
std::FILE* OpenRegularFile(const std::string& path, std::uint64_t* size = nullptr);

}  // namespace quillon::audio
