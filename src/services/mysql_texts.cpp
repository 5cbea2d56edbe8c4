#include "services/mysql_texts.h"

#include "storage/paths.h"
#include "storage/text_utils.h"

#include <algorithm>
#include <initializer_list>
#include <utility>
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

std::string MaskPasswordOptions(const std::string& commandText) {
    // The words of the text as spans: blanks outside double quotes end a word.
    std::vector<std::pair<size_t, size_t>> words;
    bool quoted = false;
    size_t start = std::string::npos;
    for (size_t i = 0; i <= commandText.size(); ++i) {
        const bool end = i == commandText.size();
        const char c = end ? ' ' : commandText[i];
        if (c == '"') quoted = !quoted;
        const bool blank = (c == ' ' || c == '\t') && !quoted;
        if ((blank || end) && start != std::string::npos) {
            words.emplace_back(start, i);
            start = std::string::npos;
        } else if (!blank && start == std::string::npos) {
            start = i;
        }
    }
    const auto unquoted = [&](std::pair<size_t, size_t> span) {
        std::string word = commandText.substr(span.first, span.second - span.first);
        std::erase(word, '"');
        return word;
    };
    if (words.empty() || !IsClientProgram(unquoted(words.front()))) return commandText;
    std::string masked = commandText;
    // From the last word back, so the spans before stay where they are.
    for (auto word = words.rbegin(); word != words.rend() - 1; ++word) {
        size_t first = word->first, last = word->second;
        if (masked[first] == '"') ++first;
        if (last > first && masked[last - 1] == '"') --last;
        const std::string_view text(masked.data() + first, last - first);
        size_t value = 0;
        if (text.size() > 2 && text.starts_with("-p"))
            value = 2;
        else if (text.size() > 11 && text.starts_with("--password="))
            value = 11;
        if (value > 0) masked.replace(first + value, last - first - value, Mask);
    }
    return masked;
}

} // namespace korvane
