#pragma once
// What runs take from the project: the interpreters, the Perl switches, how the environment is
// built and the project's own variables. The project hands a copy to each run.
#include "exec/run_environment.h"

#include <string>
#include <vector>

namespace korvane {

struct TRunSettings {
    std::string PerlPath;
    std::string PerlSwitches; // each with a blank in front: " -w -T"
    std::string PhpPath;
    TEnvironmentOptions Environment;
    std::vector<std::string> ProjectEnvVars; // check-list lines; CGI runs get them
    bool LogEnvironment = false;             // interactive runs log the environment they get
    bool Terminal = true; // programs talking with the user get a terminal (UseTerminal)
};

} // namespace korvane
