#include "platform/memory_size.h"

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <limits>

std::uint64_t UsableMemoryBytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    std::uint64_t physical =
        pages > 0 && pageSize > 0 ? std::uint64_t(pages) * std::uint64_t(pageSize) : std::uint64_t(1) << 30;
    const std::uint64_t addressable = std::numeric_limits<std::size_t>::max() / 2;
    return std::min(physical / 2, addressable);
}
