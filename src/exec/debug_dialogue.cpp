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

} // namespace

size_t CountDebugPrompts(std::string_view text) {
    size_t count = 0;
    for (size_t at = text.find(DebugPrompt); at != std::string_view::npos;
         at = text.find(DebugPrompt, at + 1))
        if (PromptLength(text.substr(at)) > 0) ++count;
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

std::vector<TDebugVariable> RetrieveVariables(const std::vector<std::string>& answer) {
    std::vector<TDebugVariable> variables;
    enum class State { Top, Hash, Array } state = State::Top;
    std::string aggregate;
    // The last line is the prompt.
    const size_t end = answer.empty() ? 0 : answer.size() - 1;
    for (size_t i = 0; i < end; ++i) {
        const std::string_view line = Trimmed(answer[i]);
        if (line.empty()) {
            ++i; // the dump puts nothing worth showing after an empty line
            continue;
        }
        if (state != State::Top) {
            if (line == ")") {
                state = State::Top;
                continue;
            }
            TDebugVariable element;
            element.Kind = TDebugVariable::Element;
            element.Name = aggregate;
            const std::string_view separator = state == State::Hash ? "=>" : "  ";
            const size_t at = line.find(separator);
            if (at == std::string_view::npos) {
                element.Index = line;
            } else {
                element.Index = Trimmed(line.substr(0, at));
                element.Value = Trimmed(line.substr(at + separator.size()));
            }
            variables.push_back(std::move(element));
            continue;
        }
        if (const size_t arrow = line.find("=>"); arrow != std::string_view::npos) {
            TDebugVariable other;
            other.Name = Trimmed(line.substr(0, arrow));
            other.Index = Trimmed(line.substr(arrow + 2));
            variables.push_back(std::move(other));
            continue;
        }
        // The dump writes "NAME = VALUE"; a name may itself be "=" ("$= = 60").
        const size_t spaced = line.find(" = ");
        const size_t equals = spaced != std::string_view::npos ? spaced + 1 : line.find('=');
        const std::string name(equals == std::string_view::npos ? std::string_view()
                                                                : Trimmed(line.substr(0, equals)));
        std::string value(equals == std::string_view::npos ? std::string_view()
                                                           : Trimmed(line.substr(equals + 1)));
        if (name.starts_with('%') || name.starts_with('@')) {
            state = name.starts_with('%') ? State::Hash : State::Array;
            aggregate = name;
            continue;
        }
        TDebugVariable variable;
        variable.Name = name;
        if (name.starts_with('$') && value.starts_with('\'')) {
            // A quoted string goes on over the lines until its closing quote.
            variable.Kind = TDebugVariable::QuotedScalar;
            while (value.size() < 2 || !value.ends_with('\'')) {
                if (++i >= end) return variables;
                value += "\r";
                value += Trimmed(answer[i]);
            }
        } else if (name.starts_with('$')) {
            variable.Kind = TDebugVariable::Scalar;
        }
        variable.Value = std::move(value);
        variables.push_back(std::move(variable));
    }
    return variables;
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
