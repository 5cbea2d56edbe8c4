#pragma once
// The two Perl helpers a page is run through: perltidy, which re-indents code, and
// perlcritic, which reviews it against a chosen severity. Here: their command lines, where
// perltidy's settings file is found, and how their reports become message list lines.
#include "exec/error_filter.h"
#include "platform/command_line.h"

#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// perlcritic's severities: 5 reports only the gravest findings, 1 everything.
constexpr int CritiqueGentlest = 5;
constexpr int CritiqueBrutal = 1;
constexpr int CritiqueDefaultSeverity = 4;

// The ".perltidyrc" in folder or the nearest folder above it; "" when there is none.
std::string FindPerlTidyRc(const std::string& folder);

// perltidy on file, writing the result to its output and errors to its error stream, with
// the settings of rcFile ("" for perltidy's own search).
TCommandLine PerlTidyCommand(const std::string& program, const std::string& file,
                             const std::string& rcFile);
// perlcritic on file at severity, one finding per output line as CritiqueMessages reads it.
TCommandLine PerlCriticCommand(const std::string& program, const std::string& file, int severity);

// perlcritic's findings as message lines ("Critique at line 3, column 1: ... [Policy,
// severity 5]") that lead to their line of page; other output lines pass as they are.
std::vector<TMessageLine> CritiqueMessages(std::string_view output, ConsoleTag page);
// perltidy's error report on file as message lines; the lines it names are lines of the
// tidied text, which begins at firstLine (1-based) of page.
std::vector<TMessageLine> TidyErrorMessages(std::string_view errors, std::string_view file,
                                            int firstLine, ConsoleTag page);

// The text as the tools read it (LF line ends), and their output back with the line end the
// editor types (lineEnd); without finalBreak a line end the tool added at the end is dropped.
std::string ToToolText(std::string_view editorText);
std::string FromToolText(std::string_view toolText, std::string_view lineEnd, bool finalBreak);

} // namespace korvane
