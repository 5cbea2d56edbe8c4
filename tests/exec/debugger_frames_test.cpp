// What a paused Perl program shows end to end, with real "perl -d": the lexicals of the
// frame as a tree, the stack, watches and expressions, the steps over and out of subs, runs
// to a line, breakpoints by file and condition, and the program's warnings as they come.
#include "debug_session_fixture.h"

#include "exec/run_environment.h"

#include <QElapsedTimer>

#include <filesystem>

namespace korvane::test {
namespace {

class DebugFramesTest : public DebugSessionTest {
protected:
    // The reported value of a name in a section at depth 0, and the values below it.
    const TReportedValue* Find(const std::string& section, const std::string& name) {
        for (const TReportedValue& value : Form().StopReport().Values)
            if (value.Depth == 0 && value.Section == section && value.Name == name) return &value;
        return nullptr;
    }
    std::vector<std::string> Below(const std::string& section, const std::string& name) {
        std::vector<std::string> lines;
        const auto& values = Form().StopReport().Values;
        for (size_t i = 0; i < values.size(); ++i) {
            if (values[i].Depth != 0 || values[i].Section != section || values[i].Name != name)
                continue;
            for (size_t j = i + 1; j < values.size() && values[j].Depth > 0; ++j)
                lines.push_back(std::to_string(values[j].Depth) + " " + values[j].Name + " " +
                                values[j].Value);
        }
        return lines;
    }
    std::string Value(const std::string& section, const std::string& name) {
        const TReportedValue* value = Find(section, name);
        return value ? value->Value : "(missing)";
    }
    std::vector<std::string> Stack() {
        std::vector<std::string> frames;
        for (const TStackFrame& frame : Form().StopReport().Frames)
            frames.push_back(frame.Sub + " " +
                             std::filesystem::path(frame.File).filename().string() + ":" +
                             std::to_string(frame.Line));
        return frames;
    }
    bool PadWalkerPresent() {
        return std::system("/usr/bin/perl -MPadWalker -e 1 2>/dev/null") == 0;
    }
};

constexpr const char* Lexicals = "use strict;\n"                                  // 1
                                 "use warnings;\n"                                // 2
                                 "my %config = (name => 'demo',\n"                // 3
                                 "    nested => { list => [1, 2], n => 4.5 });\n" // 4
                                 "my @items = ('one', 2);\n"                      // 5
                                 "sub add {\n"                                    // 6
                                 "    my ($x, $y) = @_;\n"                        // 7
                                 "    my $sum = $x + $y;\n"                       // 8
                                 "    return $sum;\n"                             // 9
                                 "}\n"                                            // 10
                                 "my $total = add(2, 5);\n"                       // 11
                                 "print \"total=$total\\n\";\n";                  // 12

TEST_F(DebugFramesTest, LexicalsOfASubAndOfTheFileShowAsATree) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    if (!PadWalkerPresent()) GTEST_SKIP() << "PadWalker (libpadwalker-perl) is not installed";
    const TRunPageInfo info = Script(Dir.File("lex.pl"), Lexicals);
    Page.Breaks = {9, 12};
    Form().StartExecution(DebugRunRequest(Project->RunSettings(), info), &Page);
    ASSERT_TRUE(PausedAt(9)) << "status " << int(Form().Status()) << " line " << Page.Line;
    // In the sub: its own lexicals, and those of the file it can see.
    EXPECT_EQ(Value("my", "$x"), "2");
    EXPECT_EQ(Value("my", "$y"), "5");
    EXPECT_EQ(Value("my", "$sum"), "7");
    EXPECT_EQ(Value("my", "@items"), "('one', 2)");
    EXPECT_EQ(Find("my", "$total"), nullptr) << "not declared yet where the sub was called";
    EXPECT_EQ(Stack(),
              (std::vector<std::string>{"main::add lex.pl:9", "(main program) lex.pl:11"}));
    EXPECT_EQ(VariableHint(Form().Variables(), "sum"), "$sum=7") << "the hover shows lexicals";
    EXPECT_TRUE(Form().StopReport().Notes.empty());

