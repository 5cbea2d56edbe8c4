#include "exec/console_lines.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace korvane {
namespace {

// Finds the line ends of bytes from left to right; each byte is searched once per end
// character, with memchr.
class TLineEndScan {
public:
    explicit TLineEndScan(std::string_view bytes)
        : Bytes(bytes), LineFeed(Find('\n', 0)), Return(Find('\r', 0)) {}

    // Position of the first CR or LF at pos or after it, else the size of the bytes.
    size_t Next(size_t pos) {
        if (LineFeed < pos) LineFeed = Find('\n', pos);
        if (Return < pos) Return = Find('\r', pos);
        return std::min(LineFeed, Return);
    }

private:
    size_t Find(char c, size_t pos) const {
        if (pos >= Bytes.size()) return Bytes.size();
        const void* hit = std::memchr(Bytes.data() + pos, c, Bytes.size() - pos);
        return hit ? static_cast<size_t>(static_cast<const char*>(hit) - Bytes.data())
                   : Bytes.size();
    }

    std::string_view Bytes;
    size_t LineFeed;
    size_t Return;
};

} // namespace

std::vector<std::string> TConsoleLines::Strings() const {
    std::vector<std::string> strings;
    strings.reserve(Lines.size());
    for (size_t i = 0; i < Lines.size(); ++i)
        strings.emplace_back((*this)[i]);
    return strings;
}

std::string TConsoleLines::Text() const {
    size_t size = 0;
    for (size_t i = 0; i < Lines.size(); ++i)
        size += Lines[i].Length + 2;
    std::string text;
    text.reserve(size);
    for (size_t i = 0; i < Lines.size(); ++i)
        text.append((*this)[i]).append("\r\n");
    return text;
}

std::optional<std::string_view> TConsoleLines::JoinedInPlace(size_t first, size_t skip) const {
    if (first >= Lines.size()) return std::string_view();
    const Line& head = Lines[first];
    const std::string_view source = SourceText(head.Source);
    size_t end = head.Start + head.Length;
    for (size_t i = first + 1; i < Lines.size(); ++i) {
        const Line& line = Lines[i];
        if (line.Source != head.Source || line.Start != end + 1 || source[end] != '\n')
            return std::nullopt;
        end = line.Start + line.Length;
    }
    return source.substr(head.Start + skip, end - head.Start - skip);
}

void TConsoleLines::Changed() {
    if (OnChange) OnChange();
}

unsigned TConsoleLines::SourceOf(const TConsoleBytes& stream) {
    if (&stream == &Own) return OwnText;
    const auto known = std::find(Sources.begin(), Sources.end(), &stream);
    if (known != Sources.end()) return static_cast<unsigned>(known - Sources.begin()) + 1;
    if (Sources.size() == 255) throw std::length_error("console lines from too many streams");
    Sources.push_back(&stream);
    return static_cast<unsigned>(Sources.size());
}

void TConsoleLines::Reset() {
    // Memory stays: the next run of the one console reuses it.
    Own.clear();
    Sources.clear();
    Lines.clear();
    ChangedFrom = 0;
    LastLineOpen = SkipLineFeed = false;
    ++GenerationValue;
}

void TConsoleLines::AddOwnLine(std::string_view text, ConsoleTag tag) {
    Lines.push_back({Own.size(), text.size(), OwnText, tag});
    Own.append(text);
}

void TConsoleLines::MoveLastLineToOwnEnd(size_t room) {
    Line& last = Lines.back();
    const bool atOwnEnd = last.Source == OwnText && last.Start + last.Length == Own.size();
    Own.reserve(Own.size() + (atOwnEnd ? 0 : last.Length) + room);
    if (atOwnEnd) return;
    const size_t start = Own.size();
    Own.append(TextOf(last));
    last.Source = OwnText;
    last.Start = start;
}

void TConsoleLines::ExtendLastLine(unsigned source, size_t start, size_t length) {
    Line& last = Lines.back();
    if (last.Source == source && last.Start + last.Length == start) {
        last.Length += length;
        return;
    }
    // The line goes on in another stream: it is copied once and grows in Own from then on.
    MoveLastLineToOwnEnd(length);
    Own.append(SourceText(source).substr(start, length));
    last.Length += length;
}

void TConsoleLines::Clear() {
    Reset();
    Changed();
}

void TConsoleLines::Assign(const std::vector<std::string>& lines) {
    Reset();
    for (const std::string& text : lines)
        AddOwnLine(text, nullptr);
}

void TConsoleLines::EchoInput(const std::string& text) {
    if (Lines.empty()) AddOwnLine({}, nullptr);
    ChangedFrom = Lines.size() - 1;
    MoveLastLineToOwnEnd(text.size());
    Own.append(text);
    Lines.back().Length += text.size();
    LastLineOpen = SkipLineFeed = false;
    Changed();
}

void TConsoleLines::AppendBytes(std::string_view bytes, ConsoleTag tag) {
    const size_t from = Own.size();
    Own.append(bytes);
    AppendBytes(Own, from, tag);
}

void TConsoleLines::AppendBytes(const TConsoleBytes& stream, size_t from, ConsoleTag tag,
                                size_t to) {
    const unsigned source = SourceOf(stream);
    const std::string_view bytes =
        stream.View().substr(from, to == std::string_view::npos ? to : to - from);
    ChangedFrom = LastLineOpen ? Lines.size() - 1 : Lines.size();
    size_t pos = 0;
    if (SkipLineFeed && !bytes.empty() && bytes.front() == '\n') pos = 1;
    if (!bytes.empty()) SkipLineFeed = false;
    TLineEndScan lineEnds(bytes);
    while (pos < bytes.size()) {
        const size_t end = lineEnds.Next(pos);
        if (LastLineOpen) {
            if (end > pos) ExtendLastLine(source, from + pos, end - pos);
            Lines.back().Object = tag;
        } else {
            Lines.push_back({from + pos, end - pos, source, tag});
        }
        if (end == bytes.size()) {
            LastLineOpen = true;
            break;
        }
        LastLineOpen = false;
        pos = end + 1;
        if (bytes[end] == '\r') {
            if (pos < bytes.size() && bytes[pos] == '\n')
                ++pos;
            else if (pos == bytes.size())
                SkipLineFeed = true;
        }
    }
    Changed();
}

} // namespace korvane
