// The debugger library's stop report read back, and the commands that ask for it and set
// breakpoints: names and conditions with quotes and line ends stay text.
#include "exec/stop_report.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

using Lines = std::vector<std::string>;

TEST(StopReport, ReadsFramesValuesAndNotesBetweenItsMarks) {
    const TStopReport report = ReadStopReport({
        "~var\tmy\t0\t$before\t1", // before the report: another answer's
        "~korvane-stop",
        "~frame\tmain::add\tt.pl\t8",
        "~frame\t(main program)\tt.pl\t11",
        "~note\tinstall PadWalker",
        "~var\tmy\t0\t%config\t('n' => HASH(0x1))",
        "~var\tmy\t1\t'n'\tHASH(0x1)",
        "~var\tmy\t2\t\"a\\tb\"\tundef",
        "~var\tbroken", // a damaged record is left out
        "~korvane-end",
        "~var\tmy\t0\t$after\t1",
        "  DB<4> ",
    });
    EXPECT_TRUE(report.Complete);
    ASSERT_EQ(report.Frames.size(), 2u);
    EXPECT_EQ(report.Frames[0].Sub, "main::add");
    EXPECT_EQ(report.Frames[0].File, "t.pl");
    EXPECT_EQ(report.Frames[0].Line, 8);
    EXPECT_EQ(report.Frames[1].Line, 11);
    EXPECT_EQ(report.Notes, Lines{"install PadWalker"});
    ASSERT_EQ(report.Values.size(), 3u);
    EXPECT_EQ(report.Values[0].Name, "%config");
    EXPECT_EQ(report.Values[2].Depth, 2);
    EXPECT_EQ(report.Values[2].Name, "\"a\\tb\"");
    EXPECT_EQ(report.Values[2].Value, "undef");

    EXPECT_FALSE(ReadStopReport({"~korvane-stop", "~var\tmy\t0\t$x\t1", "  DB<4> "}).Complete)
        << "a report cut short says so";
    EXPECT_TRUE(ReadStopReport({"main::(t.pl:3):", "  DB<2> "}).Values.empty());
    // Sent after breakpoints, the report starts on the line of their answer's prompt.
    const TStopReport afterBreaks =
        ReadStopReport({"Deleting all breakpoints...", "", "  DB<4> ~korvane-stop",
                        "~var\tour\t0\t$seen\t35", "~korvane-end", "  DB<5> "});
    EXPECT_TRUE(afterBreaks.Complete);
    ASSERT_EQ(afterBreaks.Values.size(), 1u);
    EXPECT_EQ(afterBreaks.Values[0].Value, "35");
}

TEST(StopReport, AStopThatBringsItsReportIsSplitAtTheReport) {
    // The step's answer, then the report of the stop it reached, started on the stop's prompt.
    Lines answer = {"main::(t.pl:6):",
                    "6:\tprint \"x\";",
                    "  DB<3> ~korvane-stop",
                    "~var\tmy\t0\t$err\t'died at t.pl line 3.'",
                    "~korvane-end",
                    "",
                    "  DB<4> "};
    const std::optional<Lines> report = SplitOffReport(answer);
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(answer, (Lines{"main::(t.pl:6):", "6:\tprint \"x\";", "  DB<3> "}));
    EXPECT_EQ(RetrieveStop(answer).Line, 6);
    EXPECT_TRUE(ProgramMessages(answer).empty()) << "a value is no message of the program";
    const TStopReport read = ReadStopReport(*report);
    EXPECT_TRUE(read.Complete);
    ASSERT_EQ(read.Values.size(), 1u);
    EXPECT_EQ(read.Values[0].Name, "$err");

    Lines noReport = {"main::(t.pl:6):", "6:\tprint 1;", "  DB<3> "};
    EXPECT_FALSE(SplitOffReport(noReport).has_value());
    EXPECT_EQ(noReport.size(), 3u);
}

TEST(StopReport, CommandsKeepNamesAndExpressionsText) {
    EXPECT_EQ(StopReportCommand(false, {}), "DB::korvane_stop('')");
    // The expression travels as hex: a quote, a bracket or a line end cannot end it early.
    EXPECT_EQ(StopReportCommand(true, {{"watch", "0", "$h{'a'}\n)"}}),
              "DB::korvane_stop('s', ['watch', '0', [eval(pack('H*','24687b2761277d0a29'))], "
              "\"$@\"])");
    EXPECT_EQ(BreakpointsCommand({{"/a/Bob's \\dir/t.pl", 4, ""}, {"/m.pm", 9, "$n == 3\n"}}),
              "DB::korvane_breaks('/a/Bob\\'s \\\\dir/t.pl', 4, '', '/m.pm', 9, '$n == 3 ')");
    EXPECT_EQ(BreakpointsCommand({}), "DB::korvane_breaks()");
    EXPECT_EQ(RunToCommand("/x/it's.pl", 12), "DB::korvane_run_to('/x/it\\'s.pl', 12)");
    EXPECT_EQ(ContinueUnlessCommand("$n == 3\n"),
              "push @DB::typeahead, 'c' unless do { $n == 3  }");
}

} // namespace
} // namespace korvane
