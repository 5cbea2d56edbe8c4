#include "exec/console_lines.h"

namespace korvane {

std::vector<std::string> TConsoleLines::Strings() const {
    std::vector<std::string> strings;
    strings.reserve(Lines.size());
    for (size_t i = 0; i < Lines.size(); ++i) strings.emplace_back((*this)[i]);
    return strings;
}

std::string TConsoleLines::Text() const {
    std::string text;
    text.reserve(Storage.size() + 2 * Lines.size());
    for (size_t i = 0; i < Lines.size(); ++i) text.append((*this)[i]).append("\r\n");
    return text;
}

void TConsoleLines::Changed() {
    if (OnChange) OnChange();
}

void TConsoleLines::AddLine(std::string_view text, ConsoleTag tag) {
    Lines.push_back({Storage.size(), text.size(), tag});
    Storage.append(text);
}

void TConsoleLines::ExtendLastLine(std::string_view text) {
    Storage.append(text);
    Lines.back().Length += text.size();
}

void TConsoleLines::Clear() {
    // Capacity stays: the next run of the one console reuses it.
    Storage.clear();
    Lines.clear();
    ChangedFrom = 0;
    LastLineOpen = SkipLineFeed = false;
    Changed();
}

void TConsoleLines::Assign(const std::vector<std::string>& lines) {
    Storage.clear();
    Lines.clear();
    for (const std::string& text : lines) AddLine(text, nullptr);
    ChangedFrom = 0;
    LastLineOpen = SkipLineFeed = false;
}

void TConsoleLines::EchoInput(const std::string& text) {
    if (Lines.empty()) AddLine({}, nullptr);
    ChangedFrom = Lines.size() - 1;
    ExtendLastLine(text);
    LastLineOpen = SkipLineFeed = false;
    Changed();
}

void TConsoleLines::AppendBytes(std::string_view bytes, ConsoleTag tag) {
    ChangedFrom = LastLineOpen ? Lines.size() - 1 : Lines.size();
    size_t pos = 0;
    if (SkipLineFeed && !bytes.empty() && bytes.front() == '\n') pos = 1;
    if (!bytes.empty()) SkipLineFeed = false;
    while (pos < bytes.size()) {
        size_t end = pos;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r') ++end;
        const std::string_view piece = bytes.substr(pos, end - pos);
        if (LastLineOpen) {
            ExtendLastLine(piece);
            Lines.back().Object = tag;
        } else {
            AddLine(piece, tag);
        }
        if (end == bytes.size()) {
            LastLineOpen = true;
            break;
        }
        LastLineOpen = false;
        pos = end + 1;
        if (bytes[end] == '\r') {
            if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
            else if (pos == bytes.size()) SkipLineFeed = true;
        }
    }
    Changed();
}

} // namespace korvane
