// A script run as a CGI program for the web server: the switches its first line asks for,
// the end of its input, and the bound on its reply.
#include "exec/cgi_run.h"
#include "exec/console_controller.h"
#include "exec/shebang_switches.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <vector>

namespace korvane {
namespace {

TEST(CgiRun, TaintSwitchesOnTheFirstLineAreFound) {
    test::TempDir dir;
    struct Case {
        std::string FirstLines;
        bool Taint;
    };
    const std::vector<Case> cases{
        {"#!/usr/bin/perl -T\nprint 1;\n", true},
        {"#!/usr/bin/perl -wT\r\n", true},
        {"#! /usr/bin/perl -w -T", true},
        {"#!/usr/bin/perl -w\n# -T later\n", false},
        {"#!/usr/bin/perl --Tricky\n", false},
        {"#!/usr/bin/Tperl\n", false},
        {"print 1; # -T\n", false},
        {"", false},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const std::string file = dir.File("s" + std::to_string(i) + ".pl");
        test::WriteBytes(file, cases[i].FirstLines);
        EXPECT_EQ(ShebangAsksForTaint(file), cases[i].Taint) << cases[i].FirstLines;
    }
    EXPECT_FALSE(ShebangAsksForTaint(dir.File("none.pl")));

    // A run's switches gain -T for such a script, once.
    const std::string taint = dir.File("s0.pl");
    const std::string plain = dir.File("s3.pl");
    EXPECT_EQ(SwitchesForScript(" -w", taint), " -w -T");
    EXPECT_EQ(SwitchesForScript("", taint), " -T");
    EXPECT_EQ(SwitchesForScript(" -w -T", taint), " -w -T");
    EXPECT_EQ(SwitchesForScript(" -wT", taint), " -wT");
    EXPECT_EQ(SwitchesForScript(" -w", plain), " -w");
}

TEST(CgiRun, AReplyPastItsBoundStopsTheScript) {
    test::TempDir dir;
    const std::string script = dir.File("flood.pl");
    test::WriteBytes(script, "binmode STDOUT; print \"Content-Type: text/plain\\n\\n\";\n"
                             "print 'x' x 65536 while 1;\n");
    TRunSettings settings;
    settings.PerlPath = "/usr/bin/perl";
    TConsoleController console;
    TCgiRequest request;
    request.ScriptFile = script;
    const TCgiOutput output = RunCgiScript(console, settings, request, 30, 1024 * 1024);
    EXPECT_TRUE(output.TooLarge);
    EXPECT_FALSE(output.TimedOut);
    EXPECT_EQ(output.Output.size(), 1024u * 1024u);
    EXPECT_TRUE(console.sessionFinished()) << "nothing keeps the console";
    // The next request has the console to itself, with its input ended after its body.
    test::WriteBytes(script, "binmode STDIN; my $in = do { local $/; <STDIN> };\n"
                             "print \"Content-Type: text/plain\\n\\n[$in]\";\n");
    request.Body = "a=1";
    request.IsPost = true;
    const TCgiOutput next = RunCgiScript(console, settings, request, 30);
    EXPECT_FALSE(next.TooLarge);
    EXPECT_EQ(next.Output, "Content-Type: text/plain\n\n[a=1]");

    // What the console keeps of a run bounds a reply too: its start, the header, is never lost.
    test::WriteBytes(script, "binmode STDOUT; print \"Content-Type: text/plain\\n\\n\";\n"
                             "print 'x' x 65536 while 1;\n");
    request.Body.clear();
    request.IsPost = false;
    console.SetOutputLimit(2 * 1024 * 1024);
    const TCgiOutput bounded = RunCgiScript(console, settings, request, 30);
    EXPECT_TRUE(bounded.TooLarge);
    EXPECT_EQ(bounded.ReplyLimit, 1024u * 1024u);
    EXPECT_EQ(bounded.Output.rfind("Content-Type: text/plain", 0), 0u)
        << bounded.Output.substr(0, 80);
}

} // namespace
} // namespace korvane
