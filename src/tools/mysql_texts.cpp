#include "tools/mysql_texts.h"

#include "platform/command_line.h"
#include "storage/paths.h"
#include "storage/text_utils.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace korvane {
namespace {

bool ContainsAny(std::string_view line, std::initializer_list<std::string_view> texts) {
    return std::any_of(texts.begin(), texts.end(),
                       [&](std::string_view text) { return line.find(text) != line.npos; });
}

constexpr const char* Mask = "*****";

// Client programs of both families: mysql, mysqladmin, mariadb, mariadb-admin, mysqldump...
bool IsClientProgram(const std::string& program) {
    const std::string name = LowerText(FileNamePart(program));
    return StartsText("mysql", name) || StartsText("mariadb", name);
}

} // namespace

// The Windows texts, then MySQL's and MariaDB's own on Linux.
bool IsSocketFailure(std::string_view line) {
    return ContainsAny(line, {"Can't open named pipe to host",
                              "Can't connect to local MySQL server through socket",
                              "Can't connect to local server through socket"});
}

bool IsTcpFailure(std::string_view line) {
    return ContainsAny(line, {"Can't create TCP/IP socket", "Can't connect to MySQL server on",
                              "Can't connect to server on"});
}

bool IsServerDownError(std::string_view line) {
    return IsSocketFailure(line) || IsTcpFailure(line) ||
           ContainsAny(line, {"Can't connect to MySQL server"});
}

bool IsServerDownOutput(std::string_view line) {
    return ContainsAny(line, {"failed: Can't connect to"});
}

std::string MaskPasswordOptions(const std::string& commandLine) {
    const std::vector<std::string> words = SplitCommandLine(commandLine);
    if (words.empty() || !IsClientProgram(words.front())) return commandLine;
    // The words are found again in the text, so quoting and spacing stay as they were.
    std::string masked = commandLine;
    size_t at = 0;
    for (const std::string& word : words) {
        const size_t found = masked.find(word, at);
        if (found == std::string::npos) continue;
        at = found + word.size();
        size_t valueStart = std::string::npos;
        if (word.size() > 2 && word.compare(0, 2, "-p") == 0)
            valueStart = 2;
        else if (word.size() > 11 && word.compare(0, 11, "--password=") == 0)
            valueStart = 11;
        if (valueStart == std::string::npos) continue;
        masked.replace(found + valueStart, word.size() - valueStart, Mask);
        at = found + valueStart + std::char_traits<char>::length(Mask);
    }
    return masked;
}

} // namespace korvane
