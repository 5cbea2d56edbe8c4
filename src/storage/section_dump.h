#pragma once
// A readable listing of any stored file's sections, for looking inside a file that will not
// load. Values are not typed in the file, so sections inside plain bodies are recognised by
// their shape (a name, then a length that fits) and runs of other bytes are shown as values.
#include <cstdint>
#include <ostream>
#include <vector>

namespace korvane {

struct TDumpOptions {
    bool Hex = false; // add the bytes of every value run
};

// Lists the file's bytes to out. Returns false when the file is damaged: the listing then ends
// with a line saying where and why it stopped.
bool DumpStoredFile(const std::vector<uint8_t>& file, std::ostream& out,
                    const TDumpOptions& options);

} // namespace korvane
