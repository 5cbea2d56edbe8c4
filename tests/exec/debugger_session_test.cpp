// Perl debugger sessions end to end: stepping, breakpoints, input, taint scripts, forks,
// modules, compile errors, pausing.
#include "debug_session_fixture.h"

#include "exec/run_environment.h"
#include "storage/file_utils.h"
#include "storage/program_log.h"

#include <filesystem>

namespace korvane::test {
namespace {

// Eight executable lines and a comment; the ninth line prints.
constexpr const char* Counting = "our $n = 0;\n"
                                 "$n++;\n"
                                 "$n++;\n"
                                 "$n += 2;\n"
                                 "# not a statement\n"
                                 "$n++;\n"
                                 "$n++;\n"
                                 "$n++;\n"
                                 "print \"n=$n\\n\";\n";

TEST_F(DebugSessionTest, StepsAndRunsToBreakpointsWhateverTheLengthOfThePath) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    // A short path gets the debugger's one-line position, a long one its two-line form; quotes
    // in the folder must neither reach Perl code nor cut the path apart.
    for (const std::string& folder :
         {std::string("s"), std::string("a folder with a long name, and Bob's quote/deeper"),
          std::string("my \"best\" site's/cgi-bin")}) {
        SCOPED_TRACE(folder);
        const TRunPageInfo info = Script(Dir.File(folder + "/t.pl"), Counting);

        Statuses.clear();
        Form().StartStep(DebugRunRequest(Project->RunSettings(), info), &Page);
        ASSERT_TRUE(PausedAt(1)) << "status " << int(Form().Status()) << " line " << Page.Line;
        EXPECT_EQ(Statuses, (std::vector<std::uint8_t>{dsFirstStep, dsGettingVars, dsPaused}));
        EXPECT_EQ(Form().DebugCaption(), " [Paused]");
        Form().NextStep();
        EXPECT_EQ(Page.Line, -1) << "the old line is no longer marked while the step runs";
        ASSERT_TRUE(PausedAt(2));
        Form().ProgramReset();

        // Breakpoints go down as one command, ascending, replacing whatever the debugger had.
        LogFile = Dir.File("session.log");
        ClearLogFile();
        Form().Console().LoggingOn = Form().Console().LogInput = true;
        Page.Breaks = {9, 4};
        Statuses.clear();
        Form().StartExecution(DebugRunRequest(Project->RunSettings(), info), &Page);
        ASSERT_TRUE(PausedAt(4)) << "status " << int(Form().Status()) << " line " << Page.Line;
        EXPECT_EQ(Statuses, (std::vector<std::uint8_t>{dsRunToBreakpoint, dsRunning, dsGettingVars,
                                                       dsPaused}))
            << "the first line has no breakpoint: the run goes on by itself";
        const std::string log = ReadBytes(LogFile);
        EXPECT_NE(log.find("**Input: DB::korvane_breaks(" + PerlSingleQuoted(info.ScriptFile) +
                           ", 4, '', " + PerlSingleQuoted(info.ScriptFile) + ", 9, '')"),
                  std::string::npos)
            << log;
        Form().Console().LoggingOn = false;

        Form().ContinueExecution3();
        ASSERT_TRUE(PausedAt(9));
        Page.FilteredErrors.clear();
        Form().ContinueExecution3();
        ASSERT_TRUE(WaitForEnd());
        EXPECT_EQ(Page.Line, -1);
        EXPECT_TRUE(Contains(Page.FilteredErrors, "Debugged program terminated."))
            << "the end of the program reaches the message list";
        EXPECT_EQ(Output(), std::vector<std::string>{"n=7"});
        EXPECT_EQ(Form().Status(), dsIdle);
    }
}

TEST_F(DebugSessionTest, PausedProgramShowsItsVariables) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    const TRunPageInfo info =
        Script(Dir.File("vars.pl"), "our $x = 5;\n"
                                    "our @a = ('p', 'q');\n"
                                    "our %h = (k => 'v', n => {deep => [1]});\n"
                                    "our $s = \"two\\nlines\";\n"
                                    "our @count = (7, 8);\n"
                                    "print \"$x\\n\";\n");
    Page.Breaks = {6};
    Form().StartExecution(DebugRunRequest(Project->RunSettings(), info), &Page);
    ASSERT_TRUE(PausedAt(6));
    const auto& vars = Form().Variables();
    const auto find = [&](const std::string& name, const std::string& index) {
        const auto it = std::find_if(vars.begin(), vars.end(), [&](const TDebugVariable& v) {
            return v.Name == name && v.Index == index;
        });
        return it == vars.end() ? TDebugVariable{-1, "", "", "missing"} : *it;
    };
    EXPECT_EQ(find("$x", "").Kind, TDebugVariable::Scalar);
    EXPECT_EQ(find("$x", "").Value, "5");
    EXPECT_EQ(find("@a", "0").Value, "'p'");
    EXPECT_EQ(find("@a", "1").Value, "'q'");
    EXPECT_EQ(find("%h", "'k'").Value, "'v'");
    EXPECT_TRUE(find("%h", "'n'").Value.starts_with("HASH(0x")) << "a nested value stays one line";
    EXPECT_EQ(find("$s", "").Kind, TDebugVariable::QuotedScalar);
    EXPECT_EQ(find("$s", "").Value, "\"two\\nlines\"") << "as Perl writes it, on one line";
    EXPECT_EQ(VariableHint(vars, "count"), "$count:\n------------\n0=>7\n1=>8")
        << "no $count: the hint shows @count";
    EXPECT_EQ(VariableHint(vars, "x"), "$x=5");
}

