#include "model/check_list.h"

#include "storage/name_value.h"
#include "storage/text_utils.h"

namespace korvane {

bool CheckListLineOn(std::string_view line) {
    return TextToBool(line);
}

std::string CheckListEntry(std::string_view line) {
    return line.empty() ? std::string() : std::string(line.substr(1));
}

void CopyLiveCheckList(const std::vector<std::string>& source, std::vector<std::string>& target,
                       bool replace) {
    std::vector<std::string> live;
    for (const std::string& line : source)
        if (CheckListLineOn(line)) live.push_back(CheckListEntry(line));
    if (replace)
        target = std::move(live);
    else
        MergeValues(live, target, "=", true);
}

} // namespace korvane
