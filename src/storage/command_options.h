#pragma once
// The command lines of Korvane's programs. Each program declares its options and operands; this
// one place reads the arguments, answers --help and --version with the release this build
// belongs to, and words every usage error the same way.
#include <cstddef>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace korvane {

// The release this build belongs to, from the build's project version ("2.1.0").
const char* ReleaseVersion();

class TCommandOptions {
public:
    // program: the command's name; synopsis: the usage lines after the name; about: what the
    // program does, shown below them in --help.
    TCommandOptions(std::string program, std::vector<std::string> synopsis, std::string about);

    // An option given alone ("--dirlist"); seen becomes true when it is given.
    TCommandOptions& Flag(const std::string& name, const std::string& help, bool& seen);
    // An option with a value, given as "--port 8080" or "--port=8080". take returns "" when it
    // accepts the value, else what is wrong with it.
    using ValueReader = std::function<std::string(const std::string& value)>;
    TCommandOptions& Value(const std::string& name, const std::string& valueName,
                           const std::string& help, ValueReader take);
    TCommandOptions& Text(const std::string& name, const std::string& valueName,
                          const std::string& help, std::string& target);
    // A whole number from low to high.
    TCommandOptions& Number(const std::string& name, const std::string& valueName,
                            const std::string& help, long low, long high, int& target);
    // An option another part of the program reads for itself (the toolkit's "-style NAME"):
    // matched with one dash or two, never taken for an operand, not listed in --help.
    TCommandOptions& PassThrough(const std::string& name, bool takesValue);
    // How many operands (arguments that are not options) the program takes; name is what the
    // error for a missing one calls it. Without this call the program takes none.
    TCommandOptions& Operands(const std::string& name, size_t least, size_t most);

    struct Outcome {
        std::optional<int> ExitStatus; // set: the program ends now (help, version or an error)
        std::vector<std::string> Operands;
    };
    // Reads the arguments after the program name. --help and --version print to out and end
    // with 0; a usage error prints to err and ends with 2. "--" ends the options.
    Outcome Parse(const std::vector<std::string>& arguments, std::ostream& out,
                  std::ostream& err) const;
    Outcome Parse(int argc, char** argv, std::ostream& out, std::ostream& err) const;

    std::string Help() const;
    std::string Version() const;
    // A usage error found after parsing (options that do not go together), worded as Parse
    // words its own; returns the exit status for it.
    int Fail(std::ostream& err, const std::string& message) const;

private:
    struct Option {
        std::string Name; // with its dashes
        std::string ValueName;
        std::string HelpText;
        ValueReader Take; // empty for a flag
        bool* Seen = nullptr;
        bool Hidden = false;
    };
    const Option* Find(const std::string& name) const;

    std::string Program;
    std::vector<std::string> Synopsis;
    std::string About;
    std::vector<Option> Options;
    std::vector<Option> PassedThrough;
    std::string OperandName;
    size_t LeastOperands = 0;
    size_t MostOperands = 0;
};

} // namespace korvane
