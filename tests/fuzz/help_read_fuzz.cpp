// Reads hostile bytes as a help tree file, then walks, counts and writes what was read.
#include "help/help_file.h"
#include "storage/byte_stream.h"
#include "storage/errors.h"
#include "storage/section_list.h"

#include <cstddef>
#include <cstdint>
#include <functional>

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TSectionList list;
    TMemoryStream file(data, size);
    std::unique_ptr<THelpSection> root;
    try {
        root = ReadHelpTree(list, file, {});
    } catch (const handledException&) {
        return 0; // refused or damaged: nothing to walk
    }
    (void)root->CountNodes();
    (void)root->CountLeaves();
    const std::function<void(const THelpSection&)> walk = [&](const THelpSection& node) {
        (void)node.FullPath();
        for (const auto& child : node.Children())
            walk(*child);
    };
    walk(*root);
    TMemoryStream out;
    WriteHelpTree(list, out, *root, {});
    return 0;
}
