#include "exec/shebang_switches.h"

#include <algorithm>
#include <fstream>
#include <vector>

namespace korvane {
namespace {

// Long enough for any "#!" line that names perl with switches.
constexpr size_t ShebangLimit = 256;

// The words of text, split at blanks and tabs.
std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    size_t at = 0;
    while (at < text.size()) {
        const size_t start = text.find_first_not_of(" \t", at);
        if (start == std::string_view::npos) break;
        at = std::min(text.find_first_of(" \t", start), text.size());
        words.push_back(text.substr(start, at - start));
    }
    return words;
}

std::string_view BaseName(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string ShebangLine(const std::string& scriptFile) {
    std::ifstream file(scriptFile, std::ios::binary);
    std::string start(ShebangLimit, '\0');
    file.read(start.data(), static_cast<std::streamsize>(start.size()));
    start.resize(static_cast<size_t>(file.gcount()));
    return std::string(ShebangLineOfText(start));
}

std::string_view ShebangLineOfText(std::string_view text) {
    const std::string_view line = text.substr(0, std::min(text.find_first_of("\r\n"), text.size()));
    return line.starts_with("#!") ? line : std::string_view();
}

TShebang SplitShebang(std::string_view line) {
    if (line.substr(0, 2) != "#!") return {};
    constexpr std::string_view Blanks = " \t";
    std::string_view rest = line.substr(2);
    rest.remove_prefix(std::min(rest.find_first_not_of(Blanks), rest.size()));
    const size_t end = std::min(rest.find_first_of(Blanks), rest.size());
    TShebang shebang{rest.substr(0, end), rest.substr(end)};
    std::string_view& argument = shebang.Argument;
    argument.remove_prefix(std::min(argument.find_first_not_of(Blanks), argument.size()));
    argument = argument.substr(0, argument.find_last_not_of(Blanks) + 1);
    return shebang;
}

std::string ShebangProgram(std::string_view line) {
    const TShebang shebang = SplitShebang(line);
    const std::string_view program = BaseName(shebang.Program);
    // env names the program after its own options ("env -S bash -e").
    if (program == "env")
        for (const std::string_view word : Words(shebang.Argument))
            if (word[0] != '-' && word.find('=') == std::string_view::npos)
                return std::string(BaseName(word));
    return std::string(program);
}

bool ShebangNamesShell(std::string_view line) {
    static constexpr std::string_view Shells[] = {"sh",   "bash", "dash", "ksh",
                                                  "mksh", "zsh",  "ash",  "posh"};
    const std::string program = ShebangProgram(line);
    return std::find(std::begin(Shells), std::end(Shells), program) != std::end(Shells);
}

bool SwitchesAskForTaint(std::string_view switches) {
    for (const std::string_view word : Words(switches))
        if (word.size() > 1 && word[0] == '-' && word[1] != '-' &&
            word.find('T') != std::string_view::npos)
            return true;
    return false;
}

bool ShebangAsksForTaint(const std::string& scriptFile) {
    return ShebangLineAsksForTaint(ShebangLine(scriptFile));
}

bool ShebangLineAsksForTaint(std::string_view line) {
    // The switches follow the interpreter.
    return SwitchesAskForTaint(SplitShebang(line).Argument);
}

std::string SwitchesForScript(std::string_view switches, const std::string& scriptFile) {
    std::string result(switches);
    if (!SwitchesAskForTaint(switches) && ShebangAsksForTaint(scriptFile)) result += " -T";
    return result;
}

} // namespace korvane
