#pragma once
// Editing one check-list line (flag character, then NAME=value) from the boxes of a check-list
// editor: each change keeps the parts it does not touch, and tells whether the line changed.
#include <string>
#include <string_view>

namespace korvane {

// The line "+" adds; shown as "New Item=".
inline constexpr std::string_view NewCheckListLine = "YNew Item=";

// Between the flag and the first "="; the rest of the line when there is no "=".
std::string CheckListName(std::string_view line);
// After the first "="; empty when there is none.
std::string CheckListValue(std::string_view line);

// Flag + name + "=" + the old value. A name holding "=" would move the split on the next read,
// so it is refused. False (line untouched) when nothing would change.
bool SetCheckListName(std::string& line, std::string_view name);
// Flag + the old name + "=" + value. False when nothing would change.
bool SetCheckListValue(std::string& line, std::string_view value);
// "Y" or "N" before the unchanged rest. False when the line is already on (off) as asked,
// whatever flag character says so.
bool SetCheckListOn(std::string& line, bool on);

} // namespace korvane
