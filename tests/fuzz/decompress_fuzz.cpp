// Hostile compressed bodies must decode without fault; and any input must survive a round trip
// through both engines unchanged.
#include "storage/lzrw1.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Tlzrw1 z;
    {
        TMemoryStream in(data, size), out;
        z.SetInputStream(&in);
        z.SetOutputStream(&out);
        const int32_t count = z.Decompress();
        if (count != out.Size()) std::abort();
    }
    for (const TCompressMode mode : {TCompressMode::Fast, TCompressMode::Good}) {
        TMemoryStream in(data, size), packed, back;
        z.SetCompressMode(mode);
        z.SetInputStream(&in);
        z.SetOutputStream(&packed);
        z.Compress();
        packed.Seek(0);
        z.SetInputStream(&packed);
        z.SetOutputStream(&back);
        z.Decompress();
        if (!z.LastError().empty() || back.Bytes().size() != size ||
            (size > 0 && std::memcmp(back.Bytes().data(), data, size) != 0))
            std::abort();
    }
    return 0;
}
