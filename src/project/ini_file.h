#pragma once
// Single values of an INI file (php.ini), read and written in place: every other line, the
// comments and the order stay as they are. Section and key names match without regard to case.
#include <string>

namespace korvane {

// The trimmed value of key in section (surrounding double quotes removed), or defaultValue
// when the file, the section or the key is missing.
std::string ReadIniString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& defaultValue);

// Sets key in section to value at once: the key's line is rewritten, or a new line goes at the
// end of the section, or the section is appended. Creates the file when missing. Throws
// handledException with the system's reason when the file cannot be read or written.
void WriteIniString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value);

} // namespace korvane
