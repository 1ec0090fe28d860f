#include "platform/Memory.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace platform {
void PrepareForWriting(void* data, std::size_t size)
{
#ifdef MADV_POPULATE_WRITE
    // Smaller buffers fault in a few pages anyway.
    constexpr std::size_t kWorthIt = std::size_t(256) << 10;
    if (size < kWorthIt)
        return;
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + page - 1) / page * page;
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) / page * page;
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)size;
#endif
}
} // namespace platform
