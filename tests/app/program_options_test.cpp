// The command lines of the installed programs, run as a user runs them from a terminal: no
// display, no program folder yet.
#include "platform/child_process.h"
#include "temp_dir.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>

using namespace korvane;

namespace {

struct Ran {
    int Exit = -1; // -1: still running after the time given, then killed
    std::string Out, Err;
};

// Runs the program with only HOME and the folders below dir in its environment: without
// DISPLAY a program that tries to open a window fails instead of showing one.
Ran RunProgram(const std::string& program, const std::vector<std::string>& arguments,
               const test::TempDir& dir) {
    TProgramStart start;
    start.Command = TCommandLine(program);
    for (const std::string& argument : arguments)
        start.Command.Add(argument);
    start.Environment = {"HOME=" + dir.File("home"), "KORVANE_HOME=" + dir.File("korvane"),
                         "XDG_CONFIG_HOME=" + dir.File("config"),
                         "XDG_DATA_HOME=" + dir.File("data"), "PATH=/usr/bin:/bin"};
    ChildProcess child;
    std::string error;
    Ran ran;
    if (!child.Start(start, error)) {
        ran.Err = error;
        return ran;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    char buffer[4096];
    bool exited = false;
    while (!exited && std::chrono::steady_clock::now() < deadline) {
        child.WaitForActivity(100, false);
        exited = child.HasExited();
        for (size_t n; (n = child.Read(ChildStream::Output, buffer, sizeof buffer)) > 0;)
            ran.Out.append(buffer, n);
        for (size_t n; (n = child.Read(ChildStream::Error, buffer, sizeof buffer)) > 0;)
            ran.Err.append(buffer, n);
    }
    const int code = child.Finish(2000);
    ran.Exit = exited ? code : -1;
    return ran;
}

// The version the build's CMakeLists.txt gives the project.
std::string ProjectVersion() {
    std::ifstream in(std::string(KORVANE_SOURCE_DIR) + "/CMakeLists.txt");
    std::ostringstream text;
    text << in.rdbuf();
    std::smatch match;
    const std::string all = text.str();
    return std::regex_search(all, match, std::regex(R"(project\(Korvane VERSION ([0-9.]+))"))
               ? match[1].str()
               : "";
}

struct Program {
    std::string Name;
    std::string Path;
    std::string UsageLine; // the start of --help's first line
};

std::vector<Program> Programs() {
    const std::string tree = KORVANE_BUILD_TREE;
    return {
        {"korvane", KORVANE_EXECUTABLE, "Usage: korvane [OPTION...] [PROJECT.kvp] [FILE...]"},
        {"korvane-dump", tree + "/tools/dump/korvane-dump", "Usage: korvane-dump [--hex] FILE"},
        {"korvane-httpd", tree + "/tools/httpd/korvane-httpd", "Usage: korvane-httpd --root DIR"},
    };
}

} // namespace

// `korvane --help` used to start the IDE and offer to make a file named "--help"; the tools
// knew no --version, and korvane-httpd wrote its help to the error stream.
TEST(ProgramOptions, HelpVersionAndUnknownOptionsOfEveryProgram) {
    const std::string version = ProjectVersion();
    ASSERT_FALSE(version.empty());
    for (const Program& program : Programs()) {
        SCOPED_TRACE(program.Name);
        test::TempDir dir;
        const Ran help = RunProgram(program.Path, {"--help"}, dir);
        EXPECT_EQ(help.Exit, 0) << help.Err;
        EXPECT_EQ(help.Out.rfind(program.UsageLine, 0), 0u) << help.Out;
        EXPECT_NE(help.Out.find("  --version  "), std::string::npos) << help.Out;
        EXPECT_EQ(help.Err, "");

        const Ran shortHelp = RunProgram(program.Path, {"-h"}, dir);
        EXPECT_EQ(shortHelp.Out, help.Out);

        const Ran shown = RunProgram(program.Path, {"--version"}, dir);
        EXPECT_EQ(shown.Exit, 0) << shown.Err;
        EXPECT_EQ(shown.Out, program.Name + " (Korvane) " + version + "\n");

        const Ran unknown = RunProgram(program.Path, {"--frobnicate"}, dir);
        EXPECT_EQ(unknown.Exit, 2);
        EXPECT_EQ(unknown.Out, "");
        EXPECT_EQ(unknown.Err, program.Name + ": unknown option '--frobnicate'\nTry '" +
                                   program.Name + " --help' for more information.\n");

        // The toolkit's own options are left to the toolkit, not taken for files or errors.
        if (program.Name == "korvane") {
            const Ran withQtOptions =
                RunProgram(program.Path, {"-platform", "offscreen", "-reverse", "--version"}, dir);
            EXPECT_EQ(withQtOptions.Exit, 0) << withQtOptions.Err;
            EXPECT_EQ(withQtOptions.Out, shown.Out);
        }

        EXPECT_FALSE(std::filesystem::exists(dir.File("korvane")))
            << "nothing is set up for a program that only answers";
        EXPECT_FALSE(std::filesystem::exists(dir.File("config")));
    }
}

TEST(ProgramOptions, ToolsSayWhatIsWrongWithTheirArguments) {
    test::TempDir dir;
    const std::string tree = KORVANE_BUILD_TREE;
    const std::string dump = tree + "/tools/dump/korvane-dump";
    const std::string httpd = tree + "/tools/httpd/korvane-httpd";
    const struct {
        std::string Program;
        std::vector<std::string> Arguments;
        std::string Err;
    } cases[] = {
        {dump, {}, "korvane-dump: missing FILE\n"},
        {dump, {"a.kvp", "b.kvp"}, "korvane-dump: unexpected argument 'b.kvp'\n"},
        {httpd, {}, "korvane-httpd: give either --root or --project\n"},
        {httpd,
         {"--root", "/tmp", "--port", "80000"},
         "korvane-httpd: --port needs a number from 0 to 65535, not '80000'\n"},
        {httpd,
         {"--root", "/tmp", "--addr", "0.0.0.0"},
         "korvane-httpd: the server listens on loopback only (127.0.0.1 and ::1)\n"},
        {httpd, {"--root"}, "korvane-httpd: option '--root' needs a value (DIR)\n"},
    };
    for (const auto& c : cases) {
        const Ran ran = RunProgram(c.Program, c.Arguments, dir);
        EXPECT_EQ(ran.Exit, 2) << c.Err;
        EXPECT_EQ(ran.Err.substr(0, ran.Err.find('\n') + 1), c.Err);
        EXPECT_NE(ran.Err.find("--help' for more information."), std::string::npos) << ran.Err;
    }
    const Ran unreadable = RunProgram(dump, {"--", dir.File("missing.kvp")}, dir);
    EXPECT_EQ(unreadable.Exit, 2);
    EXPECT_NE(unreadable.Err.find("cannot open " + dir.File("missing.kvp")), std::string::npos);
}
