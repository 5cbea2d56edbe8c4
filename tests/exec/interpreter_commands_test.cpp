#include "exec/interpreter_commands.h"

#include <gtest/gtest.h>

using Words = std::vector<std::string>;

TEST(InterpreterCommands, TextsShowQuotedPathsAndWordsKeepThemWhole) {
    using namespace korvane;
    const std::string perl = "/usr/bin/perl", php = "/opt/php 8/php", file = "/w/my site/a.pl";
    EXPECT_EQ(PerlSyntaxCheckCommand(perl, file).Text(),
              R"("/usr/bin/perl" -c -w "/w/my site/a.pl")");
    EXPECT_EQ(PerlRunCommand(perl, " -w -T", file).Text(),
              R"("/usr/bin/perl"  -w -T "/w/my site/a.pl")");
    EXPECT_EQ(PerlDebugCommand(perl, " -w", file).Text(),
              R"("/usr/bin/perl" -d  -w "/w/my site/a.pl")");
    EXPECT_EQ(PerlCgiCommand(perl, file).Text(), R"("/usr/bin/perl" -W "/w/my site/a.pl")");
    EXPECT_EQ(PerlCgiCommand(perl, file, true).Words(), (Words{perl, "-W", "-T", file}));
    EXPECT_EQ(PerlVersionCommand(perl).Text(), R"("/usr/bin/perl" -v)");
    EXPECT_EQ(PerlConfigurationCommand(perl).Text(), R"("/usr/bin/perl" -V)");
    EXPECT_EQ(PhpSyntaxCheckCommand(php, file).Text(), R"("/opt/php 8/php" -l "/w/my site/a.pl")");
    EXPECT_EQ(PhpRunCommand(php, file).Text(), R"("/opt/php 8/php"  "/w/my site/a.pl")");
    EXPECT_EQ(PhpCgiCommand(php).Words(), Words{php});
    EXPECT_EQ(PhpVersionCommand(php).Text(), R"("/opt/php 8/php" -v)");
    EXPECT_EQ(PhpInfoCommand(php).Text(), R"("/opt/php 8/php" -i)");

    EXPECT_EQ(PerlRunCommand(perl, " -w -T", file).Words(), (Words{perl, "-w", "-T", file}));
    EXPECT_EQ(PerlDebugCommand(perl, "", file).Words(), (Words{perl, "-d", file}));
    EXPECT_EQ(PhpRunCommand(php, file).Words(), (Words{php, file}));
    EXPECT_EQ(BatchRunCommand("", file).Words(), (Words{"/bin/sh", file}));
    EXPECT_EQ(BatchRunCommand("/bin/cmd", file).Text(), R"("/bin/cmd" /C "/w/my site/a.pl")");
    // As the system reads a "#!" line: the rest after the program is one word.
    EXPECT_EQ(ShebangRunCommand("#!/bin/bash", file).Words(), (Words{"/bin/bash", file}));
    EXPECT_EQ(ShebangRunCommand("#! /bin/sh -e -u ", file).Words(),
              (Words{"/bin/sh", "-e -u", file}));
    EXPECT_EQ(ShebangRunCommand("#!/usr/bin/env bash", file).Words(),
              (Words{"/usr/bin/env", "bash", file}));
}

TEST(InterpreterCommands, PerlVersionComesFromTheSecondLine) {
    using korvane::PerlVersionFromOutput;
    EXPECT_EQ(
        PerlVersionFromOutput({"", "This is perl, v5.8.0 built for MSWin32-x86-multi-thread"}),
        "5.8.0");
    EXPECT_EQ(PerlVersionFromOutput(
                  {"", "This is perl 5, version 36, subversion 0 (v5.36.0) built for x86_64"}),
              "5.36.0");
    EXPECT_EQ(PerlVersionFromOutput({"This is perl, v5.8.0 built"}), "");
    EXPECT_EQ(PerlVersionFromOutput({"", "  This is perl, v5.8.0  "}), "5.8.0");
    EXPECT_EQ(PerlVersionFromOutput({"", "version vx only"}), "");
}
