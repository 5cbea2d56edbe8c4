#include "platform/tool_lookup.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <unistd.h>

namespace korvane {
namespace {

bool IsExecutable(const std::string& path) {
    return !path.empty() && access(path.c_str(), X_OK) == 0 && !std::filesystem::is_directory(path);
}

} // namespace

std::string TToolLocator::FindTool(const std::string& name) const {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && IsExecutable(folder + "/" + name)) return folder + "/" + name;
    for (const std::string& folder : SystemToolFolders)
        if (IsExecutable(folder + "/" + name)) return folder + "/" + name;
    return {};
}

std::string TToolLocator::ActivePerlHelp() {
    for (const char* candidate : {"/usr/share/doc/perl-doc-html", "/usr/share/perl/doc/html",
                                  "/usr/local/share/perl/doc/html"}) {
        std::error_code ec;
        if (std::filesystem::is_directory(candidate, ec)) return candidate;
    }
    return {};
}

} // namespace korvane
