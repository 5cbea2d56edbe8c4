// Reading the debugger's answers: stop lines in both position forms, prompts, and hints.
#include "exec/debug_dialogue.h"

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
    EXPECT_EQ(CountDebugPrompts("  DB<x> and  DB<1>"), 0u) << "no number, or no blank after";
    EXPECT_TRUE(EndsWithDebugPrompt("1:\tx;  DB<2> "));
    EXPECT_FALSE(EndsWithDebugPrompt("  DB<2> printed"));
    EXPECT_FALSE(EndsWithDebugPrompt("  DB<2"));
}

TEST(DebugDialogue, HintsFindTheScalarFirstThenTheAggregatesOfTheName) {
    const std::vector<TDebugVariable> both =
        RetrieveVariables({"@count = (", "   0  'a'", ")", "$count = 3", "  DB<2> "});
    EXPECT_EQ(VariableHint(both, "count"), "$count=3");

    const std::vector<TDebugVariable> aggregates = RetrieveVariables(
        {"%count = (", "   'k' => 1", ")", "@count = (", "   0  'a'", ")", "  DB<2> "});
    EXPECT_EQ(VariableHint(aggregates, "count"), "$count:\n------------\n'k'=>1\n0=>'a'");
    EXPECT_EQ(FindVar(aggregates, "%count"), "%count:\n------------\n'k'=>1");
    EXPECT_EQ(VariableHint(aggregates, "other"), "");
    EXPECT_EQ(VariableHint(aggregates, ""), "");

    // A quoted string that never closes ends the list without losing what came before.
    const std::vector<TDebugVariable> open =
        RetrieveVariables({"$a = 1", "$s = 'never", "closed", "  DB<2> "});
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(open[0].Name, "$a");

    // Punctuation variables whose name holds "=".
    const std::vector<TDebugVariable> punctuation =
        RetrieveVariables({"$= = 60", "$x = 'a=b'", "  DB<2> "});
    ASSERT_EQ(punctuation.size(), 2u);
    EXPECT_EQ(punctuation[0].Name, "$=");
    EXPECT_EQ(punctuation[0].Value, "60");
    EXPECT_EQ(punctuation[1].Value, "'a=b'");
}

} // namespace
} // namespace korvane
