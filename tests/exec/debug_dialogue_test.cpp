// Reading the debugger's answers: stop lines in both position forms, prompts, and hints.
#include "exec/debug_dialogue.h"
#include "exec/stop_report.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

using Lines = std::vector<std::string>;

TEST(DebugDialogue, StopLineIsReadFromEitherPositionForm) {
    const struct {
        const char* Case;
        Lines Answer;
        int Line;
        const char* File;
    } cases[] = {
        {"two-line form",
         {"main::(/a/long/path/t.pl:12):", "12:\tprint $x;", "  DB<1> "},
         12,
         "/a/long/path/t.pl"},
        {"one-line form", {"main::(t.pl:4):\t$n += 2;", "  DB<1> "}, 4, "t.pl"},
        // A statement over several lines: the stop is the first of them, in either form.
        {"one-line form going on",
         {"main::(t.pl:1):\tmy $y = join(',',", "main::(t.pl:2):\t  Foo::bar(1),",
          "main::(t.pl:3):\t  2);", "  DB<1> "},
         1,
         "t.pl"},
        {"two-line form going on",
         {"main::(t.pl:1):", "1:\tmy $y = join(',',", "2:\t  Foo::bar(1),", "  DB<1> "},
         1,
         "t.pl"},
        {"inside a sub", {"Foo::bar(t.pl:5):", "5:\tsub Foo::bar { 1 }", "  DB<1> "}, 5, "t.pl"},
        {"in a module",
         {"Foo::bar(/usr/share/perl5/Foo.pm:7):", "7:\treturn 1;", "  DB<2> "},
         7,
         "/usr/share/perl5/Foo.pm"},
        {"colons and brackets in the path",
         {"main::(/x/a:b (2)/t.pl:3):\tprint 1;", "  DB<1> "},
         3,
         "/x/a:b (2)/t.pl"},
        {"code line is no position", {"7:\tFoo::baz(2),", "  DB<2> "}, -1, ""},
        {"no number after it", {"main::(t.pl:3):", "  DB<1> "}, -1, ""},
        {"nothing", {"  DB<1> "}, -1, ""},
    };
    for (const auto& c : cases) {
        const TStopPosition stop = RetrieveStop(c.Answer);
        EXPECT_EQ(stop.Line, c.Line) << c.Case;
        EXPECT_EQ(stop.File, c.File) << c.Case;
    }
}

TEST(DebugDialogue, PromptsAreCountedAndOnlyAWaitingOneEndsAnAnswer) {
    EXPECT_EQ(CountDebugPrompts("  DB<1>   DB<1> Line 5 not breakable.\n  DB<12> "), 3u);
    EXPECT_EQ(CountDebugPrompts("  DB<<3>> "), 1u);
    EXPECT_EQ(CountDebugPrompts("auto(-1)  DB<3> c"), 0u) << "a command from the typeahead";
    EXPECT_EQ(CountDebugPrompts("auto(-1)  DB<3> c  DB<4> "), 1u);
    EXPECT_EQ(CountDebugPrompts("  DB<x> and  DB<1>"), 0u) << "no number, or no blank after";
    EXPECT_TRUE(EndsWithDebugPrompt("1:\tx;  DB<2> "));
    EXPECT_FALSE(EndsWithDebugPrompt("  DB<2> printed"));
    EXPECT_FALSE(EndsWithDebugPrompt("  DB<2"));
}

// A report of a stop as the debugger library writes it, from "~var" records.
Lines Report(const Lines& records) {
    Lines answer = {"~korvane-stop"};
    for (const std::string& record : records)
        answer.push_back("~var\t" + record);
    answer.push_back("~korvane-end");
    answer.push_back("  DB<3> ");
    return answer;
}

TEST(DebugDialogue, HintsFindTheScalarFirstThenTheAggregatesOfTheName) {
    const std::vector<TDebugVariable> both = HintVariables(
        ReadStopReport(Report({"my\t0\t@count\t('a')", "my\t1\t0\t'a'", "our\t0\t$count\t3"})));
    EXPECT_EQ(VariableHint(both, "count"), "$count=3");

    // Elements deeper down are no hint's; a watch is no variable.
    const std::vector<TDebugVariable> aggregates = HintVariables(ReadStopReport(
        Report({"my\t0\t%count\t('k' => [1])", "my\t1\t'k'\tARRAY(0x1)", "my\t2\t0\t1",
                "global\t0\t@count\t('a')", "global\t1\t0\t'a'", "watch\t0\t$w\t5"})));
    EXPECT_EQ(VariableHint(aggregates, "count"), "$count:\n------------\n'k'=>ARRAY(0x1)\n0=>'a'");
    EXPECT_EQ(FindVar(aggregates, "%count"), "%count:\n------------\n'k'=>ARRAY(0x1)");
    EXPECT_EQ(VariableHint(aggregates, "w"), "");
    EXPECT_EQ(VariableHint(aggregates, ""), "");
}

TEST(DebugDialogue, ProgramMessagesAreTheLinesPerlEndsWithTheirPlace) {
    const Lines answer = {"  DB<2> Use of uninitialized value $x in addition (+) at t.pl line 5.",
                          "main::(t.pl:6):",
                          "6:\tprint \"at home line 3\";",
                          "Deleting all breakpoints...",
                          "died here at /x/Foo.pm line 12, <STDIN> line 1.",
                          "a line about nothing",
                          "Debugged program terminated.  Use q to quit or R to restart,",
                          "late at t.pl line 9.",
                          "  DB<3> "};
    EXPECT_EQ(ProgramMessages(answer),
              (Lines{"Use of uninitialized value $x in addition (+) at t.pl line 5.",
                     "died here at /x/Foo.pm line 12, <STDIN> line 1."}));
}

} // namespace
} // namespace korvane
