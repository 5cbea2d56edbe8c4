#include "widgets/check_list_edit.h"

#include "model/check_list.h"

namespace korvane {
namespace {

// An empty line has no flag; it reads as off, and "N" keeps it so once it is written.
std::string FlagOf(std::string_view line) {
    return line.empty() ? std::string("N") : std::string(line.substr(0, 1));
}

bool Store(std::string& line, std::string changed) {
    if (changed == line) return false;
    line = std::move(changed);
    return true;
}

} // namespace

std::string CheckListName(std::string_view line) {
    const std::string entry = CheckListEntry(line);
    return entry.substr(0, entry.find('='));
}

std::string CheckListValue(std::string_view line) {
    const std::string entry = CheckListEntry(line);
    const auto equals = entry.find('=');
    return equals == std::string::npos ? std::string() : entry.substr(equals + 1);
}

bool SetCheckListName(std::string& line, std::string_view name) {
    if (name.find('=') != std::string_view::npos) return false;
    return Store(line, FlagOf(line) + std::string(name) + "=" + CheckListValue(line));
}

bool SetCheckListValue(std::string& line, std::string_view value) {
    return Store(line, FlagOf(line) + CheckListName(line) + "=" + std::string(value));
}

bool SetCheckListOn(std::string& line, bool on) {
    if (CheckListLineOn(line) == on) return false;
    return Store(line, (on ? "Y" : "N") + CheckListEntry(line));
}

} // namespace korvane
