#pragma once
// Values in a MySQL option file (~/.my.cnf). Only the line of the value that changes is
// touched: every other line, comment, "!include" and line end stays byte for byte.
#include <optional>
#include <string>

namespace korvane {

// The value of key in group (names without regard to case; "-" and "_" alike in keys),
// surrounding quotes removed; nullopt when the group or the key is not there.
std::optional<std::string> OptionValue(const std::string& text, const std::string& group,
                                       const std::string& key);

// text with key in group set to value: the key's first line in the group's first occurrence
// is rewritten, or a line is added after the group's last setting, or the group is appended.
std::string WithOptionValue(const std::string& text, const std::string& group,
                            const std::string& key, const std::string& value);

// The value in the file; nullopt also when there is no file. Throws handledException naming
// the file when it cannot be read.
std::optional<std::string> ReadOptionFileValue(const std::string& path, const std::string& group,
                                               const std::string& key);

// Sets the value in the file when it differs, writing a new private (0600) file beside it
// that then takes its place; a file that already holds the value is left alone. Returns
// whether the file was written. Throws handledException naming the file when it cannot be
// read or written.
bool SetOptionFileValue(const std::string& path, const std::string& group, const std::string& key,
                        const std::string& value);

} // namespace korvane
