#pragma once

#include <cstddef>

namespace platform {
// Asks the kernel to back [data, data + size) with memory now, in one call, rather than a page
// fault at a time as it is first written: on virtual machines each fault is a trip to the host.
// Nothing changes but speed; kernels without the call ignore it.
void PrepareForWriting(void* data, std::size_t size);
} // namespace platform
