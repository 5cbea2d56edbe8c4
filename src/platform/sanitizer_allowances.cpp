// Compiled into every executable of a sanitizer build (-DKORVANE_SANITIZE=ON), nowhere else.
//
// Qt WebEngine's own library frees one of its objects with a size other than the one it was
// allocated with; AddressSanitizer reports that as new-delete-type-mismatch as soon as a
// browser view is made. The sanitizer can only switch that check off for the whole process,
// so sized deletes come through here instead: those called from inside that library go on
// unsized (there is no size to disagree with), every other one reaches the sanitizer with its
// size and stays checked. A definition in the executable is found before the sanitizer's own.
//
// Leaks that third-party libraries still hold when the program exits (Qt WebEngine's threads
// and caches, the font and device lookups under it) are not reported either; leaks in
// Korvane's own code still are.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <new>

namespace {

struct CodeRange {
    std::uintptr_t Begin = 0;
    std::uintptr_t End = 0;
    bool Holds(std::uintptr_t address) const { return address >= Begin && address < End; }
};

int FindWebEngineCode(dl_phdr_info* info, std::size_t, void* data) {
    if (!info->dlpi_name || !std::strstr(info->dlpi_name, "libQt6WebEngineCore.so")) return 0;
    auto* range = static_cast<CodeRange*>(data);
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD || !(segment.p_flags & PF_X)) continue;
        range->Begin = info->dlpi_addr + segment.p_vaddr;
        range->End = range->Begin + segment.p_memsz;
    }
    return 1;
}

// The library comes with the browser module, loaded once the program runs: until it is there,
// the search is made again whenever a library has been loaded since the last one.
CodeRange WebEngineCode() {
    static std::atomic<std::uintptr_t> begin{0}, end{0};
    static std::atomic<unsigned long long> searchedAtLoads{~0ull};
    if (const std::uintptr_t known = end.load(std::memory_order_acquire))
        return {begin.load(std::memory_order_relaxed), known};
    unsigned long long loads = 0;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
            *static_cast<unsigned long long*>(data) = info->dlpi_adds;
            return 1;
        },
        &loads);
    CodeRange found;
    if (searchedAtLoads.exchange(loads) != loads) dl_iterate_phdr(FindWebEngineCode, &found);
    if (found.End) {
        begin.store(found.Begin, std::memory_order_relaxed);
        end.store(found.End, std::memory_order_release);
    }
    return found;
}

using SizedDelete = void (*)(void*, std::size_t) noexcept;

SizedDelete SanitizerSizedDelete() {
    static const auto next = reinterpret_cast<SizedDelete>(dlsym(RTLD_NEXT, "_ZdlPvm"));
    return next;
}

} // namespace

// Only the sized form is taken over; the unsized one stays the sanitizer's own.
#pragma GCC diagnostic ignored "-Wsized-deallocation"
void operator delete(void* pointer, std::size_t size) noexcept {
    const auto caller = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
    const SizedDelete checked = SanitizerSizedDelete();
    if (!checked || WebEngineCode().Holds(caller))
        ::operator delete(pointer);
    else
        checked(pointer, size);
}

// Read by LeakSanitizer at exit, as if given in a suppressions file.
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libQt6WebEngineCore.so\n"
           "leak:libfontconfig.so\n"
           "leak:libudev.so\n";
}
