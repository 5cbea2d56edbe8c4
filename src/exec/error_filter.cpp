#include "exec/error_filter.h"

#include "storage/date_text.h"
#include "storage/text_utils.h"

#include <algorithm>
#include <cctype>

namespace korvane {
namespace {

std::string TrimBlanks(std::string_view s) {
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

// Position of needle in text ignoring case, or npos.
size_t FindText(std::string_view text, std::string_view needle) {
    if (needle.empty() || needle.size() > text.size()) return std::string_view::npos;
    for (size_t i = 0; i + needle.size() <= text.size(); ++i)
        if (SameText(text.substr(i, needle.size()), needle)) return i;
    return std::string_view::npos;
}

} // namespace

bool FilterErrorLine(std::string& line, std::string_view scriptFile) {
    if (line.empty()) return true;
    if (line.starts_with("Debugged program terminated.") ||
        line.starts_with("Default die handler restored."))
        return false;
    for (;;) {
        // A time-stamped line "[date] : text" keeps ": text".
        if (line.starts_with("[")) {
            if (const size_t mark = line.find("] :"); mark != std::string::npos)
                line.erase(0, mark + 2);
        }
        const size_t at = FindText(line, scriptFile);
        if (at == std::string::npos) break;
        line.erase(at, scriptFile.size());
    }
    line = TrimBlanks(line);
    return true;
}

std::vector<TMessageLine> FilterErrorLines(const TConsoleLines& errors, std::string_view scriptFile,
                                           TDateTime startTime, TDateTime now) {
    return TRunMessages().Update(errors, scriptFile, startTime, now, 0).Added;
}

TMessageUpdate TRunMessages::Update(const TConsoleLines& errors, std::string_view scriptFile,
                                    TDateTime startTime, TDateTime now, size_t shownCount) {
    TMessageUpdate update;
    // The list: the start line, a message for each filtered line, the checkpoint line.
    const bool continued = Started && Generation == errors.Generation() &&
                           Filtered <= errors.Count() && shownCount == Shown;
    if (!continued) {
        Started = true;
        Generation = errors.Generation();
        Filtered = 0;
        Stopped = false;
        update.Added.push_back({LogTime(true, startTime) + " - Program Started", nullptr});
    } else if (!Stopped && Filtered > 0 && errors[Filtered - 1].size() != LastLineLength) {
        // The last line filtered has grown since (lines only grow at the end).
        --Filtered;
    }
    update.Keep = continued ? 1 + Filtered : 0;
    for (; !Stopped && Filtered < errors.Count(); ++Filtered) {
        std::string line(errors[Filtered]);
        if (!FilterErrorLine(line, scriptFile)) {
            Stopped = true;
            break;
        }
        LastLineLength = errors[Filtered].size();
        update.Added.push_back({std::move(line), errors.Object(Filtered)});
    }
    update.Added.push_back(
        {LogTime(true, now) + " - Program Checkpoint (" + DurationText(startTime, now) + ")",
         nullptr});
    Shown = update.Keep + update.Added.size();
    return update;
}

std::vector<TMessageLine> PhpSyntaxCheckMessages(const TConsoleLines& output,
                                                 const TConsoleLines& errors, TDateTime startTime,
                                                 TDateTime now) {
    std::vector<TMessageLine> messages;
    messages.push_back({LogTime(true, startTime) + " - Syntax Check Started", nullptr});
    bool namesLine = false;
    for (size_t i = 0; i < output.Count(); ++i) {
        messages.push_back({std::string(output[i]), output.Object(i)});
        namesLine = namesLine || MessageLineNumber(output[i]) >= 0;
    }
    if (!namesLine)
        for (size_t i = 0; i < errors.Count(); ++i)
            messages.push_back({std::string(errors[i]), errors.Object(i)});
    messages.push_back({LogTime(true, now) + " - Syntax Check Completed", nullptr});
    return messages;
}

std::string ProgramEndMessage(const TProgramExit& exit, TDateTime startTime, TDateTime now) {
    std::string how = "Program Stopped";
    if (!exit.Stopped)
        how = exit.Code >= 0 ? "Program Finished, exit status " + std::to_string(exit.Code)
                             : "Program Finished";
    return LogTime(true, now) + " - " + how + " (" + DurationText(startTime, now) + ")";
}

std::string MissingModuleOf(std::string_view text) {
    constexpr std::string_view Opening = "Can't locate ";
    constexpr std::string_view Closing = ".pm in @INC";
    const size_t start = text.find(Opening);
    if (start == std::string_view::npos) return {};
    const std::string_view rest = text.substr(start + Opening.size());
    const size_t end = rest.find(Closing);
    if (end == std::string_view::npos || end == 0) return {};
    std::string module;
    bool partStart = true;
    for (const char c : rest.substr(0, end)) {
        const bool letter = std::isalpha(static_cast<unsigned char>(c)) || c == '_';
        if (c == '/') {
            if (partStart) return {};
            module += "::";
            partStart = true;
        } else if (letter || (!partStart && std::isdigit(static_cast<unsigned char>(c)))) {
            module += c;
            partStart = false;
        } else {
            return {};
        }
    }
    return partStart ? std::string() : module;
}

std::string MessageFileName(std::string_view text) {
    const size_t line = text.find(" line ");
    if (line == std::string_view::npos) return {};
    std::string_view head = text.substr(0, line);
    // PHP: "... in /x/a.php on line 3"; Perl: "... at /x/Bad.pm line 5".
    if (head.ends_with(" on")) head.remove_suffix(3);
    const size_t at = head.rfind(" at ");
    const size_t in = head.rfind(" in ");
    const size_t from = at == std::string_view::npos   ? in
                        : in == std::string_view::npos ? at
                                                       : std::max(at, in);
    if (from == std::string_view::npos) return {};
    return TrimBlanks(head.substr(from + 4));
}

int MessageLineNumber(std::string_view text) {
    const size_t at = text.find(" line ");
    if (at == std::string_view::npos) return -1;
    size_t pos = at + 6;
    int number = 0;
    bool any = false;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])) &&
           number < 100000000) {
        number = number * 10 + (text[pos] - '0');
        any = true;
        ++pos;
    }
    return any ? number : -1;
}

} // namespace korvane
