#include "platform/command_line.h"

#include <gtest/gtest.h>

using korvane::TCommandLine;
using Words = std::vector<std::string>;

TEST(CommandLine, WordsStayAsGivenWhateverTheTextShows) {
    const std::string script = R"(/home/a "b" c's/x y.pl)";
    const TCommandLine run =
        TCommandLine("/opt/my perl/perl")
            .AddSwitches(" -w -T")
            .AddQuoted(script)
            .AddWords({"plain", "two words", R"(say "hi")", R"(back\slash)", ""});
    EXPECT_EQ(run.Program(), "/opt/my perl/perl");
    EXPECT_EQ(run.Words(), (Words{"/opt/my perl/perl", "-w", "-T", script, "plain", "two words",
                                  R"(say "hi")", R"(back\slash)", ""}));
    // The text is for people: paths in quotes, switches as the project writes them.
    EXPECT_EQ(run.Text(), R"("/opt/my perl/perl"  -w -T "/home/a "b" c's/x y.pl" plain )"
                          R"("two words" "say "hi"" back\slash "")");
}

TEST(CommandLine, EmptySwitchesKeepTheirBlankAndAddNoWord) {
    const TCommandLine run = TCommandLine("php").AddSwitches("").AddQuoted("a.php");
    EXPECT_EQ(run.Text(), R"("php"  "a.php")");
    EXPECT_EQ(run.Arguments(), Words{"a.php"});
    EXPECT_TRUE(TCommandLine().Empty());
    EXPECT_EQ(TCommandLine("sh").Add("-c").Text(), R"("sh" -c)");
}