    Form().ContinueExecution3();
    ASSERT_TRUE(PausedAt(12));
    EXPECT_EQ(Value("my", "$total"), "7");
    EXPECT_EQ(Find("my", "$sum"), nullptr) << "the sub's lexicals are gone with its frame";
    // The nested hash expanded, keys in order, each level one deeper.
    const std::vector<std::string> config = Below("my", "%config");
    ASSERT_EQ(config.size(), 6u) << ::testing::PrintToString(config);
    EXPECT_EQ(config[0], "1 'name' 'demo'");
    EXPECT_TRUE(config[1].starts_with("1 'nested' HASH(0x")) << config[1];
    EXPECT_TRUE(config[2].starts_with("2 'list' ARRAY(0x")) << config[2];
    EXPECT_EQ(std::vector<std::string>(config.begin() + 3, config.end()),
              (std::vector<std::string>{"3 0 1", "3 1 2", "2 'n' 4.5"}));
    EXPECT_EQ(Stack(), std::vector<std::string>{"(main program) lex.pl:12"});
    // A strict script has no globals of its own: perl's own variables stay out of the list...
    EXPECT_EQ(Find("special", "%ENV"), nullptr);
    EXPECT_EQ(Find("global", "%ENV"), nullptr);
    // ...until they are asked for.
    Form().ShowSpecialVariables = true;
    Form().RefreshReport();
    ASSERT_TRUE(PausedAt(12));
    EXPECT_NE(Find("special", "%ENV"), nullptr);
    EXPECT_EQ(Value("special", "$0"), PerlSingleQuoted(info.ScriptFile));
    Form().ContinueExecution3();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Output(), std::vector<std::string>{"total=7"});
}

TEST_F(DebugFramesTest, WithoutPadWalkerTheWindowSaysWhatToInstallAndShowsTheGlobals) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    // A PadWalker that cannot load stands for one that is not installed.
    std::filesystem::create_directories(Dir.File("nopw"));
    WriteBytes(Dir.File("nopw/PadWalker.pm"), "die qq(no PadWalker here\\n);\n");
    const TRunPageInfo info = Script(Dir.File("g.pl"), "our $count = 3;\n"
                                                       "my $hidden = 1;\n"
                                                       "print \"$count\\n\";\n");
    TRunRequest run = DebugRunRequest(Project->RunSettings(), info);
    SetEnvVar(run.Start.Environment, "PERL5LIB", Dir.File("nopw"));
    Page.Breaks = {3};
    Form().StartExecution(run, &Page);
    ASSERT_TRUE(PausedAt(3));
    ASSERT_EQ(Form().StopReport().Notes.size(), 1u);
    EXPECT_NE(Form().StopReport().Notes[0].find("libpadwalker-perl"), std::string::npos);
    EXPECT_EQ(Value("global", "$count"), "3");
    EXPECT_EQ(Find("my", "$hidden"), nullptr);
    EXPECT_EQ(VariableHint(Form().Variables(), "count"), "$count=3");
}

TEST_F(DebugFramesTest, StepOverStepOutAndRunToALine) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    const TRunPageInfo info = Script(Dir.File("steps.pl"), "sub inner {\n"          // 1
                                                           "    my $v = 1;\n"       // 2
                                                           "    return $v;\n"       // 3
                                                           "}\n"                    // 4
                                                           "our $a = inner();\n"    // 5
                                                           "our $b = inner();\n"    // 6
                                                           "our $c = 3;\n"          // 7
                                                           "for (1 .. 3) {\n"       // 8
                                                           "    $c++;\n"            // 9
                                                           "}\n"                    // 10
                                                           "print \"c=$c\\n\";\n"); // 11
    Form().StartStep(DebugRunRequest(Project->RunSettings(), info), &Page);
    ASSERT_TRUE(PausedAt(5));
    Form().StepOver();
    ASSERT_TRUE(PausedAt(6)) << "the sub ran whole; line " << Page.Line;
    Form().NextStep();
    ASSERT_TRUE(PausedAt(2)) << "a step goes into it";
    Form().StepOut();
    ASSERT_TRUE(PausedAt(7)) << "back in the caller, past the call; line " << Page.Line;
    Form().RunToLine(info.ScriptFile, 11);
    ASSERT_TRUE(PausedAt(11)) << "line " << Page.Line;
    EXPECT_EQ(Value("our", "$c"), "6") << "the loop ran on the way";
    // A line the program cannot stop at: it stays where it is and says so.
    Form().RunToLine(info.ScriptFile, 10);
    ASSERT_TRUE(PausedAt(11));
    EXPECT_TRUE(Contains(Form().DebugOutput(), "not a line the program can stop at"));
    Form().ContinueExecution3();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Output(), std::vector<std::string>{"c=6"});
}

