#pragma once
// What the MySQL and MariaDB client programs print when they cannot reach the server, and
// keeping passwords given on their command lines out of logs.
#include <string>
#include <string_view>

namespace korvane {

// The socket (or, on Windows, the named pipe) could not be reached.
bool IsSocketFailure(std::string_view line);
// The TCP/IP connection could not be made or was refused.
bool IsTcpFailure(std::string_view line);
// An error line that says the server is not there, by any way of reaching it.
bool IsServerDownError(std::string_view line);
// An output line that says so: a program (a CGI script, say) reporting a failed connection.
bool IsServerDownOutput(std::string_view line);

// A command's text with the value of every password option ("-psecret", "--password=secret")
// of a MySQL or MariaDB client program replaced by stars; other commands come back unchanged
// (perl's -p is a switch, not a password). The controller hands it to the console for the
// log lines of its runs.
std::string MaskPasswordOptions(const std::string& commandText);

} // namespace korvane
