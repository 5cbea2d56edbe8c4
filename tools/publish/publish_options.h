#pragma once
// The command line of korvane-publish, read into a value through the programs' shared parser.
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace korvane {

struct TPublishOptions {
    std::string Project; // the .kvp file
    bool DryRun = false; // list what would go and why, connect to nothing
    bool All = false;    // every marked file, changed or not
};

// arguments without the program's name. Returns the exit status when the program ends here
// (--help, --version, or a usage error written to err).
std::optional<int> ParsePublishOptions(const std::vector<std::string>& arguments,
                                       TPublishOptions& options, std::ostream& out,
                                       std::ostream& err);

} // namespace korvane
