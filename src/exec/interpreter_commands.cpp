#include "exec/interpreter_commands.h"

#include "platform/command_line.h"

#include <cctype>

namespace korvane {

std::string PerlSyntaxCheckCommand(std::string_view perl, std::string_view script) {
    return Quoted(perl) + " -c " + Quoted(script);
}

std::string PerlRunCommand(std::string_view perl, std::string_view switches,
                           std::string_view script) {
    return Quoted(perl) + " " + std::string(switches) + " " + Quoted(script);
}

std::string PerlDebugCommand(std::string_view perl, std::string_view switches,
                             std::string_view script) {
    return Quoted(perl) + " -d " + std::string(switches) + " " + Quoted(script);
}

std::string PerlCgiCommand(std::string_view perl, std::string_view script) {
    return Quoted(perl) + " -W " + Quoted(script);
}

std::string PerlVersionCommand(std::string_view perl) {
    return Quoted(perl) + " -v";
}

std::string PerlConfigurationCommand(std::string_view perl) {
    return Quoted(perl) + " -V";
}

std::string PhpSyntaxCheckCommand(std::string_view php, std::string_view script) {
    return Quoted(php) + " -l " + Quoted(script);
}

std::string PhpRunCommand(std::string_view php, std::string_view script) {
    return Quoted(php) + "  " + Quoted(script);
}

std::string PhpCgiCommand(std::string_view php, std::string_view script) {
    return Quoted(php) + " " + Quoted(script);
}

std::string PhpVersionCommand(std::string_view php) {
    return Quoted(php) + " -v";
}

std::string PhpInfoCommand(std::string_view php) {
    return Quoted(php) + " -i";
}

std::string BatchRunCommand(std::string_view comspec, std::string_view script) {
    if (comspec.empty()) return Quoted("/bin/sh") + " " + Quoted(script);
    return Quoted(comspec) + " /C " + Quoted(script);
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
