#pragma once
// Every command line that starts the Perl or the PHP interpreter, as the one text that is
// shown, logged and split for the start. Interpreter and file paths are always quoted.
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// perl: the interpreter's path; switches: the run switches, each with a blank in front
// (" -w -T"); script: the file to check or run.
std::string PerlSyntaxCheckCommand(std::string_view perl, std::string_view script);
std::string PerlRunCommand(std::string_view perl, std::string_view switches,
                           std::string_view script);
std::string PerlDebugCommand(std::string_view perl, std::string_view switches,
                             std::string_view script);
std::string PerlCgiCommand(std::string_view perl, std::string_view script);
std::string PerlVersionCommand(std::string_view perl);
std::string PerlConfigurationCommand(std::string_view perl);

std::string PhpSyntaxCheckCommand(std::string_view php, std::string_view script);
std::string PhpRunCommand(std::string_view php, std::string_view script);
std::string PhpCgiCommand(std::string_view php, std::string_view script);
std::string PhpVersionCommand(std::string_view php);
std::string PhpInfoCommand(std::string_view php);

// A batch file: "$COMSPEC" /C "script" when comspec (the COMSPEC variable) is set, otherwise
// the system shell with the script as its file argument.
std::string BatchRunCommand(std::string_view comspec, std::string_view script);

// The version from the output of PerlVersionCommand ("5.8.0", "5.36.0"): on the second line,
// the digits and dots after the first "v" that a digit follows; "" when there is none.
std::string PerlVersionFromOutput(const std::vector<std::string>& outputLines);

} // namespace korvane
