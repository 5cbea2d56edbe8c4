#pragma once
// Reading Perl's debugger: whether an answer is complete, the line it stopped at, the
// program's messages among its lines, and the hint text for a name the mouse rests on.
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

struct TDebugVariable {
    enum : int { Element = 0, Scalar = 2, QuotedScalar = 3, Other = 4 };
    int Kind = Other;
    std::string Name;  // with its sigil: $count, @list, %map
    std::string Index; // array index or hash key of an element
    std::string Value;
};

// The debugger prompts with "  DB<12> " (nested: "  DB<<12>> "), without a line end, after
// every stop and every command it has carried out.
inline constexpr std::string_view DebugPrompt = "  DB<";
// The prompts in text; one is owed for the stop at the start and one for every command.
size_t CountDebugPrompts(std::string_view text);
// The line ends with a prompt: the debugger waits for its next command.
bool EndsWithDebugPrompt(std::string_view line);

// The line the debugger stopped at, from its answer (the last line is the prompt): the last
// location line "package::(file:line):", read in the two-line form (the number starts the
// next line, "12:<TAB>code") and in the one-line form ("main::(t.pl:12):<TAB>code", where
// the lines after a stop repeat the form), with the file as the debugger names it. Line -1
// and no file when there is none.
struct TStopPosition {
    std::string File;
    int Line = -1;
};
TStopPosition RetrieveStop(const std::vector<std::string>& answer);

// The line with the prompts it starts with taken off: what the debugger printed after them.
std::string_view WithoutLeadingPrompts(std::string_view line);

// The program's own messages in an answer: its warnings and errors, the lines perl ends with
// " at FILE line N." (a prompt the line starts with taken off), not the debugger's lines.
std::vector<std::string> ProgramMessages(const std::vector<std::string>& answer);

// The hint for a name: "name=value" for a scalar of that name, otherwise the elements of the
// aggregates of that name (for a "$" name also those named with another sigil), under a
// heading; "" when nothing matches.
std::string FindVar(const std::vector<TDebugVariable>& variables, const std::string& name);

// The hint for a word of the source: the word as it stands, then with "$", "%" and "@".
std::string VariableHint(const std::vector<TDebugVariable>& variables, const std::string& word);

} // namespace korvane
