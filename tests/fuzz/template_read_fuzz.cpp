// Reads hostile bytes as a code template file into a tree that already holds nodes, then
// walks, counts, searches and writes what was read.
#include "storage/byte_stream.h"
#include "storage/errors.h"
#include "storage/section_list.h"
#include "templates/code_template.h"

#include <cstddef>
#include <cstdint>

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TSectionList list;
    TCodeTemplate root;
    root.AddChild("old")->AddChild("older");
    TMemoryStream file(data, size);
    try {
        root.LoadTemplateStream(list, file);
    } catch (const handledException&) {
        // Refused or damaged: what was read before stays and must still be a sound tree.
    }
    (void)root.CountNodes();
    (void)root.CountTemplates();
    (void)root.FindByAlias("x:1,2", nullptr, false);
    for (TCodeTemplate* node = &root; node; node = node->NextInPreOrder(&root))
        (void)node->CompletePath();
    TMemoryStream out;
    {
        TSectionListUse use(list, out, false);
        root.WriteNodes(list);
    }
    return 0;
}
