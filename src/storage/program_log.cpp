#include "storage/program_log.h"

#include "storage/clock.h"
#include "storage/date_text.h"

#include <cstdio>

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

void ClearLogFile() {
    if (!LogFile.empty()) std::remove(LogFile.c_str());
}

} // namespace korvane
