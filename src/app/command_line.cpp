#include "app/command_line.h"

#include "storage/text_utils.h"

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

} // namespace korvane
