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

// The arguments with every relative path made absolute against folder, the one the program
// was started in: a name stored from them (the default project, the recent lists) must mean
// the same file however the program is started next. Options ("-...") stay as they are.
std::vector<std::string> AbsoluteArguments(const std::vector<std::string>& arguments,
                                           const std::string& folder);

} // namespace korvane
