#include "storage/section_list.h"

#include "storage/errors.h"
#include "storage/file_utils.h"
#include "storage/program_log.h"
#include "storage/scramble.h"
#include "storage/text_utils.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <stdexcept>
#include <unistd.h>

namespace korvane {
namespace {

constexpr uint8_t FlagTrue = 'Y';
constexpr uint8_t FlagFalse = 'N';
const char* const FileContentsName = "File Contents";

template <typename T> void ToLittleEndian(T value, uint8_t* out) {
    using U = std::make_unsigned_t<T>;
    const U u = static_cast<U>(value);
    for (size_t i = 0; i < sizeof(T); ++i)
        out[i] = static_cast<uint8_t>(u >> (8 * i));
}

template <typename T> T FromLittleEndian(const uint8_t* in) {
    using U = std::make_unsigned_t<T>;
    U u = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        u = static_cast<U>(u | (U{in[i]} << (8 * i)));
    return static_cast<T>(u);
}

std::unique_ptr<TSectionList> programSectionList;

} // namespace

void TSection::Clear() {
    Name.clear();
    CompressChildren = false;
    Buffer.reset();
    if (Level > 0) Stream = nullptr;
}

TSectionList::TSectionList() : Lzrw1(std::make_unique<Tlzrw1>()) {
    for (int i = 0; i <= MaxLevel; ++i)
        Levels[i].Level = i;
    Lzrw1->SetCompressMode(TCompressMode::Auto);
    Lzrw1->SetThreshold(50);
}

TSectionList::~TSectionList() = default;

void TSectionList::Attach(TStream& stream, bool reading) {
    Reset();
    Levels[0].Stream = &stream;
    Levels[0].CompressChildren = false;
    IsReading = reading;
    DamageText.clear();
}

void TSectionList::NoteDamage(const std::string& what) {
    if (Probing || !DamageText.empty()) return;
    const std::string& section = Cur().Name;
    DamageText = section.empty() ? what : what + " in section \"" + section + "\"";
}

void TSectionList::Reset() {
    // Every level, not only the open ones: an error inside EndSection may leave one behind.
    for (int i = 1; i <= MaxLevel; ++i)
        Levels[i].Clear();
    Index = 0;
    IsReading = true;
    Scrambling = false;
}

TStream& TSectionList::Stream() {
    TStream* stream = Cur().Stream;
    if (!stream) throw std::logic_error("TSectionList used without an attached stream");
    return *stream;
}

bool TSectionList::AtEnd() const {
    const TStream* stream = Levels[Index].Stream;
    return !stream || stream->Position() >= stream->Size();
}

void TSectionList::Put(const void* data, size_t count) {
    TStream& stream = Stream();
    if (stream.Write(data, count) != count)
        throw handledException("Error writing " + stream.Name());
}

bool TSectionList::Get(void* data, size_t count) {
    if (AtEnd()) return false;
    const size_t got = Stream().Read(data, count);
    if (got < count) {
        NoteDamage("a value is cut short");
        std::memset(static_cast<uint8_t*>(data) + got, 0, count - got);
    }
    return true;
}

void TSectionList::BeginSection(const std::string& name) {
    if (Index == MaxLevel)
        throw handledException("Sections nested more than 10 deep in " + Stream().Name());
    TSection& parent = Cur();
    TSection& child = Levels[Index + 1];
    child.Clear();
    child.Name = name;
    child.Buffer = std::make_unique<TMemoryStream>();
    child.Stream = child.Buffer.get();
    if (IsReading && !AtEnd()) {
        const int64_t start = parent.Stream->Position();
        Probing = true;
        const std::string stored = ReadStr();
        Probing = false;
        if (SameText(stored, name)) {
            ReadBody(parent, child, ReadInt());
        } else if (!parent.Stream->Seek(start)) {
            child.Clear();
            throw handledException("Cannot reposition " + parent.Stream->Name());
        }
    }
    ++Index;
}

void TSectionList::ReadBody(TSection& parent, TSection& child, int32_t length) {
    if (length < 0) NoteDamage("section \"" + child.Name + "\" has a length below zero");
    if (length <= 0) return;
    // A damaged length cannot make us take more than the parent holds.
    const size_t take = static_cast<size_t>(std::min<int64_t>(length, parent.Stream->Remaining()));
    std::vector<uint8_t> body(take);
    body.resize(parent.Stream->Read(body.data(), take));
    if (body.size() < static_cast<size_t>(length))
        NoteDamage("section \"" + child.Name + "\" is cut short (" + std::to_string(body.size()) +
                   " of " + std::to_string(length) + " bytes)");
    if (!parent.CompressChildren) {
        *child.Buffer = TMemoryStream(std::move(body));
        return;
    }
    TSpanStream compressed(body.data(), body.size());
    Lzrw1->SetInputStream(&compressed);
    Lzrw1->SetOutputStream(child.Buffer.get());
    Lzrw1->Decompress(); // a damaged body leaves what decoded before the fault
    if (!Lzrw1->LastError().empty())
        NoteDamage("section \"" + child.Name + "\" does not decompress (" + Lzrw1->LastError() +
                   ")");
    child.Buffer->Seek(0);
}

int64_t TSectionList::Position() const {
    const TSection& current = Levels[Index];
    return current.Stream ? current.Stream->Position() : 0;
}

void TSectionList::EndSection() {
    if (Index == 0) return;
    TSection& child = Cur();
    if (IsReading) {
        child.Clear();
        --Index;
        return;
    }
    // The level is cleared however this ends, so a failed save leaves nothing half open.
    struct ClearOnExit {
        TSection& Level;
        ~ClearOnExit() { Level.Clear(); }
    } clearChild{child};
    --Index;
    WriteStr(child.Name);
    if (!Cur().CompressChildren) {
        const std::vector<uint8_t>& bytes = child.Buffer->Bytes();
        WriteInt(static_cast<int32_t>(bytes.size()));
        Put(bytes.data(), bytes.size());
        return;
    }
    TMemoryStream compressed;
    child.Buffer->Seek(0);
    Lzrw1->SetInputStream(child.Buffer.get());
    Lzrw1->SetOutputStream(&compressed);
    const int32_t count = Lzrw1->Compress();
    // Storing a body that did not compress whole would lose data without a word.
    if (!Lzrw1->LastError().empty()) throw handledException(Lzrw1->LastError());
    WriteInt(count);
    Put(compressed.Bytes().data(), compressed.Bytes().size());
}

void TSectionList::WriteInt(int32_t value) {
    uint8_t bytes[4];
    ToLittleEndian(value, bytes);
    Put(bytes, sizeof bytes);
}

int32_t TSectionList::ReadInt() {
    uint8_t bytes[4];
    return Get(bytes, sizeof bytes) ? FromLittleEndian<int32_t>(bytes) : 0;
}

void TSectionList::WriteShort(int16_t value) {
    uint8_t bytes[2];
    ToLittleEndian(value, bytes);
    Put(bytes, sizeof bytes);
}

int16_t TSectionList::ReadShort() {
    uint8_t bytes[2];
    return Get(bytes, sizeof bytes) ? FromLittleEndian<int16_t>(bytes) : 0;
}

void TSectionList::WriteByte(uint8_t value) {
    Put(&value, 1);
}

uint8_t TSectionList::ReadByte() {
    uint8_t value = 0;
    return Get(&value, 1) ? value : 0;
}

void TSectionList::WriteFlag(bool value) {
    WriteByte(value ? FlagTrue : FlagFalse);
}

bool TSectionList::ReadFlag() {
    const char flag = static_cast<char>(ReadByte());
    return TextToBool(std::string_view(&flag, 1));
}

void TSectionList::WriteFloat(double value) {
    uint8_t bytes[8];
    ToLittleEndian(std::bit_cast<uint64_t>(value), bytes);
    Put(bytes, sizeof bytes);
}

double TSectionList::ReadFloat() {
    uint8_t bytes[8];
    return Get(bytes, sizeof bytes) ? std::bit_cast<double>(FromLittleEndian<uint64_t>(bytes))
                                    : 0.0;
}

void TSectionList::WritePair(int32_t x, int32_t y) {
    WriteInt(x);
    WriteInt(y);
}

TPoint TSectionList::ReadPair() {
    if (AtEnd()) return {};
    TPoint point;
    point.X = ReadInt();
    point.Y = ReadInt();
    return point;
}

void TSectionList::WriteStr(const std::string& value) {
    if (value.size() > MaxStringLength)
        throw handledException("A text of " + std::to_string(value.size()) +
                               " bytes is too long to store (at most 32767)");
    WriteShort(static_cast<int16_t>(value.size()));
    const std::string text = Scrambling ? ScrambleText(value) : value;
    Put(text.data(), text.size());
}

std::string TSectionList::ReadStr() {
    if (AtEnd()) return {};
    const int16_t length = ReadShort();
    if (length <= 0) return {};
    const size_t take = static_cast<size_t>(std::min<int64_t>(length, Stream().Remaining()));
    std::string text(take, '\0');
    text.resize(Stream().Read(text.data(), take));
    if (text.size() < static_cast<size_t>(length)) NoteDamage("a text is cut short");
    // Stored texts end at their first NUL, as they always have.
    text.resize(std::min(text.size(), std::strlen(text.c_str())));
    return Scrambling ? UnscrambleText(text) : text;
}

void TSectionList::WriteStrList(const std::vector<std::string>& list) {
    if (list.size() > MaxListCount)
        throw handledException("A list of " + std::to_string(list.size()) +
                               " entries is too long to store (at most 32767)");
    WriteShort(static_cast<int16_t>(list.size()));
    for (const std::string& item : list)
        WriteStr(item);
}

void TSectionList::ReadStrList(std::vector<std::string>& list) {
    list.clear();
    if (AtEnd()) return;
    const int16_t count = ReadShort();
    // Entries a damaged section does not hold are not invented.
    for (int i = 0; i < count && !AtEnd(); ++i)
        list.push_back(ReadStr());
}

void TSectionList::WriteRaw(std::string_view bytes) {
    Put(bytes.data(), bytes.size());
}

std::string TSectionList::ReadRest() {
    if (AtEnd()) return {};
    std::string bytes(static_cast<size_t>(Stream().Remaining()), '\0');
    bytes.resize(Stream().Read(bytes.data(), bytes.size()));
    return bytes;
}

void TSectionList::WriteFileContents(const std::string& path) {
    std::error_code ignored;
    const bool exists = std::filesystem::is_regular_file(path, ignored);
    WriteFlag(exists);
    if (!exists) return;
    BeginSection(FileContentsName);
    try {
        TFileStream file(path, TFileStream::TMode::OpenRead);
        const int64_t size = file.Size();
        if (size < 0 || size > std::numeric_limits<int32_t>::max())
            throw handledException("Cannot embed file " + path + ": it is too large");
        WriteInt(static_cast<int32_t>(size));
        std::vector<uint8_t> chunk(64 * 1024);
        for (int64_t left = size; left > 0;) {
            const size_t want = static_cast<size_t>(std::min<int64_t>(left, chunk.size()));
            const size_t got = file.Read(chunk.data(), want);
            if (got == 0) throw handledException("Error reading file " + path);
            Put(chunk.data(), got);
            left -= static_cast<int64_t>(got);
        }
    } catch (...) {
        EndSection();
        throw;
    }
    EndSection();
}

void TSectionList::ReadFileContents(const std::string& path) {
    if (AtEnd() || !ReadFlag()) return;
    BeginSection(FileContentsName);
    try {
        if (EnsureWritable(path)) {
            TFileStream file(path, TFileStream::TMode::Create);
            const int32_t size = ReadInt();
            if (size > 0) {
                const size_t take =
                    static_cast<size_t>(std::min<int64_t>(size, Stream().Remaining()));
                if (take < static_cast<size_t>(size)) NoteDamage("an embedded file is cut short");
                const uint8_t* bytes = Cur().Buffer->Bytes().data() + Stream().Position();
                if (file.Write(bytes, take) != take)
                    throw handledException("Error writing file " + path);
            }
            file.Close();
        }
    } catch (const std::exception&) {
        WriteLogLine("Error [re]creating file " + path);
    }
    EndSection();
}

void CreateSectionList() {
    programSectionList = std::make_unique<TSectionList>();
}

void FreeSectionList() {
    programSectionList.reset();
}

TSectionList& SectionList() {
    if (!programSectionList) throw std::logic_error("SectionList used before CreateSectionList");
    return *programSectionList;
}

} // namespace korvane
