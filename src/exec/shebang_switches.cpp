#include "exec/shebang_switches.h"

#include <algorithm>
#include <fstream>

namespace korvane {
namespace {

// Long enough for any "#!" line that names perl with switches.
constexpr size_t ShebangLimit = 256;

} // namespace

bool SwitchesAskForTaint(std::string_view switches) {
    size_t at = 0;
    while (at < switches.size()) {
        const size_t start = switches.find_first_not_of(" \t", at);
        if (start == std::string_view::npos) break;
        at = std::min(switches.find_first_of(" \t", start), switches.size());
        const std::string_view word = switches.substr(start, at - start);
        if (word.size() > 1 && word[0] == '-' && word[1] != '-' &&
            word.find('T') != std::string_view::npos)
            return true;
    }
    return false;
}

bool ShebangAsksForTaint(const std::string& scriptFile) {
    std::ifstream file(scriptFile, std::ios::binary);
    std::string line(ShebangLimit, '\0');
    file.read(line.data(), static_cast<std::streamsize>(line.size()));
    line.resize(static_cast<size_t>(file.gcount()));
    line.erase(std::min(line.find_first_of("\r\n"), line.size()));
    if (line.compare(0, 2, "#!") != 0) return false;
    // The switches follow the interpreter.
    const size_t interpreterEnd = line.find_first_of(" \t");
    return interpreterEnd != std::string::npos &&
           SwitchesAskForTaint(std::string_view(line).substr(interpreterEnd));
}

std::string SwitchesForScript(std::string_view switches, const std::string& scriptFile) {
    std::string result(switches);
    if (!SwitchesAskForTaint(switches) && ShebangAsksForTaint(scriptFile)) result += " -T";
    return result;
}

} // namespace korvane
