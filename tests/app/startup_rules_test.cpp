#include "app/command_line.h"
#include "app/logging_window.h"

#include <gtest/gtest.h>

using namespace korvane;

TEST(CommandLine, FirstArgumentAloneMayNameTheProject) {
    StartRequest request = ParseCommandLine({"a.pl", "b.KVP", "c.pl"});
    EXPECT_EQ(request.ProjectFile, "");
    EXPECT_EQ(request.Files, (std::vector<std::string>{"a.pl", "c.pl"}));

    request = ParseCommandLine({"p.kvp", "a.pl", "q.kvp"});
    EXPECT_EQ(request.ProjectFile, "p.kvp");
    EXPECT_EQ(request.Files, (std::vector<std::string>{"a.pl"}));

    request = ParseCommandLine({});
    EXPECT_EQ(request.ProjectFile, "");
    EXPECT_TRUE(request.Files.empty());
}

TEST(CommandLine, RelativePathsBecomeAbsoluteAgainstTheStartFolder) {
    EXPECT_EQ(AbsoluteArguments({"p.kvp", "../lib/a.pl", "/srv/b.pl", "./c.pl", "--help", ""},
                                "/home/ann/site"),
              (std::vector<std::string>{"/home/ann/site/p.kvp", "/home/ann/lib/a.pl", "/srv/b.pl",
                                        "/home/ann/site/c.pl", "--help", ""}));
}

TEST(LoggingWindow, CountdownShowsTheWindowLengthWithoutWholeDays) {
    const auto five = CountdownFor(4.99999 / SecondsPerDay);
    EXPECT_EQ(five.Hours, 0);
    EXPECT_EQ(five.Minutes, 0);
    EXPECT_EQ(five.Seconds, 5);
    const auto longest = CountdownFor((23 * 3600 + 59 * 60 + 59) / SecondsPerDay);
    EXPECT_EQ(longest.Hours, 23);
    EXPECT_EQ(longest.Minutes, 59);
    EXPECT_EQ(longest.Seconds, 59);
    const auto dayAndAHalf = CountdownFor(1.5);
    EXPECT_EQ(dayAndAHalf.Hours, 12);
}

TEST(LoggingWindow, WaitsThenRecordsThenSwitchesEverythingOff) {
    TDateTime now = 46000.0;
    SetClockForTesting([&] { return now; });
    bool trace = false, projectLogging = false, shown = false;
    CountdownTime shownTime;
    TLoggingWindow window({[] { return true; }, [&] { return trace; }, [&](bool on) { trace = on; },
                           [&](bool on) { projectLogging = on; },
                           [&](const CountdownTime& t) {
                               shown = true;
                               shownTime = t;
                           },
                           [&] { shown = false; }});

    EXPECT_TRUE(window.Tick()) << "no window: the timer keeps running";
    const TDateTime second = 1.0 / SecondsPerDay;
    window.SetWindow(now + 10 * second, now + 15 * second);
    EXPECT_TRUE(window.Tick());
    EXPECT_FALSE(trace);

    now += 11 * second;
    EXPECT_TRUE(window.Tick());
    EXPECT_TRUE(trace);
    EXPECT_TRUE(projectLogging);
    EXPECT_TRUE(shown);
    EXPECT_EQ(shownTime.Seconds, 5);
    now += 2 * second;
    EXPECT_TRUE(window.Tick());
    EXPECT_EQ(shownTime.Seconds, 2) << "the clock counts down";

    window.CutShort();
    EXPECT_FALSE(window.Tick()) << "a cut-short window ends at the next tick";
    EXPECT_FALSE(trace);
    EXPECT_FALSE(projectLogging);
    EXPECT_FALSE(shown);
    EXPECT_EQ(window.WindowStart(), 0.0);
    SetClockForTesting({});
}

TEST(LoggingWindow, StopsForGoodWithoutATrace) {
    TLoggingWindow window({[] { return false; }, [] { return false; }, [](bool) {}, [](bool) {},
                           [](const CountdownTime&) {}, [] {}});
    window.SetWindow(1.0e5, 1.0e5 + 1);
    EXPECT_FALSE(window.Tick());
}
