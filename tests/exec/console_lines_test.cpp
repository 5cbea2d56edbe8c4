#include "exec/console_lines.h"

#include <gtest/gtest.h>

using korvane::TConsoleBytes;
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

// Appends bytes to stream and the lines, which point into it.
void Feed(TConsoleLines& lines, TConsoleBytes& stream, std::string_view bytes,
          korvane::ConsoleTag tag = nullptr) {
    const size_t from = stream.size();
    stream.append(bytes);
    lines.AppendBytes(stream, from, tag);
}

} // namespace

TEST(ConsoleLines, BytesInAnyPiecesGiveTheLinesOfTheWholeText) {
    const std::string texts[] = {"one\ntwo\r\nthree\rfour", "\r\n\r\n", "\n\n\r\r", "end with cr\r",
                                 "a\r\nb\n\rc\r\r\nd",      "no break", ""};
    for (const std::string& text : texts) {
        for (size_t cut1 = 0; cut1 <= text.size(); ++cut1) {
            for (size_t cut2 = cut1; cut2 <= text.size(); ++cut2) {
                SCOPED_TRACE("text " + testing::PrintToString(text) + " cut at " +
                             std::to_string(cut1) + "," + std::to_string(cut2));
                const std::string pieces[] = {text.substr(0, cut1), text.substr(cut1, cut2 - cut1),
                                              text.substr(cut2)};
                TConsoleLines copied;
                for (const std::string& piece : pieces)
                    copied.AppendBytes(piece, nullptr);
                EXPECT_EQ(copied.Strings(), WholeTextLines(text));
                // Lines that point into the stream, and lines made from two streams in turn
                // (output, errors, output) as the controller's combined list is.
                TConsoleBytes one, out, err;
                TConsoleLines pointing, combined;
                for (const std::string& piece : pieces)
                    Feed(pointing, one, piece);
                EXPECT_EQ(pointing.Strings(), WholeTextLines(text));
                Feed(combined, out, pieces[0]);
                Feed(combined, err, pieces[1]);
                Feed(combined, out, pieces[2]);
                EXPECT_EQ(combined.Strings(), WholeTextLines(text));
                EXPECT_EQ(out.View(), pieces[0] + pieces[2]) << "the streams stay as written";
            }
        }
    }
}

TEST(ConsoleLines, LinesStayRightWhileTheirStreamsGrowAndMove) {
    // Enough bytes for the streams' memory to be enlarged (and moved) many times over; now
    // and then an error line comes between, cutting an output line in two.
    std::string whole;
    TConsoleBytes out, err;
    TConsoleLines lines;
    for (int i = 0; i < 40000; ++i) {
        const std::string line = "line " + std::to_string(i) + std::string(i % 97, '.') + "\n";
        if (i % 1000 == 999) {
            Feed(lines, out, line.substr(0, 3));
            Feed(lines, err, "<err>");
            Feed(lines, out, line.substr(3));
            whole += line.substr(0, 3) + "<err>" + line.substr(3);
        } else {
            Feed(lines, out, line);
            whole += line;
        }
    }
    EXPECT_EQ(lines.Strings(), WholeTextLines(whole));
    EXPECT_EQ(lines[999], "lin<err>e 999" + std::string(999 % 97, '.'));
}

TEST(ConsoleLines, TypedInputAndAssignedLinesLeaveTheStreamAlone) {
    int pageA = 0, pageB = 0;
    TConsoleBytes out;
    TConsoleLines lines;
    Feed(lines, out, "Name? ", &pageA);
    lines.EchoInput("bob");
    // The echo ended the line: the LF after it is a line end of its own.
    Feed(lines, out, "\nHello bob\r", &pageB);
    EXPECT_EQ(lines.Strings(), (Words{"Name? bob", "", "Hello bob"}));
    Feed(lines, out, "\nnext", &pageB);
    EXPECT_EQ(lines.Strings(), (Words{"Name? bob", "", "Hello bob", "next"}));
    EXPECT_EQ(lines.Object(0), &pageA);
    EXPECT_EQ(lines.Object(3), &pageB);
    lines.EchoInput(" typed");
    EXPECT_EQ(lines[3], "next typed");
    EXPECT_EQ(out.View(), "Name? \nHello bob\r\nnext");

    lines.Assign({"kept"});
    Feed(lines, out, "after\n", &pageA);
    EXPECT_EQ(lines.Strings(), (Words{"kept", "after"}));
    EXPECT_EQ(lines.Object(0), nullptr);
    EXPECT_EQ(lines.Object(1), &pageA);

    // The next run: both emptied, the memory used again.
    lines.Clear();
    out.clear();
    Feed(lines, out, "again\r", &pageB);
    Feed(lines, out, "\n", &pageB);
    EXPECT_EQ(lines.Strings(), Words{"again"});
    EXPECT_EQ(lines.Object(0), &pageB);
    EXPECT_EQ(lines.Text(), "again\r\n");
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
    lines.EchoInput("!"); // even after its line end
    lines.AppendBytes("x", nullptr);
    EXPECT_EQ(lines.Strings(), (Words{"kept one", "kept two", "more!", "x"}));

    TConsoleLines echo;
    echo.EchoInput("typed");
    EXPECT_EQ(echo.Strings(), Words{"typed"});
    echo.AppendBytes("Name? ", nullptr);
    echo.EchoInput("bob");
    echo.AppendBytes("Hello bob\n", nullptr);
    EXPECT_EQ(echo.Strings(), (Words{"typed", "Name? bob", "Hello bob"}));
    EXPECT_EQ(echo.FirstChanged(), 2u);
}
