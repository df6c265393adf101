#pragma once
// For the platform's own use: pipe handles over a descriptor that is not a child's pipe.

#include "platform/process.h"

namespace quillon::platform {

// Takes `fd` (a connected socket, say) for reading and a copy of it for writing; the
// descriptor closes with the last handle. On failure `fd` is closed and false returned.
bool AdoptDescriptor(int fd, PipeHandle& reading, InputPipeHandle& writing);

}  // namespace quillon::platform
