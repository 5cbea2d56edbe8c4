#include "exec/interpreter_commands.h"

#include "exec/shebang_switches.h"
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

TCommandLine PerlReadCheckCommand(const std::string& perl, const std::string& script,
                                  bool fromInput) {
    TCommandLine command(perl);
    command.AddQuoted(ProgramFolder() + "tools/perl-read-check");
    if (fromInput) command.Add("--stdin");
    return command.AddQuoted(script);
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

TCommandLine PhpInputSyntaxCheckCommand(const std::string& php) {
    return TCommandLine(php).Add("-l");
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
    const TShebang shebang = SplitShebang(line);
    TCommandLine command{std::string(shebang.Program)};
    if (!shebang.Argument.empty()) command.Add(std::string(shebang.Argument));
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
