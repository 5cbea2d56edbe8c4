#pragma once
// What the command line asks for: the first argument ending in ".kvp" names the project; every
// argument not ending in ".kvp" is a file to open. Project files after the first are ignored.
#include <string>
#include <vector>

namespace korvane {

struct StartRequest {
    std::string ProjectFile; // "" for the default project
    std::vector<std::string> Files;
};

StartRequest ParseCommandLine(const std::vector<std::string>& arguments);

} // namespace korvane
