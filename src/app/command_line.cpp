#include "app/command_line.h"

#include "storage/paths.h"
#include "storage/text_utils.h"

#include <filesystem>

namespace korvane {
namespace {
bool EndsInProjectExtension(const std::string& argument) {
    return SameText(RightText(argument, 4), ".kvp");
}
} // namespace

StartRequest ParseCommandLine(const std::vector<std::string>& arguments) {
    StartRequest request;
    if (!arguments.empty() && EndsInProjectExtension(arguments.front()))
        request.ProjectFile = arguments.front();
    for (const std::string& argument : arguments)
        if (!EndsInProjectExtension(argument)) request.Files.push_back(argument);
    return request;
}

std::vector<std::string> AbsoluteArguments(const std::vector<std::string>& arguments,
                                           const std::string& folder) {
    std::vector<std::string> absolute;
    for (const std::string& argument : arguments) {
        if (argument.empty() || argument.front() == '-' || HasDrive(argument))
            absolute.push_back(argument);
        else
            absolute.push_back((std::filesystem::path(folder) / argument).lexically_normal());
    }
    return absolute;
}

} // namespace korvane
