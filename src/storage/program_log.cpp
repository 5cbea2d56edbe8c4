#include "storage/program_log.h"

#include "storage/clock.h"
#include "storage/date_text.h"

#include <cctype>
#include <cstdio>
#include <string_view>

namespace korvane {

std::string LogFile;
bool UseLocalTime = true;

void WriteLogLine(const std::string& text) {
    if (LogFile.empty()) return;
    std::string line = text.empty() ? std::string() : LogTime(UseLocalTime, Now()) + " : " + text;
    line += "\r\n";
    std::FILE* file = std::fopen(LogFile.c_str(), "ab");
    if (!file) return;
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
}

namespace {

bool Digits(std::string_view text, size_t from, size_t count) {
    for (size_t i = from; i < from + count; ++i)
        if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
    return true;
}

bool Letters(std::string_view text, size_t from, size_t count) {
    for (size_t i = from; i < from + count; ++i)
        if (i >= text.size() || !std::isalpha(static_cast<unsigned char>(text[i]))) return false;
    return true;
}

// "Tue, 08 Dec 2026 11:25:15" at the start of text.
bool StartsWithTimeStamp(std::string_view text) {
    return text.size() >= 25 && Letters(text, 0, 3) && text.substr(3, 2) == ", " &&
           Digits(text, 5, 2) && text[7] == ' ' && Letters(text, 8, 3) && text[11] == ' ' &&
           Digits(text, 12, 4) && text[16] == ' ' && Digits(text, 17, 2) && text[19] == ':' &&
           Digits(text, 20, 2) && text[22] == ':' && Digits(text, 23, 2);
}

} // namespace

bool IsLogFileOrAbsent(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return true;
    char head[512];
    const size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    std::string_view text(head, got);
    // Empty lines are written without a stamp.
    while (text.starts_with("\r\n"))
        text.remove_prefix(2);
    return text.empty() || StartsWithTimeStamp(text);
}

bool ClearLogFile() {
    if (LogFile.empty()) return true;
    if (!IsLogFileOrAbsent(LogFile)) return false;
    std::remove(LogFile.c_str());
    return true;
}

} // namespace korvane
