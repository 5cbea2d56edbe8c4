#pragma once
// Finds the outside programs the IDE drives: first on PATH, then in the system's own folders.
#include <string>
#include <vector>

namespace korvane {

class TToolLocator {
public:
    // Folders searched after those of PATH, best first.
    std::vector<std::string> SystemToolFolders{"/usr/local/bin", "/usr/bin"};

    // The first executable named name on PATH or in SystemToolFolders; "" when there is none.
    std::string FindTool(const std::string& name) const;
    // The Perl interpreter: perl on PATH, else /usr/local/bin/perl, else /usr/bin/perl; ""
    // when none exists.
    std::string ActivePerlPath() const { return FindTool("perl"); }
    // An installed HTML Perl documentation folder, or "".
    static std::string ActivePerlHelp();
};

} // namespace korvane
