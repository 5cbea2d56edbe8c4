#pragma once
// Large buffers on the system's huge pages, where it lends them on request (transparent huge
// pages in "madvise" mode, as Debian sets them): the first write to a buffer of tens of
// megabytes (a file being opened, a run's output) then takes one fault per 2 MB instead of
// one per 4 KB, which on a virtual machine makes that first write many times faster. Only
// advice: a system without huge pages refuses it, and the memory works as before.
#include <cstddef>

namespace korvane {

// The size of a huge page; a buffer gains from them once it spans whole ones.
constexpr size_t HugePageBytes = size_t(2) << 20;

// For a block inside memory someone else mapped (the C library's): huge pages behind the whole
// huge pages that lie inside [start, start + bytes); nothing for a smaller block.
void AdviseHugePagesInside(void* start, size_t bytes);
// For a whole mapping of one's own (page-aligned start): advice on part of a mapping splits it
// in the system's books, and a split mapping can no longer be remapped in one piece.
void AdviseHugePagesForMapping(void* mapping, size_t bytes);

} // namespace korvane
