#pragma once
// The IDE's own command line, read before any window exists so that --help and --version work
// without a display: the project and files to open, and the toolkit's options (-style NAME,
// -platform NAME, ...) that the application object reads for itself.
#include <optional>
#include <string>
#include <vector>

namespace korvane {

// Returns the exit status when the program ends here (help, version, a usage error);
// otherwise fills arguments with the project and files named, in their order.
std::optional<int> ReadStartOptions(int argc, char** argv, std::vector<std::string>& arguments);

} // namespace korvane
