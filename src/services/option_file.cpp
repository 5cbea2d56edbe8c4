#include "services/option_file.h"

#include "storage/errors.h"
#include "storage/safe_file_write.h"
#include "storage/text_utils.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string_view>
#include <vector>

namespace korvane {
namespace {

constexpr int PrivateMode = 0600;

std::string_view Trim(std::string_view s) {
    const size_t first = s.find_first_not_of(" \t\r\n");
    if (first == s.npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// A line of the text with its end kept, so that the text can be put back together unchanged.
struct TLine {
    size_t Start = 0;
    size_t Length = 0; // without the line end
    size_t End = 0;    // after the line end
};

std::vector<TLine> SplitLines(const std::string& text) {
    std::vector<TLine> lines;
    for (size_t at = 0; at < text.size();) {
        const size_t lf = text.find('\n', at);
        const size_t stop = lf == std::string::npos ? text.size() : lf;
        lines.push_back({at, stop - at, lf == std::string::npos ? stop : lf + 1});
        at = lines.back().End;
    }
    return lines;
}

bool SameKey(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] == '-' ? '_' : LowerAscii(a[i]);
        const char y = b[i] == '-' ? '_' : LowerAscii(b[i]);
        if (x != y) return false;
    }
    return true;
}

// Where a key lives in the text: its group's lines and the key's own line.
struct TPlace {
    bool GroupFound = false;
    size_t InsertAt = 0; // after the group's last non-blank line
    bool KeyFound = false;
    TLine Key;
};

TPlace FindKey(const std::string& text, const std::string& group, const std::string& key) {
    TPlace place;
    bool inGroup = false;
    for (const TLine& line : SplitLines(text)) {
        const std::string_view content =
            Trim(std::string_view(text).substr(line.Start, line.Length));
        if (!content.empty() && content.front() == '[') {
            // Only the group's first occurrence is edited; later ones are left as they are.
            if (inGroup) break;
            const size_t close = content.find(']');
            inGroup = close != content.npos && SameText(Trim(content.substr(1, close - 1)), group);
            if (inGroup) {
                place.GroupFound = true;
                place.InsertAt = line.End;
            }
            continue;
        }
        if (!inGroup || content.empty()) continue;
        place.InsertAt = line.End;
        if (content.front() == '#' || content.front() == ';' || content.front() == '!') continue;
        const std::string_view name = Trim(content.substr(0, content.find('=')));
        if (!place.KeyFound && SameKey(name, key)) {
            place.KeyFound = true;
            place.Key = line;
        }
    }
    return place;
}

std::string ValueOf(std::string_view line) {
    const size_t equals = line.find('=');
    if (equals == line.npos) return {};
    std::string_view value = Trim(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

// The line end the text uses, for the lines added to it.
std::string LineEnd(const std::string& text) {
    const size_t lf = text.find('\n');
    return lf != std::string::npos && lf > 0 && text[lf - 1] == '\r' ? "\r\n" : "\n";
}

std::string ReadFile(const std::string& path, bool& exists) {
    std::ifstream in(path, std::ios::binary);
    exists = static_cast<bool>(in);
    if (!in) {
        if (errno == ENOENT) return {};
        throw handledException("Cannot read " + path + ": " + std::strerror(errno));
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace

std::optional<std::string> OptionValue(const std::string& text, const std::string& group,
                                       const std::string& key) {
    const TPlace place = FindKey(text, group, key);
    if (!place.KeyFound) return std::nullopt;
    return ValueOf(std::string_view(text).substr(place.Key.Start, place.Key.Length));
}

std::string WithOptionValue(const std::string& text, const std::string& group,
                            const std::string& key, const std::string& value) {
    const TPlace place = FindKey(text, group, key);
    const std::string eol = LineEnd(text);
    const std::string setting = key + "=" + value;
    std::string result = text;
    if (place.KeyFound) {
        // The line's own end (a CR before its LF included) stays.
        size_t length = place.Key.Length;
        if (length > 0 && text[place.Key.Start + length - 1] == '\r') --length;
        result.replace(place.Key.Start, length, setting);
    } else if (place.GroupFound) {
        std::string insert = setting + eol;
        // The group's last line may be the text's last, without a line end.
        if (place.InsertAt > 0 && text[place.InsertAt - 1] != '\n') insert = eol + insert;
        result.insert(place.InsertAt, insert);
    } else {
        if (!result.empty() && result.back() != '\n') result += eol;
        if (!result.empty()) result += eol;
        result += "[" + group + "]" + eol + setting + eol;
    }
    return result;
}

std::optional<std::string> ReadOptionFileValue(const std::string& path, const std::string& group,
                                               const std::string& key) {
    bool exists = false;
    return OptionValue(ReadFile(path, exists), group, key);
}

bool SetOptionFileValue(const std::string& path, const std::string& group, const std::string& key,
                        const std::string& value) {
    bool exists = false;
    const std::string text = ReadFile(path, exists);
    if (exists && OptionValue(text, group, key) == value) return false;
    const std::string changed = WithOptionValue(text, group, key, value);
    ReplaceFileContents(path, changed.data(), changed.size(), {true, PrivateMode});
    return true;
}

} // namespace korvane
