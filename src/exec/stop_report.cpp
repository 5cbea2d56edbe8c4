#include "exec/stop_report.h"
#include "exec/debug_dialogue.h"

#include "exec/run_environment.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace korvane {
namespace {

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (size_t at = 0;;) {
        const size_t tab = line.find('\t', at);
        fields.push_back(line.substr(at, tab == std::string_view::npos ? tab : tab - at));
        if (tab == std::string_view::npos) return fields;
        at = tab + 1;
    }
}

int Number(std::string_view digits) {
    int number = -1;
    const auto [end, failure] =
        std::from_chars(digits.data(), digits.data() + digits.size(), number);
    return failure == std::errc() && end == digits.data() + digits.size() ? number : -1;
}

// Perl's text as a string in hex, decoded in the program: nothing in it can end the command
// line or the string around it.
std::string PerlHexString(const std::string& text) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string hex = "pack('H*','";
    for (const unsigned char c : text) {
        hex += Digits[c >> 4];
        hex += Digits[c & 15];
    }
    return hex + "')";
}

std::string SingleLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

} // namespace

TStopReport ReadStopReport(const std::vector<std::string>& answer) {
    TStopReport report;
    bool inside = false;
    for (const std::string& line : answer) {
        if (!inside) {
            // Commands sent with the report (breakpoints) answer first: the report may follow
            // their prompt on the same line.
            inside = WithoutLeadingPrompts(line) == "~korvane-stop";
            continue;
        }
        if (line == "~korvane-end") {
            report.Complete = true;
            break;
        }
        const std::vector<std::string_view> fields = Fields(line);
        if (fields[0] == "~var" && fields.size() == 5) {
            report.Values.push_back({std::string(fields[1]), Number(fields[2]),
                                     std::string(fields[3]), std::string(fields[4])});
        } else if (fields[0] == "~frame" && fields.size() == 4) {
            report.Frames.push_back(
                {std::string(fields[1]), std::string(fields[2]), Number(fields[3])});
        } else if (fields[0] == "~note" && fields.size() == 2) {
            report.Notes.emplace_back(fields[1]);
        }
    }
    return report;
}

std::optional<std::vector<std::string>> SplitOffReport(std::vector<std::string>& answer) {
    constexpr std::string_view Start = "~korvane-stop";
    const auto first = std::find_if(answer.begin(), answer.end(), [&](const std::string& line) {
        return WithoutLeadingPrompts(line) == Start;
    });
    if (first == answer.end()) return std::nullopt;
    std::vector<std::string> report(std::make_move_iterator(first),
                                    std::make_move_iterator(answer.end()));
    const std::string prompt = report.front().substr(0, report.front().size() - Start.size());
    report.front() = std::string(Start);
    answer.erase(first, answer.end());
    if (!prompt.empty()) answer.push_back(prompt);
    return report;
}

std::vector<TDebugVariable> HintVariables(const TStopReport& report) {
    std::vector<TDebugVariable> variables;
    std::string aggregate; // the array or hash whose elements follow
    for (const TReportedValue& value : report.Values) {
        if (value.Section == "watch" || value.Section == "eval") break;
        if (value.Depth == 0) {
            aggregate.clear();
            if (value.Name.starts_with('@') || value.Name.starts_with('%')) {
                aggregate = value.Name;
                continue;
            }
            TDebugVariable variable;
            variable.Kind = value.Value.starts_with('\'') || value.Value.starts_with('"')
                                ? TDebugVariable::QuotedScalar
                                : TDebugVariable::Scalar;
            variable.Name = value.Name;
            variable.Value = value.Value;
            variables.push_back(std::move(variable));
        } else if (value.Depth == 1 && !aggregate.empty()) {
            TDebugVariable element;
            element.Kind = TDebugVariable::Element;
            element.Name = aggregate;
            element.Index = value.Name;
            element.Value = value.Value;
            variables.push_back(std::move(element));
        }
    }
    return variables;
}

std::string StopReportCommand(bool specials, const std::vector<TWatchRequest>& watches) {
    std::string command = std::string("DB::korvane_stop(") + (specials ? "'s'" : "''");
    for (const TWatchRequest& watch : watches)
        command += ", [" + PerlSingleQuoted(watch.Section) + ", " +
                   PerlSingleQuoted(SingleLine(watch.Name)) + ", [eval(" +
                   PerlHexString(watch.Expression) + ")], \"$@\"]";
    return command + ")";
}

std::string BreakpointsCommand(const std::vector<TFileBreakpoint>& breakpoints) {
    std::string command = "DB::korvane_breaks(";
    const char* separator = "";
    for (const TFileBreakpoint& breakpoint : breakpoints) {
        command += separator + PerlSingleQuoted(SingleLine(breakpoint.File)) + ", " +
                   std::to_string(breakpoint.Line) + ", " +
                   PerlSingleQuoted(SingleLine(breakpoint.Condition));
        separator = ", ";
    }
    return command + ")";
}

std::string ContinueUnlessCommand(const std::string& condition) {
    return "push @DB::typeahead, 'c' unless do { " + SingleLine(condition) + " }";
}

std::string RunToCommand(const std::string& file, int line) {
    return "DB::korvane_run_to(" + PerlSingleQuoted(SingleLine(file)) + ", " +
           std::to_string(line) + ")";
}

} // namespace korvane
