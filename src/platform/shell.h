#pragma once
// Handing files and programs to the desktop, and hidden runs that wait.
#include <string>

namespace korvane {

// Opens file (a document, a folder or a URL) with the desktop's handler; with parameters the
// file is started as a program with those arguments. folder resolves a relative file and is
// the program's working folder. Returns false when nothing could be started.
bool ShellOpen(const std::string& folder, const std::string& file, const std::string& parameters);

// Runs file with parameters (split like a command line: double quotes group words) in folder,
// with its output discarded. With waitSeconds > 0 waits for it to end; throws handledException
// "Process Failed" when it cannot start or is still running after waitSeconds (it is then
// stopped).
void RunAndWait(const std::string& file, const std::string& folder, const std::string& parameters,
                int waitSeconds);

// The folder that takes the place of the Windows folder for tool settings such as php.ini:
// the program folder.
std::string WindowsFolder();

} // namespace korvane
