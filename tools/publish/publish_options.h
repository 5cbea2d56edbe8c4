#pragma once
// The command line of korvane-publish, read into a value.
#include <string>
#include <vector>

namespace korvane {

struct TPublishOptions {
    std::string Project; // the .kvp file
    bool DryRun = false; // list what would go and why, connect to nothing
    bool All = false;    // every marked file, changed or not
    bool Help = false;
    std::string Error; // why the command line cannot be used; "" when it can
};

// arguments without the program's name.
TPublishOptions ParsePublishOptions(const std::vector<std::string>& arguments);

extern const char* const PublishUsage;

} // namespace korvane
