#include "platform/huge_pages.h"

#include <cstdint>

#include <sys/mman.h>

namespace korvane {

void AdviseHugePagesInside(void* start, size_t bytes) {
    const auto first = reinterpret_cast<std::uintptr_t>(start);
    const std::uintptr_t alignedStart = (first + HugePageBytes - 1) & ~(HugePageBytes - 1);
    const std::uintptr_t alignedEnd = (first + bytes) & ~(HugePageBytes - 1);
    if (alignedEnd <= alignedStart) return;
    madvise(reinterpret_cast<void*>(alignedStart), alignedEnd - alignedStart, MADV_HUGEPAGE);
}

void AdviseHugePagesForMapping(void* mapping, size_t bytes) {
    if (bytes >= HugePageBytes) madvise(mapping, bytes, MADV_HUGEPAGE);
}

} // namespace korvane
