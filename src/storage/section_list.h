#pragma once
// The container every stored file is written in: typed little-endian values, any run of which
// can be wrapped in a named, length-prefixed section. Sections nest up to ten deep. A reader
// opens a section by name; a section that is not there reads as empty without moving the
// reader, and closing a section resumes right after its stored body however much was read.
// That is what lets files of older and newer builds load: fields are added at the ends of
// sections, and loaders test AtEnd before a field that older files lack.
#include "storage/byte_stream.h"
#include "storage/lzrw1.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const TPoint&) const = default;
};

// One level of nesting.
struct TSection {
    std::string Name;                      // empty for the root
    int32_t Level = 0;                     // fixed at creation
    TStream* Stream = nullptr;             // the root: the caller's stream; others: Buffer
    std::unique_ptr<TMemoryStream> Buffer; // levels 1..10, while open
    bool CompressChildren = false;         // sections directly inside have compressed bodies

    void Clear();
};

class TSectionList {
public:
    static constexpr int MaxLevel = 10;
    static constexpr size_t MaxStringLength = 32767;
    static constexpr size_t MaxListCount = 32767;

    TSectionList();
    ~TSectionList();
    TSectionList(const TSectionList&) = delete;
    TSectionList& operator=(const TSectionList&) = delete;

    // Resets, then works on stream (not owned) at its current position.
    void Attach(TStream& stream, bool reading);
    // Back to the root, idle: drops every open section, Reading true, Scramble off. The root's
    // CompressChildren keeps its value.
    void Reset();

    void BeginSection(const std::string& name);
    void EndSection();
    bool AtEnd() const;
    // Where reading stands in the current section. A loop over stored records compares it
    // before and after each record: a record that took no bytes means the data is damaged,
    // and counting on would only repeat the same neutral record.
    int64_t Position() const;

    void WriteInt(int32_t value);
    int32_t ReadInt();
    void WriteShort(int16_t value);
    int16_t ReadShort();
    void WriteByte(uint8_t value);
    uint8_t ReadByte();
    void WriteFlag(bool value);
    bool ReadFlag();
    void WriteFloat(double value);
    double ReadFloat();
    void WritePair(int32_t x, int32_t y);
    void WritePair(TPoint point) { WritePair(point.X, point.Y); }
    TPoint ReadPair();
    // Refuses (handledException) strings longer than 32,767 bytes rather than cut them.
    void WriteStr(const std::string& value);
    std::string ReadStr();
    void WriteStrList(const std::vector<std::string>& list);
    // Empties list first, also when the section is at its end.
    void ReadStrList(std::vector<std::string>& list);
    // Bytes as they are, filling the section to its end; ReadRest returns what the current
    // section holds from the reading position on.
    void WriteRaw(std::string_view bytes);
    std::string ReadRest();
    // Embeds the file at path (a flag, then a "File Contents" section when it exists).
    void WriteFileContents(const std::string& path);
    // Restores an embedded file to path. Failing to write it is logged, not raised.
    void ReadFileContents(const std::string& path);

    // The current level's switch.
    bool CompressChildren() const { return Levels[Index].CompressChildren; }
    void SetCompressChildren(bool value) { Levels[Index].CompressChildren = value; }
    bool Scramble() const { return Scrambling; }
    void SetScramble(bool value) { Scrambling = value; }

    // What the reading found damaged since Attach: a section or value cut short, a length
    // below zero, a compressed body that did not decode. The reader goes on with neutral
    // values all the same; "" while everything read was whole. Missing sections and fields
    // are no damage: that is how older files look.
    const std::string& Damage() const { return DamageText; }

    bool Reading() const { return IsReading; }
    int LevelIndex() const { return Index; }
    const TSection& Current() const { return Levels[Index]; }
    Tlzrw1& Compressor() { return *Lzrw1; }

private:
    TSection& Cur() { return Levels[Index]; }
    TStream& Stream();
    void Put(const void* data, size_t count);
    // Reads count bytes, zero-filling what the section lacks; false (nothing read) at its end.
    bool Get(void* data, size_t count);
    void ReadBody(TSection& parent, TSection& child, int32_t length);
    // Keeps the first damage found; a name probed by BeginSection is not data yet.
    void NoteDamage(const std::string& what);

    std::array<TSection, MaxLevel + 1> Levels;
    int Index = 0;
    bool IsReading = true;
    bool Scrambling = false;
    bool Probing = false;
    std::string DamageText;
    std::unique_ptr<Tlzrw1> Lzrw1;
};

// Attaches the container for one load or save and resets it however the scope is left.
class TSectionListUse {
public:
    TSectionListUse(TSectionList& list, TStream& stream, bool reading) : List(list) {
        List.Attach(stream, reading);
    }
    ~TSectionListUse() { List.Reset(); }
    TSectionListUse(const TSectionListUse&) = delete;
    TSectionListUse& operator=(const TSectionListUse&) = delete;

private:
    TSectionList& List;
};

// The one program-wide instance: created at start-up before any file is read, freed at exit.
void CreateSectionList();
void FreeSectionList();
// Throws std::logic_error when called outside that span.
TSectionList& SectionList();

} // namespace korvane
