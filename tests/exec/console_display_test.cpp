#include "exec/console_display.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using korvane::TConsoleBytes;
using korvane::TConsoleDisplay;
using korvane::TConsoleLines;

namespace {

// What the display must show: the lines joined by line feeds.
std::string Joined(const TConsoleLines& lines) {
    std::string text;
    for (size_t i = 0; i < lines.Count(); ++i)
        text.append(i ? "\n" : "").append(lines[i]);
    return text;
}

// A display kept up to date by the updates alone.
struct Display {
    TConsoleDisplay Follower;
    std::string Text;
    int Restarts = 0;
    void Update(const TConsoleLines& lines) {
        const TConsoleDisplay::TUpdate update = Follower.Next(lines);
        if (update.Restart) {
            Text.clear();
            ++Restarts;
        }
        Text += update.Append();
        ASSERT_EQ(Follower.ShownBytes(), Text.size());
    }
};

} // namespace

TEST(ConsoleDisplay, PiecesEchoesAndPartialLinesShowAsTheWholeText) {
    // Each step: bytes the program wrote, or (starting with '>') a line typed and echoed.
    const std::vector<std::vector<std::string>> runs = {
        {"one\ntw", "o\r", "\nthree", "", "\r\n"},
        {"name? ", ">bob", "hello bob\n", "age? ", ">", "done"},
        {">typed first", "out\r\n\r\n", "x"},
        {"\n\n", "\r", "\r\n", "tail"},
    };
    for (const auto& steps : runs) {
        TConsoleBytes stream;
        TConsoleLines lines;
        Display display;
        display.Update(lines);
        for (const std::string& step : steps) {
            if (step.rfind('>', 0) == 0) {
                lines.EchoInput(step.substr(1));
            } else {
                const size_t from = stream.size();
                stream.append(step);
                lines.AppendBytes(stream, from, nullptr);
            }
            display.Update(lines);
            EXPECT_EQ(display.Text, Joined(lines)) << "after \"" << step << "\"";
        }
        EXPECT_EQ(display.Restarts, 1) << "the display only ever grows within one run";
    }
}

TEST(ConsoleDisplay, ClearedOrReplacedLinesStartTheDisplayAgain) {
    TConsoleLines lines;
    Display display;
    lines.AppendBytes("a long first run\nof two lines", nullptr);
    display.Update(lines);
    // Emptied and filled again between two updates, with more lines than before.
    lines.Clear();
    lines.AppendBytes("x\ny\nz\nw", nullptr);
    display.Update(lines);
    EXPECT_EQ(display.Text, "x\ny\nz\nw");
    EXPECT_EQ(display.Restarts, 2);

    lines.Assign({"replaced"});
    display.Update(lines);
    EXPECT_EQ(display.Text, "replaced");

    display.Follower.Forget(); // the display was emptied by its owner
    display.Text.clear();
    display.Update(lines);
    EXPECT_EQ(display.Text, "replaced");
}

TEST(ConsoleDisplay, OutputOfLineFeedLinesIsHandedOnWithoutACopy) {
    TConsoleBytes stream;
    TConsoleLines lines;
    Display display;
    const auto append = [&](const std::string& bytes) {
        const size_t from = stream.size();
        stream.append(bytes);
        lines.AppendBytes(stream, from, nullptr);
    };
    const auto inStream = [&](std::string_view text) {
        return text.empty() || (text.data() >= stream.View().data() &&
                                text.data() + text.size() <= stream.View().data() + stream.size());
    };
    // A half line, its rest with more lines, then a line end with CR: pieced together.
    const std::vector<std::pair<std::string, bool>> steps = {
        {"first ha", true}, {"lf\nsecond\nthird\n", true}, {"fourth\r\nfifth", false}};
    for (const auto& [bytes, unCopied] : steps) {
        append(bytes);
        const TConsoleDisplay::TUpdate update = display.Follower.Next(lines);
        EXPECT_EQ(inStream(update.Append()), unCopied) << bytes;
        display.Text += update.Append();
        EXPECT_EQ(display.Text, Joined(lines)) << "after \"" << bytes << "\"";
    }
}
