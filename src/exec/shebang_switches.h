#pragma once
// A script's "#!" line: which program it names, and what a Perl script's line asks of perl that
// perl then also wants on its own command line: taint checks (-T), without which it refuses to
// run the script at all.
#include <string>
#include <string_view>

namespace korvane {

// The script's first line without its line end when it starts with "#!", else "".
std::string ShebangLine(const std::string& scriptFile);
// The same of a script's text: a view into text.
std::string_view ShebangLineOfText(std::string_view text);
// A "#!" line as the system reads it: the program, then the rest of the line, trimmed, as one
// argument (empty when there is none). Both empty for a line without "#!".
struct TShebang {
    std::string_view Program;
    std::string_view Argument;
};
TShebang SplitShebang(std::string_view line);
// The name of the program the line names, without its folder: "bash" for "#!/bin/bash -e" and
// for "#!/usr/bin/env bash"; "" for no "#!" line.
std::string ShebangProgram(std::string_view line);
// The line names a shell of the Bourne family (sh, bash, dash, ksh, zsh and the like).
bool ShebangNamesShell(std::string_view line);

// True when script's "#!" line asks for taint checks (-T, alone or among other switches).
bool ShebangAsksForTaint(const std::string& scriptFile);
// The same of the "#!" line itself.
bool ShebangLineAsksForTaint(std::string_view line);

// True when the words of switches hold -T, alone or in a cluster such as -wT.
bool SwitchesAskForTaint(std::string_view switches);

// switches (each with a blank in front, " -w") with " -T" added when the script's "#!" line
// asks for it and switches do not have it yet.
std::string SwitchesForScript(std::string_view switches, const std::string& scriptFile);

} // namespace korvane
