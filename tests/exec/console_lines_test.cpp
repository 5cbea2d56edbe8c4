#include "exec/console_lines.h"

#include <gtest/gtest.h>

using korvane::TConsoleLines;
using Words = std::vector<std::string>;

namespace {

// The lines of a whole text, made in one go: CR, LF and CR LF end lines.
Words WholeTextLines(const std::string& text) {
    Words lines;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) {
            lines.push_back(text.substr(pos));
            break;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

} // namespace

TEST(ConsoleLines, BytesInAnyPiecesGiveTheLinesOfTheWholeText) {
    const std::string texts[] = {"one\ntwo\r\nthree\rfour", "\r\n\r\n", "\n\n\r\r",
                                 "end with cr\r", "a\r\nb\n\rc\r\r\nd", "no break", ""};
    for (const std::string& text : texts) {
        for (size_t cut1 = 0; cut1 <= text.size(); ++cut1) {
            for (size_t cut2 = cut1; cut2 <= text.size(); ++cut2) {
                TConsoleLines lines;
                lines.AppendBytes(text.substr(0, cut1), nullptr);
                lines.AppendBytes(text.substr(cut1, cut2 - cut1), nullptr);
                lines.AppendBytes(text.substr(cut2), nullptr);
                EXPECT_EQ(lines.Strings(), WholeTextLines(text))
                    << "text " << testing::PrintToString(text) << " cut at " << cut1 << ","
                    << cut2;
            }
        }
    }
}

TEST(ConsoleLines, APartialLastLineGrowsAndTakesTheNewTag) {
    int pageA = 0, pageB = 0;
    TConsoleLines lines;
    int changes = 0;
    lines.OnChange = [&] { ++changes; };
    lines.AppendBytes("first\nhal", &pageA);
    EXPECT_EQ(lines.Strings(), (Words{"first", "hal"}));
    EXPECT_EQ(lines.FirstChanged(), 0u);
    lines.AppendBytes("f done\nnext", &pageB);
    EXPECT_EQ(lines.Strings(), (Words{"first", "half done", "next"}));
    EXPECT_EQ(lines.FirstChanged(), 1u);
    EXPECT_EQ(lines.Object(0), &pageA);
    EXPECT_EQ(lines.Object(1), &pageB);
    EXPECT_EQ(lines.Object(2), &pageB);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(lines.Text(), "first\r\nhalf done\r\nnext\r\n");

    lines.Clear();
    EXPECT_TRUE(lines.Empty());
    EXPECT_EQ(changes, 3);
    lines.AppendBytes("x", nullptr); // a fresh start, not a continuation
    EXPECT_EQ(lines.Strings(), Words{"x"});
}

TEST(ConsoleLines, AssignAndEchoEndTheLastLine) {
    TConsoleLines lines;
    int changes = 0;
    lines.OnChange = [&] { ++changes; };
    lines.AppendBytes("open", nullptr);
    lines.Assign({"kept one", "kept two"});
    EXPECT_EQ(changes, 1); // Assign is silent
    lines.AppendBytes("more\n", nullptr);
    EXPECT_EQ(lines.Strings(), (Words{"kept one", "kept two", "more"}));

    TConsoleLines echo;
    echo.EchoInput("typed");
    EXPECT_EQ(echo.Strings(), Words{"typed"});
    echo.AppendBytes("Name? ", nullptr);
    echo.EchoInput("bob");
    echo.AppendBytes("Hello bob\n", nullptr);
    EXPECT_EQ(echo.Strings(), (Words{"typed", "Name? bob", "Hello bob"}));
    EXPECT_EQ(echo.FirstChanged(), 2u);
}
