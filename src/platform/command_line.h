#pragma once
// Command lines are built, shown and logged as one text; they become an argument list only
// when a program is started. Double quotes group words (the quotes themselves are dropped,
// and quoted and unquoted parts next to each other make one word); blanks and tabs outside
// quotes separate words; a backslash is an ordinary character, so folder names and regular
// expressions pass unchanged. A quote left open runs to the end of the line.
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// text in double quotes, as command lines write program and file paths.
std::string Quoted(std::string_view text);

} // namespace korvane
