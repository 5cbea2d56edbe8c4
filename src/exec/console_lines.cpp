#include "exec/console_lines.h"

namespace korvane {

std::vector<std::string> TConsoleLines::Strings() const {
    std::vector<std::string> strings;
    strings.reserve(Lines.size());
    for (const Line& line : Lines) strings.push_back(line.Text);
    return strings;
}

std::string TConsoleLines::Text() const {
    std::string text;
    for (const Line& line : Lines) text += line.Text + "\r\n";
    return text;
}

void TConsoleLines::Changed() {
    if (OnChange) OnChange();
}

void TConsoleLines::Clear() {
    Lines.clear();
    ChangedFrom = 0;
    LastLineOpen = SkipLineFeed = false;
    Changed();
}

void TConsoleLines::Assign(const std::vector<std::string>& lines) {
    Lines.clear();
    Lines.reserve(lines.size());
    for (const std::string& text : lines) Lines.push_back({text, nullptr});
    ChangedFrom = 0;
    LastLineOpen = SkipLineFeed = false;
}

void TConsoleLines::EchoInput(const std::string& text) {
    if (Lines.empty()) Lines.push_back({});
    ChangedFrom = Lines.size() - 1;
    Lines.back().Text += text;
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
            Lines.back().Text.append(piece);
            Lines.back().Object = tag;
        } else {
            Lines.push_back({std::string(piece), tag});
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