TEST_F(DebugSessionTest, ProgramInputIsKeptApartFromTheDebuggerCommands) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    // Stopped before the program reads: a typed line waits for the program, not the debugger.
    const TRunPageInfo typed = Script(Dir.File("read.pl"), "our $seen = 1;\n"
                                                           "my $line = <STDIN>;\n"
                                                           "print \"got $line\";\n");
    Page.Breaks = {2};
    Form().StartExecution(DebugRunRequest(Project->RunSettings(), typed), &Page);
    ASSERT_TRUE(PausedAt(2));
    Form().Console().TextToStdIn("s");
    Form().ContinueExecution3();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Output(), std::vector<std::string>{"got s"});

    // A posted form reaches the program's input only once the user lets it run on.
    TRunPageInfo posted = Script(Dir.File("post.pl"), "our $length = $ENV{CONTENT_LENGTH};\n"
                                                      "read(STDIN, my $body, $length);\n"
                                                      "print \"body=$body\\n\";\n");
    posted.FormSendType = 3;
    posted.FormFields = {"Yname=Ann"};
    Page.Breaks = {1};
    Form().StartExecution(DebugRunRequest(Project->RunSettings(), posted), &Page);
    ASSERT_TRUE(PausedAt(1));
    EXPECT_FALSE(Form().PostDataSent());
    Form().ContinueExecution3();
    EXPECT_TRUE(Form().PostDataSent());
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Output(), std::vector<std::string>{"body=name=Ann"});
}

TEST_F(DebugSessionTest, ATaintScriptIsDebuggedWithTheSwitchOfItsFirstLine) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    // The library's folder holds quotes, and under -T every variable is tainted: the path must
    // reach perl as neither code nor a value from the environment.
    ScopedEnv odd("KORVANE_HOME", Dir.File("Bob's \"odd\" home"));
    ASSERT_TRUE(SeedProgramFolder());
    const TRunPageInfo info = Script(Dir.File("taint.pl"), "#!/usr/bin/perl -wT\n"
                                                           "our $x = 1;\n"
                                                           "print \"x=$x\\n\";\n");
    ASSERT_FALSE(Project->TaintMode()) << "the switch comes from the script, not the project";
    Form().StartStep(DebugRunRequest(Project->RunSettings(), info), &Page);
    ASSERT_TRUE(PausedAt(2)) << "status " << int(Form().Status()) << " line " << Page.Line
                             << " errors " << Form().Console().ErrBytes();
    Form().ContinueExecution3();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Output(), std::vector<std::string>{"x=1"});
}

TEST_F(DebugSessionTest, AForkedChildRunsOnAndTheSessionStaysWithTheParent) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    const TRunPageInfo info =
        Script(Dir.File("fork.pl"), "our $pid = fork();\n"
                                    "if (!$pid) { print \"child\\n\"; exit 0; }\n"
                                    "waitpid($pid, 0);\n"
                                    "print \"parent\\n\";\n"
                                    "our $done = 1;\n"
                                    "print \"end\\n\";\n");
    Page.Breaks = {5};
    Form().StartExecution(DebugRunRequest(Project->RunSettings(), info), &Page);
    ASSERT_TRUE(PausedAt(5)) << "status " << int(Form().Status()) << " line " << Page.Line
                             << " errors " << Form().Console().ErrBytes();
    Form().ContinueExecution3();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Output(), (std::vector<std::string>{"child", "parent", "end"}));
}

