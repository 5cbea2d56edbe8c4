#include "storage/command_options.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace korvane;

namespace {

// A program with one option of each kind, as the tools declare them.
struct Declared {
    bool DirList = false;
    std::string Root;
    int Port = 8080;
    TCommandOptions Options{"korvane-test", {"--root DIR [OPTION...] FILE..."}, "Serves files."};
    Declared() {
        Options.Flag("--dirlist", "list folders", DirList)
            .Text("--root", "DIR", "the folder served", Root)
            .Number("--port", "N", "the port", 0, 65535, Port)
            .PassThrough("-style", true)
            .PassThrough("-reverse", false)
            .Operands("FILE", 1, 2);
    }
};

struct ParseCase {
    std::vector<std::string> Arguments;
    std::optional<int> Exit;
    std::vector<std::string> Operands;
    std::string Out; // a part of what goes to standard output
    std::string Err; // a part of what goes to standard error
};

} // namespace

TEST(CommandOptions, ReadsOptionsOperandsAndUsageErrors) {
    const std::string tryHelp = "Try 'korvane-test --help' for more information.";
    const ParseCase cases[] = {
        {{"a.pl"}, std::nullopt, {"a.pl"}, "", ""},
        {{"--root", "/srv", "a.pl", "--port=81"}, std::nullopt, {"a.pl"}, "", ""},
        {{"--help"}, 0, {}, "Usage: korvane-test --root DIR [OPTION...] FILE...", ""},
        {{"a.pl", "-h", "--bogus"}, 0, {}, "  --port N ", ""},
        {{"--version"}, 0, {}, std::string("korvane-test (Korvane) ") + ReleaseVersion(), ""},
        // The program used to take every word for a file to open, "--help" included.
        {{"--bogus", "a.pl"}, 2, {}, "", "korvane-test: unknown option '--bogus'\n" + tryHelp},
        {{"--bogus=1", "a.pl"}, 2, {}, "", "unknown option '--bogus'"},
        {{"a.pl", "--root"}, 2, {}, "", "option '--root' needs a value (DIR)"},
        {{"a.pl", "--dirlist=yes"}, 2, {}, "", "option '--dirlist' takes no value"},
        {{"a.pl", "--port", "http"},
         2,
         {},
         "",
         "--port needs a number from 0 to 65535, not 'http'"},
        {{"a.pl", "--port", "65536"}, 2, {}, "", "not '65536'"},
        {{"a.pl", "--port="}, 2, {}, "", "not ''"},
        {{}, 2, {}, "", "korvane-test: missing FILE"},
        {{"a", "b", "c"}, 2, {}, "", "unexpected argument 'c'"},
        // Words after "--" and a lone "-" are operands, whatever they look like.
        {{"--", "--help", "-"}, std::nullopt, {"--help", "-"}, "", ""},
        {{"-", "-x.pl"}, 2, {}, "", "unknown option '-x.pl'"},
        // The toolkit's own options are skipped with their values, with one dash or two.
        {{"-style", "fusion", "--reverse", "a.pl", "--style=x"}, std::nullopt, {"a.pl"}, "", ""},
        {{"a.pl", "-style"}, 2, {}, "", "option '-style' needs a value"},
    };
    for (const ParseCase& c : cases) {
        Declared program;
        std::ostringstream out, err;
        const TCommandOptions::Outcome outcome = program.Options.Parse(c.Arguments, out, err);
        std::string shown;
        for (const std::string& a : c.Arguments)
            shown += " [" + a + "]";
        EXPECT_EQ(outcome.ExitStatus, c.Exit) << shown;
        if (!c.Exit) {
            EXPECT_EQ(outcome.Operands, c.Operands) << shown;
        }
        EXPECT_NE(out.str().find(c.Out), std::string::npos) << shown << "\n" << out.str();
        EXPECT_NE(err.str().find(c.Err), std::string::npos) << shown << "\n" << err.str();
        if (c.Out.empty()) {
            EXPECT_EQ(out.str(), "") << shown;
        }
        if (c.Err.empty()) {
            EXPECT_EQ(err.str(), "") << shown;
        }
    }
}

TEST(CommandOptions, ValuesReachTheirTargets) {
    Declared program;
    std::ostringstream out, err;
    const auto outcome = program.Options.Parse(
        {"--dirlist", "--root=/srv/www", "--port", "0", "x", "--", "--port"}, out, err);
    EXPECT_FALSE(outcome.ExitStatus) << err.str();
    EXPECT_TRUE(program.DirList);
    EXPECT_EQ(program.Root, "/srv/www");
    EXPECT_EQ(program.Port, 0);
    EXPECT_EQ(outcome.Operands, (std::vector<std::string>{"x", "--port"}));

    Declared untouched;
    untouched.Options.Parse({"a"}, out, err);
    EXPECT_FALSE(untouched.DirList);
    EXPECT_EQ(untouched.Port, 8080) << "a default stays when the option is not given";
}

TEST(CommandOptions, HelpListsEveryDeclaredOptionInOneColumnAndHidesPassedThroughOnes) {
    TCommandOptions options("tool", {"FILE", "--all"}, "Does things.\n");
    bool hex = false;
    std::string mode;
    options.Flag("--hex", "adds the bytes", hex).Text("--mode", "NAME", "picks a mode", mode);
    options.PassThrough("-platform", true);
    EXPECT_EQ(options.Help(), "Usage: tool FILE\n"
                              "   or: tool --all\n"
                              "Does things.\n"
                              "\n"
                              "Options:\n"
                              "  --hex        adds the bytes\n"
                              "  --mode NAME  picks a mode\n"
                              "  -h, --help   show this help and exit\n"
                              "  --version    show the version and exit\n");
    EXPECT_EQ(options.Version(), std::string("tool (Korvane) ") + ReleaseVersion() + "\n");
}

TEST(CommandOptions, ArgvFormSkipsTheProgramName) {
    TCommandOptions options("tool", {"FILE"}, "");
    options.Operands("FILE", 0, 5);
    char name[] = "/usr/bin/tool", file[] = "f.txt";
    char* argv[] = {name, file, nullptr};
    std::ostringstream out, err;
    EXPECT_EQ(options.Parse(2, argv, out, err).Operands, std::vector<std::string>{"f.txt"});
    EXPECT_TRUE(options.Parse(0, argv, out, err).Operands.empty());
}
