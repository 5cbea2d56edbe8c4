#pragma once
// Every command line that starts the Perl or the PHP interpreter: the program with its
// arguments, and the text shown and logged, in which interpreter and file paths are quoted.
#include "platform/command_line.h"

#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// perl: the interpreter's path; switches: the run switches, each with a blank in front
// (" -w -T"); script: the file to check or run. A check always warns (-w); taint: it runs
// with -T, which perl wants when the script's "#!" line has it.
TCommandLine PerlSyntaxCheckCommand(const std::string& perl, const std::string& script,
                                    bool taint = false);
// A check of script that runs none of its code: the program's reader (tools/perl-read-check
// in the program folder) takes it apart as text. fromInput: the reader takes the text from its
// input instead, and names it script in what it reports.
TCommandLine PerlReadCheckCommand(const std::string& perl, const std::string& script,
                                  bool fromInput = false);
TCommandLine PerlRunCommand(const std::string& perl, std::string_view switches,
                            const std::string& script);
TCommandLine PerlDebugCommand(const std::string& perl, std::string_view switches,
                              const std::string& script);
// taint: the script's "#!" line asks for -T, which perl then wants on its command line too.
TCommandLine PerlCgiCommand(const std::string& perl, const std::string& script, bool taint = false);
TCommandLine PerlVersionCommand(const std::string& perl);
TCommandLine PerlConfigurationCommand(const std::string& perl);

TCommandLine PhpSyntaxCheckCommand(const std::string& php, const std::string& script);
// The same of the text on the interpreter's input, which PHP calls "Standard input code".
TCommandLine PhpInputSyntaxCheckCommand(const std::string& php);
TCommandLine PhpRunCommand(const std::string& php, const std::string& script);
// php-cgi takes its script from the environment (SCRIPT_FILENAME), as on a web host.
TCommandLine PhpCgiCommand(const std::string& php);
TCommandLine PhpVersionCommand(const std::string& php);
TCommandLine PhpInfoCommand(const std::string& php);

// A batch file: "$COMSPEC" /C "script" when comspec (the COMSPEC variable) is set, otherwise
// the system shell with the script as its file argument.
TCommandLine BatchRunCommand(const std::string& comspec, const std::string& script);
// A script started as the system starts it from its "#!" line: the program the line names,
// the rest of the line as one argument, then the script.
TCommandLine ShebangRunCommand(std::string_view line, const std::string& script);

// The version from the output of PerlVersionCommand ("5.8.0", "5.36.0"): on the second line,
// the digits and dots after the first "v" that a digit follows; "" when there is none.
std::string PerlVersionFromOutput(const std::vector<std::string>& outputLines);

} // namespace korvane
