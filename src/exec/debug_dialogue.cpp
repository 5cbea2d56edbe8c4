#include "exec/debug_dialogue.h"

#include <charconv>

namespace korvane {
namespace {

std::string_view Trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The whole text as a line number; -1 when it is not one.
int LineNumber(std::string_view digits) {
    int number = -1;
    const auto [end, failure] =
        std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (failure != std::errc() || end != digits.data() + digits.size() || number < 0) return -1;
    return number;
}

enum class LocationForm { None, TwoLines, OneLine };

// A location line "package::sub(file:12):" holds "::" before its first "(" and ends its
// position with ":<digits>):", either at the end of the line (the number and the code follow
// on the next line) or before a tab and the code. Code lines ("5:<TAB>Foo::bar(2),") have no
// such position and are not taken for one.
LocationForm ReadLocation(std::string_view line, int& number, std::string_view& file) {
    const size_t open = line.find('(');
    if (open == std::string_view::npos || line.substr(0, open).find("::") == std::string_view::npos)
        return LocationForm::None;
    for (size_t close = line.find("):", open); close != std::string_view::npos;
         close = line.find("):", close + 1)) {
        size_t digits = close;
        while (digits > open && line[digits - 1] >= '0' && line[digits - 1] <= '9')
            --digits;
        if (digits == close || digits <= open + 1 || line[digits - 1] != ':') continue;
        const std::string_view after = line.substr(close + 2);
        file = line.substr(open + 1, digits - 1 - (open + 1));
        if (after.empty()) {
            number = LineNumber(line.substr(digits, close - digits));
            return LocationForm::TwoLines;
        }
        if (after.front() == '\t') {
            number = LineNumber(line.substr(digits, close - digits));
            return LocationForm::OneLine;
        }
    }
    return LocationForm::None;
}

// The length of the prompt text starts with, 0 when it starts with none: "  DB", "<"s, the
// number, ">"s and a blank.
size_t PromptLength(std::string_view text) {
    size_t at = DebugPrompt.size();
    while (at < text.size() && text[at] == '<')
        ++at;
    const size_t digits = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9')
        ++at;
    if (at == digits) return 0;
    const size_t closers = at;
    while (at < text.size() && text[at] == '>')
        ++at;
    if (at == closers || at >= text.size() || text[at] != ' ') return 0;
    return at + 1;
}

void AddElementLine(std::string& hint, const std::string& name, const TDebugVariable& element) {
    if (hint.empty())
        hint = name + ":\n" + std::string(2 * name.size(), '-') + "\n";
    else
        hint += "\n";
    hint += element.Index + "=>" + element.Value;
}

// "auto(-1)  DB<3> c": the debugger shows a command it took from its own typeahead (a run to a
// line pushes "c" there) with a prompt in front, which waits for nothing that was sent.
bool EchoesTypeahead(std::string_view before) {
    constexpr std::string_view Mark = "auto(-";
    if (!before.ends_with(')')) return false;
    const size_t open = before.rfind(Mark);
    return open != std::string_view::npos &&
           before.find_first_not_of("0123456789", open + Mark.size()) == before.size() - 1;
}

} // namespace

size_t CountDebugPrompts(std::string_view text) {
    size_t count = 0;
    for (size_t at = text.find(DebugPrompt); at != std::string_view::npos;
         at = text.find(DebugPrompt, at + 1))
        if (PromptLength(text.substr(at)) > 0 && !EchoesTypeahead(text.substr(0, at))) ++count;
    return count;
}

bool EndsWithDebugPrompt(std::string_view line) {
    const size_t at = line.rfind(DebugPrompt);
    return at != std::string_view::npos && PromptLength(line.substr(at)) == line.size() - at;
}

TStopPosition RetrieveStop(const std::vector<std::string>& answer) {
    if (answer.size() < 2) return {};
    for (size_t i = answer.size() - 1; i-- > 0;) {
        int number = -1;
        std::string_view file;
        switch (ReadLocation(answer[i], number, file)) {
        case LocationForm::None:
            continue;
        case LocationForm::TwoLines: {
            const std::string_view next = answer[i + 1];
            const size_t colon = next.find(':');
            if (colon == std::string_view::npos) return {};
            return {std::string(file), LineNumber(Trimmed(next.substr(0, colon)))};
        }
        case LocationForm::OneLine:
            // The lines printed after a stop repeat the form: the stop is the first of them.
            while (i > 0 && ReadLocation(answer[i - 1], number, file) == LocationForm::OneLine)
                --i;
            ReadLocation(answer[i], number, file);
            return {std::string(file), number};
        }
    }
    return {};
}

std::string_view WithoutLeadingPrompts(std::string_view line) {
    while (line.starts_with(DebugPrompt) && PromptLength(line) > 0)
        line.remove_prefix(PromptLength(line));
    return line;
}

std::vector<std::string> ProgramMessages(const std::vector<std::string>& answer) {
    std::vector<std::string> messages;
    for (const std::string& whole : answer) {
        const std::string_view line = WithoutLeadingPrompts(whole);
        if (line.find("Debugged program terminated.") != std::string_view::npos) break;
        // The code lines of a stop ("12:<TAB>code") quote the program, whatever it holds.
        const size_t digits = line.find_first_not_of("0123456789");
        if (digits > 0 && digits != std::string_view::npos && line.substr(digits, 2) == ":\t")
            continue;
        const size_t at = line.find(" at ");
        const size_t lineWord = line.rfind(" line ");
        if (at == std::string_view::npos || lineWord == std::string_view::npos || lineWord < at)
            continue;
        const size_t number = lineWord + 6;
        if (number >= line.size() || line[number] < '0' || line[number] > '9') continue;
        messages.emplace_back(line);
    }
    return messages;
}

std::string FindVar(const std::vector<TDebugVariable>& variables, const std::string& name) {
    std::string hint;
    const bool scalarName = name.starts_with('$');
    for (const TDebugVariable& variable : variables) {
        if (variable.Kind > 1 && variable.Name == name) return name + "=" + variable.Value;
        if (variable.Kind != TDebugVariable::Element) continue;
        const bool sameAggregate = variable.Name == name;
        const bool sameWithOtherSigil = scalarName && !variable.Name.empty() &&
                                        variable.Name.compare(1, std::string::npos, name, 1) == 0;
        if (sameAggregate || sameWithOtherSigil) AddElementLine(hint, name, variable);
    }
    return hint;
}

std::string VariableHint(const std::vector<TDebugVariable>& variables, const std::string& word) {
    if (word.empty()) return {};
    for (const char* sigil : {"", "$", "%", "@"}) {
        std::string hint = FindVar(variables, sigil + word);
        if (!hint.empty()) return hint;
    }
    return {};
}

} // namespace korvane
