#include "storage/command_options.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <utility>

namespace korvane {
namespace {

constexpr int UsageStatus = 2;

// "--name=value" split at the first "=" (the value is nullopt without one).
std::pair<std::string, std::optional<std::string>> SplitInlineValue(const std::string& arg) {
    const auto equals = arg.find('=');
    if (equals == std::string::npos) return {arg, std::nullopt};
    return {arg.substr(0, equals), arg.substr(equals + 1)};
}

std::string WithoutDashes(const std::string& name) {
    return name.substr(std::min(name.find_first_not_of('-'), name.size()));
}

} // namespace

TCommandOptions::TCommandOptions(std::string program, std::vector<std::string> synopsis,
                                 std::string about)
    : Program(std::move(program)), Synopsis(std::move(synopsis)), About(std::move(about)) {}

TCommandOptions& TCommandOptions::Flag(const std::string& name, const std::string& help,
                                       bool& seen) {
    Options.push_back({name, "", help, {}, &seen});
    return *this;
}

TCommandOptions& TCommandOptions::Value(const std::string& name, const std::string& valueName,
                                        const std::string& help, ValueReader take) {
    Options.push_back({name, valueName, help, std::move(take)});
    return *this;
}

TCommandOptions& TCommandOptions::Text(const std::string& name, const std::string& valueName,
                                       const std::string& help, std::string& target) {
    return Value(name, valueName, help, [&target](const std::string& value) {
        target = value;
        return std::string();
    });
}

TCommandOptions& TCommandOptions::Number(const std::string& name, const std::string& valueName,
                                         const std::string& help, long low, long high,
                                         int& target) {
    return Value(name, valueName, help, [=, &target](const std::string& value) {
        char* end = nullptr;
        errno = 0;
        const long parsed = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end || errno == ERANGE || parsed < low || parsed > high)
            return name + " needs a number from " + std::to_string(low) + " to " +
                   std::to_string(high) + ", not '" + value + "'";
        target = static_cast<int>(parsed);
        return std::string();
    });
}

TCommandOptions& TCommandOptions::PassThrough(const std::string& name, bool takesValue) {
    Option option{WithoutDashes(name), takesValue ? "VALUE" : "", "", {}, nullptr, true};
    PassedThrough.push_back(std::move(option));
    return *this;
}

TCommandOptions& TCommandOptions::Operands(const std::string& name, size_t least, size_t most) {
    OperandName = name;
    LeastOperands = least;
    MostOperands = most;
    return *this;
}

const TCommandOptions::Option* TCommandOptions::Find(const std::string& name) const {
    for (const Option& option : Options)
        if (option.Name == name) return &option;
    return nullptr;
}

int TCommandOptions::Fail(std::ostream& err, const std::string& message) const {
    err << Program << ": " << message << "\nTry '" << Program << " --help' for more information.\n";
    return UsageStatus;
}

TCommandOptions::Outcome TCommandOptions::Parse(const std::vector<std::string>& arguments,
                                                std::ostream& out, std::ostream& err) const {
    Outcome outcome;
    const auto fail = [&](const std::string& message) {
        outcome.ExitStatus = Fail(err, message);
        return outcome;
    };
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            outcome.Operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            out << Help();
            outcome.ExitStatus = 0;
            return outcome;
        }
        if (arg == "--version") {
            out << Version();
            outcome.ExitStatus = 0;
            return outcome;
        }
        const auto [name, inlineValue] = SplitInlineValue(arg);
        const std::string bare = WithoutDashes(name);
        const auto passed =
            std::find_if(PassedThrough.begin(), PassedThrough.end(),
                         [&bare](const Option& option) { return option.Name == bare; });
        if (passed != PassedThrough.end()) {
            if (!passed->ValueName.empty() && !inlineValue && ++i == arguments.size())
                return fail("option '" + name + "' needs a value");
            continue;
        }
        const Option* option = Find(name);
        if (!option) return fail("unknown option '" + name + "'");
        if (!option->Take) {
            if (inlineValue) return fail("option '" + name + "' takes no value");
            *option->Seen = true;
            continue;
        }
        std::string value;
        if (inlineValue)
            value = *inlineValue;
        else if (i + 1 < arguments.size())
            value = arguments[++i];
        else
            return fail("option '" + name + "' needs a value (" + option->ValueName + ")");
        const std::string problem = option->Take(value);
        if (!problem.empty()) return fail(problem);
    }
    if (outcome.Operands.size() < LeastOperands) return fail("missing " + OperandName);
    if (outcome.Operands.size() > MostOperands)
        return fail("unexpected argument '" + outcome.Operands[MostOperands] + "'");
    return outcome;
}

TCommandOptions::Outcome TCommandOptions::Parse(int argc, char** argv, std::ostream& out,
                                                std::ostream& err) const {
    return Parse(std::vector<std::string>(argv + std::min(argc, 1), argv + argc), out, err);
}

std::string TCommandOptions::Help() const {
    std::vector<std::pair<std::string, std::string>> rows;
    for (const Option& option : Options)
        rows.emplace_back(option.Name + (option.ValueName.empty() ? "" : " " + option.ValueName),
                          option.HelpText);
    rows.emplace_back("-h, --help", "show this help and exit");
    rows.emplace_back("--version", "show the version and exit");
    size_t width = 0;
    for (const auto& row : rows)
        width = std::max(width, row.first.size());

    std::ostringstream text;
    for (size_t i = 0; i < Synopsis.size(); ++i)
        text << (i == 0 ? "Usage: " : "   or: ") << Program << " " << Synopsis[i] << "\n";
    text << About << (About.empty() || About.back() == '\n' ? "" : "\n") << "\nOptions:\n";
    for (const auto& [label, help] : rows)
        text << "  " << label << std::string(width - label.size() + 2, ' ') << help << "\n";
    return text.str();
}

std::string TCommandOptions::Version() const {
    return Program + " (Korvane) " + ReleaseVersion() + "\n";
}

} // namespace korvane
