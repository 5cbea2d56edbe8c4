#pragma once
// Check-list lines: one entry per line, a flag character telling whether the entry is switched
// on ("Y" or "N" when written; read with TextToBool), then NAME=value. Environment lists and
// form fields are kept this way.
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

bool CheckListLineOn(std::string_view line);
// The line without its flag character.
std::string CheckListEntry(std::string_view line);

// The switched-on lines of source, without their flag: the whole of target with replace,
// otherwise merged into it by name (names compared with case).
void CopyLiveCheckList(const std::vector<std::string>& source, std::vector<std::string>& target,
                       bool replace);

} // namespace korvane
