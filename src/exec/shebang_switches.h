#pragma once
// What a Perl script's "#!" line asks of perl that perl then also wants on its own command
// line: taint checks (-T), without which it refuses to run the script at all.
#include <string>
#include <string_view>

namespace korvane {

// True when script's "#!" line asks for taint checks (-T, alone or among other switches).
bool ShebangAsksForTaint(const std::string& scriptFile);

// True when the words of switches hold -T, alone or in a cluster such as -wT.
bool SwitchesAskForTaint(std::string_view switches);

// switches (each with a blank in front, " -w") with " -T" added when the script's "#!" line
// asks for it and switches do not have it yet.
std::string SwitchesForScript(std::string_view switches, const std::string& scriptFile);

} // namespace korvane
