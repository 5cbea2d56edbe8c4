#include "exec/shebang_switches.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(Shebang, TheProgramALineNamesAndWhetherItIsAShell) {
    struct Case {
        const char* Line;
        const char* Program;
        bool Shell;
    };
    const Case cases[] = {
        {"#!/bin/sh", "sh", true},
        {"#! /bin/bash -e", "bash", true},
        {"#!/usr/bin/env bash", "bash", true},
        {"#!/usr/bin/env -S LC_ALL=C zsh -f", "zsh", true},
        {"#!/usr/bin/perl -wT", "perl", false},
        {"#!/usr/bin/env perl", "perl", false},
        {"#!/usr/local/bin/bashful", "bashful", false},
        {"# a comment", "", false},
        {"", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Line);
        EXPECT_EQ(ShebangProgram(c.Line), c.Program);
        EXPECT_EQ(ShebangNamesShell(c.Line), c.Shell);
    }
    EXPECT_TRUE(SwitchesAskForTaint(" -w -T"));
    EXPECT_TRUE(SwitchesAskForTaint("-wT"));
    EXPECT_FALSE(SwitchesAskForTaint(" -w --Tail"));
}

} // namespace
} // namespace korvane
