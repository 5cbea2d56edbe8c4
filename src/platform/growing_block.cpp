#include "platform/growing_block.h"

#include "platform/huge_pages.h"

#include <algorithm>
#include <new>

#include <sys/mman.h>
#include <unistd.h>

namespace korvane {
namespace {

// The first mapping: small enough for the many short runs, big enough to skip early remaps.
constexpr size_t FirstSize = 64 * 1024;

size_t PageRounded(size_t bytes) {
    static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return (bytes + page - 1) / page * page;
}

} // namespace

TGrowingBlock::~TGrowingBlock() {
    if (Base) munmap(Base, Size);
}

void TGrowingBlock::Reserve(size_t bytes) {
    if (bytes <= Size) return;
    const size_t size = PageRounded(std::max({bytes, 2 * Size, FirstSize}));
    void* block =
        Base ? mremap(Base, Size, size, MREMAP_MAYMOVE)
             : mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) throw std::bad_alloc();
    Base = static_cast<char*>(block);
    Size = size;
    AdviseHugePagesForMapping(Base, Size);
}

} // namespace korvane
