#pragma once
// Replaces a file's contents so that a failure part-way (a full disk, a lost mount) leaves the
// previous file untouched: the bytes go to a new file beside it, which takes the old one's
// place only once it is completely on disk. The replaced file keeps its permissions.
#include <cstddef>
#include <string>

namespace korvane {

// Throws handledException naming the file when anything fails.
void ReplaceFileContents(const std::string& path, const void* data, std::size_t size);

} // namespace korvane
