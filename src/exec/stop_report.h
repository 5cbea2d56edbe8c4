#pragma once
// The debugger library's report of a stop (DB::korvane_stop): the call stack, the variables
// of the stopped frame and of the script's packages, and the values of watch expressions,
// nested data as a tree in depth-first order. Also the commands that ask for it and that set
// the session's breakpoints and run it to a line.
#include "exec/debug_dialogue.h"

#include <optional>
#include <string>
#include <vector>

namespace korvane {

struct TStackFrame {
    std::string Sub;  // "main::add"; "(main program)" for the outermost
    std::string File; // as perl names it
    int Line = -1;
};

struct TReportedValue {
    std::string Section; // "my", "our", "global", "special", "watch", "eval"
    int Depth = 0;       // 0: a variable or watch; n: an element n levels below it
    std::string Name;    // with its sigil at depth 0 ("$x", "@list"); an index or a quoted key
    std::string Value;   // as Perl writes it: 5, 'text', undef, HASH(0x...), (1, 2)
};

struct TStopReport {
    bool Complete = false;           // the report's end line was read
    std::vector<TStackFrame> Frames; // innermost first
    std::vector<TReportedValue> Values;
    std::vector<std::string> Notes; // what the library has to say (a module it lacks)
};

// The report in a debugger answer; an answer without one gives an empty report.
TStopReport ReadStopReport(const std::vector<std::string>& answer);

// The reported variables (not watches) as the hints read them: scalars with their values,
// the elements of arrays and hashes one level down.
std::vector<TDebugVariable> HintVariables(const TStopReport& report);

struct TWatchRequest {
    std::string Section; // "watch" or "eval"
    std::string Name;    // what the report names the value by
    std::string Expression;
};
// The command that asks for the report; specials: perl's own variables as well. Each
// expression is evaluated in the stopped frame; its errors are reported as its value.
std::string StopReportCommand(bool specials, const std::vector<TWatchRequest>& watches);

struct TFileBreakpoint {
    std::string File; // full path
    int Line = 0;
    std::string Condition; // Perl; empty: always
    bool operator==(const TFileBreakpoint&) const = default;
};
// The command that makes these the session's breakpoints, in files loaded or still to come.
std::string BreakpointsCommand(const std::vector<TFileBreakpoint>& breakpoints);
// Takes the report (its "~korvane-stop" line on) off the end of answer, which keeps the prompt
// the report's line began with; nothing when answer holds no report.
std::optional<std::vector<std::string>> SplitOffReport(std::vector<std::string>& answer);
// The command that runs the program on to a line of a file (or to a breakpoint before it).
std::string RunToCommand(const std::string& file, int line);
// The command that continues the program unless condition (Perl, in the program's scope)
// holds, in which case it stays stopped where it is.
std::string ContinueUnlessCommand(const std::string& condition);

} // namespace korvane
