#pragma once
// A program and its arguments, kept apart from the moment a command is built until the child
// starts, so an argument holding quotes, blanks or backslashes reaches the program as the one
// word it was. The one-line text is only for showing and logging: program and file paths are
// written in double quotes, other arguments as they stand.
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

class TCommandLine {
public:
    TCommandLine() = default;
    explicit TCommandLine(std::string program);

    // An argument written as it stands ("-c").
    TCommandLine& Add(std::string argument);
    // An argument written in double quotes, as paths are.
    TCommandLine& AddQuoted(std::string argument);
    // Switches as the project writes them, each with a blank in front (" -w -T"): written as
    // they stand and passed one argument each. Empty switches still leave their blank.
    TCommandLine& AddSwitches(std::string_view switches);
    // Arguments a user typed, one word each, written quoted where a blank or quote would
    // otherwise hide where the word ends.
    TCommandLine& AddWords(const std::vector<std::string>& words);

    const std::string& Program() const { return ProgramValue; }
    const std::vector<std::string>& Arguments() const { return ArgumentsValue; }
    // The program followed by its arguments, as the child receives them.
    std::vector<std::string> Words() const;
    bool Empty() const { return ProgramValue.empty(); }
    // The command as shown in the message list and the log.
    const std::string& Text() const { return TextValue; }

private:
    std::string ProgramValue;
    std::vector<std::string> ArgumentsValue;
    std::string TextValue;
};

// text in double quotes, as command lines write program and file paths.
std::string Quoted(std::string_view text);

} // namespace korvane
