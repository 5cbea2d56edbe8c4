#pragma once
// Asking the Perl interpreter its version through the console, as the settings report, the
// module installer and the settings dialog do.
#include <string>
#include <vector>

namespace korvane {

class TConsoleController;

// The interpreter's version ("5.36.0"), asked with "-v" in its own folder with this program's
// environment and the project's switched-on variables (check-list lines); "" when it cannot
// be found or the console is busy with a program (asking would end it).
std::string QueryPerlVersion(TConsoleController& console, const std::string& perl,
                             const std::vector<std::string>& projectVars);

} // namespace korvane