TEST_F(DebugFramesTest, BreakpointsChangedWhilePausedConditionsAndModules) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    std::filesystem::create_directories(Dir.File("b/lib"));
    const std::string module = Dir.File("b/lib/Later.pm");
    WriteBytes(module, "package Later;\n"     // 1
                       "sub twice {\n"        // 2
                       "    my ($n) = @_;\n"  // 3
                       "    return 2 * $n;\n" // 4
                       "}\n"                  // 5
                       "1;\n");
    const TRunPageInfo info = Script(Dir.File("b/t.pl"), "use lib 'lib';\n"                // 1
                                                         "our $sum = 0;\n"                 // 2
                                                         "require Later;\n"                // 3
                                                         "for my $i (1 .. 5) {\n"          // 4
                                                         "    $sum += Later::twice($i);\n" // 5
                                                         "}\n"                             // 6
                                                         "print \"sum=$sum\\n\";\n");      // 7
    // The module is loaded only at run time: its breakpoint waits for it; its condition holds
    // on the third call alone.
    std::vector<TFileBreakpoint> breakpoints = {{info.ScriptFile, 2, ""}, {module, 4, "$n == 3"}};
    Form().SessionBreakpoints = [&] { return breakpoints; };
    Form().StartExecution(DebugRunRequest(Project->RunSettings(), info), &Page);
    ASSERT_TRUE(PausedAt(2));
    Form().ContinueExecution3();
    ASSERT_TRUE(WaitForPause());
    EXPECT_EQ(Form().StopElsewhere(), module);
    EXPECT_EQ(Value("my", "$n"), PadWalkerPresent() ? "3" : "(missing)");
    EXPECT_EQ(Value("global", "$sum"), "6") << "the script's globals, seen from the module";
    // Added while paused: the next continue stops there.
    breakpoints.push_back({info.ScriptFile, 7, ""});
    Form().BreakpointsChanged();
    Form().ContinueExecution3();
    ASSERT_TRUE(PausedAt(7)) << "line " << Page.Line << " elsewhere " << Form().StopElsewhere();
    Form().ContinueExecution3();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Output(), std::vector<std::string>{"sum=30"});
}

// A loop that runs for about three seconds.
constexpr const char* Looping = "our $seen = 0;\n"                         // 1
                                "for my $i (1 .. 150) {\n"                 // 2
                                "    $seen = $i;\n"                        // 3
                                "    select(undef, undef, undef, 0.02);\n" // 4
                                "}\n"                                      // 5
                                "print \"seen=$seen\\n\";\n";              // 6

TEST_F(DebugFramesTest, ABreakpointOnTheFirstLineStopsThereOnlyWhenItsConditionHolds) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    const TRunPageInfo info = Script(Dir.File("first.pl"), Looping);
    std::vector<TFileBreakpoint> breakpoints;
    Form().SessionBreakpoints = [&] { return breakpoints; };
    for (const char* condition : {"", "1", "$0 =~ /first/"}) {
        SCOPED_TRACE(condition);
        breakpoints = {{info.ScriptFile, 1, condition}};
        Form().StartExecution(DebugRunRequest(Project->RunSettings(), info), &Page);
        EXPECT_TRUE(PausedAt(1));
        Form().ProgramReset();
    }
    breakpoints = {{info.ScriptFile, 1, "$seen"}, {info.ScriptFile, 6, ""}};
    Form().StartExecution(DebugRunRequest(Project->RunSettings(), info), &Page);
    ASSERT_TRUE(PausedAt(6)) << "line " << Page.Line;
    EXPECT_EQ(Value("our", "$seen"), "150");
}

TEST_F(DebugFramesTest, ABreakpointSetWhileTheProgramRunsStopsItAtOnce) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    const TRunPageInfo info = Script(Dir.File("live.pl"), Looping);
    std::vector<TFileBreakpoint> breakpoints;
    Form().SessionBreakpoints = [&] { return breakpoints; };
    Form().StartExecution(DebugRunRequest(Project->RunSettings(), info), &Page);
    ASSERT_TRUE(WaitUntil([&] { return Form().Status() == dsRunning; }));
    QElapsedTimer running;
    running.start();
    WaitUntil([&] { return running.elapsed() > 400 || Form().Status() != dsRunning; });
    ASSERT_EQ(Form().Status(), dsRunning) << "line " << Page.Line;
    // Set now, it stops the loop at once, not after the loop has run to its end.
    breakpoints.push_back({info.ScriptFile, 3, ""});
    Form().BreakpointsChanged();
    ASSERT_TRUE(PausedAt(3)) << "status " << int(Form().Status()) << " line " << Page.Line;
    const std::string seenValue = Value("our", "$seen");
    ASSERT_TRUE(!seenValue.empty() && std::isdigit(static_cast<unsigned char>(seenValue[0])))
        << seenValue;
    const int seen = std::stoi(seenValue);
    EXPECT_GT(seen, 0);
    EXPECT_LT(seen, 150);
    // Cleared while paused: the program runs to its end, every turn of the loop taken.
    breakpoints.clear();
    Form().BreakpointsChanged();
    Form().ContinueExecution3();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Output(), std::vector<std::string>{"seen=150"});
}

