#pragma once
// Handing files and programs to the desktop, and hidden runs that wait.
#include "platform/command_line.h"

#include <string>
#include <vector>

namespace korvane {

// Opens file (a document, a folder or a URL) with the desktop's handler; with arguments the
// file is started as a program with them. folder resolves a relative file and is the
// program's working folder. Returns false when nothing could be started.
bool ShellOpen(const std::string& folder, const std::string& file,
               const std::vector<std::string>& arguments = {});

// Runs command in folder, with its output discarded. With waitSeconds > 0 waits for it to
// end; throws handledException "Process Failed" when it cannot start or is still running
// after waitSeconds (it is then stopped).
void RunAndWait(const TCommandLine& command, const std::string& folder, int waitSeconds);

// Starts program with arguments in folder and leaves it running on its own (its standard
// streams on the null device). environment holds NAME=value lines set on top of this
// program's own environment. Returns false when it could not be started.
bool StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& folder, const std::vector<std::string>& environment = {});

// The folder that takes the place of the Windows folder for tool settings such as php.ini:
// the program folder.
std::string WindowsFolder();

} // namespace korvane
