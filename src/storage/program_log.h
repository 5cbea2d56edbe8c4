#pragma once
// The session log: every logged line of the program is appended through WriteLogLine.
#include <string>

namespace korvane {

// Full path of the log file; empty means lines go nowhere. Set by the project.
extern std::string LogFile;
// Time stamps in local time (otherwise UTC with " GMT").
extern bool UseLocalTime;

// Appends the time stamp, " : " and text (an empty text alone, without a stamp) and CR LF to
// LogFile. The file is opened and closed for every line so that other programs can read it
// at any time; a line that cannot be written is lost without a word.
void WriteLogLine(const std::string& text);

// Whether path may be written to and deleted as a log: it does not exist, is empty, or begins
// with a log line's time stamp. A project file can name any file, and the log must never
// take over a file of the user's that is no log.
bool IsLogFileOrAbsent(const std::string& path);

// Deletes the log file when it exists and is a log; false when it is something else, which
// is then left alone.
bool ClearLogFile();

} // namespace korvane