TEST_F(DebugFramesTest, AModuleLineIsNoBreakpointOfTheScriptsLineOfThatNumber) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    std::filesystem::create_directories(Dir.File("n/lib"));
    WriteBytes(Dir.File("n/lib/Mod.pm"), "package Mod;\n"
                                         "sub one {\n"
                                         "    return 1;\n"
                                         "}\n"
                                         "1;\n");
    const TRunPageInfo info = Script(Dir.File("n/t.pl"), "use lib 'lib';\n"
                                                         "use Mod;\n"
                                                         "our $r = Mod::one();\n"
                                                         "print \"r=$r\\n\";\n");
    LogFile = Dir.File("n.log");
    ClearLogFile();
    Form().LogOptions = [] { return TDebugLogOptions{true, true, false}; };
    Page.Breaks = {3};
    Form().StartExecution(DebugRunRequest(Project->RunSettings(), info), &Page);
    ASSERT_TRUE(PausedAt(3));
    Form().NextStep();
    ASSERT_TRUE(WaitForPause());
    ASSERT_EQ(Form().StopElsewhere(), Dir.File("n/lib/Mod.pm"));
    const std::string log = ReadBytes(LogFile);
    EXPECT_NE(log.find("**BREAKPOINT: Line 3"), std::string::npos) << log;
    EXPECT_NE(log.find("**STEP: Line 3 of " + Dir.File("n/lib/Mod.pm")), std::string::npos) << log;
    EXPECT_EQ(log.find("**BREAKPOINT: Line 3 of"), std::string::npos) << log;
    Form().LogOptions = nullptr;
}

TEST_F(DebugFramesTest, WatchesAtEveryStopAndAnExpressionInTheFrame) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    const TRunPageInfo info = Script(Dir.File("w.pl"), "my %seen;\n"
                                                       "for my $word (qw(a b a)) {\n"
                                                       "    $seen{$word}++;\n"
                                                       "}\n"
                                                       "print join(',', %seen), \"\\n\";\n");
    Form().Watches = {"$seen{a} // 'none'", "[sort keys %seen]", "$word)"};
    Page.Breaks = {3};
    Form().StartExecution(DebugRunRequest(Project->RunSettings(), info), &Page);
    ASSERT_TRUE(PausedAt(3));
    EXPECT_EQ(Value("watch", "$seen{a} // 'none'"), "'none'");
    EXPECT_TRUE(Value("watch", "$word)").starts_with("'error: syntax error"))
        << Value("watch", "$word)");
    Form().ContinueExecution3();
    ASSERT_TRUE(PausedAt(3));
    EXPECT_EQ(Value("watch", "$seen{a} // 'none'"), "1") << "evaluated again at the next stop";
    EXPECT_EQ(Below("watch", "[sort keys %seen]"), std::vector<std::string>{"1 0 'a'"});
    Form().Evaluate("uc $word");
    ASSERT_TRUE(PausedAt(3));
    EXPECT_EQ(Value("eval", "="), "'B'");
    EXPECT_EQ(Value("watch", "$seen{a} // 'none'"), "1");
    Form().Watches.clear();
    Form().ContinueExecution3();
    ASSERT_TRUE(PausedAt(3));
    EXPECT_EQ(Find("eval", "="), nullptr) << "an expression is evaluated once";
    Form().ContinueExecution3();
    ASSERT_TRUE(WaitForEnd());
}

TEST_F(DebugFramesTest, WarningsReachTheMessagesWhileTheSessionRuns) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    const TRunPageInfo info = Script(Dir.File("warn.pl"), "use warnings;\n"
                                                          "my $u;\n"
                                                          "my $n = $u + 1;\n"
                                                          "warn \"careful\\n\";\n"
                                                          "print \"n=$n\\n\";\n"
                                                          "warn \"last words\";\n");
    Page.Breaks = {5};
    Form().StartExecution(DebugRunRequest(Project->RunSettings(), info), &Page);
    ASSERT_TRUE(PausedAt(5));
    EXPECT_TRUE(Contains(Page.FilteredErrors, "Use of uninitialized value $u in addition"))
        << "seen while paused, before the program ends";
    Page.FilteredErrors.clear();
    Form().ContinueExecution3();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_TRUE(Contains(Page.FilteredErrors, "Use of uninitialized value $u in addition"))
        << "the end keeps what came before";
    EXPECT_TRUE(Contains(Page.FilteredErrors, "last words at"));
}

} // namespace
} // namespace korvane::test
