// The program's own operator new and delete, linked into the programs (never into a library):
// a block of several megabytes, such as the editing component's buffers for a large file, is
// put on huge pages before it is first written (platform/huge_pages.h). Everything else is
// the C library's malloc and free, as with the standard operators. Left out of sanitizer
// builds, whose own operators check that new and delete are paired.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)

#include "platform/huge_pages.h"

#include <cstdlib>
#include <new>

namespace {

// Smaller blocks rarely span a whole aligned huge page.
constexpr size_t LargeBlock = 2 * korvane::HugePageBytes;

void* Allocate(size_t bytes) noexcept {
    void* block = std::malloc(bytes == 0 ? 1 : bytes);
    if (block && bytes >= LargeBlock) korvane::AdviseHugePagesInside(block, bytes);
    return block;
}

// As the standard operator: the new-handler is asked for memory until there is some.
void* AllocateOrThrow(size_t bytes) {
    for (;;) {
        if (void* block = Allocate(bytes)) return block;
        const std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

void* AllocateOrNull(size_t bytes) noexcept {
    try {
        return AllocateOrThrow(bytes);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace

void* operator new(size_t bytes) {
    return AllocateOrThrow(bytes);
}
void* operator new[](size_t bytes) {
    return AllocateOrThrow(bytes);
}
void* operator new(size_t bytes, const std::nothrow_t&) noexcept {
    return AllocateOrNull(bytes);
}
void* operator new[](size_t bytes, const std::nothrow_t&) noexcept {
    return AllocateOrNull(bytes);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, size_t) noexcept {
    std::free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}

#endif
