// Reads hostile bytes as a stored file: the first bytes steer a loader-like sequence of reads,
// the rest is the file. Also lists the file as korvane-dump would.
#include "storage/section_dump.h"
#include "storage/section_list.h"

#include <cstddef>
#include <cstdint>
#include <sstream>

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t steps = size < 16 ? size : 16;
    TMemoryStream file(data + steps, size - steps);
    TSectionList list;
    list.Compressor().SetCompressMode(TCompressMode::Fast);
    {
        TSectionListUse use(list, file, true);
        static const char* const names[] = {"VersionInfo", "Header", "Body", "File Contents"};
        std::vector<std::string> strings;
        for (size_t i = 0; i < steps; ++i) {
            const uint8_t op = data[i];
            switch (op % 12) {
            case 0:
                if (list.LevelIndex() < TSectionList::MaxLevel)
                    list.BeginSection(names[(op >> 4) % 4]);
                break;
            case 1:
                list.EndSection();
                break;
            case 2:
                list.SetCompressChildren(true);
                break;
            case 3:
                list.SetScramble(!list.Scramble());
                break;
            case 4:
                (void)list.ReadInt();
                break;
            case 5:
                (void)list.ReadShort();
                (void)list.ReadByte();
                break;
            case 6:
                (void)list.ReadFlag();
                break;
            case 7:
                (void)list.ReadFloat();
                break;
            case 8:
                (void)list.ReadPair();
                break;
            case 9:
                (void)list.ReadStr();
                break;
            case 10:
                list.ReadStrList(strings);
                break;
            default:
                (void)list.AtEnd();
                break;
            }
        }
    }
    std::ostringstream out;
    DumpStoredFile(std::vector<uint8_t>(data, data + size), out, TDumpOptions{});
    return 0;
}
