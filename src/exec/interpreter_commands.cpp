#include "exec/interpreter_commands.h"

#include "platform/command_line.h"
#include "platform/program_folder.h"

#include <algorithm>
#include <cctype>

namespace korvane {

TCommandLine PerlSyntaxCheckCommand(const std::string& perl, const std::string& script,
                                    bool taint) {
    TCommandLine command(perl);
    command.Add("-c").Add("-w");
    if (taint) command.Add("-T");
    return command.AddQuoted(script);
}

TCommandLine PerlReadCheckCommand(const std::string& perl, const std::string& script) {
    return TCommandLine(perl)
        .AddQuoted(ProgramFolder() + "tools/perl-read-check")
        .AddQuoted(script);
}

TCommandLine PerlRunCommand(const std::string& perl, std::string_view switches,
                            const std::string& script) {
    return TCommandLine(perl).AddSwitches(switches).AddQuoted(script);
}

TCommandLine PerlDebugCommand(const std::string& perl, std::string_view switches,
                              const std::string& script) {
    return TCommandLine(perl).Add("-d").AddSwitches(switches).AddQuoted(script);
}

TCommandLine PerlCgiCommand(const std::string& perl, const std::string& script, bool taint) {
    TCommandLine command(perl);
    command.Add("-W");
    if (taint) command.Add("-T");
    return command.AddQuoted(script);
}

TCommandLine PerlVersionCommand(const std::string& perl) {
    return TCommandLine(perl).Add("-v");
}

TCommandLine PerlConfigurationCommand(const std::string& perl) {
    return TCommandLine(perl).Add("-V");
}

TCommandLine PhpSyntaxCheckCommand(const std::string& php, const std::string& script) {
    return TCommandLine(php).Add("-l").AddQuoted(script);
}

TCommandLine PhpRunCommand(const std::string& php, const std::string& script) {
    // No switches: their place keeps its blank, as in a Perl run.
    return TCommandLine(php).AddSwitches("").AddQuoted(script);
}

TCommandLine PhpCgiCommand(const std::string& php) {
    return TCommandLine(php);
}

TCommandLine PhpVersionCommand(const std::string& php) {
    return TCommandLine(php).Add("-v");
}

TCommandLine PhpInfoCommand(const std::string& php) {
    return TCommandLine(php).Add("-i");
}

TCommandLine BatchRunCommand(const std::string& comspec, const std::string& script) {
    if (comspec.empty()) return TCommandLine("/bin/sh").AddQuoted(script);
    return TCommandLine(comspec).Add("/C").AddQuoted(script);
}

TCommandLine ShebangRunCommand(std::string_view line, const std::string& script) {
    // As the system starts a script: the program, then the rest of the line as one word.
    std::string_view rest = line.substr(std::min<size_t>(2, line.size()));
    const size_t start = std::min(rest.find_first_not_of(" \t"), rest.size());
    rest.remove_prefix(start);
    const size_t end = std::min(rest.find_first_of(" \t"), rest.size());
    TCommandLine command{std::string(rest.substr(0, end))};
    rest.remove_prefix(end);
    const size_t argument = rest.find_first_not_of(" \t");
    if (argument != std::string_view::npos) {
        std::string_view word = rest.substr(argument);
        word.remove_suffix(word.size() - (word.find_last_not_of(" \t") + 1));
        command.Add(std::string(word));
    }
    return command.AddQuoted(script);
}

std::string PerlVersionFromOutput(const std::vector<std::string>& outputLines) {
    if (outputLines.size() < 2) return {};
    const std::string& line = outputLines[1];
    // "v5.8.0 built for ..." in old interpreters, "(v5.36.0) built for ..." in newer ones: a
    // "v" before a digit starts the version, which runs over digits and dots.
    for (size_t v = line.find('v'); v != std::string::npos; v = line.find('v', v + 1)) {
        size_t end = v + 1;
        while (end < line.size() &&
               (std::isdigit(static_cast<unsigned char>(line[end])) || line[end] == '.'))
            ++end;
        if (end > v + 1 && std::isdigit(static_cast<unsigned char>(line[v + 1])))
            return line.substr(v + 1, end - v - 1);
    }
    return {};
}

} // namespace korvane