TEST_F(DebugSessionTest, AStopInAModuleIsNoLineOfTheScriptsPage) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    std::filesystem::create_directories(Dir.File("m/lib"));
    WriteBytes(Dir.File("m/lib/Mod.pm"), "package Mod;\n"
                                         "sub twice {\n"
                                         "    my ($n) = @_;\n"
                                         "    return 2 * $n;\n"
                                         "}\n"
                                         "1;\n");
    const TRunPageInfo info = Script(Dir.File("m/t.pl"), "use lib 'lib';\n"
                                                         "use Mod;\n"
                                                         "my $r = Mod::twice(2);\n"
                                                         "print \"r=$r\\n\";\n");
    std::vector<std::pair<std::string, int>> told;
    Form().OnStopElsewhere = [&](const std::string& file, int line) {
        told.emplace_back(file, line);
    };
    Form().StartStep(DebugRunRequest(Project->RunSettings(), info), &Page);
    ASSERT_TRUE(PausedAt(3));
    EXPECT_EQ(Form().StopElsewhere(), "");
    Form().NextStep();
    ASSERT_TRUE(WaitForPause());
    EXPECT_EQ(Page.Line, -1) << "line 3 of the module is not line 3 of the script";
    EXPECT_EQ(Form().StopElsewhere(), Dir.File("m/lib/Mod.pm"));
    EXPECT_EQ(told, (std::vector<std::pair<std::string, int>>{{Dir.File("m/lib/Mod.pm"), 3}}));
    Form().NextStep();
    ASSERT_TRUE(WaitForPause());
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told.back().second, 4);
    Form().ContinueExecution3();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Output(), std::vector<std::string>{"r=4"});
}

TEST_F(DebugSessionTest, CompileErrorWarnsAndResets) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    const TRunPageInfo info = Script(Dir.File("broken.pl"), "my $x = ;\nprint 1;\n");
    Form().StartStep(DebugRunRequest(Project->RunSettings(), info), &Page);
    ASSERT_TRUE(WaitForEnd());
    ASSERT_FALSE(Prompt.Records().empty());
    EXPECT_EQ(Prompt.Records().back().Kind, PromptKind::Warning);
    EXPECT_EQ(Prompt.Records().back().Text,
              "Error in program found. Cannot run debugger.\nTry Ctrl+F9 to Syntax Check");
    EXPECT_TRUE(Form().CompileErrorSeen());
    EXPECT_TRUE(Contains(Page.FilteredErrors, "syntax error")) << "the errors reach the messages";
    EXPECT_EQ(Form().Status(), dsIdle);
}

TEST_F(DebugSessionTest, PauseStopsABusyLoopAndResetEndsEverythingItStarted) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    // The helper ignores the interrupt of the pause, so only the reset can end it.
    WriteBytes(Dir.File("helper.pl"),
               "$SIG{INT} = 'IGNORE';\n"
               "open my $f, '>', 'helper.pid.tmp' or die;\n"
               "print $f $$; close $f; rename 'helper.pid.tmp', 'helper.pid';\n"
               "sleep 100;\n");
    const TRunPageInfo info = Script(Dir.File("busy.pl"), "system(\"$^X helper.pl &\");\n"
                                                          "our $i = 0;\n"
                                                          "while (1) {\n"
                                                          "    $i++;\n"
                                                          "}\n");
    Form().StartExecution(DebugRunRequest(Project->RunSettings(), info), &Page);
    ASSERT_TRUE(WaitUntil([&] { return IsFile(Dir.File("helper.pid")); }));
    EXPECT_EQ(Form().Status(), dsRunning);
    EXPECT_TRUE(Form().DebugActions().Pause);
    Form().ProgramPause();
    ASSERT_TRUE(WaitForPause());
    ASSERT_EQ(Form().Status(), dsPaused);
    EXPECT_TRUE(Page.Line == 3 || Page.Line == 4) << Page.Line;

    const pid_t helper = std::stoi(ReadBytes(Dir.File("helper.pid")));
    ASSERT_EQ(kill(helper, 0), 0) << "the pause left the helper running";
    Form().ProgramReset();
    EXPECT_EQ(Form().Status(), dsIdle);
    EXPECT_TRUE(Form().Console().LastExit().Stopped);
    EXPECT_TRUE(WaitUntil([&] { return ProcessGone(helper); }, 5000))
        << "the reset left a process of the program behind";
}

} // namespace
} // namespace korvane::test
