#include "platform/command_line.h"

#include <gtest/gtest.h>

using korvane::SplitCommandLine;
using Words = std::vector<std::string>;

TEST(SplitCommandLine, QuotesGroupWordsAndBackslashesStayOrdinary) {
    EXPECT_EQ(SplitCommandLine(R"("/opt/my perl/perl" -w "/home/a b/x.pl")"),
              (Words{"/opt/my perl/perl", "-w", "/home/a b/x.pl"}));
    EXPECT_EQ(SplitCommandLine(R"(perl  -e  s/\d+\\/x/  "C:\dir\")"),
              (Words{"perl", "-e", R"(s/\d+\\/x/)", R"(C:\dir\)"}));
    // Quoted and bare parts next to each other form one word; tabs separate like blanks.
    EXPECT_EQ(SplitCommandLine("a\"b c\"d\t\te"), (Words{"ab cd", "e"}));
    EXPECT_EQ(SplitCommandLine(R"(prog "" x)"), (Words{"prog", "", "x"}));
    // A quote left open runs to the end.
    EXPECT_EQ(SplitCommandLine(R"(prog "open end  )"), (Words{"prog", "open end  "}));
    EXPECT_EQ(SplitCommandLine("   "), Words{});
    EXPECT_EQ(SplitCommandLine(""), Words{});
}
