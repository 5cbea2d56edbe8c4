#include "platform/command_line.h"

#include <algorithm>
#include <utility>

namespace korvane {

TCommandLine::TCommandLine(std::string program)
    : ProgramValue(std::move(program)), TextValue(Quoted(ProgramValue)) {}

TCommandLine& TCommandLine::Add(std::string argument) {
    TextValue += " " + argument;
    ArgumentsValue.push_back(std::move(argument));
    return *this;
}

TCommandLine& TCommandLine::AddQuoted(std::string argument) {
    TextValue += " " + Quoted(argument);
    ArgumentsValue.push_back(std::move(argument));
    return *this;
}

TCommandLine& TCommandLine::AddSwitches(std::string_view switches) {
    TextValue += " ";
    TextValue += switches;
    size_t at = 0;
    while (at < switches.size()) {
        const size_t start = switches.find_first_not_of(' ', at);
        if (start == std::string_view::npos) break;
        const size_t end = std::min(switches.find(' ', start), switches.size());
        ArgumentsValue.emplace_back(switches.substr(start, end - start));
        at = end;
    }
    return *this;
}

TCommandLine& TCommandLine::AddWords(const std::vector<std::string>& words) {
    for (const std::string& word : words) {
        if (word.empty() || word.find_first_of(" \t\"'") != std::string::npos)
            AddQuoted(word);
        else
            Add(word);
    }
    return *this;
}

std::vector<std::string> TCommandLine::Words() const {
    std::vector<std::string> words;
    words.reserve(ArgumentsValue.size() + 1);
    words.push_back(ProgramValue);
    words.insert(words.end(), ArgumentsValue.begin(), ArgumentsValue.end());
    return words;
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

} // namespace korvane
